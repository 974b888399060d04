// A fresh temporary folder per test, removed afterwards, for the tests of the
// writers that work on file names.
#ifndef NUXA_TESTS_FILEHANDLER_TEMPFOLDER_H_
#define NUXA_TESTS_FILEHANDLER_TEMPFOLDER_H_

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace nuxa_testing {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = (std::filesystem::temp_directory_path() / "nuxa-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(Path(name), std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << name;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  /// Names in the folder, sorted; shows a temporary file left behind.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

}  // namespace nuxa_testing

#endif  // NUXA_TESTS_FILEHANDLER_TEMPFOLDER_H_
