#include "FuNN/TFuNNOutputLayer.h"

#include <algorithm>
#include <cstdio>

#include "Common/Exceptions.h"
#include "FuNN/TToOutputConnections.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

TFuNNOutputLayer::TFuNNOutputLayer(TBasicNetwork* network, int layerNum, int p)
    : TSimpleLayer(network, layerNum, p) {}

void TFuNNOutputLayer::Recall(const double*) {
  const int p = numNeurons;
  std::vector<double> numerator(static_cast<size_t>(std::max(p, 0)), 0.0);
  std::vector<double> denominator(numerator.size(), 0.0);

  // The action layer and its set to this layer, which holds the centres. A
  // network read from a file may hold something else there; only the action
  // neurons present in the layer, the map and the set take part.
  const TBasicLayer* actions =
      layerNum >= 1 ? network->layers[static_cast<size_t>(layerNum - 1)] : nullptr;
  const auto* set = actions != nullptr ? dynamic_cast<const TToOutputConnections*>(
                                             network->GetConnections(layerNum - 1, layerNum))
                                       : nullptr;
  if (set != nullptr) {
    const int count = std::min({numActions, static_cast<int>(outputOf.size()),
                                static_cast<int>(set->centres.size()), actions->numNeurons});
    for (int a = 0; a < count; ++a) {
      const int o = outputOf[static_cast<size_t>(a)];
      const double y = actions->activations[static_cast<size_t>(a)];
      numerator[static_cast<size_t>(o)] += y * set->centres[static_cast<size_t>(a)];
      denominator[static_cast<size_t>(o)] += y;
    }
  }

  for (int o = 0; o < p; ++o) {
    const double num = numerator[static_cast<size_t>(o)];
    const double den = denominator[static_cast<size_t>(o)];
    const double ActActivation = (num == 0.0 || den == 0.0) ? 0.0 : num / den;
    // Centres outside 0 to 1 (possible in a loaded network) or negative
    // action activations put the value outside the unit range: reported, not
    // fatal.
    if (ActActivation < 0.0 || ActActivation > 1.0) std::printf("%g\n", ActActivation);
    activations[static_cast<size_t>(o)] = ActActivation;
  }
}

const char* TFuNNOutputLayer::GetLayerType() const {
  return "Defuzzify";
}

TBasicLayer* TFuNNOutputLayer::Clone(TBasicNetwork* net) const {
  auto* copy = new TFuNNOutputLayer(net, layerNum, numNeurons);
  // A layer whose description was never set clones without one.
  if (IsValidMembership(numActions, membershipCounts.data())) {
    copy->SetMembership(numActions, membershipCounts.data());
  }
  copy->CopyContentsFrom(*this);
  return copy;
}

int TFuNNOutputLayer::GetLayerKind() const {
  return 5;
}

bool TFuNNOutputLayer::IsValidMembership(int actions, const int* counts) const {
  if (actions < 0 || (numNeurons > 0 && counts == nullptr)) return false;
  long long sum = 0;
  for (int o = 0; o < numNeurons; ++o) {
    if (counts[o] < 2) return false;
    sum += counts[o];
  }
  return sum == actions;
}

void TFuNNOutputLayer::SetMembership(int actions, const int* counts) {
  if (!IsValidMembership(actions, counts)) {
    const bool tooFew = numNeurons > 0 && counts != nullptr &&
                        std::any_of(counts, counts + numNeurons, [](int c) { return c < 2; });
    ThrowException(tooFew ? "Must be >= 2 MF per output"
                          : "MF counts do not match the number of action neurons",
                   "Bad Parameter", "TFuNNOutputLayer::SetMembership");
  }
  numActions = actions;
  membershipCounts.assign(counts, counts + numNeurons);
  outputOf.clear();
  outputOf.reserve(static_cast<size_t>(actions));
  for (int o = 0; o < numNeurons; ++o) {
    outputOf.insert(outputOf.end(), static_cast<size_t>(counts[o]), o);
  }
}

int TFuNNOutputLayer::GetFirstAction(int output) const {
  int first = 0;
  const int known = static_cast<int>(membershipCounts.size());
  for (int o = 0; o < output && o < known; ++o) first += membershipCounts[static_cast<size_t>(o)];
  return first;
}

int TFuNNOutputLayer::GetMFIndex(int action) const {
  const int output = action >= 0 && action < static_cast<int>(outputOf.size())
                         ? outputOf[static_cast<size_t>(action)]
                         : static_cast<int>(membershipCounts.size());
  return action - GetFirstAction(output);
}

}  // namespace nuxa
