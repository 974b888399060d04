// The flat file: a plain table of numbers separated by white space, with no
// header. The numbers of rows, inputs and outputs are not in the file; the
// caller supplies them. Numbers are taken in order, row after row, each row
// its input values and then its output values; line structure has no meaning.
// What counts as a number, and where one ends, is exactly what the stream
// extraction of a double (`is >> value`) accepts: "1-2" is the two numbers 1
// and -2, "0x10" is 0 followed by a word that is not a number.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_FLAT_TFLATFILER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_FLAT_TFLATFILER_H_

#include <cstddef>
#include <iosfwd>
#include <vector>

namespace nuxa {

class Data;

class TFlatFiler {
 public:
  /// Reads name into a new set of rows slots, inputs input and outputs output
  /// columns, without labels (a count <= 0 means no columns of that kind; the
  /// set records the count as given). Extra numbers after the last row are
  /// ignored. Throws TException, category "File Error" and location
  /// "TFlatFiler::LoadData" unless said otherwise:
  ///   "Unable to open file for input"  the file cannot be opened, or is a folder
  ///   "Unexpected end of file"         fewer numbers than the rows need
  ///   "Invalid number"                 a word that is not a number before that
  ///   "Count out of range" / "Bad Parameter"  rows < 0, or a count above the
  ///                                    range of a set (2147483647)
  /// A file too short to hold the numbers asked for is refused before the set
  /// is allocated; the failure of the allocation itself passes on the TException
  /// of Data. data is set as soon as the set exists and the caller owns it from
  /// then on, also when a later read fails (it then holds the rows read).
  static void LoadData(const char* name, Data*& data, long rows, long inputs, long outputs);

  /// Writes the filled rows of data, oldest first, one line per row: each
  /// input value and then each output value followed by a blank, as printf
  /// "%.9g" writes it, then CR LF. Labels are not written. The set is not
  /// changed. Throws TException "Unable to open file" or "Error writing file",
  /// category "File Error", location "TFlatFiler::SaveData"; name is then
  /// left as it was.
  static void SaveData(const char* name, const Data& data);

  /// Reads the numbers of a flat file one at a time from a stream, in chunks
  /// (never the whole input at once), as `is >> value` would read them.
  class NumberReader {
   public:
    enum Result { kNumber, kEnd, kInvalid };
    /// Reads from the stream's buffer, chunk bytes at a time (at least 1); is
    /// must outlive the reader.
    explicit NumberReader(std::istream& is, size_t chunk = size_t{1} << 20);
    /// kNumber and the value; kEnd when only white space was left; kInvalid
    /// when the next word cannot be read as a double (then the reader must
    /// not be used any further).
    Result Next(double& value);

   private:
    bool Refill();

    std::streambuf* source_;
    std::vector<char> chunk_;
    size_t pos_ = 0;
    size_t end_ = 0;
  };
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_FLAT_TFLATFILER_H_
