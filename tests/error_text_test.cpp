#include "platform/error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorText, AddsAFullStopOnlyAfterCharactersAboveFullStop) {
  struct Case {
    std::string message;
    std::string shown;
  } cases[] = {
      {"Not enough timers available", "Not enough timers available."},
      {"Error 42", "Error 42."},
      {"Failed to set data for 'prisoten'", "Failed to set data for 'prisoten'"},
      {"Failed to create key ", "Failed to create key "},
      {"Done.", "Done."},
      {"What!", "What!"},
      {"(x)", "(x)"},
      {"a,", "a,"},
      {"a-", "a-"},
      {"a/", "a/."},  // '/' is 47, just above '.'
      {"line\r", "line\r"},
      {"", ""},
      {"\xe8", "\xe8."},  // compared as an unsigned byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(vcl::ErrorBoxText(c.message), c.shown);
  }
}

}  // namespace
