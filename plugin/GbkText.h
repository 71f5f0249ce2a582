// GBK text for people: the plug-in keeps GBK bytes everywhere and converts
// only where text is shown on a UTF-8 console or written to a UTF-8 file.
#pragma once

#include <string>
#include <string_view>

// Each invalid or incomplete byte sequence becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);
