// GBK and UTF-8, character by character where a byte may be bad, so that a
// bad byte costs exactly one replacement character.
#include "base/GbkText.h"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <iconv.h>

#  include <cerrno>
#endif

namespace {

constexpr std::string_view kReplacement = "\xef\xbf\xbd";   // U+FFFD in UTF-8
constexpr char kGbkReplacement = '?';

// Bytes of the valid UTF-8 character that starts at text[0], or 0 when the
// byte starts none (a stray continuation byte, an overlong form, a
// surrogate, beyond U+10FFFF, or cut off by the end of the text).
size_t Utf8CharacterLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

#if defined(_WIN32)

constexpr UINT kGbkCodePage = 936;

// The UTF-16 of one GBK character of length bytes, or nothing when invalid.
bool DecodeCharacter(const char* bytes, int length, std::wstring& wide)
{
    wchar_t units[2];
    int count = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, length, units, 2);
    if (count <= 0)
        return false;
    wide.append(units, static_cast<size_t>(count));
    return true;
}

std::string WideToUtf8(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            size, nullptr, nullptr);
    return utf8;
}

// The GBK bytes of one valid UTF-8 character, or false when GBK has none.
class GbkEncoder {
public:
    bool Encode(std::string_view character, std::string& gbk)
    {
        wchar_t units[2];
        int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(),
                                        static_cast<int>(character.size()), units, 2);
        if (count <= 0)
            return false;
        char bytes[4];
        BOOL lost = FALSE;
        int size = WideCharToMultiByte(kGbkCodePage, 0, units, count, bytes, sizeof bytes, nullptr, &lost);
        if (size <= 0 || lost)
            return false;
        gbk.append(bytes, static_cast<size_t>(size));
        return true;
    }
};

std::string ConvertGbk(std::string_view gbk)
{
    // Character by character: the system converter would otherwise put its
    // own default character for a bad sequence.
    std::wstring wide;
    size_t i = 0;
    while (i < gbk.size()) {
        auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte < 0x80) {
            wide.push_back(static_cast<wchar_t>(byte));
            ++i;
        } else if (i + 1 < gbk.size() && DecodeCharacter(gbk.data() + i, 2, wide)) {
            i += 2;
        } else if (DecodeCharacter(gbk.data() + i, 1, wide)) {
            ++i;
        } else {
            wide.push_back(static_cast<wchar_t>(0xFFFD));
            ++i;
        }
    }
    return WideToUtf8(wide);
}

#else

std::string ConvertGbk(std::string_view gbk)
{
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // No converter for GBK on this system: keep ASCII, mark the rest.
        std::string text;
        for (char c : gbk) {
            if (static_cast<unsigned char>(c) < 0x80)
                text.push_back(c);
            else
                text += kReplacement;
        }
        return text;
    }

    std::string utf8;
    // A GBK character of two bytes is at most three bytes of UTF-8.
    std::string chunk(2 * gbk.size() + 16, '\0');
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    while (inLeft > 0) {
        char* out = chunk.data();
        size_t outLeft = chunk.size();
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        utf8.append(chunk.data(), out);
        if (done != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Invalid, or cut off by the end of the text: mark one byte.
            utf8 += kReplacement;
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        } else if (errno != E2BIG) {
            break;
        }
    }
    iconv_close(converter);
    return utf8;
}

// The GBK bytes of one valid UTF-8 character, or false when GBK has none.
class GbkEncoder {
public:
    GbkEncoder() : converter_(iconv_open("GBK", "UTF-8")) {}
    ~GbkEncoder()
    {
        if (converter_ != kNoConverter)
            iconv_close(converter_);
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    bool Encode(std::string_view character, std::string& gbk)
    {
        if (converter_ == kNoConverter)
            return false;
        char* in = const_cast<char*>(character.data());
        size_t inLeft = character.size();
        char bytes[8];
        char* out = bytes;
        size_t outLeft = sizeof bytes;
        const bool converted = iconv(converter_, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        if (!converted || inLeft != 0)
            return false;
        gbk.append(bytes, out);
        return true;
    }

private:
    static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
    iconv_t converter_;
};

#endif

}  // namespace

std::string GbkToUtf8(std::string_view gbk)
{
    if (IsAscii(gbk))
        return std::string(gbk);
    return ConvertGbk(gbk);
}

std::string Utf8ToGbk(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    GbkEncoder encoder;
    std::string gbk;
    size_t i = 0;
    while (i < utf8.size()) {
        const size_t length = Utf8CharacterLength(utf8.substr(i));
        if (length == 0) {
            gbk.push_back(kGbkReplacement);
            ++i;
            continue;
        }
        if (length == 1)
            gbk.push_back(utf8[i]);
        else if (!encoder.Encode(utf8.substr(i, length), gbk))
            gbk.push_back(kGbkReplacement);
        i += length;
    }
    return gbk;
}
