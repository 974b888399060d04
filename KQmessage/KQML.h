// A message in the manner of KQML: a performative (a head word such as error
// or data) and an ordered list of keyword-value pairs whose values are
// messages themselves, so messages nest. Its text form is
//
//   (performative :keyword value :keyword value ...)
//
// and a message without pairs is written as its performative alone, so
// "(error)" reads as the message error and prints as error.
//
// Uses: the result of identifying a DataSet file, the parameter message of an
// error measure's weight penalty, the optional report carried by TException,
// the optional last argument of the Nuxa readers and writers.
//
// Keywords are unique without regard to case (compared like nuxa::strcasecmp):
// setting an existing keyword replaces its value in place. Pairs keep the order
// in which their keywords were first set, except that a removal moves the last
// pair into the gap.
#ifndef NUXA_KQMESSAGE_KQML_H_
#define NUXA_KQMESSAGE_KQML_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nuxa {

class TKQstructure {
 public:
  /// The failure of a message operation or of parsing: it carries a message of
  /// the form (error :type ...). Copies share that message (a shared_ptr), so
  /// the catcher may keep it, by Shared(), for as long as it likes after the
  /// error itself is gone; it is freed with the last holder.
  ///
  /// The messages built by this class:
  ///   Require, CheckValue, keyword absent
  ///       (error :type invalid-message :expected K)
  ///   CheckValue, value differs      (error :type invalid-message :tag K :expected-value V)
  ///   ParseBool                      (error :type type-error :expected boolean)
  ///   ParseLong                      (error :type invalid-message :integer-expected T)
  ///   ParseDouble                    (error :type invalid-message :number-expected T)
  ///   Parse, ParseMessage (malformed text), see Parse below:
  ///                                  (error :type syntax-error ...)
  class Error {
   public:
    /// Takes ownership of message, which must not be null.
    explicit Error(std::unique_ptr<TKQstructure> message);

    /// The error message; valid while this error or a copy of it lives.
    const TKQstructure& Message() const { return *message_; }
    /// The error message, shared with this error.
    std::shared_ptr<TKQstructure> Shared() const { return message_; }

   private:
    std::shared_ptr<TKQstructure> message_;
  };

  /// Performative "unknown", no pairs, capacity 16.
  TKQstructure();
  /// Performative a copy of text (which must not be null), no pairs, capacity 16.
  explicit TKQstructure(const char* text);
  /// Deep copy; the capacity equals the number of pairs of source.
  TKQstructure(const TKQstructure& source);
  /// Replaces the pairs and performative by deep copies of those of source;
  /// the capacity becomes the number of pairs of source.
  TKQstructure& operator=(const TKQstructure& source);
  /// Deletes every keyword and value, recursively.
  ~TKQstructure();

  /// The head word.
  const char* Performative() const { return performative_.c_str(); }
  /// Number of pairs, and the number of slots allocated for them (doubled,
  /// to at least 16, whenever a new pair finds them all in use).
  int Count() const { return static_cast<int>(items_.size()); }
  int Capacity() const { return capacity_; }
  /// Keyword and value of pair i, 0 <= i < Count(), in pair order.
  const char* Keyword(int i) const;
  const TKQstructure* Value(int i) const;

  /// Takes ownership of newval (which must not be null, fatal check
  /// "newval != NULL"). Replaces the value of an existing keyword, compared
  /// without regard to case, in place (the keyword keeps its first spelling);
  /// otherwise appends a pair with a copy of keyword.
  void Set(const char* keyword, TKQstructure* newval);
  void Set(const char* keyword, std::unique_ptr<TKQstructure> newval) {
    Set(keyword, newval.release());
  }
  /// Set with a new message whose performative is a copy of text.
  void SetText(const char* keyword, const char* text);
  /// SetText with the "%ld" text of value.
  void SetLong(const char* keyword, long value);
  /// SetText with the "%f" text of value (six decimals: 0.5 gives 0.500000).
  void SetDouble(const char* keyword, double value);
  /// SetText with "true" or "false".
  void SetBool(const char* keyword, bool value);

  /// The value of keyword, or null when absent. Owned by this message.
  TKQstructure* Find(const char* keyword);
  const TKQstructure* Find(const char* keyword) const;
  /// The value of keyword, which must exist (fatal check otherwise).
  TKQstructure* Get(const char* keyword);
  const TKQstructure* Get(const char* keyword) const;
  /// The value of keyword. Throws Error (error :type invalid-message
  /// :expected K) when it is absent.
  TKQstructure* Require(const char* keyword);
  const TKQstructure* Require(const char* keyword) const;
  /// Requires keyword (as Require) and, unless expected is null or empty, that
  /// its value's performative equals expected without regard to case; throws
  /// Error (error :type invalid-message :tag K :expected-value V) otherwise.
  void CheckValue(const char* keyword, const char* expected) const;
  /// Deletes the pair of keyword, moving the last pair into its place. Does
  /// nothing when keyword is absent.
  void Remove(const char* keyword);

  /// The "%ld" conversion of text (leading blanks skipped, trailing text
  /// ignored, out of range clamped to the long range). Throws Error
  /// (error :type invalid-message :integer-expected T) when no number starts
  /// the text.
  static long ParseLong(const char* text);
  /// The "%lf" conversion of text, likewise. Throws Error (error :type
  /// invalid-message :number-expected T).
  static double ParseDouble(const char* text);
  /// "true" or "false" in any case. Throws Error (error :type type-error
  /// :expected boolean) for anything else.
  static bool ParseBool(const char* text);
  /// ParseLong and ParseDouble for texts known to be numbers: a text that is
  /// none is a programming error (fatal check "err == 1").
  static long ToLong(const char* text);
  static double ToDouble(const char* text);
  /// A new message (error :type type).
  static std::unique_ptr<TKQstructure> MakeError(const char* type);

  /// Deepest nesting of values that Parse accepts: a message nested deeper is
  /// refused, which keeps every recursive operation on parsed messages within
  /// a small, fixed stack depth.
  static constexpr int kMaxDepth = 1000;

  /// Reads one message from the text at cursor and advances cursor past it.
  /// Words are runs of the characters "!" to "~"; "(", ")" and ":" are words
  /// by themselves, except that a ":" after the first character of a word
  /// belongs to the word; every other byte separates words, and the text ends
  /// at its NUL. Malformed text throws Error, leaving cursor unspecified:
  ///   (error :type syntax-error :expected performative)
  ///       end of text, "(", ")" or ":" where a performative or a value is due
  ///   (error :type syntax-error :expected keyword)
  ///       end of text, "(", ")" or ":" after the ":" of a pair
  ///   (error :type syntax-error :expected pair-or-close)
  ///       anything but ":" or ")" (the end of text included) after the
  ///       performative or a value inside parentheses
  ///   (error :type syntax-error :max-depth 1000)
  ///       values nested more than kMaxDepth deep
  static std::unique_ptr<TKQstructure> Parse(const char*& cursor);
  /// Parse, then only separators may remain in text; otherwise throws Error
  /// (error :type syntax-error :expected end-of-text).
  static std::unique_ptr<TKQstructure> ParseMessage(const char* text);

  /// Writes the text form to standard output; PrintLine adds a line end.
  void Print() const;
  void PrintLine() const;
  /// Writes the text form to out.
  void Print(std::ostream& out) const;
  /// The text form.
  std::string ToString() const;

  /// Words 1 to count - 1 (a program's arguments without its name), each
  /// followed by one blank; the empty text when count is 1 or less.
  static std::string JoinArguments(int count, const char* const* words);

 private:
  using Pair = std::pair<std::string, std::unique_ptr<TKQstructure>>;

  // Position of keyword among the pairs, or -1.
  int IndexOf(const char* keyword) const;
  void CopyPairsFrom(const TKQstructure& source);
  void AppendText(std::string& out) const;
  static std::unique_ptr<TKQstructure> ParseAt(const char*& cursor, int depth);

  std::string performative_;
  std::vector<Pair> items_;
  int capacity_;
  // Upper-cased keyword -> position in items_, so that setting and finding
  // cost the same however many pairs a message holds.
  std::unordered_map<std::string, int> index_;
};

}  // namespace nuxa

#endif  // NUXA_KQMESSAGE_KQML_H_
