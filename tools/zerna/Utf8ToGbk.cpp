#include "tools/zerna/Utf8ToGbk.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Bytes of the UTF-8 sequence that starts at text[0]: one, plus the
// continuation bytes that follow it (at most three).
size_t SequenceLength(const char* text, size_t left)
{
    size_t length = 1;
    while (length < left && length < 4 && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80)
        ++length;
    return length;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8)
{
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::string(utf8);

    std::string gbk;
    std::string chunk(utf8.size() + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* out = chunk.data();
        size_t outLeft = chunk.size();
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        gbk.append(chunk.data(), out);
        if (done != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            gbk.push_back('?');
            size_t skip = SequenceLength(in, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        } else if (errno != E2BIG) {
            break;
        }
    }
    iconv_close(converter);
    return gbk;
}
