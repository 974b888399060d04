// The reader and writer of the legacy FuNN network file. The file is text in
// five sections; the reader works on words (see TQVNetworkReader.h), so line
// structure matters only for the title and description and for the two
// heading lines, whose rest is dropped:
//
//   TITLE:  demo                       header: keywords in any order up to
//   DESCRIPTION:  tiny                 "RMS_ERROR:" and its number; a keyword
//   INPUTS:       1                    given twice takes its later value,
//   CONDITION:    2                    other words are skipped
//   rule_layer:   1
//   ACTION:       2
//   OUTPUTS:      1
//   EPOCHS:       100                  (optional)
//   RMS_ERROR:    0.05
//   PARAMETERS: Learning_Rate ...      one row per network layer 2 to 5:
//    Layer 2:        0.5   0.1   1     two labels, three numbers
//   ...
//   FUZZIFIED:   Members ...           one row per input, then per output:
//    Input 1:      2   0   1   0.5     two labels, Members, Min, Max, Width
//    Output 1:     2   0   1   0.5
//    Input  to  Condition Layer        four matrices: input to condition
//   (0)             0             1    (C values), condition to rule (C x r,
//   ...                                condition-major), rule to action
//                                      (r x A, rule-major), action to output
//                                      (A values)
//
// The Members of the input rows must sum to CONDITION:, those of the output
// rows to ACTION:. Only Members and the matrices shape the network; the rest
// goes to the header record.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_FUNN_TQVFUNNFILER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_FUNN_TQVFUNNFILER_H_

#include <iosfwd>
#include <memory>

#include "FuNN/TFuNN.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace nuxa {

class TQVFuNNFiler {
 public:
  /// Reads the legacy FuNN network file fileName into a new network and a new
  /// header record named fileName. Throws TException, category "File Error",
  /// location "TQVFuNNFiler::LoadFuNN":
  /// - "Unable to open file": the file cannot be opened (or is a folder);
  /// - "Unexpected end of file": the file ends before "RMS_ERROR:" and its
  ///   number, a count's number, "PARAMETERS:", "FUZZIFIED:", a table row,
  ///   a matrix's "(" or the last value of any matrix;
  /// - "Bad File Format": a number of the header or the tables that cannot be
  ///   read (where it is read), then, once "RMS_ERROR:" and its number have
  ///   been read, a missing or negative count, no inputs or no outputs, or a
  ///   matrix too large to hold, and after the tables a negative Members or
  ///   Members sums that differ from ACTION: (tested first) or CONDITION:;
  /// - "Error reading file": the file cannot be read to its end;
  /// and passes on the TFuNN constructor's "Must be >= 2 MF per input" /
  /// "per output" for a Members below 2, before the matrices are read.
  /// net and info are reset first. info is handed out as soon as the file is
  /// open, so it may hold a record after a throw; net only on success.
  static void LoadFuNN(const char* fileName, std::unique_ptr<TFuNN>& net,
                       std::unique_ptr<TQVFuNNFileInfo>& info);
  /// As above, reading in from its current position. fileName only names the
  /// record.
  static void LoadFuNN(std::istream& in, const char* fileName, std::unique_ptr<TFuNN>& net,
                       std::unique_ptr<TQVFuNNFileInfo>& info);

  /// Writes net with the header fields of info in the layout above (CR LF
  /// line ends, numbers with six significant digits, matrix values in fields
  /// of 14). The counts and weights come from net; title, description,
  /// epochs, error, parameters and the two tables (Members included) from
  /// info, whose tables must be set and whose Inputs() and Outputs() must be
  /// net's. The file is replaced only once written completely. Throws
  /// TException, location "TQVFuNNFiler::SaveFuNN": "Header does not match
  /// the network" / "Bad Parameter" when info does not fit net (nothing is
  /// opened), "Unable to open file" / "File Error", "Error writing file" /
  /// "File Error".
  static void SaveFuNN(const char* fileName, TFuNN& net, const TQVFuNNFileInfo& info);
  /// As above, writing to os; reports nothing about the stream.
  static void SaveFuNN(std::ostream& os, TFuNN& net, const TQVFuNNFileInfo& info);
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_FUNN_TQVFUNNFILER_H_
