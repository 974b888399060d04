#include "converters/Harness.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace nuxa_e2e {

namespace fs = std::filesystem;

void ConverterTest::SetUp() {
  std::string templ = (fs::temp_directory_path() / "nuxa-e2e-XXXXXX").string();
  ASSERT_NE(mkdtemp(templ.data()), nullptr);
  dir_ = templ;
}

void ConverterTest::TearDown() {
  std::error_code ec;
  if (!dir_.empty()) fs::remove_all(dir_, ec);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

RunResult ConverterTest::Run(const std::string& program, const std::vector<std::string>& args) {
  const std::string exe = std::string(NUXA_BIN_DIR) + "/" + program;
  const std::string out_name = dir_ + "/.stdout";
  const std::string err_name = dir_ + "/.stderr";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());

  std::vector<std::string> words{exe};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  RunResult result;
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    ADD_FAILURE() << "cannot start " << exe;
    return result;
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) result.signal = WTERMSIG(wstatus);
  result.out = ReadWholeFile(out_name);
  result.err = ReadWholeFile(err_name);
  fs::remove(out_name);
  fs::remove(err_name);
  return result;
}

void ConverterTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(Path(name), std::ios::binary);
  out << bytes;
  ASSERT_TRUE(out.good()) << name;
}

std::string ConverterTest::ReadFile(const std::string& name) {
  EXPECT_TRUE(Exists(name)) << name << " was not written";
  return ReadWholeFile(Path(name));
}

bool ConverterTest::Exists(const std::string& name) {
  std::error_code ec;
  return fs::exists(Path(name), ec);
}

std::vector<std::string> ConverterTest::Entries() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace nuxa_e2e
