// The end-to-end harness: runs a built converter as a user would, in a fresh
// temporary folder, and hands back its exit status, stdout and stderr, so
// tests can compare them (and the files it wrote) with literal bytes.
#ifndef NUXA_TESTS_CONVERTERS_HARNESS_H_
#define NUXA_TESTS_CONVERTERS_HARNESS_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nuxa_e2e {

struct RunResult {
  int status = -1;  // exit status; -1 when the program did not exit normally
  int signal = 0;   // the signal that ended it, if any
  std::string out;
  std::string err;
};

/// Each test gets its own empty working folder, removed afterwards.
class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Runs program (a name such as "tableconv") with args, in the working
  /// folder. Relative file names in args are relative to that folder.
  RunResult Run(const std::string& program, const std::vector<std::string>& args);

  /// Writes bytes to name in the working folder.
  void WriteFile(const std::string& name, const std::string& bytes);
  /// The bytes of name in the working folder; fails the test if it is absent.
  std::string ReadFile(const std::string& name);
  bool Exists(const std::string& name);
  /// Names of the entries of the working folder, sorted.
  std::vector<std::string> Entries();
  /// The absolute path of name in the working folder.
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

/// Reads a file given by an absolute path.
std::string ReadWholeFile(const std::string& path);

}  // namespace nuxa_e2e

#endif  // NUXA_TESTS_CONVERTERS_HARNESS_H_
