// SPDX-License-Identifier: MIT
// The name of each case of a parameterized suite: the `name` of its row.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace toolkit_test {

template <class Case>
std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

}  // namespace toolkit_test
