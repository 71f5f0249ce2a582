// Libraries the tool opens when a command first needs them: a missing
// library or symbol is told by name, never a crash or a null call.
#include <cstring>

#include <gtest/gtest.h>

#include "base/RuntimeLibrary.h"

namespace {

TEST(RuntimeLibraryTest, NamesWhatIsMissing)
{
    struct Case {
        const char* library;
        const char* symbol;
        const char* errorHas;   // nullptr: no error
    };
    for (const Case& c : {Case{"libc.so.6", "strlen", nullptr},
                          Case{"libc.so.6", "kvd_no_such_symbol", "libc.so.6 lacks kvd_no_such_symbol"},
                          Case{"libkvd-no-such-library.so.1", "strlen", "libkvd-no-such-library.so.1 cannot be loaded"}}) {
        RuntimeLibrary library(c.library);
        decltype(&std::strlen) function = nullptr;
        library.Bind(function, c.symbol);
        if (c.errorHas == nullptr) {
            EXPECT_TRUE(library.error().empty()) << library.error();
            ASSERT_NE(function, nullptr);
            EXPECT_EQ(function("four"), 4u);
        } else {
            EXPECT_EQ(function, nullptr);
            EXPECT_NE(library.error().find(c.errorHas), std::string::npos) << library.error();
        }
    }
}

}  // namespace
