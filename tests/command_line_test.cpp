#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> args;  // the words after the program's name
};

std::vector<SplitCase> Cases() {
  return {
      {"no arguments", "Vexo.exe", {}},
      {"plain", "Vexo.exe no_welcome", {"no_welcome"}},
      {"quoted", "Vexo.exe \"no_welcome\"", {"no_welcome"}},
      {"partly quoted", "Vexo.exe no_\"wel\"come", {"no_welcome"}},
      {"lone pair first", "Vexo.exe \"\" no_welcome", {"no_welcome"}},
      {"lone pairs touching", "Vexo.exe \"\"\"\"no_welcome", {"no_welcome"}},
      {"quoted program name with spaces", "\"C:\\My Tools\\Vexo.exe\" no_welcome",
       {"no_welcome"}},
      {"second position", "Vexo.exe x no_welcome", {"x", "no_welcome"}},
      {"tabs and control characters", "Vexo.exe\t\x01no_welcome\x1f b", {"no_welcome", "b"}},
      {"quoted stretch keeps blanks", "Vexo.exe \"a b\tc\"", {"a b\tc"}},
      {"unterminated quote", "Vexo.exe \"no_welcome", {"no_welcome"}},
      {"lone quote at the end ends the words", "Vexo.exe a \"", {"a"}},
      {"empty line", "", {}},
      {"only blanks", "   \t ", {}},
      {"only quotes", "\"\"\"\"\"\"", {}},
      {"bytes above 127 are ordinary", "Vexo.exe \xe8\xff\x80", {"\xe8\xff\x80"}},
      {"no quote survives", "Vexo.exe a\"\"b\"", {"ab"}},
  };
}

TEST(CommandLine, SplitsWordsAsTheRuntimeDoes) {
  for (const SplitCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(vcl::ParamCount(c.line), static_cast<int>(c.args.size()));
    for (std::size_t i = 0; i < c.args.size(); ++i) {
      EXPECT_EQ(vcl::ParamStr(c.line, static_cast<int>(i) + 1), c.args[i]);
    }
    EXPECT_EQ(vcl::ParamStr(c.line, static_cast<int>(c.args.size()) + 1), "");
  }
}

TEST(CommandLine, ProgramNameIsWordZero) {
  EXPECT_EQ(vcl::ParamStr("\"C:\\My Tools\\Vexo.exe\" x", 0), "C:\\My Tools\\Vexo.exe");
}

TEST(CommandLine, LongWordsStayWholeAndNeverMatchShortOnes) {
  const std::string long_word = "no_welcome" + std::string(290, 'x');
  EXPECT_EQ(vcl::ParamStr("Vexo.exe " + long_word, 1), long_word);

  // A 256-character word that begins with the argument is not the argument.
  const std::string padded = "no_welcome" + std::string(246, ' ');
  EXPECT_NE(vcl::ParamStr("Vexo.exe \"" + padded + "\"", 1), "no_welcome");

  const std::string huge(32 * 1024, 'a');
  EXPECT_EQ(vcl::ParamCount("Vexo.exe " + huge + " b"), 2);
  EXPECT_EQ(vcl::ParamStr("Vexo.exe " + huge + " b", 2), "b");
}

}  // namespace
