#pragma once

#include <gtest/gtest.h>

#include <string>

// Long texts, as the summary and its registry sections are: the first
// difference with some context, not both texts whole.
inline ::testing::AssertionResult SameText(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const size_t from = at < 60 ? 0 : at - 60;
    return ::testing::AssertionFailure()
           << "texts differ at byte " << at << " (" << expected.size() << " bytes expected, " << actual.size()
           << " found)\n  expected: " << ::testing::PrintToString(expected.substr(from, 120))
           << "\n  found:    " << ::testing::PrintToString(actual.substr(from, 120));
}
