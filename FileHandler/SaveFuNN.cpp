#include "FileHandler/SaveFuNN.h"

#include <climits>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "FileHandler/NetworkFileReader.h"
#include "FileHandler/ParseTools.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

namespace {

// One block: a line [key=i MF=count ] per entry.
void WriteMFBlock(std::ostream& os, const char* block, const char* key,
                  const std::vector<std::int32_t>& counts, int entries) {
  FileTools tools;
  tools.BeginBlock(os, block, true);
  for (int i = 0; i < entries; ++i) {
    tools.OpenBracket(os, true);
    tools.WriteIntegerStatement(os, key, i, false);
    tools.WriteIntegerStatement(os, "MF", counts[static_cast<size_t>(i)], false);
    tools.CloseBracket(os, true, true);
  }
  tools.EndBlock(os, block);
}

[[noreturn]] void Fail(std::istream& is, const char* message) {
  throw FileTools::Error(message, &is, nullptr);
}

// The layer the action neurons of a FuNN output layer live in: the one just
// below it, when it is in place.
const TBasicLayer* ActionLayer(const TFuNNOutputLayer& layer) {
  const TBasicNetwork* net = layer.network;
  const int below = layer.layerNum - 1;
  if (net == nullptr || below < 0 || below >= net->numLayers) return nullptr;
  return net->GetLayer(below);
}

}  // namespace

void WriteInputMF(std::ostream& os, const TConditionLayer& layer) {
  NUXA_ASSERT(layer.membershipCounts.size() == static_cast<size_t>(layer.numInputs));
  WriteMFBlock(os, "InputMF", "Input", layer.membershipCounts, layer.numInputs);
}

void WriteOutputMF(std::ostream& os, const TFuNNOutputLayer& layer) {
  NUXA_ASSERT(layer.membershipCounts.size() == static_cast<size_t>(layer.numNeurons));
  WriteMFBlock(os, "OutputMF", "Output", layer.membershipCounts, layer.numNeurons);
}

void ReadMFBlock(std::istream& is, TBasicLayer& layer, const char* tag) {
  const bool input = strcasecmp(tag, "INPUTMF") == 0;
  NUXA_ASSERT(input || strcasecmp(tag, "OUTPUTMF") == 0);
  auto* condition = input ? dynamic_cast<TConditionLayer*>(&layer) : nullptr;
  auto* output = input ? nullptr : dynamic_cast<TFuNNOutputLayer*>(&layer);
  NUXA_ASSERT(condition != nullptr || output != nullptr);
  const char* key = input ? "Input" : "Output";

  // Entries may come in any order, but each index exactly once; -1 marks an
  // index not given yet.
  const int n = layer.numNeurons;
  std::vector<int> counts(static_cast<size_t>(n > 0 ? n : 0), -1);
  int largest = -1;
  long long sum = 0;

  FileTools tools;
  Statement st = tools.GetStatement(tag, is, false);
  while (st.kind == Statement::kKeyValue && st.open) {
    if (strcasecmp(st.key.c_str(), key) != 0) Fail(is, "invalid tag in membership1");
    const long i = tools.ParseInteger(is, st.value.c_str());
    if (i < 0 || i >= n) Fail(is, "membership index out of range");
    if (counts[static_cast<size_t>(i)] >= 0) Fail(is, "repeated membership index");
    if (i > largest) largest = static_cast<int>(i);

    st = tools.GetStatement(tag, is, true);
    if (st.kind != Statement::kKeyValue || st.open || strcasecmp(st.key.c_str(), "MF") != 0) {
      Fail(is, "invalid tag in membership2");
    }
    const long count = tools.ParseInteger(is, st.value.c_str());
    // Every membership function has two neighbours' centres to reach 0 at,
    // or one and the end of the range: a variable needs two at least.
    if (count < 2) Fail(is, input ? "Must be >= 2 MF per input" : "Must be >= 2 MF per output");
    // Counts add up to a neuron count, which is an int.
    if (count > INT_MAX) {
      Fail(is, input ? "MF counts do not match the layer size"
                     : "MF counts do not match the number of action neurons");
    }
    counts[static_cast<size_t>(i)] = static_cast<int>(count);
    sum += count;

    st = tools.GetStatement(tag, is, false);
  }

  if (input) {
    // The inputs are 0 to the largest index given, each with its count.
    const int inputs = largest + 1;
    for (int i = 0; i <= largest; ++i) {
      if (counts[static_cast<size_t>(i)] < 0) Fail(is, "membership index missing");
    }
    if (sum != n || !condition->IsValidMembership(inputs, counts.data())) {
      Fail(is, "MF counts do not match the layer size");
    }
    condition->SetMembership(inputs, counts.data());
  } else {
    for (int i = 0; i < n; ++i) {
      if (counts[static_cast<size_t>(i)] < 0) Fail(is, "membership index missing");
    }
    // Without the action layer in place (a file may give the layers out of
    // order) the counts are bounded by the largest network a file may hold,
    // so a few bytes cannot make the layer reserve gigabytes.
    const TBasicLayer* actions = ActionLayer(*output);
    if (sum > INT_MAX || (actions == nullptr && sum > kMaxNetworkNeurons) ||
        (actions != nullptr && sum != actions->numNeurons) ||
        !output->IsValidMembership(static_cast<int>(sum), counts.data())) {
      Fail(is, "MF counts do not match the number of action neurons");
    }
    output->SetMembership(static_cast<int>(sum), counts.data());
  }

  tools.ExpectEndTag(st, is);
}

}  // namespace nuxa
