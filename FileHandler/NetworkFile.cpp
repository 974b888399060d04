// Writing network files.
#include "FileHandler/NetworkFile.h"

#include <charconv>
#include <ostream>
#include <string>
#include <vector>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "FileHandler/OutputFile.h"
#include "NeuralNets/TBasicNetwork.h"

#if NUXA_CONFIG_FUNN
#include "FileHandler/SaveFuNN.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNNOutputLayer.h"
#endif

namespace nuxa {

namespace {

constexpr char kLineEnd[] = "\r\n";
// Digits after the point of parameter values and weight-list weights.
constexpr int kDecimals = 15;
// Significant digits of matrix weights.
constexpr int kMatrixDigits = 15;
// A set with fewer existing arcs than this share of all possible arcs is
// written as a weight list, any other as a matrix.
constexpr double kWeightListShare = 0.35;

// Opens a line "[All key=value ]": the caller writes the statement and closes
// the line.
void BeginAllLine(FileTools& tools, std::ostream& os) {
  tools.OpenBracket(os, true);
  tools.BeginBlock(os, "All", false);
}

// The layer's function is the standard "bias" one (compared by identity) and
// it has neurons: such a layer must have exactly one.
bool IsBiasLayer(TBasicLayer& layer) {
  return layer.numNeurons > 0 && layer.GetActivationFunction() == FnBias;
}

// The neuron count of layer L; 0 for a position that names no layer (the
// input layer 1 of a one-layer network).
int NeuronCount(const TBasicNetwork& net, int L) {
  return L >= 0 && L < net.numLayers ? net.GetLayer(L)->numNeurons : 0;
}

void WriteInformation(FileTools& tools, std::ostream& os, TBasicNetwork& net) {
  tools.BeginBlock(os, "NetworkInformation", true);
  tools.WriteIntegerStatement(os, "NumberOfLayers", net.numLayers, true);
  tools.WriteIntegerStatement(os, "InputLayer", net.inLayer, true);
  tools.WriteIntegerStatement(os, "OutputLayer", net.outLayer, true);
  tools.WriteIntegerStatement(os, "NumberOfInputs", NeuronCount(net, net.inLayer), true);
  tools.WriteIntegerStatement(os, "NumberOfOutputs", NeuronCount(net, net.outLayer), true);
  for (int L = 0; L < net.numLayers; ++L) {
    if (IsBiasLayer(*net.GetLayer(L))) tools.WriteIntegerStatement(os, "BiasLayer", L, true);
  }
  tools.EndBlock(os, "NetworkInformation");
}

void WriteMembership(std::ostream& os, TBasicLayer& layer, const char* type) {
#if NUXA_CONFIG_FUNN
  if (strcasecmp(type, "FuzzyCondition") == 0) {
    const auto* condition = dynamic_cast<const TConditionLayer*>(&layer);
    NUXA_ASSERT(condition != nullptr);
    WriteInputMF(os, *condition);
  } else if (strcasecmp(type, "Defuzzify") == 0) {
    const auto* output = dynamic_cast<const TFuNNOutputLayer*>(&layer);
    NUXA_ASSERT(output != nullptr);
    WriteOutputMF(os, *output);
  }
#else
  // Without the FuNN types no layer has membership blocks.
  (void)os;
  (void)layer;
  (void)type;
#endif
}

void WriteLayer(FileTools& tools, std::ostream& os, TBasicNetwork& net, int L) {
  TBasicLayer& layer = *net.GetLayer(L);
  const TFnRegistry& registry = net.GetRegistry();
  const char* type = layer.GetLayerType();
  const int count = layer.numNeurons;

  tools.WriteNewLine(os);
  tools.WriteIntegerStatement(os, "Layer", L, true);
  tools.WriteStringStatement(os, "LayerType", type, true);
  tools.WriteIntegerStatement(os, "NumberOfNeurons", count, true);

  const TActFunction shared = layer.GetActivationFunction();
  if (shared != nullptr) {
    BeginAllLine(tools, os);
    tools.WriteStringStatement(os, "ActivationFunction", registry.GetName(shared), false);
    tools.CloseBracket(os, true, true);
  }

  WriteMembership(os, layer, type);

  if (count > 0) {
    // All neurons of a layer are of one class: the first one's parameters
    // stand for the layer's, and a parameter is shared while every neuron
    // has the same name (any letter case) and exactly the same value.
    TBasicNeuron& first = layer.GetNeuron(0);
    const int P = first.GetNumParameters();
    std::vector<double> firstValues(static_cast<size_t>(P));
    std::vector<double> values(static_cast<size_t>(P));
    std::vector<bool> isShared(static_cast<size_t>(P), true);
    first.GetParameters(firstValues.data());
    for (int i = 1; i < count; ++i) {
      TBasicNeuron& neuron = layer.GetNeuron(i);
      NUXA_ASSERT(neuron.GetNumParameters() == P);
      neuron.GetParameters(values.data());
      for (int p = 0; p < P; ++p) {
        const size_t k = static_cast<size_t>(p);
        if (!isShared[k]) continue;
        if (values[k] != firstValues[k] ||
            strcasecmp(neuron.GetParameterName(p), first.GetParameterName(p)) != 0) {
          isShared[k] = false;
        }
      }
    }

    bool allShared = true;
    for (int p = 0; p < P; ++p) {
      const size_t k = static_cast<size_t>(p);
      if (!isShared[k]) {
        allShared = false;
        continue;
      }
      BeginAllLine(tools, os);
      tools.WriteNumberStatement(os, first.GetParameterName(p), firstValues[k], kDecimals, false);
      tools.CloseBracket(os, true, true);
    }

    if (shared == nullptr || !allShared) {
      tools.BeginBlock(os, "Neurons", true);
      for (int i = 0; i < count; ++i) {
        TBasicNeuron& neuron = layer.GetNeuron(i);
        tools.OpenBracket(os, true);
        tools.WriteIntegerStatement(os, "Neuron", i, false);
        if (shared == nullptr) {
          tools.WriteStringStatement(os, "ActivationFunction",
                                     registry.GetName(neuron.activationFunction), false);
        }
        neuron.GetParameters(values.data());
        for (int p = 0; p < P; ++p) {
          const size_t k = static_cast<size_t>(p);
          if (isShared[k]) continue;
          tools.WriteNumberStatement(os, neuron.GetParameterName(p), values[k], kDecimals, false);
        }
        tools.CloseBracket(os, true, true);
      }
      tools.EndBlock(os, "Neurons");
    }
  }

  tools.EndBlock(os, "Layer");
}

// Appends text right-aligned in a field of width characters (longer text is
// not cut).
void AppendField(std::string& line, const char* text, size_t length, size_t width) {
  if (length < width) line.append(width - length, ' ');
  line.append(text, length);
}

void AppendIntegerField(std::string& line, long value, size_t width) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  AppendField(line, text, static_cast<size_t>(result.ptr - text), width);
}

// The weights as a table, one line per from-neuron, one cell per to-neuron:
// the weight in the printf "%20.15g" form, or "-" where there is no arc; with
// trainable information each cell goes on with T, F or -. Comments carry the
// neuron numbers, so the reader sees only the cells.
void WriteMatrix(FileTools& tools, std::ostream& os, TBasicConnections& set, int nFrom, int nTo,
                 bool trainable) {
  tools.OpenBracket(os, true);
  tools.BeginBlock(os, "Matrix", false);
  tools.BeginBlock(os, "Weights", false);
  if (trainable) tools.BeginBlock(os, "TrainableInfo", false);
  tools.CloseBracket(os, true, true);

  // The column numbers line up with the last character of a weight, or with
  // the T/F column.
  const size_t extra = trainable ? 2 : 0;
  std::string line = "/* To->";
  for (int t = 0; t < nTo; ++t) AppendIntegerField(line, t, (t == 0 ? 13 : 21) + extra);
  line += "  From */";
  line += kLineEnd;
  os.write(line.data(), static_cast<std::streamsize>(line.size()));

  char text[64];
  for (int s = 0; s < nFrom; ++s) {
    line.clear();
    for (int t = 0; t < nTo; ++t) {
      const bool exists = set.IsValid(s, t);
      if (exists) {
        const auto result = std::to_chars(text, text + sizeof text, set.Weight(s, t),
                                          std::chars_format::general, kMatrixDigits);
        AppendField(line, text, static_cast<size_t>(result.ptr - text), 20);
      } else {
        AppendField(line, "-", 1, 20);
      }
      line += ' ';
      if (trainable) line += !exists ? "- " : set.IsTrainable(s, t) ? "T " : "F ";
    }
    line += " /* ";
    AppendIntegerField(line, s, 0);
    line += " */";
    line += kLineEnd;
    os.write(line.data(), static_cast<std::streamsize>(line.size()));
  }

  tools.EndBlock(os, "Matrix");
}

void WriteConnections(FileTools& tools, std::ostream& os, TBasicNetwork& net,
                      TBasicConnections& set) {
  const char* type = set.GetConnectionsNType();
  // Only fully connected sets are complete by construction; every other kind
  // can lose and freeze arcs, so the file says which exist and which train.
  const bool trainable = strcasecmp(type, "FullyConnected") != 0;

  tools.WriteNewLine(os);
  tools.BeginBlock(os, "ConnectionLayer", true);
  tools.WriteIntegerStatement(os, "LayerFrom", set.fromLayer, true);
  tools.WriteIntegerStatement(os, "LayerTo", set.toLayer, true);
  tools.WriteStringStatement(os, "ConnectionType", type, true);
  tools.OpenBracket(os, true);
  tools.BeginBlock(os, "Attributes", false);
  tools.BeginBlock(os, trainable ? "Pruneable" : "UnPrunable", false);
  tools.BeginBlock(os, trainable ? "Freezable" : "UnFreezable", false);
  tools.CloseBracket(os, true, true);

  const int nFrom = net.GetLayer(set.fromLayer)->numNeurons;
  const int nTo = net.GetLayer(set.toLayer)->numNeurons;
  TIterateObjCount counter;
  set.Iterate(counter, 1);
  if (counter.count < kWeightListShare * (static_cast<double>(nFrom) * nTo)) {
    tools.BeginBlock(os, "WeightList", true);
    TIterateObjSaveWeights saver(os, tools, trainable, kDecimals);
    set.Iterate(saver, 1);
    tools.EndBlock(os, "WeightList");
  } else {
    WriteMatrix(tools, os, set, nFrom, nTo, trainable);
  }

  tools.EndBlock(os, "ConnectionLayer");
}

}  // namespace

void WriteNetwork(FileTools& tools, std::ostream& os, TBasicNetwork& net,
                  std::unique_ptr<TKQstructure> message) {
  message.reset();  // nothing is reported through it
  NUXA_ASSERT(net.IsPopulated());
  os.precision(kMatrixDigits);

  // A bias layer has one neuron. Checked before anything is written, so that
  // a refused network leaves no partial file behind on any destination.
  for (int L = 0; L < net.numLayers; ++L) {
    TBasicLayer& layer = *net.GetLayer(L);
    if (IsBiasLayer(layer) && layer.numNeurons != 1) {
      throw FileTools::Error("Illegal number of bias nodes", nullptr, &os);
    }
  }

  tools.WriteFormatVersion(os);
  tools.BeginBlock(os, "NeuralNetwork", true);
  tools.WriteStringStatement(os, "NetworkType", net.GetNetworkType(), true);
  tools.WriteNewLine(os);
  WriteInformation(tools, os, net);

  for (int L = 0; L < net.numLayers; ++L) WriteLayer(tools, os, net, L);

  for (int from = 0; from < net.numLayers; ++from) {
    for (int to = 0; to < net.numLayers; ++to) {
      TBasicConnections& set = *net.GetConnections(from, to);
      if (set.IsConnected()) WriteConnections(tools, os, net, set);
    }
  }

  tools.WriteNewLine(os);
  tools.EndBlock(os, "NeuralNetwork");
}

void SaveNetwork(FileTools& tools, const char* name, TBasicNetwork& net,
                 std::unique_ptr<TKQstructure> message) {
  OutputFile file;
  if (!file.Open(name)) throw FileTools::Error("Unable to open file for output", nullptr, nullptr);
  WriteNetwork(tools, file.stream(), net, std::move(message));
  file.Commit();
}

}  // namespace nuxa
