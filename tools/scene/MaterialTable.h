// Gives each distinct host material record one position, comparing all 728
// bytes: two surfaces share a position exactly when the host could not tell
// their materials apart.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "host/TagMaterial.h"

class MaterialTable {
public:
    explicit MaterialTable(std::vector<tagMaterial>& records) : records_(records) {}

    // The position of a record equal to material, appended when new.
    int Intern(const tagMaterial& material);

private:
    std::vector<tagMaterial>& records_;
    std::unordered_map<std::string, int> positions_;
};
