// The writer half of FileTools: everything goes through WriteItem, which
// writes one Statement in its bracketed or bare form. Line ends are CR LF and
// are not flushed one by one: the stream's buffer decides when to write.
#include "FileHandler/ParseTools.h"

#include <charconv>
#include <ostream>
#include <string>

#include "Common/Assert.h"

namespace nuxa {

namespace {

constexpr char kLineEnd[] = "\r\n";

void Put(std::ostream& os, const std::string& text) {
  os.write(text.data(), static_cast<std::streamsize>(text.size()));
}

Statement MakeStatement(int32_t kind, const char* key, std::string value) {
  Statement st;
  st.kind = kind;
  st.key = key;
  st.value = std::move(value);
  return st;
}

// The printf "%.*f" text of value, however long: a double has at most 309
// digits before the point.
std::string FixedText(double value, int decimals) {
  if (decimals < 0) decimals = 6;  // printf takes a negative precision as none
  std::string text(static_cast<size_t>(decimals) + 330, '\0');
  const auto result =
      std::to_chars(&text[0], &text[0] + text.size(), value, std::chars_format::fixed, decimals);
  text.resize(static_cast<size_t>(result.ptr - text.data()));
  return text;
}

}  // namespace

void FileTools::WriteFormatVersion(std::ostream& os) {
  WriteItem(MakeStatement(Statement::kFormatVersion, "", ""), os, true);
}

void FileTools::WriteNewLine(std::ostream& os) {
  os << kLineEnd;
}

void FileTools::BeginBlock(std::ostream& os, const char* name, bool bracket) {
  WriteItem(MakeStatement(Statement::kBlockStart, name, ""), os, bracket);
}

void FileTools::EndBlock(std::ostream& os, const char* name) {
  if (name == nullptr) return;
  WriteItem(MakeStatement(Statement::kEnd, name, ""), os, true);
}

void FileTools::WriteStringStatement(std::ostream& os, const char* key, const char* value,
                                     bool bracket) {
  WriteItem(MakeStatement(Statement::kKeyValue, key, value), os, bracket);
}

void FileTools::WriteIntegerStatement(std::ostream& os, const char* key, long value, bool bracket) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  WriteItem(MakeStatement(Statement::kKeyValue, key, std::string(text, result.ptr)), os, bracket);
}

void FileTools::WriteNumberStatement(std::ostream& os, const char* key, double value, int decimals,
                                     bool bracket) {
  WriteItem(MakeStatement(Statement::kKeyValue, key, FixedText(value, decimals)), os, bracket);
}

void FileTools::OpenBracket(std::ostream& os, bool bracket) {
  if (bracket) os << '[';
}

void FileTools::CloseBracket(std::ostream& os, bool bracket, bool newline) {
  if (!bracket) return;
  os << ']';
  if (newline) os << kLineEnd;
}

void FileTools::WriteItem(const Statement& st, std::ostream& os, bool bracket) {
  switch (st.kind) {
    case Statement::kFormatVersion:
      NUXA_ASSERT(bracket);
      os << "[FormatVersion = 1.0]" << kLineEnd << kLineEnd;
      break;
    case Statement::kEnd:
      NUXA_ASSERT(bracket);
      if (st.key.empty()) break;
      os << "[~";
      Put(os, st.key);
      os << ']' << kLineEnd;
      break;
    case Statement::kBlockStart:
      OpenBracket(os, bracket);
      Put(os, st.key);
      if (!bracket) os << ' ';
      CloseBracket(os, bracket, true);
      break;
    case Statement::kKeyValue:
      OpenBracket(os, bracket);
      Put(os, st.key);
      os << (bracket ? " = " : "=");
      Put(os, st.value);
      if (!bracket) os << ' ';
      CloseBracket(os, bracket, true);
      break;
    case Statement::kToken:
      Put(os, st.key);
      os << ' ';
      break;
    default:
      NUXA_ASSERT(0);
  }
}

}  // namespace nuxa
