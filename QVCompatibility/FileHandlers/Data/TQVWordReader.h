// Word-level reading of the legacy data and label files.
//
// The legacy files are sequences of words separated by white space (blank,
// tab, line feed, carriage return, vertical tab, form feed), except the title
// and description lines, which are taken as text. Their readers convert words
// by two rules that stored files rely on:
//
// - input values (and the normalisation bounds, and the label file's values)
//   by the strtod rule: the longest prefix that strtod reads, 0.0 when none;
// - output values of the data file by the stream extraction of a double, as
//   `in >> value` does: it takes only the longest prefix of the word that
//   looks like a decimal number, leaves the rest of the word to be read next,
//   and fails when that prefix is not a number or is out of range.
//
// TQVWordReader reads a seekable std::istream through a large buffer of its
// own and hands out words as views into that buffer, so a file is read with
// few system calls and no copy per word. Words of any length are read whole.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVWORDREADER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVWORDREADER_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace nuxa {

/// The value strtod gives for word (read as if it were NUL-terminated at its
/// end): the longest prefix that reads as a number, 0.0 when there is none.
double StrtodValue(std::string_view word);

/// How much of word the stream extraction of a double takes, and whether that
/// is a number.
struct TStreamNumberScan {
  size_t length = 0;   ///< characters taken from the start of word
  bool valid = false;  ///< a number; otherwise the extraction fails
};
TStreamNumberScan ScanStreamNumber(std::string_view word);

/// The outcome of reading a number: read, end of the input, or not a number.
enum class TQVNumberResult { kRead, kEnd, kBad };

/// The stream extraction of a double from the start of word: kRead with the
/// value and the number of characters taken, or kBad when the extraction
/// fails (not a number, or out of range).
TQVNumberResult ExtractStreamDouble(std::string_view word, double& value, size_t& taken);

/// Longest title or description a header line gives; the rest of a longer
/// line is read on as header words.
constexpr size_t kQVMaxHeaderText = 254;

/// Opens fileName for reading as bytes. False when it cannot be opened or is
/// a folder.
bool OpenLegacyFile(const char* fileName, std::ifstream& in);

/// Writes a title or description line: keyword, separator, text, LF. The
/// readers keep the white space after the keyword as part of the text, so a
/// text that already starts with white space (as a text read from such a
/// line does) is written straight after the keyword, and an empty or null
/// text gives the keyword alone: reading the line back gives the same text.
void WriteLegacyHeaderText(std::ostream& os, const char* keyword, const char* separator,
                           const char* text);

class TQVWordReader {
 public:
  /// Reads in from its current position. in must outlive the reader and be
  /// seekable for Seek. A read error of in throws TException "Error reading
  /// file" / "File Error" / location (which must outlive the reader).
  TQVWordReader(std::istream& in, const char* location);
  TQVWordReader(const TQVWordReader&) = delete;
  TQVWordReader& operator=(const TQVWordReader&) = delete;

  /// Skips white space and reads the word that follows, up to the next white
  /// space or the end of the input. Returns false, with an empty word, when
  /// the input ends first. The view is valid until the next call on the
  /// reader.
  bool NextWord(std::string_view& word);
  /// As NextWord, but the word stays unread.
  bool PeekWord(std::string_view& word);
  /// Reads and drops up to count words; returns how many there were.
  uint64_t SkipWords(uint64_t count);
  /// Reads and drops every word to the end of the input; returns how many
  /// there were. A faster SkipWords(UINT64_MAX).
  uint64_t CountWordsToEnd();
  /// The rest of the current line, as a title line is read: from the current
  /// position to the line end (LF, or CR LF), at most limit characters. The
  /// line end is consumed when the text fits; otherwise reading goes on at
  /// the first character left out.
  std::string RestOfLine(size_t limit);

  /// The stream extraction of an int: white space, an optional sign, decimal
  /// digits; stops at the first other character, which stays unread. kEnd at
  /// the end of the input, kBad without digits or out of range.
  TQVNumberResult NextInteger(std::int32_t& value);
  /// The stream extraction of a double (see ScanStreamNumber); the part of
  /// the word after the number stays unread. kEnd at the end of the input;
  /// kBad, with nothing read, when the word does not start with a number in
  /// range.
  TQVNumberResult NextStreamDouble(double& value);
  /// As NextStreamDouble without the conversion: a syntactically valid
  /// number gives kRead even when it is out of range.
  TQVNumberResult SkipStreamDouble();

  /// The position of the next unread character, as a stream offset.
  uint64_t Tell() const { return base_ + pos_; }
  /// Goes back (or forward) to a position given by Tell.
  void Seek(uint64_t position);

 private:
  // Keeps the unread part [pos_, len_), moves it to the front and reads more
  // after it, growing the buffer when the unread part fills it. False when
  // the input has nothing more.
  bool Fill();
  // Skips white space; false at the end of the input.
  bool SkipSpace();
  // The character k places after the current one, or -1 past the end.
  int PeekAt(size_t k);

  std::istream& in_;
  const char* location_;
  std::vector<char> buf_;
  size_t pos_ = 0;     // next unread character in buf_
  size_t len_ = 0;     // characters of buf_ that hold input
  uint64_t base_ = 0;  // stream offset of buf_[0]
  bool at_end_ = false;
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVWORDREADER_H_
