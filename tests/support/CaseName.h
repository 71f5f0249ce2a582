// Parameterised test names from the readable names of table rows.
#pragma once

#include <cctype>
#include <string>

struct CaseName {
    template <class Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    }
};
