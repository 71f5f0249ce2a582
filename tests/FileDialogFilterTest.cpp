// The open dialog's filter list: a '|' inside a GBK character must survive,
// and the list must always be closed by two NULs, or the system dialog reads
// past its end.
#include <gtest/gtest.h>

#include <string>

#include "plugin/FileDialogFilter.h"
#include "plugin/DialogTexts.h"

namespace {

using namespace std::string_literals;

TEST(FileDialogFilter, SeparatesEntriesAndEndsWithTwoNuls)
{
    struct Case {
        std::string filter;
        std::string list;
    };
    const Case cases[] = {
        {texts::kSceneFileFilter,
         "Kvd\xce\xc4\xbc\xfe (*.kvd)\0*.kvd\0\xcb\xf9\xd3\xd0\xce\xc4\xbc\xfe(*.*)\0*.*\0\0"s},
        {"", "\0\0"s},
        {"a|b||", "a\0b\0\0"s},
        // Without the closing "||" the list is closed all the same.
        {"a|b", "a\0b\0\0"s},
        {"a|b|", "a\0b\0\0"s},
        // 0x7C as the second byte of a GBK character is not a separator.
        {"\x81|x|*.x||", "\x81|x\0*.x\0\0"s},
        {"\xfe|\x81\x7c|p||", "\xfe|\x81\x7c\0p\0\0"s},
        // A lead byte at the very end has no second byte to protect.
        {"a|\x81", "a\0\x81\0\0"s},
        // 0x80 and 0xFF never start a character.
        {"\x80|\xff|", "\x80\0\xff\0\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemFilterList(c.filter), c.list) << "filter of " << c.filter.size() << " bytes";
}

}  // namespace
