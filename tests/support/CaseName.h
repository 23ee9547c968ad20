#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Names table-driven cases after their `name` member, so that test lists and ctest read well.
struct CaseName
{
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &info) const
    {
        std::string out;
        for (const char *p = info.param.name; *p; ++p)
            out += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return out + "_" + std::to_string(info.index);
    }
};
