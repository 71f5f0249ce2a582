// GBK text is converted only for people to read; in both directions a bad
// byte must cost one replacement character and nothing around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/GbkText.h"

namespace {

struct Case {
    std::string gbk;
    std::string utf8;
};

TEST(GbkText, ConvertsAndReplacesEachBadByte)
{
    const std::string fffd = "\xef\xbf\xbd";
    const Case cases[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"\xce\xc4\xbc\xfe\xd2\xd1\xc6\xc6\xbb\xb5", "\xe6\x96\x87\xe4\xbb\xb6\xe5\xb7\xb2\xe7\xa0\xb4\xe5\x9d\x8f"},
        {"\xcf\xe0\xbb\xfa" "1", "\xe7\x9b\xb8\xe6\x9c\xba" "1"},
        {"3DMax\xca\xe4\xc8\xeb", "3DMax\xe8\xbe\x93\xe5\x85\xa5"},
        {"\xff", fffd},
        {"a\xff" "b", "a" + fffd + "b"},
        {"\xff\xff", fffd + fffd},
        // A lead byte cut off by the end of the text.
        {"\xce\xc4\xce", "\xe6\x96\x87" + fffd},
        // A lead byte whose second byte cannot follow it: only the lead is lost.
        {"\xce" " x", fffd + " x"},
        {"\xa1\x7f" "\xce\xc4", fffd + "\x7f" "\xe6\x96\x87"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << "input of " << c.gbk.size() << " bytes";
}

TEST(GbkText, TurnsUtf8BackAndReplacesEachBadByteAndEachCharacterGbkLacks)
{
    const Case cases[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"\xce\xc4\xbc\xfe\xd2\xd1\xc6\xc6\xbb\xb5", "\xe6\x96\x87\xe4\xbb\xb6\xe5\xb7\xb2\xe7\xa0\xb4\xe5\x9d\x8f"},
        // A lone continuation byte; a character cut off by the end is bad
        // byte by byte.
        {"a?b", "a\x80" "b"},
        {"\xce\xc4??", "\xe6\x96\x87\xe6\x96"},
        // A bad lead byte costs one '?', and the character after it survives.
        {"?\xce\xc4", "\xff\xe6\x96\x87"},
        // An overlong form and a surrogate: each byte is bad on its own.
        {"??", "\xc0\xaf"},
        {"???", "\xed\xa0\x80"},
        // A character GBK cannot hold: one '?', whatever its length.
        {"x?y", "x\xf0\x9f\x98\x80" "y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << "input of " << c.utf8.size() << " bytes";
}

TEST(GbkText, LongTextConvertsWhole)
{
    std::string gbk;
    std::string utf8;
    for (int i = 0; i < 5000; ++i) {
        gbk += "\xce\xc4" "a\xff";
        utf8 += "\xe6\x96\x87" "a\xef\xbf\xbd";
    }
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    // Back again: each bad byte became U+FFFD, which GBK holds as '?'.
    std::string back = gbk;
    std::replace(back.begin(), back.end(), '\xff', '?');
    EXPECT_EQ(Utf8ToGbk(utf8), back);
}

}  // namespace
