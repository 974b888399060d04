// The one way the library writes a file. Every writer (DataSet files, network
// files, the legacy savers) opens its destination through an OutputFile, so
// that no failure ever leaves a partial or truncated file behind:
//
// - A regular file, or a name that does not exist yet, is written to a
//   temporary file created next to it, and the temporary is renamed over the
//   destination only when it is complete and closed. On any failure the
//   temporary is removed and a destination that existed keeps its old
//   content. A symbolic link is followed: the file it points to is replaced.
// - Anything else (a FIFO, a terminal, /dev/stdout, /dev/null, /dev/full, and
//   every name under /dev/ or /proc/) is written in place, as there is nothing
//   to rename over.
//
// The stream writes through a large buffer: no system call per line or value.
#ifndef NUXA_FILEHANDLER_OUTPUTFILE_H_
#define NUXA_FILEHANDLER_OUTPUTFILE_H_

#include <memory>
#include <ostream>
#include <string>

namespace nuxa {

class OutputFile {
 public:
  OutputFile();
  /// Closes the file. A temporary that was never committed is removed, and
  /// the destination is left as it was.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Opens name for writing, replacing its content on Commit. Returns false
  /// when it cannot be opened (missing or unwritable folder, a directory, ...);
  /// then nothing was created. Call at most once per object.
  bool Open(const char* name);
  /// Opens name for appending: on Commit the destination holds its old
  /// content followed by what was written. A name that does not exist is
  /// created as by Open. Returns false when it cannot be opened.
  bool OpenAppend(const char* name);

  /// The stream to write to; valid from a successful Open to the destructor.
  std::ostream& stream();

  /// Flushes, closes and puts the file in place. Throws
  /// FileTools::Error("Error writing file", nullptr, &stream()) when a write,
  /// the close or the rename failed; the temporary is then removed and the
  /// destination keeps its old content. Must follow a successful Open.
  void Commit();

 private:
  class Buffer;
  bool OpenMode(const char* name, bool append);
  void Discard();

  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
  std::string temp_;         // the temporary's path; empty when writing in place
  std::string destination_;  // the path renamed over on Commit
};

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_OUTPUTFILE_H_
