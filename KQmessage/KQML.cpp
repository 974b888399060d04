#include "KQmessage/KQML.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "Common/Assert.h"
#include "Common/Exceptions.h"

namespace nuxa {

namespace {

constexpr int kInitialCapacity = 16;

// The key under which a keyword is indexed: equal keys exactly when
// nuxa::strcasecmp finds the keywords equal.
std::string UpperKey(const char* keyword) {
  std::string key(keyword);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

[[noreturn]] void ThrowError(std::unique_ptr<TKQstructure> message) {
  throw TKQstructure::Error(std::move(message));
}

// (error :type type :key value)
[[noreturn]] void ThrowError(const char* type, const char* key, const char* value) {
  std::unique_ptr<TKQstructure> message = TKQstructure::MakeError(type);
  message->SetText(key, value);
  ThrowError(std::move(message));
}

[[noreturn]] void ThrowSyntaxError(const char* expected) {
  ThrowError("syntax-error", "expected", expected);
}

// The "%ld" conversion: 1 when a number starts text (after blanks), else 0.
// strtol accepts the same texts as sscanf's "%ld" and, unlike it, defines the
// result of an out-of-range number (clamped to the long range).
int ScanLong(const char* text, long* value) {
  char* end = nullptr;
  *value = std::strtol(text, &end, 10);
  return end != text ? 1 : 0;
}

// The "%lf" conversion, likewise through strtod.
int ScanDouble(const char* text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return end != text ? 1 : 0;
}

// Word reading of the text form. Every byte outside "!" to "~" separates.
bool IsWordChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 33 && u <= 126;
}

// Skips separators and returns the next word (empty at the end of the text),
// advancing cursor past it. A character of delimiters is a word by itself;
// otherwise the word runs while characters are printable and not delimiters,
// a ":" after the first character belonging to the word.
std::string NextWord(const char*& cursor, const char* delimiters) {
  const char* s = cursor;
  while (*s != '\0' && !IsWordChar(*s)) ++s;
  const char* start = s;
  if (*s != '\0') {
    if (std::strchr(delimiters, *s) != nullptr) {
      ++s;
    } else {
      while (IsWordChar(*s) && (*s == ':' || std::strchr(delimiters, *s) == nullptr)) ++s;
    }
  }
  cursor = s;
  return std::string(start, s);
}

// A word that may stand as a performative or keyword.
bool IsProperWord(const std::string& word) {
  return !word.empty() && word[0] != '(' && word[0] != ')' && word[0] != ':';
}

}  // namespace

TKQstructure::Error::Error(std::unique_ptr<TKQstructure> message) : message_(std::move(message)) {
  NUXA_ASSERT(message_ != nullptr);
}

// The pair array itself is only allocated when the first pair is set, so that
// the many messages without pairs (the values) cost no more than their word.
TKQstructure::TKQstructure() : performative_("unknown"), capacity_(kInitialCapacity) {}

TKQstructure::TKQstructure(const char* text) : capacity_(kInitialCapacity) {
  NUXA_ASSERT(text != NULL);
  performative_ = text;
}

TKQstructure::TKQstructure(const TKQstructure& source)
    : performative_(source.performative_), capacity_(source.Count()) {
  CopyPairsFrom(source);
}

TKQstructure& TKQstructure::operator=(const TKQstructure& source) {
  if (this != &source) {
    // Copy first, so that assigning a message its own value (or a part of
    // itself) reads the source before anything is deleted.
    TKQstructure copy(source);
    performative_ = std::move(copy.performative_);
    items_ = std::move(copy.items_);
    index_ = std::move(copy.index_);
    capacity_ = copy.capacity_;
  }
  return *this;
}

TKQstructure::~TKQstructure() = default;

void TKQstructure::CopyPairsFrom(const TKQstructure& source) {
  items_.clear();
  index_.clear();
  items_.reserve(source.items_.size());
  for (const Pair& pair : source.items_) {
    index_.emplace(UpperKey(pair.first.c_str()), static_cast<int>(items_.size()));
    items_.emplace_back(pair.first, std::make_unique<TKQstructure>(*pair.second));
  }
}

const char* TKQstructure::Keyword(int i) const {
  NUXA_ASSERT(i >= 0 && i < Count());
  return items_[i].first.c_str();
}

const TKQstructure* TKQstructure::Value(int i) const {
  NUXA_ASSERT(i >= 0 && i < Count());
  return items_[i].second.get();
}

int TKQstructure::IndexOf(const char* keyword) const {
  NUXA_ASSERT(keyword != NULL);
  if (items_.empty()) return -1;
  const auto found = index_.find(UpperKey(keyword));
  return found == index_.end() ? -1 : found->second;
}

void TKQstructure::Set(const char* keyword, TKQstructure* newval) {
  std::unique_ptr<TKQstructure> value(newval);
  NUXA_ASSERT(newval != NULL);
  const int at = IndexOf(keyword);
  if (at >= 0) {
    items_[at].second = std::move(value);
    return;
  }
  if (Count() == capacity_) {
    capacity_ = capacity_ * 2 < kInitialCapacity ? kInitialCapacity : capacity_ * 2;
  }
  if (items_.capacity() < static_cast<size_t>(capacity_)) items_.reserve(capacity_);
  index_.emplace(UpperKey(keyword), Count());
  items_.emplace_back(keyword, std::move(value));
}

void TKQstructure::SetText(const char* keyword, const char* text) {
  Set(keyword, std::make_unique<TKQstructure>(text));
}

void TKQstructure::SetLong(const char* keyword, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  SetText(keyword, text);
}

void TKQstructure::SetDouble(const char* keyword, double value) {
  // "%f" of a large double runs to hundreds of digits: measure first.
  const int length = std::snprintf(nullptr, 0, "%f", value);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), "%f", value);
  text.resize(static_cast<size_t>(length));
  SetText(keyword, text.c_str());
}

void TKQstructure::SetBool(const char* keyword, bool value) {
  SetText(keyword, value ? "true" : "false");
}

TKQstructure* TKQstructure::Find(const char* keyword) {
  const int at = IndexOf(keyword);
  return at >= 0 ? items_[at].second.get() : nullptr;
}

const TKQstructure* TKQstructure::Find(const char* keyword) const {
  return const_cast<TKQstructure*>(this)->Find(keyword);
}

TKQstructure* TKQstructure::Get(const char* keyword) {
  TKQstructure* value = Find(keyword);
  NUXA_ASSERT(value != NULL);
  return value;
}

const TKQstructure* TKQstructure::Get(const char* keyword) const {
  return const_cast<TKQstructure*>(this)->Get(keyword);
}

TKQstructure* TKQstructure::Require(const char* keyword) {
  TKQstructure* value = Find(keyword);
  if (value == nullptr) ThrowError("invalid-message", "expected", keyword);
  return value;
}

const TKQstructure* TKQstructure::Require(const char* keyword) const {
  return const_cast<TKQstructure*>(this)->Require(keyword);
}

void TKQstructure::CheckValue(const char* keyword, const char* expected) const {
  const TKQstructure* value = Require(keyword);
  if (expected == nullptr || *expected == '\0') return;
  if (nuxa::strcasecmp(value->Performative(), expected) != 0) {
    std::unique_ptr<TKQstructure> message = MakeError("invalid-message");
    message->SetText("tag", keyword);
    message->SetText("expected-value", expected);
    ThrowError(std::move(message));
  }
}

void TKQstructure::Remove(const char* keyword) {
  const int at = IndexOf(keyword);
  if (at < 0) return;
  index_.erase(UpperKey(items_[at].first.c_str()));
  const int last = Count() - 1;
  if (at != last) {
    items_[at] = std::move(items_[last]);
    index_[UpperKey(items_[at].first.c_str())] = at;
  }
  items_.pop_back();
}

long TKQstructure::ParseLong(const char* text) {
  long value = 0;
  if (ScanLong(text, &value) != 1) ThrowError("invalid-message", "integer-expected", text);
  return value;
}

double TKQstructure::ParseDouble(const char* text) {
  double value = 0;
  if (ScanDouble(text, &value) != 1) ThrowError("invalid-message", "number-expected", text);
  return value;
}

bool TKQstructure::ParseBool(const char* text) {
  if (nuxa::strcasecmp(text, "TRUE") == 0) return true;
  if (nuxa::strcasecmp(text, "FALSE") == 0) return false;
  ThrowError("type-error", "expected", "boolean");
}

long TKQstructure::ToLong(const char* text) {
  long value = 0;
  const int err = ScanLong(text, &value);
  NUXA_ASSERT(err == 1);
  return value;
}

double TKQstructure::ToDouble(const char* text) {
  double value = 0;
  const int err = ScanDouble(text, &value);
  NUXA_ASSERT(err == 1);
  return value;
}

std::unique_ptr<TKQstructure> TKQstructure::MakeError(const char* type) {
  auto message = std::make_unique<TKQstructure>("error");
  message->SetText("type", type);
  return message;
}

std::unique_ptr<TKQstructure> TKQstructure::Parse(const char*& cursor) {
  return ParseAt(cursor, 0);
}

std::unique_ptr<TKQstructure> TKQstructure::ParseAt(const char*& cursor, int depth) {
  if (depth > kMaxDepth) {
    std::unique_ptr<TKQstructure> message = MakeError("syntax-error");
    message->SetLong("max-depth", kMaxDepth);
    ThrowError(std::move(message));
  }
  auto message = std::make_unique<TKQstructure>();
  std::string word = NextWord(cursor, "():");
  if (word != "(") {
    if (!IsProperWord(word)) ThrowSyntaxError("performative");
    message->performative_ = std::move(word);
    return message;
  }
  word = NextWord(cursor, "():");
  if (!IsProperWord(word)) ThrowSyntaxError("performative");
  message->performative_ = std::move(word);
  for (word = NextWord(cursor, "():"); word != ")"; word = NextWord(cursor, "():")) {
    if (word != ":") ThrowSyntaxError("pair-or-close");
    const std::string keyword = NextWord(cursor, "():");
    if (!IsProperWord(keyword)) ThrowSyntaxError("keyword");
    message->Set(keyword.c_str(), ParseAt(cursor, depth + 1));
  }
  return message;
}

std::unique_ptr<TKQstructure> TKQstructure::ParseMessage(const char* text) {
  const char* cursor = text;
  std::unique_ptr<TKQstructure> message = Parse(cursor);
  if (!NextWord(cursor, "").empty()) ThrowSyntaxError("end-of-text");
  return message;
}

void TKQstructure::AppendText(std::string& out) const {
  if (items_.empty()) {
    out += performative_;
    return;
  }
  out += '(';
  out += performative_;
  for (const Pair& pair : items_) {
    out += " :";
    out += pair.first;
    out += ' ';
    pair.second->AppendText(out);
  }
  out += ')';
}

std::string TKQstructure::ToString() const {
  std::string text;
  AppendText(text);
  return text;
}

void TKQstructure::Print(std::ostream& out) const {
  out << ToString();
}

void TKQstructure::Print() const {
  const std::string text = ToString();
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void TKQstructure::PrintLine() const {
  Print();
  std::fputc('\n', stdout);
}

std::string TKQstructure::JoinArguments(int count, const char* const* words) {
  std::string text;
  for (int i = 1; i < count; ++i) {
    text += words[i];
    text += ' ';
  }
  return text;
}

}  // namespace nuxa
