#include "QVCompatibility/FileHandlers/Data/TQVDataFiler.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "QVCompatibility/FileHandlers/Data/TQVDataWriter.h"
#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"
#include "QVCompatibility/FileHandlers/TQVLegacyInput.h"

namespace nuxa {

namespace {

constexpr char kLoadData[] = "TQVDataFiler::LoadData";
constexpr char kNormalisationInfo[] = "TQVDataFiler::GetFuNNFilerNormalisationInfo";

[[noreturn]] void ThrowBadFormat() {
  ThrowException("Bad File Format", "File Error", kLoadData);
}

// "Min" and "Max" of the table heading are matched as strcasecmp matches.
bool EqualsIgnoringCase(std::string_view word, const char* keyword) {
  size_t i = 0;
  for (; i < word.size() && keyword[i] != '\0'; ++i) {
    if (std::toupper(static_cast<unsigned char>(word[i])) !=
        std::toupper(static_cast<unsigned char>(keyword[i]))) {
      return false;
    }
  }
  return i == word.size() && keyword[i] == '\0';
}

// The word after a keyword such as "NORMALISED:"; empty at the end of the file.
std::string NextWordText(TQVWordReader& reader) {
  std::string_view word;
  reader.NextWord(word);
  return std::string(word);
}

int32_t ReadCount(TQVWordReader& reader) {
  int32_t count = 0;
  if (reader.NextInteger(count) != TQVNumberResult::kRead) ThrowBadFormat();
  return count;
}

// Reads count entries of four words (label, index, minimum, maximum).
void ReadBounds(TQVWordReader& reader, int32_t count, const char* category,
                std::vector<double>& minima, std::vector<double>& maxima) {
  std::string_view word;
  for (int32_t i = 0; i < count; ++i) {
    if (!reader.NextWord(word) || !reader.NextWord(word) || !reader.NextWord(word)) {
      ThrowException("Bad File Format", category, kNormalisationInfo);
    }
    minima.push_back(StrtodValue(word));
    if (!reader.NextWord(word)) ThrowException("Bad File Format", category, kNormalisationInfo);
    maxima.push_back(StrtodValue(word));
  }
}

// Counts the complete rows from the current position to the end of the file,
// taking the words apart exactly as the second pass reads them: an output
// value takes only the number at the start of its word (so "1.5abc" is the
// value 1.5 followed by the word "abc").
uint64_t CountRows(TQVWordReader& reader, int32_t inputs, int32_t outputs) {
  const uint64_t per_row_inputs = static_cast<uint64_t>(inputs);
  if (outputs == 0) return reader.CountWordsToEnd() / per_row_inputs;
  uint64_t rows = 0;
  for (;;) {
    if (reader.SkipWords(per_row_inputs) < per_row_inputs) return rows;
    for (int32_t k = 0; k < outputs; ++k) {
      const TQVNumberResult result = reader.SkipStreamDouble();
      if (result == TQVNumberResult::kEnd) return rows;
      if (result == TQVNumberResult::kBad) {
        // An unreadable output value in a complete row refuses the file; in
        // the incomplete last row it is dropped with the row.
        const uint64_t rest = static_cast<uint64_t>(outputs - k);
        if (reader.SkipWords(rest) == rest) ThrowBadFormat();
        return rows;
      }
    }
    ++rows;
  }
}

void WriteBoundLines(std::ostream& os, const char* name, const std::vector<double>& minima,
                     const std::vector<double>& maxima, int count) {
  for (int k = 0; k < count; ++k) {
    const double minimum = k < static_cast<int>(minima.size()) ? minima[k] : 0.0;
    const double maximum = k < static_cast<int>(maxima.size()) ? maxima[k] : 0.0;
    os << name << (k + 1) << ":\t" << std::setw(8) << minimum << std::setw(8) << maximum << '\n';
  }
}

}  // namespace

void TQVDataFiler::LoadData(const char* fileName, std::unique_ptr<Data>& data,
                            std::unique_ptr<TQVDataFileInfo>& info) {
  data.reset();
  info.reset();
  std::ifstream in;
  OpenLegacyInput(fileName, in, kLoadData);
  LoadData(in, fileName, data, info);
}

void TQVDataFiler::LoadData(std::istream& in, const char* fileName, std::unique_ptr<Data>& data,
                            std::unique_ptr<TQVDataFileInfo>& info) {
  data.reset();
  info.reset();
  TQVWordReader reader(in, kLoadData);
  std::string_view word;

  // Header: everything up to the inputs count.
  std::string title;
  std::string description;
  int32_t inputs = 0;
  while (reader.NextWord(word)) {
    if (word == "TITLE:") {
      title = reader.RestOfLine(kQVMaxHeaderText);
    } else if (word == "DESCRIPTION:") {
      description = reader.RestOfLine(kQVMaxHeaderText);
    } else if (word == "INPUTS:") {
      inputs = ReadCount(reader);
      break;
    }
  }

  // Kind: decided by the words right after the inputs count. What is not a
  // kind keyword is read again as data.
  int32_t outputs = 0;
  bool funn = false;
  std::string normalisation_word;
  std::unique_ptr<TQVKohDataFileInfo> kohonen;
  uint64_t remembered = reader.Tell();
  if (reader.NextWord(word)) {
    if (word == "OUTPUTS:") {
      outputs = ReadCount(reader);
      remembered = reader.Tell();
    } else if (word == "NORMALISATION:") {
      funn = true;
      normalisation_word = NextWordText(reader);
    } else if (word == "NORMALISED:") {
      kohonen = std::make_unique<TQVKohDataFileInfo>(fileName);
      kohonen->SetNormalisedWord(NextWordText(reader));
      remembered = reader.Tell();
    } else {
      reader.Seek(remembered);
    }
  }
  if (!funn) {
    if (reader.NextWord(word) && word == "NORMALISATION:") {
      funn = true;
      kohonen.reset();
      normalisation_word = NextWordText(reader);
    } else {
      reader.Seek(remembered);
    }
  }

  std::unique_ptr<TQVDataFileInfo> record;
  if (funn) {
    auto funn_record = std::make_unique<TQVFuNNDataFileInfo>(fileName);
    funn_record->SetInputs(inputs);
    funn_record->SetOutputs(outputs);
    funn_record->SetNormalisationWord(normalisation_word);
    GetFuNNFilerNormalisationInfo(reader, *funn_record);
    record = std::move(funn_record);
  } else if (kohonen) {
    record = std::move(kohonen);
  } else {
    record = std::make_unique<TQVDataFileInfo>(fileName);
  }
  record->SetTitle(title);
  record->SetDescription(description);
  info = std::move(record);

  // Data: two passes, one to count the complete rows so the set can be made
  // at its final size, one to fill it. Neither holds more of the file than
  // the reader's buffer.
  const uint64_t data_start = reader.Tell();
  if (inputs <= 0 || outputs < 0) ThrowBadFormat();
  const uint64_t counted = CountRows(reader, inputs, outputs);
  if (counted > static_cast<uint64_t>(INT_MAX)) ThrowBadFormat();
  const int rows = static_cast<int>(counted);
  auto set = std::make_unique<Data>(rows, inputs, outputs, false);

  reader.Seek(data_start);
  for (int r = 0; r < rows; ++r) {
    double* const in_values = set->MutableInputRowPtr(r);
    for (int32_t i = 0; i < inputs; ++i) {
      // The first pass saw every word of the counted rows: a word missing
      // now means the file changed under the reader.
      if (!reader.NextWord(word)) ThrowBadFormat();
      in_values[i] = StrtodValue(word);
    }
    double* const out_values = set->MutableOutputRowPtr(r);
    for (int32_t k = 0; k < outputs; ++k) {
      // Fails on a value out of range, which the first pass did not convert.
      if (reader.NextStreamDouble(out_values[k]) != TQVNumberResult::kRead) ThrowBadFormat();
    }
    set->AppendRow(nullptr, nullptr, nullptr);  // the values are in the slot already
  }
  data = std::move(set);
}

void TQVDataFiler::GetFuNNFilerNormalisationInfo(TQVWordReader& reader, TQVFuNNDataFileInfo& info) {
  const uint64_t start = reader.Tell();
  std::string_view word;
  const bool heading = reader.NextWord(word) && EqualsIgnoringCase(word, "Min") &&
                       reader.NextWord(word) && EqualsIgnoringCase(word, "Max");
  if (!heading) {
    // No table: the bounds stay unset, which reads as zeros.
    reader.Seek(start);
    return;
  }
  // The arrays grow entry by entry, so a count far beyond what the file holds
  // fails at the end of the file instead of allocating for the count.
  std::vector<double> input_min;
  std::vector<double> input_max;
  std::vector<double> output_min;
  std::vector<double> output_max;
  ReadBounds(reader, info.Inputs(), "File Error", input_min, input_max);
  ReadBounds(reader, info.Outputs(), "Filer Error", output_min, output_max);
  info.SetInputMax(input_max.data());
  info.SetInputMin(input_min.data());
  info.SetOutputMax(output_max.data());
  info.SetOutputMin(output_min.data());
}

void TQVDataFiler::SaveData(const char* fileName, const Data& data, const TQVDataFileInfo& info) {
  SaveLegacyDataFile(fileName, [&](std::ostream& os) { SaveData(os, data, info); });
}

void TQVDataFiler::SaveData(std::ostream& os, const Data& data, const TQVDataFileInfo& info) {
  const int inputs = data.Inputs() > 0 ? data.Inputs() : 0;
  const int outputs = data.Outputs() > 0 ? data.Outputs() : 0;

  WriteLegacyDataHeading(os, info, inputs);
  if (outputs > 0) os << "OUTPUTS: " << outputs << '\n';
  if (const auto* funn = dynamic_cast<const TQVFuNNDataFileInfo*>(&info)) {
    const char* word = funn->NormalisationWord();
    os << "\nNORMALISATION: " << (word != nullptr ? word : "") << '\n';
    os << "\t Min\t     Max\n";
    std::vector<double> minima;
    std::vector<double> maxima;
    funn->GetInputMin(minima);
    funn->GetInputMax(maxima);
    WriteBoundLines(os, "Input  ", minima, maxima, inputs);
    funn->GetOutputMin(minima);
    funn->GetOutputMax(maxima);
    WriteBoundLines(os, "Output ", minima, maxima, outputs);
  } else if (const auto* kohonen = dynamic_cast<const TQVKohDataFileInfo*>(&info)) {
    const char* word = kohonen->NormalisedWord();
    os << "NORMALISED: " << (word != nullptr ? word : "") << '\n';
  }
  os << '\n';

  for (int i = 0; i < data.DataRows(); ++i) {
    const int slot = data.RingSlot(i);
    WriteLegacyInputValues(os, data.InputRowPtr(slot), inputs);
    const double* out_values = data.OutputRowPtr(slot);
    for (int c = 0; c < outputs; ++c) os << out_values[c] << ' ';
    os << '\n';
  }
}

}  // namespace nuxa
