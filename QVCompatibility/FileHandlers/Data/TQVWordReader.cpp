#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <limits>
#include <ostream>
#include <system_error>

#include "Common/Exceptions.h"

namespace nuxa {

namespace {

// Large enough that a file of any size costs few system calls, small beside
// the data sets the readers fill.
constexpr size_t kBufferSize = size_t{1} << 16;

// The white space of the C locale's isspace, which ends the words of the
// stream extraction `in >> word`.
struct SpaceTable {
  bool space[256] = {};
  SpaceTable() {
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) space[c] = true;
  }
};
const SpaceTable kSpaces;

inline bool IsSpace(char c) {
  return kSpaces.space[static_cast<unsigned char>(c)];
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

double StrtodOfCopy(const char* begin, const char* end) {
  const std::string copy(begin, end);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

double StrtodValue(std::string_view word) {
  const char* const begin = word.data();
  const char* const end = begin + word.size();
  // std::from_chars reads what strtod reads for words that start with an
  // optional minus and a digit or a point, and is much faster; it does not
  // know hexadecimal ("0x1A" is 26 to strtod), a plus sign, "inf" or "nan",
  // and reports what is out of range instead of giving strtod's value. Those
  // rare words go to strtod itself.
  const char* digits = (begin != end && *begin == '-') ? begin + 1 : begin;
  if (digits != end && (IsDigit(*digits) || *digits == '.')) {
    const bool hex =
        digits[0] == '0' && digits + 1 != end && (digits[1] == 'x' || digits[1] == 'X');
    if (!hex) {
      double value = 0.0;
      const std::from_chars_result r = std::from_chars(begin, end, value);
      if (r.ec == std::errc()) return value;
      if (r.ec == std::errc::invalid_argument) return 0.0;
    }
  }
  return StrtodOfCopy(begin, end);
}

// The characters the stream extraction of a double collects: an optional
// sign, digits with at most one decimal point, then, once a digit was seen,
// an exponent mark with an optional sign and digits. It stops at the first
// character that does not fit, which stays unread. What it collected must be
// a complete number for strtod, or the extraction fails: "1e" and "-" fail,
// "1e5e3" reads 1e5 and leaves "e3".
TStreamNumberScan ScanStreamNumber(std::string_view word) {
  const size_t n = word.size();
  size_t i = 0;
  if (i < n && (word[i] == '+' || word[i] == '-')) ++i;
  bool mantissa = false;
  bool point = false;
  bool exponent = false;
  bool exponent_digits = false;
  while (i < n) {
    const char c = word[i];
    if (IsDigit(c)) {
      (exponent ? exponent_digits : mantissa) = true;
      ++i;
    } else if (c == '.' && !point && !exponent) {
      point = true;
      ++i;
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
      exponent = true;
      ++i;
      if (i < n && (word[i] == '+' || word[i] == '-')) ++i;
    } else {
      break;
    }
  }
  TStreamNumberScan scan;
  scan.length = i;
  scan.valid = mantissa && (!exponent || exponent_digits);
  return scan;
}

TQVNumberResult ExtractStreamDouble(std::string_view word, double& value, size_t& taken) {
  const TStreamNumberScan scan = ScanStreamNumber(word);
  taken = scan.length;
  value = 0.0;
  if (!scan.valid) return TQVNumberResult::kBad;
  const char* begin = word.data();
  const char* const end = begin + scan.length;
  if (*begin == '+') ++begin;  // from_chars takes no plus sign
  const std::from_chars_result r = std::from_chars(begin, end, value);
  if (r.ec == std::errc() && r.ptr == end) return TQVNumberResult::kRead;
  // Out of range. The extraction accepts what underflows (strtod's 0 or
  // denormal) and fails on what overflows.
  value = StrtodOfCopy(begin, end);
  if (std::isinf(value)) {
    value = value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
    return TQVNumberResult::kBad;
  }
  return TQVNumberResult::kRead;
}

bool OpenLegacyFile(const char* fileName, std::ifstream& in) {
  std::error_code error;
  if (std::filesystem::is_directory(fileName, error)) return false;
  in.open(fileName, std::ios::in | std::ios::binary);
  return in.is_open();
}

void WriteLegacyHeaderText(std::ostream& os, const char* keyword, const char* separator,
                           const char* text) {
  os << keyword;
  if (text != nullptr && text[0] != '\0') {
    if (!IsSpace(text[0])) os << separator;
    os << text;
  }
  os << '\n';
}

// ---- TQVWordReader --------------------------------------------------------

TQVWordReader::TQVWordReader(std::istream& in, const char* location)
    : in_(in), location_(location), buf_(kBufferSize) {
  const std::streamoff start = in_.tellg();
  base_ = start > 0 ? static_cast<uint64_t>(start) : 0;
}

bool TQVWordReader::Fill() {
  if (at_end_) return false;
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, len_ - pos_);
    base_ += pos_;
    len_ -= pos_;
    pos_ = 0;
  }
  if (len_ == buf_.size()) buf_.resize(buf_.size() * 2);  // one word fills the buffer
  in_.read(buf_.data() + len_, static_cast<std::streamsize>(buf_.size() - len_));
  if (in_.bad()) ThrowException("Error reading file", "File Error", location_);
  const size_t got = static_cast<size_t>(in_.gcount());
  len_ += got;
  if (got == 0 || in_.eof()) at_end_ = true;
  return got > 0;
}

bool TQVWordReader::SkipSpace() {
  for (;;) {
    while (pos_ < len_ && IsSpace(buf_[pos_])) ++pos_;
    if (pos_ < len_) return true;
    if (!Fill()) return false;
  }
}

int TQVWordReader::PeekAt(size_t k) {
  while (pos_ + k >= len_) {
    if (!Fill()) return -1;
  }
  return static_cast<unsigned char>(buf_[pos_ + k]);
}

bool TQVWordReader::PeekWord(std::string_view& word) {
  if (!SkipSpace()) {
    word = std::string_view();
    return false;
  }
  size_t i = pos_;
  for (;;) {
    const char* const b = buf_.data();
    while (i < len_ && !IsSpace(b[i])) ++i;
    if (i < len_) break;
    const size_t offset = i - pos_;  // Fill moves the unread part
    const bool more = Fill();
    i = pos_ + offset;
    if (!more) break;
  }
  word = std::string_view(buf_.data() + pos_, i - pos_);
  return true;
}

bool TQVWordReader::NextWord(std::string_view& word) {
  if (!PeekWord(word)) return false;
  pos_ += word.size();
  return true;
}

uint64_t TQVWordReader::SkipWords(uint64_t count) {
  uint64_t done = 0;
  while (done < count && SkipSpace()) {
    // The word's characters are dropped as they are passed, so a long word
    // never grows the buffer here.
    for (;;) {
      while (pos_ < len_ && !IsSpace(buf_[pos_])) ++pos_;
      if (pos_ < len_ || !Fill()) break;
    }
    ++done;
  }
  return done;
}

uint64_t TQVWordReader::CountWordsToEnd() {
  uint64_t words = 0;
  bool in_word = false;  // a word cut by the current position counts whole
  do {
    // Counts the starts of words, without a branch per character.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(buf_.data()) + pos_;
    const unsigned char* const end = reinterpret_cast<const unsigned char*>(buf_.data()) + len_;
    for (; p != end; ++p) {
      const bool word_char = !kSpaces.space[*p];
      words += static_cast<uint64_t>(word_char & !in_word);
      in_word = word_char;
    }
    pos_ = len_;
  } while (Fill());
  return words;
}

std::string TQVWordReader::RestOfLine(size_t limit) {
  std::string text;
  for (;;) {
    const int c = PeekAt(0);
    if (c < 0) return text;
    if (c == '\n') {
      ++pos_;
      return text;
    }
    if (c == '\r' && PeekAt(1) == '\n') {
      pos_ += 2;
      return text;
    }
    if (text.size() == limit) return text;
    text.push_back(static_cast<char>(c));
    ++pos_;
  }
}

TQVNumberResult TQVWordReader::NextInteger(std::int32_t& value) {
  if (!SkipSpace()) return TQVNumberResult::kEnd;
  int c = PeekAt(0);
  const bool negative = c == '-';
  if (c == '+' || c == '-') ++pos_;
  int64_t magnitude = 0;
  bool digits = false;
  while ((c = PeekAt(0)) >= '0' && c <= '9') {
    digits = true;
    // Past 2^40 the count is out of range anyway; stop growing.
    if (magnitude < (int64_t{1} << 40)) magnitude = magnitude * 10 + (c - '0');
    ++pos_;
  }
  if (!digits) return TQVNumberResult::kBad;
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value < std::numeric_limits<std::int32_t>::min() ||
      signed_value > std::numeric_limits<std::int32_t>::max()) {
    return TQVNumberResult::kBad;
  }
  value = static_cast<std::int32_t>(signed_value);
  return TQVNumberResult::kRead;
}

TQVNumberResult TQVWordReader::NextStreamDouble(double& value) {
  std::string_view word;
  if (!PeekWord(word)) return TQVNumberResult::kEnd;
  size_t taken = 0;
  const TQVNumberResult result = ExtractStreamDouble(word, value, taken);
  if (result == TQVNumberResult::kRead) pos_ += taken;
  return result;
}

TQVNumberResult TQVWordReader::SkipStreamDouble() {
  std::string_view word;
  if (!PeekWord(word)) return TQVNumberResult::kEnd;
  const TStreamNumberScan scan = ScanStreamNumber(word);
  if (!scan.valid) return TQVNumberResult::kBad;
  pos_ += scan.length;
  return TQVNumberResult::kRead;
}

void TQVWordReader::Seek(uint64_t position) {
  if (position >= base_ && position <= base_ + len_) {
    pos_ = static_cast<size_t>(position - base_);
    return;
  }
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(position));
  if (in_.fail()) ThrowException("Error reading file", "File Error", location_);
  base_ = position;
  pos_ = 0;
  len_ = 0;
  at_end_ = false;
}

}  // namespace nuxa
