#include "platform/command_line.h"

namespace vcl {
namespace {

bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }

// Reads the word that starts at `pos` (after blanks and lone quote pairs),
// leaves `pos` after it, and says whether there was one: an empty word ends
// the words.
bool NextWord(const std::string& line, std::size_t& pos, std::string& word) {
  const std::size_t end = line.size();
  for (;;) {
    while (pos < end && IsBlank(static_cast<unsigned char>(line[pos]))) ++pos;
    if (pos + 1 < end && line[pos] == '"' && line[pos + 1] == '"') {
      pos += 2;
      continue;
    }
    break;
  }
  word.clear();
  if (pos >= end || line[pos] == '\0') return false;

  // Words are kept whole, however long: a long word stays itself and so can
  // never pass for a short one.
  auto take = [&](char c) { word += c; };
  while (pos < end && static_cast<unsigned char>(line[pos]) > 32) {
    if (line[pos] == '"') {
      ++pos;
      while (pos < end && line[pos] != '"' && line[pos] != '\0') take(line[pos++]);
      if (pos < end && line[pos] == '"') ++pos;
    } else {
      take(line[pos++]);
    }
  }
  // A lone quote at the end yields an empty word, which ends the words too.
  return !word.empty();
}

}  // namespace

int ParamCount(const std::string& command_line) {
  std::size_t pos = 0;
  std::string word;
  if (!NextWord(command_line, pos, word)) return 0;
  int count = 0;
  while (NextWord(command_line, pos, word)) ++count;
  return count;
}

std::string ParamStr(const std::string& command_line, int n) {
  if (n < 0) return std::string();
  std::size_t pos = 0;
  std::string word;
  for (int i = 0; i <= n; ++i) {
    if (!NextWord(command_line, pos, word)) return std::string();
  }
  return word;
}

}  // namespace vcl
