// The set from a FuNN network's action layer to its output layer.
//
// Each action neuron belongs to exactly one output, so the set holds one arc
// per action neuron: from the neuron to its output (the output layer's map).
// The weight of the arc is the centre of that output membership function,
// stored here, one per action neuron. The output layer reads the centres
// directly when it defuzzifies; it does not aggregate through this set.
#ifndef NUXA_FUNN_TTOOUTPUTCONNECTIONS_H_
#define NUXA_FUNN_TTOOUTPUTCONNECTIONS_H_

#include <vector>

#include "NeuralNets/TConnections.h"

namespace nuxa {

class TFuNNOutputLayer;

/// Type name "ToOutputConnections". Arcs are visited in action-neuron order;
/// the weight locations handed to visitors are the centres themselves.
///
/// The set finds its output layer in the network at toLayer whenever it
/// needs it. When that position holds no FuNN output layer (a network file
/// may put the set anywhere) the set has no arcs. Weight, GetMask and
/// SetMask on a pair that names no action neuron use a scratch slot of the
/// set instead of stray memory; callers check IsValid first.
class TToOutputConnections : public TBasicConnections {
 public:
  /// One centre (0.0) and one mask (FMaskAll) per neuron of the layer at
  /// fromLayer, which should already be in place.
  TToOutputConnections(TBasicNetwork* network, int fromLayer, int toLayer);
  ~TToOutputConnections() override;

  /// The centre of action neuron from; to is ignored.
  double& Weight(int from, int to) override;
  /// from is an action neuron and to the output it belongs to.
  bool IsValid(int from, int to) const override;
  /// An existing arc whose mask has the trainable bit: a frozen centre must
  /// stay frozen through a network file and a copy of the network.
  bool IsTrainable(int from, int to) const override;
  void PruneWeight(int from, int to) override;     // nothing: every arc stays
  void AddWeight(int from, int to) override;       // nothing
  void UnfreezeWeight(int from, int to) override;  // SetMask(from, to, FMaskAll)
  void FreezeWeight(int from, int to) override;    // SetMask(from, to, FMaskExists)
  /// The arcs into output toNeuron: its action neurons in order.
  void IterateTo(TIterateObj& visitor, int toNeuron, int which) override;
  /// The single arc out of action neuron fromNeuron.
  void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) override;
  /// Every selected arc, action neurons in order.
  void Iterate(TIterateObj& visitor, int which) override;
  void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) override;
  void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                int which) override;
  const char* GetConnectionsNType() const override;  // "ToOutputConnections"
  /// The mask of the arc out of action neuron from.
  unsigned char GetMask(int from, int to) const override;
  /// Stores val, whatever it is, as the mask of the arc out of from.
  void SetMask(int from, int to, unsigned char val) override;
  void Destroy() override;
  /// A new set for the same pair of network with copies of the centres,
  /// every mask FMaskAll.
  TBasicConnections* Clone(TBasicNetwork* network) const override;
  /// Not supported: the membership structure is fixed (fatal).
  void RemoveFromNeuron(int node) override;
  void RemoveToNeuron(int node) override;

  /// Spreads the centres of each output's action neurons evenly over 0 to 1:
  /// j / (m - 1) for j = 0 to m - 1, the first exactly 0.0, the last 1.0.
  void ResetCentres();

  /// The network's FuNN output layer at toLayer, or null when that position
  /// holds none.
  TFuNNOutputLayer* TargetLayer() const;

  /// One centre per action neuron.
  std::vector<double> centres;
  /// One mask per action neuron.
  std::vector<unsigned char> masks;

 private:
  // Visits the arc out of action neuron a if its mask has every bit of sel.
  template <class Visit>
  void VisitArc(const TFuNNOutputLayer& target, int a, unsigned char sel, Visit visit);
  int NumArcs(const TFuNNOutputLayer& target) const;

  double scratchWeight_ = 0.0;
  unsigned char scratchMask_ = 0;
};

}  // namespace nuxa

#endif  // NUXA_FUNN_TTOOUTPUTCONNECTIONS_H_
