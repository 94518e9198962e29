// Fuzzes the command-line splitter against a second splitter written
// plainly from the rule, and checks that it never reads past the line.
#include <cstdint>
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
  if (vcl::ParamCount(line) != count) std::abort();
  for (int n = 0; n <= count + 1; ++n) {
    const std::string expected = n < static_cast<int>(words.size()) ? words[n] : std::string();
    const std::string got = vcl::ParamStr(line, n);
    if (got != expected) std::abort();
    if (got.size() > 255 && got == "no_welcome") std::abort();
    if (got.find('"') != std::string::npos) std::abort();
  }
  std::free(exact);
  return 0;
}
