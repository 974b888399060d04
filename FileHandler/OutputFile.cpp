#include "FileHandler/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Common/Assert.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {

namespace {

// Large enough that a file of any size costs few system calls; small beside
// the data sets the writers write.
constexpr size_t kBufferSize = size_t{1} << 20;

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Names of descriptors and devices: even when one resolves to a regular file
// (/dev/stdout redirected to a file), its folder is no place for a temporary.
bool IsDeviceName(const char* name) {
  return StartsWith(name, "/dev/") || StartsWith(name, "/proc/");
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// A file created by open(2) with the usual 0666 gets these permissions; an
// existing file keeps its own.
mode_t PermissionsFor(bool exists, const struct stat& st) {
  if (exists) return st.st_mode & 07777;
  return 0666 & ~CurrentUmask();
}

// Creates the temporary next to path, exclusively. Returns the descriptor, or
// -1; temp receives its name.
int CreateTemporary(const std::string& path, std::string& temp) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  temp = folder + "." + base + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0 && errno == ENAMETOOLONG) {
    // The destination's name is too long to be extended: a short name will do.
    temp = folder + ".nuxa-XXXXXX";
    name.assign(temp.begin(), temp.end());
    name.push_back('\0');
    fd = ::mkostemp(name.data(), O_CLOEXEC);
  }
  temp.assign(name.data());
  return fd;
}

}  // namespace

// A stream buffer over a file descriptor that it owns. After the first failed
// write every further write fails too, so the stream goes bad and stays bad.
class OutputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd), data_(new char[kBufferSize]) {
    setp(data_.get(), data_.get() + kBufferSize);
  }
  ~Buffer() override {
    if (fd_ >= 0) ::close(fd_);
  }

  /// Writes out what is buffered and closes; false when anything failed.
  bool Close() {
    bool ok = Drain();
    if (fd_ >= 0 && ::close(fd_) != 0) ok = false;
    fd_ = -1;
    failed_ = true;  // nothing more may be written
    return ok;
  }

  /// Closes without writing out what is buffered.
  void Abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    failed_ = true;
    setp(data_.get(), data_.get() + kBufferSize);
  }

 protected:
  int_type overflow(int_type ch) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (failed_) return 0;
    const std::streamsize room = epptr() - pptr();
    if (n <= room) {
      std::memcpy(pptr(), s, static_cast<size_t>(n));
      pbump(static_cast<int>(n));
      return n;
    }
    if (!Drain()) return 0;
    if (n >= static_cast<std::streamsize>(kBufferSize)) {
      if (!WriteAll(fd_, s, static_cast<size_t>(n))) {
        failed_ = true;
        return 0;
      }
      return n;
    }
    std::memcpy(pptr(), s, static_cast<size_t>(n));
    pbump(static_cast<int>(n));
    return n;
  }

  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    if (failed_) return false;
    const size_t size = static_cast<size_t>(pptr() - pbase());
    setp(data_.get(), data_.get() + kBufferSize);
    if (size > 0 && !WriteAll(fd_, data_.get(), size)) failed_ = true;
    return !failed_;
  }

  int fd_;
  bool failed_ = false;
  std::unique_ptr<char[]> data_;
};

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
  Discard();
}

bool OutputFile::Open(const char* name) {
  return OpenMode(name, false);
}

bool OutputFile::OpenAppend(const char* name) {
  return OpenMode(name, true);
}

std::ostream& OutputFile::stream() {
  NUXA_ASSERT(stream_ != nullptr);
  return *stream_;
}

bool OutputFile::OpenMode(const char* name, bool append) {
  NUXA_ASSERT(buffer_ == nullptr);
  struct stat st;
  const bool exists = ::stat(name, &st) == 0;
  if ((exists && !S_ISREG(st.st_mode)) || IsDeviceName(name)) {
    const int fd =
        ::open(name, O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0) return false;
    buffer_ = std::make_unique<Buffer>(fd);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    return true;
  }

  destination_ = name;
  if (exists) {
    // Replace the file a symbolic link points to, not the link.
    char resolved[PATH_MAX];
    if (::realpath(name, resolved) != nullptr) destination_ = resolved;
  }
  int old = -1;
  if (append && exists) {
    old = ::open(destination_.c_str(), O_RDONLY | O_CLOEXEC);
    if (old < 0) return false;
  }
  const int fd = CreateTemporary(destination_, temp_);
  if (fd < 0) {
    temp_.clear();
    if (old >= 0) ::close(old);
    return false;
  }
  // mkstemp creates the file for its owner only. A file system without
  // permissions refuses this; the file is still written.
  (void)::fchmod(fd, PermissionsFor(exists, st));
  buffer_ = std::make_unique<Buffer>(fd);
  stream_ = std::make_unique<std::ostream>(buffer_.get());

  if (old >= 0) {
    // Appending: the temporary starts as a copy of the destination. A failed
    // copy makes the stream bad, and Commit reports it.
    std::vector<char> chunk(kBufferSize);
    for (;;) {
      const ssize_t n = ::read(old, chunk.data(), chunk.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) stream_->setstate(std::ios::badbit);
      if (n <= 0) break;
      stream_->write(chunk.data(), n);
    }
    ::close(old);
  }
  return true;
}

void OutputFile::Commit() {
  NUXA_ASSERT(stream_ != nullptr);
  stream_->flush();
  bool ok = !stream_->fail();
  if (!buffer_->Close()) ok = false;
  if (!temp_.empty()) {
    if (ok && std::rename(temp_.c_str(), destination_.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp_.c_str());
    temp_.clear();
  }
  if (!ok) throw FileTools::Error("Error writing file", nullptr, stream_.get());
}

void OutputFile::Discard() {
  if (buffer_ != nullptr) buffer_->Abandon();
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace nuxa
