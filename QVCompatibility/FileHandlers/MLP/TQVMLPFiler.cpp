#include "QVCompatibility/FileHandlers/MLP/TQVMLPFiler.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Common/Exceptions.h"
#include "NeuralNets/TBasicLayer.h"
#include "NeuralNets/TConnections.h"
#include "QVCompatibility/FileHandlers/TQVLegacyInput.h"
#include "QVCompatibility/FileHandlers/TQVNetworkReader.h"
#include "QVCompatibility/FileHandlers/TQVNetworkWriter.h"

namespace nuxa {

namespace {

// The location names the class as the stored files' tools always have.
constexpr char kLoadLocation[] = "TQVMMLPFiler::LoadMLP";
constexpr char kSaveLocation[] = "TQVMLPFiler::SaveMLP";

// Layer positions of the network: the bias neuron, inputs, hidden, outputs.
constexpr int kBias = 0;
constexpr int kInput = 1;
constexpr int kHidden = 2;
constexpr int kOutput = 3;

int LayerSize(const TBasicNetwork& net, int layer) {
  return net.GetLayer(layer)->numNeurons;
}

// Whether net is what LoadMLP builds: input, hidden and output layers, one
// bias neuron, and the four sets the file holds.
bool HasLoaderShape(const TMLPNetwork& net) {
  if (!net.HasBias() || net.GetNumLayers() != 4) return false;
  for (int layer = kBias; layer <= kOutput; ++layer) {
    if (net.GetLayer(layer) == nullptr) return false;
  }
  if (LayerSize(net, kBias) != 1) return false;
  const int pairs[4][2] = {
      {kInput, kHidden}, {kHidden, kOutput}, {kBias, kHidden}, {kBias, kOutput}};
  for (const auto& pair : pairs) {
    const TBasicConnections* set = net.GetConnections(pair[0], pair[1]);
    if (set == nullptr || !set->IsConnected() || set->GetNumFrom() != LayerSize(net, pair[0]) ||
        set->GetNumTo() != LayerSize(net, pair[1])) {
      return false;
    }
  }
  return true;
}

// One row per from-neuron: its label, then the weights to every to-neuron.
void WriteSet(std::ostream& os, const char* heading, TBasicConnections& set, int from, int to) {
  os << heading << "\r\n";
  for (int i = 0; i < from; ++i) {
    WriteQVMatrixRow(os, static_cast<size_t>(i), static_cast<size_t>(to),
                     [&set, i](size_t j) { return set.Weight(i, static_cast<int>(j)); });
  }
  os << "\r\n";
}

// The bias sets as a column: one row per to-neuron.
void WriteBias(std::ostream& os, const char* heading, TBasicConnections& set, int to) {
  os << heading << "\r\n";
  for (int j = 0; j < to; ++j) {
    WriteQVMatrixRow(os, static_cast<size_t>(j), 1, [&set, j](size_t) { return set.Weight(0, j); });
  }
  os << "\r\n";
}

}  // namespace

void TQVMLPFiler::LoadMLP(const char* fileName, std::unique_ptr<TMLPNetwork>& net,
                          std::unique_ptr<TQVMLPFileInfo>& info) {
  net.reset();
  info.reset();
  std::ifstream in;
  OpenLegacyInput(fileName, in, kLoadLocation);
  LoadMLP(in, fileName, net, info);
}

void TQVMLPFiler::LoadMLP(std::istream& in, const char* fileName, std::unique_ptr<TMLPNetwork>& net,
                          std::unique_ptr<TQVMLPFileInfo>& info) {
  net.reset();
  info = std::make_unique<TQVMLPFileInfo>(fileName);
  TQVMLPFileInfo& header = *info;
  TQVNetworkReader reader(in, kLoadLocation);

  // Header, up to "RMS_ERROR:" and its number.
  std::optional<int32_t> inputs, hidden, outputs;
  ReadQVNetworkHeader(reader, header, [&](std::string_view word) {
    if (word == "INPUTS:") {
      inputs = reader.Integer();
    } else if (word == "HIDDEN:") {
      hidden = reader.Integer();
    } else if (word == "OUTPUTS:") {
      outputs = reader.Integer();
    }
  });
  // Every layer needs neurons, and every count appears in a matrix's size,
  // so the file itself bounds the network. The weight limit keeps the sets'
  // arcs countable.
  for (const std::optional<int32_t>& count : {inputs, hidden, outputs}) {
    if (!count || *count <= 0) reader.BadFormat();
  }
  const int32_t n = *inputs, h = *hidden, p = *outputs;
  if (int64_t{n} * h > kQVMaxNetworkWeights || int64_t{h} * p > kQVMaxNetworkWeights)
    reader.BadFormat();

  std::vector<double> inToHidden, hiddenToOut, hiddenBias, outputBias;
  reader.ReadMatrix(static_cast<uint64_t>(int64_t{n} * h), inToHidden);
  reader.ReadMatrix(static_cast<uint64_t>(int64_t{h} * p), hiddenToOut);
  reader.ReadMatrix(static_cast<uint64_t>(h), hiddenBias);
  reader.ReadMatrix(static_cast<uint64_t>(p), outputBias);

  const int sizes[3] = {n, h, p};
  auto mlp = std::make_unique<TMLPNetwork>(3, sizes, true);
  TBasicConnections& toHidden = *mlp->GetConnections(kInput, kHidden);
  TBasicConnections& toOutput = *mlp->GetConnections(kHidden, kOutput);
  TBasicConnections& biasToHidden = *mlp->GetConnections(kBias, kHidden);
  TBasicConnections& biasToOutput = *mlp->GetConnections(kBias, kOutput);
  const size_t hs = static_cast<size_t>(h), ps = static_cast<size_t>(p);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < h; ++j) toHidden.Weight(i, j) = inToHidden[static_cast<size_t>(i) * hs + j];
  }
  for (int j = 0; j < h; ++j) {
    for (int o = 0; o < p; ++o)
      toOutput.Weight(j, o) = hiddenToOut[static_cast<size_t>(j) * ps + o];
  }
  for (int j = 0; j < h; ++j) biasToHidden.Weight(0, j) = hiddenBias[static_cast<size_t>(j)];
  for (int o = 0; o < p; ++o) biasToOutput.Weight(0, o) = outputBias[static_cast<size_t>(o)];
  net = std::move(mlp);
}

void TQVMLPFiler::SaveMLP(const char* fileName, TMLPNetwork& net, const TQVMLPFileInfo& info) {
  if (!HasLoaderShape(net)) {
    ThrowException("Not a three-layer network with bias", "Bad Parameter", kSaveLocation);
  }
  SaveQVNetworkFile(fileName, kSaveLocation, [&](std::ostream& os) { SaveMLP(os, net, info); });
}

void TQVMLPFiler::SaveMLP(std::ostream& os, TMLPNetwork& net, const TQVMLPFileInfo& info) {
  if (!HasLoaderShape(net)) {
    ThrowException("Not a three-layer network with bias", "Bad Parameter", kSaveLocation);
  }
  const int n = LayerSize(net, kInput), h = LayerSize(net, kHidden), p = LayerSize(net, kOutput);
  WriteQVNetworkTitle(os, info);
  os << "INPUTS:       " << n << "\r\n";
  os << "HIDDEN:       " << h << "\r\n";
  os << "OUTPUTS:      " << p << "\r\n";
  WriteQVNetworkTraining(os, info);
  WriteSet(os, " Input        Hidden layer", *net.GetConnections(kInput, kHidden), n, h);
  WriteSet(os, " Hidden        Output layer", *net.GetConnections(kHidden, kOutput), h, p);
  WriteBias(os, " Hidden Bias", *net.GetConnections(kBias, kHidden), h);
  WriteBias(os, " Output Bias", *net.GetConnections(kBias, kOutput), p);
}

}  // namespace nuxa
