// The condition layer of a FuNN network and its neurons.
//
// The condition layer fuzzifies every network input with a row of triangular
// membership functions, one neuron per membership function. The neurons of
// input i form one contiguous block, in membership-function order, after the
// blocks of inputs 0 to i - 1. Each neuron carries the centre of its function
// and links to its neighbours within the block, so the membership function
// ("FuNN-condition") reaches the neighbours' centres without a search.
//
// The layer also keeps the membership description the network file needs:
// the number of inputs, each input's membership-function count, and which
// input each neuron fuzzifies.
#ifndef NUXA_FUNN_TCONDITIONLAYER_H_
#define NUXA_FUNN_TCONDITIONLAYER_H_

#include <cstdint>
#include <vector>

#include "NeuralNets/TBasicLayer.h"

namespace nuxa {

/// A membership function of one input: its centre and its neighbours. The
/// centre is not a neuron parameter; it is the weight of the arc into the
/// neuron from its input (TToConditionConnections).
class TConditionNeuron : public TBasicNeuron {
 public:
  /// No neighbours, centre 0.0, trainable.
  TConditionNeuron() = default;
  ~TConditionNeuron() override = default;
  TConditionNeuron(const TConditionNeuron&) = default;
  TConditionNeuron& operator=(const TConditionNeuron&) = default;

  /// 0: the centre is reached as a weight, not as a parameter.
  int GetNumParameters() const override;

  double centre = 0.0;
  /// The neighbour with the next lower centre; null for an input's first
  /// function. Points into the same layer's neuron array.
  TConditionNeuron* left = nullptr;
  /// The neighbour with the next higher centre; null for an input's last
  /// function.
  TConditionNeuron* right = nullptr;
  /// Set and cleared by TFuNN::UnfreezeWeight / FreezeWeight; copied by the
  /// layer's Clone; nothing else reads it.
  bool trainable = true;
};

/// Layer type "FuzzyCondition". Its Recall takes each neuron's input value
/// from the layer below through the input map (no connection set is
/// consulted) and applies the membership functions.
class TConditionLayer : public TBasicLayer {
 public:
  /// n condition neurons with the "FuNN-condition" function. The membership
  /// description is empty (no inputs, every neuron unassigned) until
  /// SetMembership.
  TConditionLayer(TBasicNetwork* network, int layerNum, int n);

  TBasicNeuron& GetNeuron(int i) override { return nodes[static_cast<size_t>(i)]; }
  /// Fuzzification: every neuron takes the activation of the input-layer
  /// neuron it belongs to (0.0 when that neuron does not exist), then the
  /// layer's functions are applied in place. input is not used.
  void Recall(const double* input) override;
  const char* GetLayerType() const override;  // "FuzzyCondition"
  void Destroy() override;
  /// Same position and neurons in network, same membership description,
  /// centres and trainable flags, zero activations.
  TBasicLayer* Clone(TBasicNetwork* network) const override;
  /// Does nothing: the membership structure is fixed.
  void RemoveNeuron(int node) override;
  /// 4; nothing in the system calls it.
  virtual int GetLayerKind() const;

  /// Whether SetMembership(n, counts) would be accepted: n >= 0, every one
  /// of the n counts at least 2, and their sum equal to the neuron count.
  bool IsValidMembership(int n, const int* counts) const;
  /// Installs the membership description of n inputs from counts[0..n-1]
  /// (copied), links the neurons within each input's block and resets the
  /// centres (ResetCentres). Replaces any previous description.
  /// Throws TException, location "TConditionLayer::SetMembership", category
  /// "Bad Parameter", when the counts are not valid (IsValidMembership):
  /// "Must be >= 2 MF per input" for a count below 2, "MF counts do not
  /// match the layer size" otherwise. A refused call changes nothing.
  void SetMembership(int n, const int* counts);
  /// Spreads the centres of each of the first n inputs evenly over 0 to 1:
  /// j / (m - 1) for j = 0 to m - 1, the first exactly 0.0, the last 1.0.
  void ResetCentres(int n);
  /// The numbers of the neurons of input, in increasing order, into
  /// neurons; returns their count (the input's membership-function count).
  /// An input outside 0 to GetNumInputs() - 1 gives none.
  int GetInputNeurons(int input, std::vector<int>& neurons) const;
  /// The position of neuron's membership function within its input.
  int GetMFIndex(int neuron) const;
  /// The number of the first neuron of input (the counts of all lower
  /// inputs added up).
  int GetFirstNeuron(int input) const;

  int GetNumInputs() const { return numInputs; }
  /// The condition neuron i, 0 <= i < numNeurons.
  TConditionNeuron& GetConditionNeuron(int i) { return nodes[static_cast<size_t>(i)]; }
  const TConditionNeuron& GetConditionNeuron(int i) const { return nodes[static_cast<size_t>(i)]; }

  std::vector<TConditionNeuron> nodes;
  /// For each neuron, the network input it fuzzifies.
  std::vector<std::int32_t> inputOf;
  /// For each input, its number of membership functions.
  std::vector<std::int32_t> membershipCounts;
  std::int32_t numInputs = 0;

 private:
  void LinkNeurons();
};

}  // namespace nuxa

#endif  // NUXA_FUNN_TCONDITIONLAYER_H_
