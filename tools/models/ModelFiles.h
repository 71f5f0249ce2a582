// Reading the files a model consists of.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The whole file into bytes; false with the system's reason when it cannot.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes, std::string& why);
