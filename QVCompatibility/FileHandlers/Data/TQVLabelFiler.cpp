#include "QVCompatibility/FileHandlers/Data/TQVLabelFiler.h"

#if NUXA_WITH_LABELS

#include <climits>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "QVCompatibility/FileHandlers/Data/TQVDataWriter.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"
#include "QVCompatibility/FileHandlers/TQVLegacyInput.h"

namespace nuxa {

namespace {

// The label file reader reports under the data file reader's name.
constexpr char kLoadData[] = "TQVDataFiler::LoadData";

[[noreturn]] void ThrowInputs() {
  ThrowException("Inputs must be >= 1", "File Error", kLoadData);
}

// The first pass counted every word of the rows the second reads: a word
// missing now means the file changed under the reader.
[[noreturn]] void ThrowChangedFile() {
  ThrowException("Unexpected end of file found", "File Error", kLoadData);
}

}  // namespace

void TQVLabelFiler::LoadData(const char* fileName, std::unique_ptr<Data>& data,
                             std::unique_ptr<TQVLabelFileInfo>& info) {
  data.reset();
  info.reset();
  std::ifstream in;
  OpenLegacyInput(fileName, in, kLoadData);
  LoadData(in, fileName, data, info);
}

void TQVLabelFiler::LoadData(std::istream& in, const char* fileName, std::unique_ptr<Data>& data,
                             std::unique_ptr<TQVLabelFileInfo>& info) {
  data.reset();
  info.reset();
  TQVWordReader reader(in, kLoadData);
  std::string_view word;

  // Header: keywords until the first other word; the data starts after the
  // last inputs count.
  std::string title;
  std::string description;
  int32_t inputs = 0;
  uint64_t data_start = reader.Tell();
  for (;;) {
    if (!reader.NextWord(word)) {
      ThrowException("Unexpected end of file found", "File Error", kLoadData);
    }
    if (word == "TITLE:") {
      title = reader.RestOfLine(kQVMaxHeaderText);
    } else if (word == "DESCRIPTION:") {
      description = reader.RestOfLine(kQVMaxHeaderText);
    } else if (word == "INPUTS:") {
      if (reader.NextInteger(inputs) != TQVNumberResult::kRead) ThrowInputs();
      data_start = reader.Tell();
    } else {
      break;
    }
  }
  if (inputs < 1) ThrowInputs();
  reader.Seek(data_start);

  auto record = std::make_unique<TQVLabelFileInfo>(fileName);
  record->SetTitle(title);
  record->SetDescription(description);
  info = std::move(record);

  // Two passes: count the complete rows (inputs + 1 words each), then fill a
  // set made at that size.
  const uint64_t per_row = static_cast<uint64_t>(inputs) + 1;
  const uint64_t counted = reader.CountWordsToEnd() / per_row;
  if (counted > static_cast<uint64_t>(INT_MAX)) {
    ThrowException("Bad File Format", "File Error", kLoadData);
  }
  const int rows = static_cast<int>(counted);
  auto set = std::make_unique<Data>(rows, inputs, 0, true);

  reader.Seek(data_start);
  std::string label;
  for (int r = 0; r < rows; ++r) {
    double* const values = set->MutableInputRowPtr(r);
    for (int32_t i = 0; i < inputs; ++i) {
      if (!reader.NextWord(word)) ThrowChangedFile();
      values[i] = StrtodValue(word);
    }
    if (!reader.NextWord(word)) ThrowChangedFile();
    label.assign(word.data(), word.size());
    set->AppendRow(nullptr, nullptr, nullptr);  // the values are in the slot already
    set->AppendLabel(r, 1.0, label);
  }
  data = std::move(set);
}

void TQVLabelFiler::SaveData(const char* fileName, const Data& data, const TQVFileInfo& info) {
  SaveLegacyDataFile(fileName, [&](std::ostream& os) { SaveData(os, data, info); });
}

void TQVLabelFiler::SaveData(std::ostream& os, const Data& data, const TQVFileInfo& info) {
  const int inputs = data.Inputs() > 0 ? data.Inputs() : 0;
  WriteLegacyDataHeading(os, info, inputs);
  os << '\n';
  for (int i = 0; i < data.DataRows(); ++i) {
    const int slot = data.RingSlot(i);
    const TLabelList* labels = nullptr;
    data.GetLabels(slot, labels);
    // A row without a label would shift every row after it when read back.
    if (labels == nullptr || labels->Empty()) {
      ThrowException("Row has no label", "Bad Parameter", "TQVLabelFiler::SaveData");
    }
    WriteLegacyInputValues(os, data.InputRowPtr(slot), inputs);
    os << labels->Label(0).Name() << '\n';
  }
}

}  // namespace nuxa

#endif  // NUXA_WITH_LABELS
