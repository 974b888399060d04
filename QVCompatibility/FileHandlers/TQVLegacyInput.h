// Opening a legacy file for reading, as every legacy filer does before it
// reads from the stream.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVLEGACYINPUT_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVLEGACYINPUT_H_

#include <fstream>

#include "Common/Exceptions.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"

namespace nuxa {

/// Opens fileName into in, or throws TException "Unable to open file" /
/// "File Error" / location.
inline void OpenLegacyInput(const char* fileName, std::ifstream& in, const char* location) {
  if (!OpenLegacyFile(fileName, in)) ThrowException("Unable to open file", "File Error", location);
}

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_TQVLEGACYINPUT_H_
