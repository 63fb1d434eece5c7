// Test names for tables of cases: each case's `what`, kept to its letters and digits.
#pragma once

#include <cctype>
#include <string>

struct NamedByWhat {
    template <typename Info> std::string operator()(const Info &info) const {
        std::string name;
        for (const char *p = info.param.what; *p; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p)))
                name += *p;
        return name;
    }
};
