// The multi-layer perceptron: an input layer, one or more sigmoid layers,
// full connections between successive layers and, optionally, a bias neuron
// connected to every layer above the input.
//
// For L layers of sizes s(0) .. s(L-1) the network has L + 1 positions:
//
//   0        TSimpleLayer, 1 neuron with bias ("bias"), else none
//   1        TSimpleInputLayer, s(0) neurons                   "linear"
//   2 .. L   TGainLayer, s(i - 1) neurons, every gain 1.0       "sigmoid"
//
// The sets i - 1 -> i (i = 2 .. L) and, with bias, 0 -> i (i = 2 .. L) are
// pruneable sets with every arc present and trainable; no set joins the bias
// to the input layer. The output layer is L.
#ifndef NUXA_NEURALNETS_MLP_TMLPNETWORK_H_
#define NUXA_NEURALNETS_MLP_TMLPNETWORK_H_

#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

/// The MLP network. Connect and single-pattern Recall are inherited.
class TMLPNetwork : public TBasicNetwork {
 public:
  /// The network of the table above; sizes has L entries and is read, not
  /// kept. All weights start at 0.0.
  TMLPNetwork(int L, const int* sizes, bool bias);
  /// The skeleton: L + 1 empty layer slots, every pair empty, inLayer 1,
  /// outLayer L. The builder installs the layers and sets itself.
  TMLPNetwork(int L, bool bias);
  TMLPNetwork(const TMLPNetwork& x) = default;
  TMLPNetwork& operator=(const TMLPNetwork& x) = default;
  ~TMLPNetwork() override;

  /// "MLP".
  const char* GetNetworkType() const override;

  /// Whether layer 0 holds a bias neuron connected to every layer above the
  /// input (as given to the constructor).
  bool HasBias() const { return bias; }

 protected:
  bool bias;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_MLP_TMLPNETWORK_H_
