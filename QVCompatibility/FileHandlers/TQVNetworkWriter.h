// The writing steps the legacy FuNN and MLP network files share: the title
// and training lines of the header, the weight matrices' rows and the way a
// file is put in place. Header-only for the same reason as
// TQVNetworkReader.h: the two library configurations never hold each other's
// sources.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKWRITER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKWRITER_H_

#include <cstddef>
#include <cstdio>
#include <ostream>
#include <string>

#include "Common/Exceptions.h"
#include "FileHandler/OutputFile.h"
#include "FileHandler/ParseTools.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace nuxa {

/// The stream's default form of a double: printf "%g", six significant
/// digits; right-aligned in width characters when width > 0.
inline std::string QVNetworkNumber(double value, int width = 0) {
  char text[64];
  std::snprintf(text, sizeof text, "%*g", width, value);
  return text;
}

/// The "TITLE:" and "DESCRIPTION:" lines and the blank line after them.
inline void WriteQVNetworkTitle(std::ostream& os, const TQVFileInfo& info) {
  const char* title = info.Title();
  const char* description = info.Description();
  os << "TITLE:  " << (title != nullptr ? title : "") << "\r\n";
  os << "DESCRIPTION:  " << (description != nullptr ? description : "") << "\r\n";
  os << "\r\n";
}

/// The "EPOCHS:" and "RMS_ERROR:" lines that end the header, and the blank
/// line after them. Info is a FuNN or an MLP header record.
template <typename Info>
void WriteQVNetworkTraining(std::ostream& os, const Info& info) {
  os << "EPOCHS:       " << info.Epochs() << "\r\n";
  os << "RMS_ERROR:    " << QVNetworkNumber(info.RMSError()) << "\r\n";
  os << "\r\n";
}

/// One matrix row: "(label)", then count values valueAt(0) to
/// valueAt(count - 1), each in a field of 14 characters.
template <typename ValueAt>
void WriteQVMatrixRow(std::ostream& os, size_t label, size_t count, ValueAt valueAt) {
  os << '(' << label << ')';
  for (size_t k = 0; k < count; ++k) os << QVNetworkNumber(valueAt(k), 14);
  os << "\r\n";
}

/// Writes fileName through write(stream) and puts it in place. Failures are
/// TException "Unable to open file" or "Error writing file" / "File Error" /
/// location; a failed file leaves the destination as it was.
template <typename Write>
void SaveQVNetworkFile(const char* fileName, const char* location, Write write) {
  OutputFile file;
  if (!file.Open(fileName)) ThrowException("Unable to open file", "File Error", location);
  write(file.stream());
  try {
    file.Commit();
  } catch (const FileTools::Error&) {
    ThrowException("Error writing file", "File Error", location);
  }
}

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVNETWORKWRITER_H_
