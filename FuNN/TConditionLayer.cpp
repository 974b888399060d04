#include "FuNN/TConditionLayer.h"

#include <algorithm>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

int TConditionNeuron::GetNumParameters() const {
  return 0;
}

TConditionLayer::TConditionLayer(TBasicNetwork* network, int layerNum, int n)
    : TBasicLayer(network, layerNum, n), nodes(static_cast<size_t>(std::max(n, 0))) {
  for (int i = 0; i < n; ++i) {
    PlaceNeuron(nodes[static_cast<size_t>(i)], i);
    nodes[static_cast<size_t>(i)].activationFunction = FnFuNNCondition;
  }
}

void TConditionLayer::Recall(const double*) {
  // The layer below is the input layer; a layer at position 0 has none.
  const TBasicLayer* below =
      layerNum >= 1 ? network->layers[static_cast<size_t>(layerNum - 1)] : nullptr;
  const int belowCount = below != nullptr ? below->numNeurons : 0;
  for (int k = 0; k < numNeurons; ++k) {
    const int source = k < static_cast<int>(inputOf.size()) ? inputOf[static_cast<size_t>(k)] : -1;
    activations[static_cast<size_t>(k)] =
        source >= 0 && source < belowCount ? below->activations[static_cast<size_t>(source)] : 0.0;
  }
  Activate(activations.data());
}

const char* TConditionLayer::GetLayerType() const {
  return "FuzzyCondition";
}

void TConditionLayer::Destroy() {
  delete this;
}

TBasicLayer* TConditionLayer::Clone(TBasicNetwork* net) const {
  auto* copy = new TConditionLayer(net, layerNum, numNeurons);
  // A layer whose description was never set clones without one.
  if (IsValidMembership(numInputs, membershipCounts.data())) {
    copy->SetMembership(numInputs, membershipCounts.data());
  }
  copy->CopyLayerState(*this);
  for (int i = 0; i < numNeurons; ++i) {
    TConditionNeuron& to = copy->nodes[static_cast<size_t>(i)];
    const TConditionNeuron& from = nodes[static_cast<size_t>(i)];
    to.activationFunction = from.activationFunction;
    to.CopyFrom(from);
    to.centre = from.centre;
    to.trainable = from.trainable;
  }
  return copy;
}

void TConditionLayer::RemoveNeuron(int) {}

int TConditionLayer::GetLayerKind() const {
  return 4;
}

bool TConditionLayer::IsValidMembership(int n, const int* counts) const {
  if (n < 0 || (n > 0 && counts == nullptr)) return false;
  long long sum = 0;
  for (int i = 0; i < n; ++i) {
    if (counts[i] < 2) return false;
    sum += counts[i];
  }
  return sum == numNeurons;
}

void TConditionLayer::SetMembership(int n, const int* counts) {
  if (!IsValidMembership(n, counts)) {
    const bool tooFew =
        n > 0 && counts != nullptr && std::any_of(counts, counts + n, [](int c) { return c < 2; });
    ThrowException(tooFew ? "Must be >= 2 MF per input" : "MF counts do not match the layer size",
                   "Bad Parameter", "TConditionLayer::SetMembership");
  }
  numInputs = n;
  membershipCounts.assign(counts, counts + n);
  inputOf.clear();
  inputOf.reserve(static_cast<size_t>(numNeurons));
  for (int i = 0; i < n; ++i) inputOf.insert(inputOf.end(), static_cast<size_t>(counts[i]), i);
  for (int k = 0; k < numNeurons; ++k) {
    TConditionNeuron& neuron = nodes[static_cast<size_t>(k)];
    PlaceNeuron(neuron, k);
    neuron.activationFunction = FnFuNNCondition;
  }
  LinkNeurons();
  ResetCentres(n);
}

// Links each input's block as a chain: neighbours never cross inputs.
void TConditionLayer::LinkNeurons() {
  int first = 0;
  for (int i = 0; i < numInputs; ++i) {
    const int NdxMF = membershipCounts[static_cast<size_t>(i)];
    NUXA_ASSERT(NdxMF >= 2);
    TConditionNeuron* block = &nodes[static_cast<size_t>(first)];
    for (int j = 0; j < NdxMF; ++j) {
      block[j].left = j > 0 ? &block[j - 1] : nullptr;
      block[j].right = j < NdxMF - 1 ? &block[j + 1] : nullptr;
    }
    first += NdxMF;
  }
}

void TConditionLayer::ResetCentres(int n) {
  n = std::min(n, numInputs);
  int first = 0;
  for (int i = 0; i < n; ++i) {
    const int NdxMF = membershipCounts[static_cast<size_t>(i)];
    NUXA_ASSERT(NdxMF >= 2);
    for (int j = 0; j < NdxMF; ++j) {
      nodes[static_cast<size_t>(first + j)].centre =
          static_cast<double>(j) / static_cast<double>(NdxMF - 1);
    }
    first += NdxMF;
  }
}

int TConditionLayer::GetFirstNeuron(int input) const {
  int first = 0;
  for (int i = 0; i < input && i < numInputs; ++i)
    first += membershipCounts[static_cast<size_t>(i)];
  return first;
}

int TConditionLayer::GetInputNeurons(int input, std::vector<int>& neurons) const {
  neurons.clear();
  if (input < 0 || input >= numInputs) return 0;
  const int first = GetFirstNeuron(input);
  const int count = membershipCounts[static_cast<size_t>(input)];
  for (int j = 0; j < count; ++j) neurons.push_back(first + j);
  return count;
}

int TConditionLayer::GetMFIndex(int neuron) const {
  const int input = neuron >= 0 && neuron < static_cast<int>(inputOf.size())
                        ? inputOf[static_cast<size_t>(neuron)]
                        : numInputs;
  return neuron - GetFirstNeuron(input);
}

}  // namespace nuxa
