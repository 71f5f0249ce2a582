// GBK text for people: the plug-in keeps GBK bytes everywhere and converts
// only where text is shown on a UTF-8 console or written to a UTF-8 file, and
// the stand-in host turns what it printed back into GBK.
//
// One rule for bad input in both directions: a byte that starts no valid
// character becomes one replacement character and conversion resumes at the
// next byte, so one bad byte never swallows the text that follows it. The
// replacement is U+FFFD in UTF-8 and '?' in GBK, which has no U+FFFD; a
// character that GBK cannot hold also becomes '?'.
#pragma once

#include <string>
#include <string_view>

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
