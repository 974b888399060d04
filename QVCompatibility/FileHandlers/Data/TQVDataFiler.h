// The reader and writer of the legacy data files: BP data (inputs and
// outputs), Kohonen data (inputs only, marked as normalised) and FuNN data
// (inputs and outputs with a minimum and a maximum per column). A file has no
// magic line; the words after the inputs count tell its kind:
//
//   TITLE:    Gas furnace                 title and description: the rest of
//   DESCRIPTION:  two inputs, one output  the line, at most 254 characters
//   INPUTS:  2                            ends the header
//   OUTPUTS: 1                            optional
//                                         NORMALISED: word      -> Kohonen
//   NORMALISATION: Linear                 NORMALISATION: word   -> FuNN
//   	 Min	     Max                      optional heading, then one entry
//   Input  1:	       0      10              of four words per input, then
//   Input  2:	      -1       1              per output: label, index, min,
//   Output 1:	       0     100              max
//
//   0.5 0.25  37.5                        rows: inputs, then outputs
//   9 -0.75  80
//
// Apart from the title and description lines, the file is a sequence of words
// separated by any white space: rows may span lines or share them. Keywords
// are matched exactly; the heading's Min and Max in any case. Input values and
// bounds are converted by the strtod rule, output values by the stream
// extraction of a double (see TQVWordReader.h).
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAFILER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAFILER_H_

#include <iosfwd>
#include <memory>

#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace nuxa {

class Data;
class TQVWordReader;

class TQVDataFiler {
 public:
  /// Reads the legacy data file fileName into a new Data set (rows of inputs
  /// and outputs, no labels) and a new header record: a TQVDataFileInfo for
  /// BP data, a TQVKohDataFileInfo or a TQVFuNNDataFileInfo, with fileName as
  /// its file name. Throws TException (location "TQVDataFiler::LoadData"
  /// unless said otherwise, category "File Error"):
  /// - "Unable to open file": the file cannot be opened (or is a folder);
  /// - "Bad File Format": no inputs count, a count of 0, a negative count, a
  ///   count that is not a number, or an output value that the stream
  ///   extraction cannot read;
  /// - "Bad File Format" from "TQVDataFiler::GetFuNNFilerNormalisationInfo":
  ///   the normalisation table lacks a word (category "File Error" within the
  ///   input entries, "Filer Error" within the output entries);
  /// - "Error reading file": the file cannot be read to its end;
  /// and passes on the Data constructor's TException when the set cannot be
  /// allocated. data and info are reset first. The header record is handed
  /// out once the kind is known, before the counts are checked, so info may
  /// hold a record after a throw; data is set only on success.
  static void LoadData(const char* fileName, std::unique_ptr<Data>& data,
                       std::unique_ptr<TQVDataFileInfo>& info);
  /// As above, reading in from its current position; in must be seekable.
  /// fileName only names the record.
  static void LoadData(std::istream& in, const char* fileName, std::unique_ptr<Data>& data,
                       std::unique_ptr<TQVDataFileInfo>& info);

  /// Reads the normalisation table that may follow the normalisation word
  /// into info, whose Inputs() and Outputs() must be set: the heading "Min"
  /// "Max" (any case) and one entry per input and per output. Without the
  /// heading nothing is read and every bound stays 0.0. Throws "Bad File
  /// Format" as LoadData says.
  static void GetFuNNFilerNormalisationInfo(TQVWordReader& reader, TQVFuNNDataFileInfo& info);

  /// Writes the rows of data (in ring order from the oldest) and the header
  /// of info in the layout above; the counts come from data, everything else
  /// from info, whose class chooses the kind. Numbers are written with six
  /// significant digits. The destination is replaced only when it has been
  /// written completely: throws FileTools::Error "Unable to open file for
  /// output" or "Error writing file" otherwise.
  static void SaveData(const char* fileName, const Data& data, const TQVDataFileInfo& info);
  /// As above, writing to os; reports nothing.
  static void SaveData(std::ostream& os, const Data& data, const TQVDataFileInfo& info);
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAFILER_H_
