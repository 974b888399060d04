// Reading DataSet files (the format written by SaveDataSet, see Filer.h) back
// into Data sets: a whole file into one or two sets, a run of rows from the
// middle of a large file, or only the header to identify a file.
//
// A row is read in the order the writer puts it: the first set's inputs, its
// label list or expected outputs, then the second set's label list or
// generated outputs, then its errors. Values are read as the block reader
// reads numbers (FileTools::ParseNumber); comments may stand between them.
//
// Every failure in the text is thrown as FileTools::Error; the status codes
// (SUCCESS, kDataSetCannotOpen, kDataSetBadHeader, see Filer.h) report the
// rest. A failed load hands out no set: the out-parameters are null after any
// throw. The error's input stream is the caller's stream for the stream forms
// and null for the file-name forms (whose stream is gone by the time the error
// is caught).
//
// The reader never allocates for rows the file cannot hold: a header whose
// Rows count (or a chunk request whose row count) exceeds what the rest of
// the file could possibly contain is read without building sets, so the load
// fails where the text runs out, with the message the text calls for, and
// memory stays in proportion to the file.
#ifndef NUXA_FILEHANDLER_FILERREADER_H_
#define NUXA_FILEHANDLER_FILERREADER_H_

#include <cstdint>
#include <iosfwd>
#include <memory>

// The sets, lists and messages are handed out in unique_ptrs: their types are
// complete here so that callers can hold and drop them.
#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/ParseTools.h"
#include "KQmessage/KQML.h"

namespace nuxa {

/// Loads the file name into up to two new sets, owned by the caller through
/// first and second (null for a set the file does not have: the first set
/// exists when Inputs, ExpectedOutputs or labels are given, the second when
/// GeneratedOutputs, Error or its labels are). Takes ownership of message (may
/// be null) and deletes it; nothing is reported through it.
/// Returns SUCCESS, or kDataSetCannotOpen when the file cannot be opened for
/// reading. Throws FileTools::Error for malformed text, among others
/// "[DATASET] expected", "[DATA] expected" (a header statement that is open,
/// unknown, repeated or out of order), "[Rows = <integer>] expected" (no Rows
/// in the header), "No labels in inputs", "integer-expected",
/// "Token (number) expected", "number-expected", "Unexpected end of file",
/// "End Tag expected", "Label list expected", "Not enough memory for the data
/// set", and, in the label-free build, "Labels are not supported in this
/// configuration" for a file with label lists.
int LoadDataSet(FileTools& tools, const char* name, std::unique_ptr<Data>& first,
                std::unique_ptr<Data>& second, TKQstructure* message);
/// The same on a stream positioned at the start of the file's text.
int LoadDataSet(FileTools& tools, std::istream& is, std::unique_ptr<Data>& first,
                std::unique_ptr<Data>& second);
/// The one-set form: as above; when the file also holds a second set, returns
/// kDataSetBadHeader, still handing out the first set (null when the file has
/// only a second set).
int LoadDataSet(FileTools& tools, const char* name, std::unique_ptr<Data>& set);

/// Reads count rows starting offset bytes after the end of the "[Data]" block
/// start (offset 0: the first row) into new sets of count slots, and sets
/// offset to the position after the last row read, counted from the same
/// place; passing it back reads the following rows. A set is created only
/// when it has values (Inputs or ExpectedOutputs; GeneratedOutputs or Error):
/// the label lists of a set that has labels alone are skipped. Returns SUCCESS
/// or kDataSetCannotOpen; throws FileTools::Error as LoadDataSet does, and
/// "Token (number) expected" when fewer than count rows remain. A negative
/// offset throws "Invalid chunk offset", a negative count "Invalid chunk row
/// count".
int LoadDataSetChunk(FileTools& tools, const char* name, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first, std::unique_ptr<Data>& second);
/// The same, discarding the second set.
int LoadDataSetChunk(FileTools& tools, const char* name, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first);
/// The same on a stream that can be positioned, at the start of the file.
int LoadDataSetChunk(FileTools& tools, std::istream& is, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first, std::unique_ptr<Data>& second);

/// Reads the header statements that follow the DataSet block start. Inputs,
/// ExpectedOutputs, GeneratedOutputs and Error may each stand once, in this
/// order, any of them missing (0); Rows anywhere, repeated (the last counts),
/// -1 when missing. "Labels" (any case) reads as -1, and only the two output
/// counts may be Labels. The first statement that is no closed header
/// statement ends the header and is handed back in last (normally the "[Data]"
/// block start). Returns SUCCESS, or kDataSetBadHeader when that statement is
/// a key-value statement the header may not hold (open, unknown key,
/// repeated, out of order). Throws FileTools::Error "No labels in inputs" for
/// Labels or a negative value in Inputs, Error or Rows, "integer-expected"
/// for a value that is neither Labels nor a 32-bit integer.
int ReadDataSetHeader(FileTools& tools, std::istream& is, int& inputs, int& expectedOutputs,
                      int& generatedOutputs, int& errors, int& rows, Statement& last);

/// Reads one label list, "[cat dog=0.5]" (comments and separators before the
/// "[" are skipped; "[]" is the empty list). A name alone has weight 1.
/// Returns a new list owned by the caller. Throws FileTools::Error "Unexpected
/// end of file" when the input ends before or inside the list, "Label list
/// expected" when something else than "[" comes first, and the block reader's
/// messages for a malformed item ("[ ]" gives "Unexpected special character",
/// a weight that is no number "number-expected").
std::unique_ptr<TLabelList> ReadLabelList(FileTools& tools, std::istream& is);

/// Identifies a file by its first block, returning a new message owned by the
/// caller:
///   (data :rows R :inputs I :actual-outputs E :calc-outputs G :errors X)
///       a DataSet file whose header reads (Labels as -1, rows -1 when missing)
///   (error :type bad-header)      a DataSet header with a statement it may
///                                 not hold
///   network                       a first block named NETWORK (any case)
///   (error :type unknown-header :header NAME)  any other first block
///   (error :type file-read-error) the file cannot be opened
/// Throws FileTools::Error "start of block expected" when the file does not
/// begin with a block, and the header's messages (see ReadDataSetHeader).
std::unique_ptr<TKQstructure> IdentifyFile(FileTools& tools, const char* name);
/// The same on a stream positioned at the start of the file's text.
std::unique_ptr<TKQstructure> IdentifyFile(FileTools& tools, std::istream& is);

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_FILERREADER_H_
