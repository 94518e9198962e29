// Fuzzes the command-line splitter against a second splitter written
// plainly from the rule, and checks that it never reads past the line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/command_line.h"

namespace {

// The rule, step by step, on a NUL-terminated copy of the line.
std::vector<std::string> ReferenceWords(const char* p) {
  std::vector<std::string> words;
  for (;;) {
    for (;;) {
      while (*p != 0 && static_cast<unsigned char>(*p) <= 32) ++p;
      if (p[0] == '"' && p[1] == '"') {
        p += 2;
      } else {
        break;
      }
    }
    if (*p == 0) break;
    std::string word;
    while (static_cast<unsigned char>(*p) > 32) {
      if (*p == '"') {
        ++p;
        while (*p != 0 && *p != '"') word += *p++;
        if (*p == '"') ++p;
      } else {
        word += *p++;
      }
    }
    if (word.empty()) break;
    words.push_back(word);
  }
  return words;
}

void Fail(const char* what, const std::string& line) {
  std::fprintf(stderr, "%s; line of %zu bytes\n", what, line.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The program sees the line up to its first NUL, as GetCommandLineA gives it.
  const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
  // An exact-size heap copy lets AddressSanitizer catch a read past the end.
  char* exact = static_cast<char*>(std::malloc(length + 1));
  std::memcpy(exact, data, length);
  exact[length] = 0;
  const std::string line(exact, length);

  const std::vector<std::string> words = ReferenceWords(exact);
  const int count = words.empty() ? 0 : static_cast<int>(words.size()) - 1;
  if (vcl::ParamCount(line) != count) Fail("wrong number of words", line);

  // The one decision the program takes from its arguments, as it takes it.
  // A first argument that is not exactly no_welcome must never pass for it:
  // a word cut at 255 bytes, or with its length kept in one byte (266 bytes
  // read as 10), would turn "no_welcome" and padding into the switch.
  const bool skips_welcome = count > 0 && vcl::ParamStr(line, 1) == "no_welcome";
  if (skips_welcome != (count > 0 && words[1] == "no_welcome")) {
    Fail(skips_welcome ? "a word that is not no_welcome passed for it"
                       : "no_welcome was not recognised",
         line);
  }

  for (int n = 0; n <= count + 1; ++n) {
    const std::string expected = n < static_cast<int>(words.size()) ? words[n] : std::string();
    const std::string got = vcl::ParamStr(line, n);
    if (got.size() != expected.size()) Fail("a word of the wrong length (cut or wrapped?)", line);
    if (got != expected) Fail("a word differs from the rule's", line);
    if (got.find('"') != std::string::npos) Fail("a quote left in a word", line);
  }
  std::free(exact);
  return 0;
}
