// The reading rules the legacy FuNN and MLP network files share. Both are
// text read word by word (runs of characters between white space), apart from
// the title and description lines, which are taken as text. Their weight
// matrices are found and read alike:
//
//    Input        Hidden layer          heading: anything before the first "("
//   (0)           0.5          -0.5     a word that begins with "(" is a row
//   (1)          0.25         -0.25     label; every other word is one value
//
// The first "(" of a matrix is followed by a short skip of at most five
// characters that ends right after the label's ")": the stored files write
// the first value in a field of 14 characters, so the value may begin only
// one blank after "(0)" and must not lose characters to the skip.
//
// Everything is header-only so that the FuNN and the MLP configuration of the
// library, which never hold each other's sources, can both use it.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKREADER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKREADER_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Exceptions.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"

namespace nuxa {

/// Reads one legacy network file. Every failure is a TException of category
/// "File Error" with the location given to the constructor: "Unexpected end
/// of file" when the file ends before what was asked for, "Bad File Format"
/// for a number that cannot be read, "Error reading file" when the stream
/// fails.
class TQVNetworkReader {
 public:
  /// The skip after a matrix's first "(".
  static constexpr size_t kMatrixSkip = 5;

  /// Reads in from its current position; in and location must outlive the
  /// reader.
  TQVNetworkReader(std::istream& in, const char* location)
      : words_(in, location), location_(location) {}

  [[noreturn]] void Fail(const char* message) const {
    ThrowException(message, "File Error", location_);
  }
  [[noreturn]] void UnexpectedEnd() const { Fail("Unexpected end of file"); }
  [[noreturn]] void BadFormat() const { Fail("Bad File Format"); }

  /// The next word, valid until the next call on the reader.
  std::string_view Word() {
    std::string_view word;
    if (!words_.NextWord(word)) UnexpectedEnd();
    return word;
  }

  /// The stream extraction of an int; what follows its digits stays unread.
  std::int32_t Integer() {
    std::int32_t value = 0;
    Check(words_.NextInteger(value));
    return value;
  }

  /// The stream extraction of a double; what follows the number stays unread.
  double Double() {
    double value = 0.0;
    Check(words_.NextStreamDouble(value));
    return value;
  }

  /// The rest of a "TITLE:" or "DESCRIPTION:" line, the blanks after the
  /// keyword included. A longer line gives its first kQVMaxHeaderText
  /// characters and is read on as words.
  std::string HeaderText() { return words_.RestOfLine(kQVMaxHeaderText); }

  /// Drops the rest of the current line, whatever its length.
  void DiscardLine() {
    constexpr size_t kPiece = 4096;
    for (;;) {
      const uint64_t before = words_.Tell();
      const size_t taken = words_.RestOfLine(kPiece).size();
      // Stop once the line end was consumed (more than the text was read) or
      // the input ended (less than a full piece).
      if (taken < kPiece || words_.Tell() - before > taken) return;
    }
  }

  /// Reads words up to and including keyword.
  void SkipTo(std::string_view keyword) {
    while (Word() != keyword) {
    }
  }

  /// Finds the next matrix and reads its count values into values.
  void ReadMatrix(uint64_t count, std::vector<double>& values) {
    FindMatrix();
    values.clear();
    // The file holds the values, so memory grows only as they are read.
    constexpr uint64_t kReserve = uint64_t{1} << 16;
    values.reserve(static_cast<size_t>(std::min(count, kReserve)));
    while (values.size() < count) {
      const std::string_view word = Word();
      if (word.front() == '(') continue;  // a row label
      values.push_back(StrtodValue(word));
    }
  }

 private:
  void Check(TQVNumberResult result) const {
    if (result == TQVNumberResult::kEnd) UnexpectedEnd();
    if (result == TQVNumberResult::kBad) BadFormat();
  }

  // Passes everything up to and including the next "(", then the skip.
  void FindMatrix() {
    for (;;) {
      std::string_view word;
      if (!words_.PeekWord(word)) UnexpectedEnd();
      const size_t bracket = word.find('(');
      if (bracket != std::string_view::npos) {
        Consume(bracket + 1);
        break;
      }
      Consume(word.size());
    }
    size_t left = kMatrixSkip;
    while (left > 0) {
      const uint64_t before = words_.Tell();
      std::string_view word;
      if (!words_.PeekWord(word)) return;
      // PeekWord passed the blanks before the word; they count.
      const uint64_t blanks = words_.Tell() - before;
      if (blanks >= left) return;  // ends among blanks, which words pass anyway
      left -= static_cast<size_t>(blanks);
      const size_t take = std::min(left, word.size());
      const size_t close = word.substr(0, take).find(')');
      if (close != std::string_view::npos) {
        Consume(close + 1);
        return;
      }
      Consume(take);
      left -= take;
    }
  }

  // Drops count characters of the word last peeked.
  void Consume(size_t count) { words_.Seek(words_.Tell() + count); }

  TQVWordReader words_;
  const char* location_;
};

/// A weight matrix holds at most this many weights (the networks count them
/// in an int).
constexpr std::int64_t kQVMaxNetworkWeights = std::numeric_limits<int>::max();

/// Reads the header words up to "RMS_ERROR:" and its number. "TITLE:",
/// "DESCRIPTION:", "EPOCHS:" and "RMS_ERROR:" go to header (a FuNN or an MLP
/// header record); every other word is passed to other(word), which reads
/// the count after a keyword of its own and skips the rest. A keyword given
/// twice takes its later value.
template <typename Info, typename Other>
void ReadQVNetworkHeader(TQVNetworkReader& reader, Info& header, Other other) {
  for (;;) {
    const std::string_view word = reader.Word();
    if (word == "TITLE:") {
      header.SetTitle(reader.HeaderText());
    } else if (word == "DESCRIPTION:") {
      header.SetDescription(reader.HeaderText());
    } else if (word == "EPOCHS:") {
      header.SetEpochs(reader.Integer());
    } else if (word == "RMS_ERROR:") {
      header.SetRMSError(reader.Double());
      return;
    } else {
      other(word);
    }
  }
}

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKREADER_H_
