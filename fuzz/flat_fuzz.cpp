// Reads arbitrary bytes as a flat file.
//
// First the number reader alone, against the stream extraction of a double
// that it must match exactly: any difference in the values, in where a
// number ends or in how reading stops is a finding (the harness traps).
//
// Then the whole load: the first three bytes give the counts (rows 0 to 15,
// or about 10^8 rows when the top bit is set, which only a file far too short
// can answer; inputs -8 to 7; outputs 0 to 3), the rest is the file. A loaded
// set is written as a DataSet file and as a flat file to /dev/null. LoadData
// and SaveData may only fail with TException, SaveDataSet with
// FileTools::Error.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/ParseTools.h"
#include "QVCompatibility/FileHandlers/Flat/TFlatFiler.h"

namespace {

using Reader = nuxa::TFlatFiler::NumberReader;

void CompareWithStream(const std::string& text) {
  std::istringstream expected(text);
  std::istringstream input(text);
  Reader reader(input, text.size() + 1);
  for (;;) {
    double value = 0;
    const Reader::Result result = reader.Next(value);
    expected >> std::ws;
    if (expected.eof()) {
      if (result != Reader::kEnd) __builtin_trap();
      return;
    }
    double wanted = 0;
    if (!(expected >> wanted)) {
      if (result != Reader::kInvalid) __builtin_trap();
      return;
    }
    if (result != Reader::kNumber || std::memcmp(&value, &wanted, sizeof value) != 0) {
      __builtin_trap();
    }
  }
}

// One file per process, rewritten for every input.
const std::string& FlatFile() {
  static const std::string name = [] {
    char templ[] = "/tmp/flat_fuzz_XXXXXX";
    const int fd = ::mkstemp(templ);
    if (fd < 0) std::abort();
    ::close(fd);
    return std::string(templ);
  }();
  static const bool removed_at_exit = std::atexit([] { ::unlink(FlatFile().c_str()); }) == 0;
  (void)removed_at_exit;
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CompareWithStream(std::string(reinterpret_cast<const char*>(data), size));
  if (size < 3) return 0;

  const long inputs = static_cast<long>(data[1] % 16) - 8;
  long outputs = data[2] % 4;
  long rows = data[0] % 16;
  if (data[0] & 0x80) {
    rows = 100000000 + data[0];
    if (outputs == 0) outputs = 1;  // rows of no numbers would all be read
  }
  FILE* file = std::fopen(FlatFile().c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data + 3, 1, size - 3, file);
  std::fclose(file);

  nuxa::Data* loaded = nullptr;
  try {
    nuxa::TFlatFiler::LoadData(FlatFile().c_str(), loaded, rows, inputs, outputs);
  } catch (const nuxa::TException&) {
  }
  std::unique_ptr<nuxa::Data> set(loaded);
  if (set == nullptr) return 0;
  nuxa::FileTools tools;
  try {
    nuxa::SaveDataSet(tools, "/dev/null", set.get(), nullptr, nullptr);
  } catch (const nuxa::FileTools::Error&) {
  }
  try {
    nuxa::TFlatFiler::SaveData("/dev/null", *set);
  } catch (const nuxa::TException&) {
  }
  return 0;
}
