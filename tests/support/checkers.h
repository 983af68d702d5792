#pragma once
// The independent checkers that some tests hand their movies and pictures
// to: swf-parser under Node, Ruffle in headless Chromium, ImageMagick. A
// test run by hand without one is skipped and says what to install; in CI
// (TESMIRO_CI, set by scripts/test.sh) a missing checker fails the test, so
// a run that checked nothing never passes.
#include <gtest/gtest.h>

#include <string>

namespace tesmiro::testing {

bool InCi();

// Each returns an empty text when the checker is there, else what is missing.
std::string MissingSwfParser();    // node and swf-parser
std::string MissingRuffle();       // node, Ruffle, playwright-core and Chromium
std::string MissingImageMagick();  // convert and identify

}  // namespace tesmiro::testing

// In a test body or SetUp: skips (by hand) or fails (in CI) when `missing`
// is not empty.
#define REQUIRE_CHECKER(missing)                                                  \
  do {                                                                            \
    const std::string tesmiro_missing_ = (missing);                               \
    if (!tesmiro_missing_.empty()) {                                              \
      if (::tesmiro::testing::InCi()) FAIL() << tesmiro_missing_ << " (CI needs it)"; \
      GTEST_SKIP() << tesmiro_missing_;                                           \
    }                                                                             \
  } while (false)
