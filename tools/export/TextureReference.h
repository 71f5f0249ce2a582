// Texture image names as the host material stores them (GBK, often a full
// Windows path of the machine that exported the scene) turned into references
// that work beside the converted file.
#pragma once

#include <string>
#include <string_view>

// A relative path in UTF-8 with forward slashes: a relative name is kept as
// it is, an absolute one (drive letter, leading slash, UNC) is cut to its
// file name, since that machine's folders do not exist here. Empty when the
// name is empty.
std::string RelativeTexturePath(std::string_view gbkName);

// The path as a relative URI reference: every byte outside the unreserved
// characters and '/' is percent-encoded, spaces and UTF-8 included.
std::string PathToUri(std::string_view utf8Path);
