// GBK to UTF-8 for text shown to people. A byte that does not start a valid
// GBK character (or starts one that the text cuts off) becomes U+FFFD, and
// decoding resumes at the next byte, so one bad byte never swallows the text
// that follows it.
#include "plugin/GbkText.h"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <iconv.h>

#  include <cerrno>
#endif

namespace {

constexpr std::string_view kReplacement = "\xef\xbf\xbd";   // U+FFFD in UTF-8

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

#endif

}  // namespace

std::string GbkToUtf8(std::string_view gbk)
{
    if (IsAscii(gbk))
        return std::string(gbk);
    return ConvertGbk(gbk);
}
