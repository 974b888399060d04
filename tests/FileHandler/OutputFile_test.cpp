// OutputFile: complete files or none, and devices written in place.
#include "FileHandler/OutputFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "FileHandler/ParseTools.h"
#include "FileHandler/TempFolder.h"

namespace nuxa {
namespace {

using OutputFileTest = nuxa_testing::TempFolderTest;

mode_t Mode(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Expects Commit to fail with the writer's error naming the file's stream.
void ExpectWriteError(OutputFile& file) {
  try {
    file.Commit();
    ADD_FAILURE() << "Commit did not throw";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "Error writing file");
    EXPECT_EQ(e.input, nullptr);
    EXPECT_EQ(e.output, &file.stream());
  }
}

TEST_F(OutputFileTest, NewFileAppearsOnlyOnCommitWithUmaskPermissions) {
  const mode_t old_mask = ::umask(027);
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("out").c_str()));
    file.stream() << "abc\r\n";
    EXPECT_EQ(Entries().size(), 1u) << "only the temporary exists before Commit";
    EXPECT_EQ(Entries()[0].rfind(".out.", 0), 0u) << Entries()[0];
    file.Commit();
  }
  ::umask(old_mask);
  EXPECT_EQ(ReadFile("out"), "abc\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
  EXPECT_EQ(Mode(Path("out")), 0640u);
}

TEST_F(OutputFileTest, ReplacesAnExistingFileKeepingItsPermissions) {
  WriteFile("out", "old content that is longer");
  ASSERT_EQ(::chmod(Path("out").c_str(), 0604), 0);
  OutputFile file;
  ASSERT_TRUE(file.Open(Path("out").c_str()));
  file.stream() << "new";
  file.Commit();
  EXPECT_EQ(ReadFile("out"), "new");
  EXPECT_EQ(Mode(Path("out")), 0604u);
}

TEST_F(OutputFileTest, WithoutCommitTheOldContentStaysAndNoTemporaryIsLeft) {
  WriteFile("out", "old");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("out").c_str()));
    file.stream() << std::string(3 << 20, 'x');  // more than the buffer holds
  }
  EXPECT_EQ(ReadFile("out"), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
}

TEST_F(OutputFileTest, FailedWriteToARegularFileKeepsTheOldContent) {
  WriteFile("out", "old");
  // A file size limit makes write(2) fail with EFBIG, as a full disk would
  // with ENOSPC; the signal that comes with it is ignored meanwhile.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  void (*old_handler)(int) = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  {
    OutputFile file;
    const bool opened = file.Open(Path("out").c_str());
    if (opened) {
      file.stream() << std::string(2 << 20, 'x');
      ExpectWriteError(file);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(opened);
  }
  ::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(ReadFile("out"), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
}

TEST_F(OutputFileTest, FullDeviceIsWrittenInPlaceAndFails) {
  OutputFile file;
  ASSERT_TRUE(file.Open("/dev/full"));
  file.stream() << "x";
  ExpectWriteError(file);
}

TEST_F(OutputFileTest, NamesThatCannotBeOpened) {
  OutputFile missing_folder;
  EXPECT_FALSE(missing_folder.Open(Path("no/such/folder/out").c_str()));
  OutputFile folder;
  EXPECT_FALSE(folder.Open(dir_.c_str()));
  ASSERT_EQ(::mkdir(Path("locked").c_str(), 0500), 0);
  if (::geteuid() != 0) {  // the superuser writes anywhere
    OutputFile locked;
    EXPECT_FALSE(locked.Open(Path("locked/out").c_str()));
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"locked"});
}

TEST_F(OutputFileTest, SymbolicLinkKeepsPointingAtTheReplacedFile) {
  WriteFile("target", "old");
  ASSERT_EQ(::symlink("target", Path("link").c_str()), 0);
  OutputFile file;
  ASSERT_TRUE(file.Open(Path("link").c_str()));
  file.stream() << "new";
  file.Commit();
  struct stat st;
  ASSERT_EQ(::lstat(Path("link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFile("target"), "new");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"link", "target"}));
}

TEST_F(OutputFileTest, AppendAddsToTheOldContentOrCreates) {
  WriteFile("out", "old ");
  OutputFile file;
  ASSERT_TRUE(file.OpenAppend(Path("out").c_str()));
  file.stream() << "new";
  file.Commit();
  EXPECT_EQ(ReadFile("out"), "old new");

  OutputFile fresh;
  ASSERT_TRUE(fresh.OpenAppend(Path("fresh").c_str()));
  fresh.stream() << "first";
  fresh.Commit();
  EXPECT_EQ(ReadFile("fresh"), "first");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fresh", "out"}));
}

TEST_F(OutputFileTest, FifoIsWrittenInPlace) {
  const std::string fifo = Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = ReadFile("fifo"); });
  {
    OutputFile file;
    EXPECT_TRUE(file.Open(fifo.c_str()));  // waits for the reader
    file.stream() << "through the pipe";
    file.Commit();
  }
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  struct stat st;
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace nuxa
