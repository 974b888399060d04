// The reader and writer of the legacy Kohonen label files: rows of input
// values, each followed by one label word naming the class of the row.
//
//   TITLE:    Leaf sizes            the header: these three keywords in any
//   DESCRIPTION:  length and width  order, any number of times; the first
//   INPUTS:  2                      other word ends it
//
//   1.4 0.2  small                  rows: the inputs, then the label
//   4.7 1.4  large
//
// The keywords are those of the legacy data file (TQVDataFiler.h), but the
// header is read by rules of its own: it ends at the first word that is none
// of the keywords, and the data starts right after the last inputs count, so
// whatever stands between that count and the first other word (a "TITLE:"
// line, say) is read again as data. Values are converted by the strtod rule;
// labels are stored as they are.
//
// The label file needs the labelled build of the data set: it exists only
// where NUXA_WITH_LABELS is 1.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVLABELFILER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVLABELFILER_H_

#include <iosfwd>
#include <memory>

#include "QVCompatibility/FileHandlers/FileInfo.h"

#if NUXA_WITH_LABELS

namespace nuxa {

class Data;

class TQVLabelFiler {
 public:
  /// Reads the label file fileName into a new Data set with labels (the
  /// inputs, no outputs, one label of weight 1.0 per row) and a new header
  /// record with fileName as its file name. Throws TException with category
  /// "File Error" and location "TQVDataFiler::LoadData" (the data file
  /// reader's name, which users know):
  /// - "Unable to open file": the file cannot be opened (or is a folder);
  /// - "Unexpected end of file found": the file ends before the first word
  ///   after the header (an empty file, a header without rows);
  /// - "Inputs must be >= 1": no inputs count, or one below 1 or not a number;
  /// - "Error reading file": the file cannot be read to its end;
  /// and passes on the Data constructor's TException when the set cannot be
  /// allocated. data and info are reset first. The record is handed out once
  /// the inputs count has been accepted; data is set only on success.
  static void LoadData(const char* fileName, std::unique_ptr<Data>& data,
                       std::unique_ptr<TQVLabelFileInfo>& info);
  /// As above, reading in from its current position; in must be seekable.
  /// fileName only names the record.
  static void LoadData(std::istream& in, const char* fileName, std::unique_ptr<Data>& data,
                       std::unique_ptr<TQVLabelFileInfo>& info);

  /// Writes the rows of data (in ring order from the oldest, each with the
  /// name of its first label) and the title and description of info in the
  /// layout above; the inputs count comes from data. Numbers are written with
  /// six significant digits. Every row must carry a label: a row without one
  /// throws TException "Row has no label" / "Bad Parameter" /
  /// "TQVLabelFiler::SaveData" and leaves the destination untouched. The
  /// destination is replaced only when it has been written completely: throws
  /// FileTools::Error "Unable to open file for output" or "Error writing
  /// file" otherwise.
  static void SaveData(const char* fileName, const Data& data, const TQVFileInfo& info);
  /// As above, writing to os.
  static void SaveData(std::ostream& os, const Data& data, const TQVFileInfo& info);
};

}  // namespace nuxa

#endif  // NUXA_WITH_LABELS

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVLABELFILER_H_
