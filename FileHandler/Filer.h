// The DataSet file: up to two Data sets of the same number of rows in one
// table. The first set gives each row's inputs and expected outputs (or
// labels); the second, when present, each row's generated outputs (or labels)
// in its input columns and the errors in its output columns.
//
//   [FormatVersion = 1.0]
//
//   [DataSet]
//   [Rows = 2]
//   [Inputs = 2]
//   [ExpectedOutputs = 1]        (or "Labels")
//   [GeneratedOutputs = 0]       (or "Labels")
//   [Error = 0]
//
//   [Data]
//   0.5 1   0
//   0.25 2   1
//   [~Data]
//
//   [~DataSet]
//
// Every line ends with CR LF. A row line holds each value followed by a blank,
// two blanks between the groups, and a label list as "[cat dog=0.500000000 ] ".
// Values are written as printf "%.15g" writes them.
//
// The operations run on the caller's FileTools object and return a status.
// They throw FileTools::Error "Unable to open file for output" when the
// destination cannot be opened and "Error writing file" when a write, the
// close or the final rename fails; the destination is never left partly
// written (see FileHandler/OutputFile.h).
#ifndef NUXA_FILEHANDLER_FILER_H_
#define NUXA_FILEHANDLER_FILER_H_

#include <iosfwd>

#include "FileHandler/ParseTools.h"

namespace nuxa {

class Data;
class TKQstructure;
class TLabelList;

/// Status codes of the DataSet reader and writer.
constexpr int SUCCESS = 0;
/// The file cannot be opened for reading.
constexpr int kDataSetCannotOpen = -81;
/// The header holds a statement it may not hold, or a one-set load met a
/// second set.
constexpr int kDataSetBadHeader = -82;
/// No set, or two sets of different row counts.
constexpr int kDataSetBadSets = -83;

/// Writes the file name with first and second (either may be null; the sets
/// stay the caller's). Takes ownership of message (may be null) and deletes
/// it; nothing is reported through it. Returns SUCCESS, or kDataSetBadSets
/// without touching the file when no set is given or the two sets differ in
/// Rows(). A set with labels must have no outputs (first set) or no inputs
/// (second set): fatal otherwise.
int SaveDataSet(FileTools& tools, const char* name, const Data* first, const Data* second,
                TKQstructure* message);

// The three parts of the file, each a complete operation on the file name.
// SaveDataSet writes them in one go; these exist for callers that build a
// file piece by piece.

/// Creates (or replaces) name with the header: the FormatVersion line to the
/// "[Data]" line. expectedOutputs or generatedOutputs of -1 is written as
/// Labels. Returns kDataSetBadSets, writing nothing, when rows < 0.
int WriteDataSetHeader(FileTools& tools, const char* name, long inputs, long expectedOutputs,
                       long generatedOutputs, long errors, long rows);
/// Appends the row lines of the sets to name. Takes ownership of message and
/// deletes it. Returns kDataSetBadSets, writing nothing, as SaveDataSet.
int WriteDataSetRows(FileTools& tools, const char* name, const Data* first, const Data* second,
                     TKQstructure* message);
/// Appends the closing lines ("[~Data]", an empty line, "[~DataSet]").
int WriteDataSetEnd(FileTools& tools, const char* name);

/// Writes one label list to os: "[", each label as its bare name (weight
/// exactly 1.0) or name=weight with 9 decimals, each followed by a blank, then
/// "] ". No line end; names are written as they are.
void WriteLabelList(FileTools& tools, std::ostream& os, const TLabelList& list);

}  // namespace nuxa

// The reading half of the DataSet file: LoadDataSet, LoadDataSetChunk,
// ReadDataSetHeader, ReadLabelList, IdentifyFile.
#include "FileHandler/FilerReader.h"

#endif  // NUXA_FILEHANDLER_FILER_H_
