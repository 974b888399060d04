#include "NeuralNets/MLP/TMLPNetwork.h"

#include "Common/Assert.h"

namespace nuxa {

TMLPNetwork::TMLPNetwork(int L, const int* sizes, bool bias) : bias(bias) {
  // Positions 0 and 1 always exist: the bias slot and the input layer.
  NUXA_ASSERT(L >= 1);
  SetNumLayers(L + 1);
  SetLayer(0, new TSimpleLayer(this, 0, bias ? 1 : 0));
  SetLayer(1, new TSimpleInputLayer(this, 1, sizes[0]));
  for (int i = 2; i <= L; ++i) SetLayer(i, new TGainLayer(this, i, sizes[i - 1], 1.0));
  layers[1]->SetActivationFunction(FnLinear);
  for (int i = 2; i <= L; ++i) {
    Connect(i - 1, i);
    layers[static_cast<size_t>(i)]->SetActivationFunction(FnSigmoid);
  }
  if (bias) {
    layers[0]->SetActivationFunction(FnBias);
    for (int i = 2; i <= L; ++i) Connect(0, i);
  }
  inLayer = 1;
}

TMLPNetwork::TMLPNetwork(int L, bool bias) : bias(bias) {
  SetNumLayers(L + 1);
}

TMLPNetwork::~TMLPNetwork() = default;

const char* TMLPNetwork::GetNetworkType() const {
  return "MLP";
}

}  // namespace nuxa
