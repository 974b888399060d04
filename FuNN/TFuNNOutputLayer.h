// The output layer of a FuNN network: one neuron per network output, each
// defuzzifying the action neurons of its output by centre of gravity.
//
// The action neurons (the layer below) are grouped by output: the neurons of
// output o form one contiguous block after the blocks of outputs 0 to o - 1.
// The centre of each action neuron's membership function lives in the
// action-to-output connection set (TToOutputConnections).
#ifndef NUXA_FUNN_TFUNNOUTPUTLAYER_H_
#define NUXA_FUNN_TFUNNOUTPUTLAYER_H_

#include <cstdint>
#include <vector>

#include "NeuralNets/TBasicLayer.h"

namespace nuxa {

/// Layer type "Defuzzify". Its neurons are plain neurons that record the
/// "cog" function; the layer computes their outputs itself.
class TFuNNOutputLayer : public TSimpleLayer {
 public:
  /// p neurons. The membership description is empty (no action neurons)
  /// until SetMembership.
  TFuNNOutputLayer(TBasicNetwork* network, int layerNum, int p);

  /// Centre-of-gravity defuzzification: output o becomes sum(y * c) / sum(y)
  /// over the action neurons of o (y their activation, c their centre), or
  /// 0.0 when either sum is 0.0. A value below 0 or above 1 is also written
  /// on a line of its own to the standard output (printf "%g"); recall goes
  /// on with it. input is not used; no function is applied.
  void Recall(const double* input) override;
  const char* GetLayerType() const override;  // "Defuzzify"
  /// Same position and neurons in network, same membership description.
  TBasicLayer* Clone(TBasicNetwork* network) const override;
  /// 5; nothing in the system calls it.
  int GetLayerKind() const override;

  /// Whether SetMembership(actions, counts) would be accepted: every one of
  /// the layer's numNeurons counts at least 2 and their sum equal to actions.
  bool IsValidMembership(int actions, const int* counts) const;
  /// Installs the membership description: actions action neurons, grouped
  /// by output with counts[0..numNeurons-1] (copied). Throws TException,
  /// location "TFuNNOutputLayer::SetMembership", category "Bad Parameter",
  /// when the counts are not valid: "Must be >= 2 MF per output" for a count
  /// below 2, "MF counts do not match the number of action neurons"
  /// otherwise. A refused call changes nothing.
  void SetMembership(int actions, const int* counts);
  /// The position of action neuron within its output's block.
  int GetMFIndex(int action) const;
  /// The number of the first action neuron of output.
  int GetFirstAction(int output) const;

  int GetNumActions() const { return numActions; }

  /// A, the number of action neurons.
  std::int32_t numActions = 0;
  /// For each output, its number of membership functions.
  std::vector<std::int32_t> membershipCounts;
  /// For each action neuron, the output it belongs to.
  std::vector<std::int32_t> outputOf;
};

}  // namespace nuxa

#endif  // NUXA_FUNN_TFUNNOUTPUTLAYER_H_
