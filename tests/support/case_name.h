#pragma once

#include <gtest/gtest.h>

#include <string>

namespace mirutoka::testing {

// Names a table-driven case after its `name` member.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& param_info) const {
        return param_info.param.name;
    }
};

}  // namespace mirutoka::testing
