// Reads arbitrary bytes as a legacy data file.
//
// First the two number rules alone, against what they must match exactly:
// for each of the first words of the input, StrtodValue against strtod, and
// the stream-extraction rule against `>> double` on the word (its value, its
// failure and what it leaves unread). Any difference traps.
//
// Then the whole load from memory. LoadData may only fail with TException. A
// loaded set must be consistent with itself, and is written back as a legacy
// data file (to memory) when its rows are few enough to do quickly.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "QVCompatibility/FileHandlers/Data/TQVDataFiler.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace {

bool SameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void CompareNumberRules(const std::string& text) {
  std::istringstream words(text);
  std::string word;
  for (int n = 0; n < 8 && words >> word; ++n) {
    if (word.find('\0') != std::string::npos) continue;  // strtod stops there; so do both
    if (!SameDouble(nuxa::StrtodValue(word), std::strtod(word.c_str(), nullptr))) {
      __builtin_trap();
    }
    std::istringstream stream(word);
    double expected = 0.0;
    const bool ok = static_cast<bool>(stream >> expected);
    double value = 0.0;
    size_t taken = 0;
    const nuxa::TQVNumberResult result = nuxa::ExtractStreamDouble(word, value, taken);
    if ((result == nuxa::TQVNumberResult::kRead) != ok) __builtin_trap();
    if (ok) {
      stream.clear();
      std::string rest;
      std::getline(stream, rest);
      if (!SameDouble(value, expected) || word.substr(taken) != rest) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  CompareNumberRules(text);

  std::istringstream in(text);
  std::unique_ptr<nuxa::Data> data;
  std::unique_ptr<nuxa::TQVDataFileInfo> info;
  try {
    nuxa::TQVDataFiler::LoadData(in, "fuzz.dat", data, info);
  } catch (const nuxa::TException&) {
    return 0;
  }
  if (!data || !info || data->DataRows() != data->Rows() || data->Inputs() < 1 ||
      data->Outputs() < 0 || data->HasLabels()) {
    __builtin_trap();
  }
  const int64_t width = int64_t{data->Inputs()} + data->Outputs();
  if (width <= 4096) {
    std::ostringstream out;
    nuxa::TQVDataFiler::SaveData(out, *data, *info);
  }
  return 0;
}
