// The writing steps the legacy data file and the legacy label file share:
// the way a file is put in place, the stream's number form, the header lines
// up to the inputs count and a row's input values.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAWRITER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAWRITER_H_

#include <ios>
#include <ostream>

#include "FileHandler/OutputFile.h"
#include "FileHandler/ParseTools.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace nuxa {

/// Writes fileName through write(stream) and puts it in place. Throws
/// FileTools::Error "Unable to open file for output" when it cannot be
/// opened, and what OutputFile::Commit throws when the writing fails.
template <typename Write>
void SaveLegacyDataFile(const char* fileName, Write write) {
  OutputFile file;
  if (!file.Open(fileName))
    throw FileTools::Error("Unable to open file for output", nullptr, nullptr);
  write(file.stream());
  file.Commit();
}

/// Sets the stream's default number form (six significant digits) and
/// writes the "TITLE:", "DESCRIPTION:" and "INPUTS:" lines.
inline void WriteLegacyDataHeading(std::ostream& os, const TQVFileInfo& info, int inputs) {
  os.unsetf(std::ios::floatfield);
  os.precision(6);
  WriteLegacyHeaderText(os, "TITLE:", "    ", info.Title());
  WriteLegacyHeaderText(os, "DESCRIPTION:", "  ", info.Description());
  os << "INPUTS:  " << inputs << '\n';
}

/// A row's input values, each followed by a blank, and one blank more that
/// sets them apart from what follows on the line.
inline void WriteLegacyInputValues(std::ostream& os, const double* values, int inputs) {
  for (int c = 0; c < inputs; ++c) os << values[c] << ' ';
  os << ' ';
}

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_DATA_TQVDATAWRITER_H_
