// The reader half of FileTools: block-structured text to Statement records.
//
// Characters are taken straight from the stream buffer (sgetc to look,
// sbumpc to take), which is the cheap path for large DataSet files and means
// "putting a character back" is simply not taking it. The stream's state flags
// are never changed, so a caller may ask for or return to a position after any
// read, also after the end of the input was met. A stream that is already
// failed or at its end reads as an empty input.
//
// Choices for malformed input that has no message of its own:
// - "]" where a statement should start: "Unexpected ']'".
// - An end tag at the top level (no block open): "Unexpected End Tag", as for
//   an end tag naming another block.
// - The input ending right after "[~": "Unexpected end of file", as for a
//   missing key.
// - An integer beyond the range of long: "integer-expected" (it is no
//   integer this reader can represent).
// Tokens and messages have no length limit.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <streambuf>
#include <string>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

using Traits = std::char_traits<char>;

// Character classes of the block format: every byte below "!" or above "~"
// and the comma separate tokens; "[]/*=<>" are tokens of their own.
enum CharClass : unsigned char { kOrdinary = 0, kSeparator = 1, kSpecial = 2 };

struct ClassTable {
  CharClass of[256];
  constexpr ClassTable() : of() {
    for (int c = 0; c < 256; ++c) {
      of[c] = (c < '!' || c > '~' || c == ',') ? kSeparator : kOrdinary;
    }
    for (const char* s = "[]/*=<>"; *s != '\0'; ++s) of[static_cast<unsigned char>(*s)] = kSpecial;
  }
};
constexpr ClassTable kClasses;

// c is an int_type from the stream buffer, never EOF here.
inline CharClass ClassOf(int c) {
  return kClasses.of[static_cast<unsigned char>(c)];
}
inline bool IsSpecialChar(char c) {
  return ClassOf(c) == kSpecial;
}

// The buffer to read from, or null when the stream has nothing to give.
inline std::streambuf* Source(std::istream& is) {
  return is.good() ? is.rdbuf() : nullptr;
}

inline int Look(std::streambuf* sb) {
  return sb != nullptr ? sb->sgetc() : Traits::eof();
}
inline int Take(std::streambuf* sb) {
  return sb != nullptr ? sb->sbumpc() : Traits::eof();
}

// Skips separators (not comments) and returns the next character, left in the
// stream, or EOF.
int SkipSeparators(std::streambuf* sb) {
  int c = Look(sb);
  while (c != Traits::eof() && ClassOf(c) == kSeparator) {
    sb->sbumpc();
    c = sb->sgetc();
  }
  return c;
}

[[noreturn]] void Fail(std::istream& is, std::string message) {
  throw FileTools::Error(std::move(message), &is, nullptr);
}

// A key, value or end-tag name must be there and must not begin with a
// special character.
void CheckWord(std::istream& is, const std::string& word) {
  if (word.empty()) Fail(is, "Unexpected end of file");
  if (IsSpecialChar(word[0])) Fail(is, "Unexpected special character");
}

}  // namespace

std::string FileTools::NextToken(std::istream& is) {
  std::streambuf* sb = Source(is);
  for (;;) {
    int c = Take(sb);
    while (c != Traits::eof() && ClassOf(c) == kSeparator) c = sb->sbumpc();
    if (c == Traits::eof()) return std::string();

    if (ClassOf(c) == kSpecial) {
      const int next = sb->sgetc();
      if (c == '/' && next == '*') {
        sb->sbumpc();
        SkipComment(is);
        continue;  // a comment counts as a separator
      }
      if (c == '[' && next == '~') {
        sb->sbumpc();
        return "[~";
      }
      return std::string(1, static_cast<char>(c));
    }

    token_.clear();
    token_.push_back(static_cast<char>(c));
    for (;;) {
      c = sb->sgetc();
      if (c == Traits::eof() || ClassOf(c) == kSpecial) break;  // left for the next token
      sb->sbumpc();
      if (ClassOf(c) == kSeparator) break;  // consumed with the token
      token_.push_back(static_cast<char>(c));
    }
    return token_;
  }
}

void FileTools::SkipComment(std::istream& is) {
  // Comments nest. Kept as a depth count rather than recursion so that deep
  // nesting in a hostile file cannot exhaust the stack. When an inner comment
  // ends, the "*" of its opener counts as the previous character of the outer
  // one (so "*/" directly followed by "/" also ends the outer comment); each
  // comment begins with a blank as its previous character.
  std::streambuf* sb = Source(is);
  std::size_t depth = 1;
  int prev = ' ';
  for (;;) {
    const int c = Take(sb);
    if (c == Traits::eof()) Fail(is, "Unexpected end of file during comment");
    if (prev == '*' && c == '/') {
      if (--depth == 0) return;
      prev = '*';
    } else if (prev == '/' && c == '*') {
      ++depth;
      prev = ' ';
    } else {
      prev = c;
    }
  }
}

Statement FileTools::GetStatement(const char* blockdef, std::istream& is, bool force) {
  // A format-version header is skipped wherever it stands: loop rather than
  // recurse, so that a long run of headers costs no stack.
  for (;;) {
    Statement st;
    std::string token = NextToken(is);

    if (token.empty()) {
      if (blockdef != nullptr) Fail(is, "Unexpected end of file");
      st.kind = Statement::kEnd;
      return st;
    }

    if (force || token == "[") {
      st.key = force ? std::move(token) : NextToken(is);
      CheckWord(is, st.key);
      std::streambuf* sb = Source(is);
      int c = SkipSeparators(sb);
      if (c == ']') {
        sb->sbumpc();
        st.kind = Statement::kBlockStart;
        return st;
      }
      if (c != '=') {
        // Whatever follows belongs inside the same bracket.
        st.kind = Statement::kBlockStart;
        st.open = true;
        return st;
      }
      sb->sbumpc();
      st.value = NextToken(is);
      CheckWord(is, st.value);
      st.kind = Statement::kKeyValue;
      sb = Source(is);
      c = SkipSeparators(sb);
      if (c != ']') {
        st.open = true;
        return st;
      }
      sb->sbumpc();
      if (!force && strcasecmp(st.key.c_str(), "FORMATVERSION") == 0) {
        if (ParseNumber(is, st.value.c_str()) > 1.0) Fail(is, "Illegal Format Version");
        continue;
      }
      return st;
    }

    if (token == "[~") {
      const std::string name = NextToken(is);
      if (name.empty()) Fail(is, "Unexpected end of file");
      if (blockdef == nullptr || strcasecmp(name.c_str(), blockdef) != 0) {
        Fail(is, "Unexpected End Tag");
      }
      if (NextToken(is) != "]") Fail(is, "Expected ']'");
      st.kind = Statement::kEnd;
      return st;
    }

    // "]" closes a bracket; it cannot stand where a statement begins.
    if (token == "]") Fail(is, "Unexpected ']'");

    st.kind = Statement::kToken;
    st.key = std::move(token);
    return st;
  }
}

std::string FileTools::ExpectBlockStart(Statement& st, std::istream& is, const char* name) {
  if (name != nullptr) {
    if (st.kind != Statement::kBlockStart || strcasecmp(st.key.c_str(), name) != 0) {
      Fail(is, std::string("[") + name + "] expected");
    }
  } else if (st.kind != Statement::kBlockStart) {
    Fail(is, "start of block expected");
  }
  return st.key;
}

void FileTools::ExpectEndTag(const Statement& st, std::istream& is) {
  if (st.kind != Statement::kEnd) Fail(is, "End Tag expected");
}

std::string FileTools::GetStringStatement(Statement& st, std::istream& is, const char* key,
                                          const char* expected) {
  const char* s = key;
  NUXA_ASSERT(s != NULL);
  if (st.kind != Statement::kKeyValue || strcasecmp(st.key.c_str(), key) != 0) {
    // The key found is appended directly: "[NetworkType = <string>] expectedRows".
    Fail(is, std::string("[") + key + " = <string>] expected" + st.key);
  }
  if (expected == nullptr) return st.value;
  if (strcasecmp(st.value.c_str(), expected) != 0) {
    Fail(is, std::string("[") + key + " = " + expected + "] expected");
  }
  return std::string();
}

long FileTools::GetIntegerStatement(Statement& st, std::istream& is, const char* key) {
  const char* s = key;
  NUXA_ASSERT(s != NULL);
  if (st.kind != Statement::kKeyValue || strcasecmp(st.key.c_str(), key) != 0) {
    Fail(is, std::string("[") + key + " = <integer>] expected");
  }
  return ParseInteger(is, st.value.c_str());
}

double FileTools::GetNumberStatement(Statement& st, std::istream& is, const char* key) {
  const char* s = key;
  NUXA_ASSERT(s != NULL);
  if (st.kind != Statement::kKeyValue || strcasecmp(st.key.c_str(), key) != 0) {
    Fail(is, std::string("[") + key + " = <number>] expected");
  }
  return ParseNumber(is, st.value.c_str());
}

double FileTools::GetNumberToken(Statement& st, std::istream& is) {
  if (st.kind != Statement::kToken) Fail(is, "Token (number) expected");
  return ParseNumber(is, st.key.c_str());
}

long FileTools::ParseInteger(std::istream& is, const char* text) {
  // The decimal long conversion of sscanf: leading white space, a sign,
  // digits; whatever follows the digits is ignored. strtol with base 10 reads
  // exactly that, and tells an out-of-range value apart.
  if (text == nullptr) Fail(is, "integer-expected");
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE) Fail(is, "integer-expected");
  return value;
}

double FileTools::ParseNumber(std::istream& is, const char* text) {
  // A number is whatever the floating-point conversion of sscanf accepts, and
  // its value is atof's (strtod's) reading of the text: so "1.5abc" is 1.5 and
  // "inf", "nan" and hexadecimal forms are numbers. strtod decides the common
  // cases quickly: when it reads nothing sscanf fails too, and when it reads
  // the whole text sscanf succeeds. Only a text with a tail strtod leaves
  // ("0x", "infi", "1e") needs sscanf's own verdict.
  if (text == nullptr) Fail(is, "number-expected");
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text) Fail(is, "number-expected");
  if (*end != '\0') {
    double ignored = 0.0;
    if (std::sscanf(text, "%lf", &ignored) != 1) Fail(is, "number-expected");
  }
  return value;
}

}  // namespace nuxa
