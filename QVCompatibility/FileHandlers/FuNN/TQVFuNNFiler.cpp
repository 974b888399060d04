#include "QVCompatibility/FileHandlers/FuNN/TQVFuNNFiler.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Exceptions.h"
#include "QVCompatibility/FileHandlers/TQVLegacyInput.h"
#include "QVCompatibility/FileHandlers/TQVNetworkReader.h"
#include "QVCompatibility/FileHandlers/TQVNetworkWriter.h"

namespace nuxa {

namespace {

constexpr char kLoadLocation[] = "TQVFuNNFiler::LoadFuNN";
constexpr char kSaveLocation[] = "TQVFuNNFiler::SaveFuNN";

// Two label words, then Members, Min, Max and Width.
std::vector<TFuzzifiedRow> ReadFuzzifiedRows(TQVNetworkReader& reader, int32_t count) {
  std::vector<TFuzzifiedRow> rows;
  for (int32_t i = 0; i < count; ++i) {
    reader.Word();
    reader.Word();
    TFuzzifiedRow row;
    row.Members = reader.Integer();
    row.Min = reader.Double();
    row.Max = reader.Double();
    row.Width = reader.Double();
    rows.push_back(row);
  }
  return rows;
}

// Members must not be negative and must sum to the header's count.
bool MembersMatch(const std::vector<TFuzzifiedRow>& rows, int32_t total) {
  int64_t sum = 0;
  for (const TFuzzifiedRow& row : rows) {
    if (row.Members < 0) return false;
    sum += row.Members;
  }
  return sum == total;
}

std::vector<int> MembersOf(const std::vector<TFuzzifiedRow>& rows) {
  std::vector<int> members;
  members.reserve(rows.size());
  for (const TFuzzifiedRow& row : rows) members.push_back(row.Members);
  return members;
}

bool AnyBelowTwo(const std::vector<int>& members) {
  for (int m : members) {
    if (m < 2) return true;
  }
  return false;
}

void WriteMatrixRow(std::ostream& os, size_t label, const double* values, size_t count) {
  WriteQVMatrixRow(os, label, count, [values](size_t k) { return values[k]; });
}

void WriteFuzzifiedRow(std::ostream& os, const char* label, size_t number,
                       const TFuzzifiedRow& row) {
  os << ' ' << label << ' ' << number << ":      " << row.Members << "             "
     << QVNetworkNumber(row.Min) << "         " << QVNetworkNumber(row.Max) << "       "
     << QVNetworkNumber(row.Width) << "\r\n";
}

// Whether info can describe net: tables set, one row per input and output.
bool HeaderFits(TFuNN& net, const TQVFuNNFileInfo& info) {
  int inputs = 0, conditions = 0, rules = 0, actions = 0, outputs = 0;
  std::vector<int> inputMFs, outputMFs;
  net.GetStructure(inputs, conditions, inputMFs, rules, actions, outputMFs, outputs);
  return info.HasInputMF() && info.HasOutputMF() && info.Inputs() == inputs &&
         info.Outputs() == outputs;
}

}  // namespace

void TQVFuNNFiler::LoadFuNN(const char* fileName, std::unique_ptr<TFuNN>& net,
                            std::unique_ptr<TQVFuNNFileInfo>& info) {
  net.reset();
  info.reset();
  std::ifstream in;
  OpenLegacyInput(fileName, in, kLoadLocation);
  LoadFuNN(in, fileName, net, info);
}

void TQVFuNNFiler::LoadFuNN(std::istream& in, const char* fileName, std::unique_ptr<TFuNN>& net,
                            std::unique_ptr<TQVFuNNFileInfo>& info) {
  net.reset();
  info = std::make_unique<TQVFuNNFileInfo>(fileName);
  TQVFuNNFileInfo& header = *info;
  TQVNetworkReader reader(in, kLoadLocation);

  // Header, up to "RMS_ERROR:" and its number.
  std::optional<int32_t> inputs, conditions, rules, actions, outputs;
  ReadQVNetworkHeader(reader, header, [&](std::string_view word) {
    if (word == "INPUTS:") {
      inputs = reader.Integer();
      header.SetInputs(*inputs);
    } else if (word == "CONDITION:") {
      conditions = reader.Integer();
    } else if (word == "rule_layer:") {
      rules = reader.Integer();
    } else if (word == "ACTION:") {
      actions = reader.Integer();
    } else if (word == "OUTPUTS:") {
      outputs = reader.Integer();
      header.SetOutputs(*outputs);
    }
  });
  // The counts as the header finally gives them. A network without inputs,
  // rules or outputs means nothing; the weight limit keeps the layers' arcs
  // countable. Without rules two matrices would be empty, and the search for
  // a matrix's first "(" would take the next matrix's rows for its own.
  for (const std::optional<int32_t>& count : {inputs, conditions, rules, actions, outputs}) {
    if (!count || *count < 0) reader.BadFormat();
  }
  const int32_t n = *inputs, c = *conditions, r = *rules, a = *actions, p = *outputs;
  if (n == 0 || r == 0 || p == 0 || int64_t{c} * r > kQVMaxNetworkWeights ||
      int64_t{r} * a > kQVMaxNetworkWeights) {
    reader.BadFormat();
  }

  reader.SkipTo("PARAMETERS:");
  reader.DiscardLine();
  for (int row = 0; row < TQVFuNNFileInfo::kParameterRows; ++row) {
    reader.Word();
    reader.Word();
    for (int column = 0; column < TQVFuNNFileInfo::kParameterColumns; ++column) {
      header.SetParameter(row, column, reader.Double());
    }
  }

  reader.SkipTo("FUZZIFIED:");
  reader.DiscardLine();
  const std::vector<TFuzzifiedRow> inputRows = ReadFuzzifiedRows(reader, n);
  header.SetInputMF(inputRows.data());
  const std::vector<TFuzzifiedRow> outputRows = ReadFuzzifiedRows(reader, p);
  header.SetOutputMF(outputRows.data());
  if (!MembersMatch(outputRows, a) || !MembersMatch(inputRows, c)) reader.BadFormat();

  const std::vector<int> inputMFs = MembersOf(inputRows);
  const std::vector<int> outputMFs = MembersOf(outputRows);
  // The constructor refuses a count below 2 with its own message. It tests
  // the counts before it builds anything, so asking it costs nothing here;
  // with valid counts the network is built only after the matrices are read,
  // so that a short file cannot make it allocate a huge one.
  if (AnyBelowTwo(inputMFs) || AnyBelowTwo(outputMFs)) {
    TFuNN refused(n, inputMFs.data(), r, outputMFs.data(), p);
  }

  std::vector<double> inToCondition, condToRule, ruleToAction, actionToOut;
  reader.ReadMatrix(static_cast<uint64_t>(c), inToCondition);
  reader.ReadMatrix(static_cast<uint64_t>(int64_t{c} * r), condToRule);
  reader.ReadMatrix(static_cast<uint64_t>(int64_t{r} * a), ruleToAction);
  reader.ReadMatrix(static_cast<uint64_t>(a), actionToOut);

  auto funn = std::make_unique<TFuNN>(n, inputMFs.data(), r, outputMFs.data(), p);
  funn->SetWeightLayer(1, inToCondition.data());
  funn->SetWeightLayer(2, condToRule.data());
  funn->SetWeightLayer(3, ruleToAction.data());
  funn->SetWeightLayer(4, actionToOut.data());
  net = std::move(funn);
}

void TQVFuNNFiler::SaveFuNN(const char* fileName, TFuNN& net, const TQVFuNNFileInfo& info) {
  if (!HeaderFits(net, info)) {
    ThrowException("Header does not match the network", "Bad Parameter", kSaveLocation);
  }
  SaveQVNetworkFile(fileName, kSaveLocation, [&](std::ostream& os) { SaveFuNN(os, net, info); });
}

void TQVFuNNFiler::SaveFuNN(std::ostream& os, TFuNN& net, const TQVFuNNFileInfo& info) {
  int n = 0, c = 0, r = 0, a = 0, p = 0;
  std::vector<int> inputMFs, outputMFs;
  net.GetStructure(n, c, inputMFs, r, a, outputMFs, p);
  std::vector<double> weights[4];
  for (int k = 0; k < 4; ++k) {
    int count = 0;
    net.GetWeightLayer(k + 1, count, weights[k]);
  }
  std::vector<TFuzzifiedRow> inputRows, outputRows;
  info.GetInputMF(inputRows);
  info.GetOutputMF(outputRows);

  WriteQVNetworkTitle(os, info);
  os << "INPUTS:       " << n << "\r\n";
  os << "CONDITION:    " << c << "\r\n";
  os << "rule_layer:   " << r << "\r\n";
  os << "ACTION:       " << a << "\r\n";
  os << "OUTPUTS:      " << p << "\r\n";
  WriteQVNetworkTraining(os, info);

  os << "PARAMETERS: Learning_Rate  Momentum  Gain_Term\r\n";
  for (int row = 0; row < TQVFuNNFileInfo::kParameterRows; ++row) {
    os << " Layer " << row + 2 << ":        " << QVNetworkNumber(info.Parameter(row, 0))
       << "         " << QVNetworkNumber(info.Parameter(row, 1)) << "         "
       << QVNetworkNumber(info.Parameter(row, 2)) << "\r\n";
  }
  os << "\r\n";

  os << "FUZZIFIED:   Members       Min       Max     Width\r\n";
  for (size_t i = 0; i < inputRows.size(); ++i) WriteFuzzifiedRow(os, "Input", i + 1, inputRows[i]);
  for (size_t o = 0; o < outputRows.size(); ++o) {
    WriteFuzzifiedRow(os, "Output", o + 1, outputRows[o]);
  }
  os << "\r\n";

  // Matrix 1: one row per input, holding the centres of its condition
  // neurons, which follow each other input by input.
  os << " Input  to  Condition Layer\r\n";
  size_t first = 0;
  for (size_t i = 0; i < inputMFs.size(); ++i) {
    const size_t members = static_cast<size_t>(inputMFs[i]);
    WriteMatrixRow(os, i, weights[0].data() + first, members);
    first += members;
  }
  os << "\r\n";
  os << " Condition    to    Rule Layer\r\n";
  for (size_t k = 0; k < static_cast<size_t>(c); ++k) {
    WriteMatrixRow(os, k, weights[1].data() + k * static_cast<size_t>(r), static_cast<size_t>(r));
  }
  os << "\r\n";
  os << " Rule    to     Action Layer\r\n";
  for (size_t j = 0; j < static_cast<size_t>(r); ++j) {
    WriteMatrixRow(os, j, weights[2].data() + j * static_cast<size_t>(a), static_cast<size_t>(a));
  }
  os << "\r\n";
  os << " Action to Output Layer\r\n";
  for (size_t k = 0; k < static_cast<size_t>(a); ++k) WriteMatrixRow(os, k, &weights[3][k], 1);
  os << " \r\n";
}

}  // namespace nuxa
