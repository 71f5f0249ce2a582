// UTF-8 back to GBK, for the bytes of a message that the plug-in printed.
#pragma once

#include <string>
#include <string_view>

// A character that GBK cannot hold, or a bad UTF-8 sequence, becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);
