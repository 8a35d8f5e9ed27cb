#pragma once
// Tables of cases whose struct has a `name`: each parametrised test is named, and printed
// in failure messages, by that name rather than by the bytes of the struct.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zembra::test {

// The name generator for INSTANTIATE_TEST_SUITE_P.
struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &info) const {
        return std::string(info.param.name);
    }
};

} // namespace zembra::test

// Lets GoogleTest print a `Case` by its name; put it beside the struct.
#define ZEMBRA_PRINT_CASE_BY_NAME(Case)                                                            \
    [[maybe_unused]] void PrintTo(const Case &c, std::ostream *os) {                               \
        *os << c.name;                                                                             \
    }
