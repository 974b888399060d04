// The set from a FuNN network's input layer to its condition layer.
//
// Each condition neuron fuzzifies exactly one input, so the set holds one arc
// per condition neuron: from the neuron's input (the condition layer's input
// map) to the neuron. The weight of the arc is the membership function's
// centre, stored in the condition neuron itself; the set keeps only the arc
// masks. The condition layer does not aggregate through this set.
#ifndef NUXA_FUNN_TTOCONDITIONCONNECTIONS_H_
#define NUXA_FUNN_TTOCONDITIONCONNECTIONS_H_

#include <vector>

#include "NeuralNets/TConnections.h"

namespace nuxa {

class TConditionLayer;

/// Type name "ToConditionConnections". Arcs are visited in condition-neuron
/// order; the weight locations handed to visitors are the neurons' centres,
/// so visitors that write weights change the centres.
///
/// The set finds its condition layer in the network at toLayer whenever it
/// needs it. When that position holds no condition layer (a network file may
/// put the set anywhere) the set has no arcs. Weight, GetMask and SetMask on
/// a pair that names no condition neuron use a scratch slot of the set
/// instead of stray memory; callers check IsValid first.
class TToConditionConnections : public TBasicConnections {
 public:
  /// The condition layer should already be at toLayer; one mask byte per
  /// condition neuron, all FMaskAll.
  TToConditionConnections(TBasicNetwork* network, int fromLayer, int toLayer);
  ~TToConditionConnections() override;

  /// The centre of condition neuron to; from is ignored.
  double& Weight(int from, int to) override;
  /// to is a condition neuron and from the input it fuzzifies.
  bool IsValid(int from, int to) const override;
  /// An existing arc whose mask has the trainable bit: a frozen centre must
  /// stay frozen through a network file and a copy of the network.
  bool IsTrainable(int from, int to) const override;
  void PruneWeight(int from, int to) override;     // nothing: every arc stays
  void AddWeight(int from, int to) override;       // nothing
  void UnfreezeWeight(int from, int to) override;  // SetMask(from, to, FMaskAll)
  void FreezeWeight(int from, int to) override;    // SetMask(from, to, FMaskExists)
  /// The single arc into condition neuron toNeuron.
  void IterateTo(TIterateObj& visitor, int toNeuron, int which) override;
  /// The arcs out of input fromNeuron: its condition neurons in order.
  void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) override;
  /// Every selected arc, condition neurons in order.
  void Iterate(TIterateObj& visitor, int which) override;
  void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) override;
  void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                int which) override;
  const char* GetConnectionsNType() const override;  // "ToConditionConnections"
  /// The mask of the arc into condition neuron to.
  unsigned char GetMask(int from, int to) const override;
  /// Stores val, whatever it is, as the mask of the arc into to.
  void SetMask(int from, int to, unsigned char val) override;
  void Destroy() override;
  /// A new set for the same pair of network, every mask FMaskAll; the
  /// centres travel with the condition layer's clone.
  TBasicConnections* Clone(TBasicNetwork* network) const override;
  /// Not supported: the membership structure is fixed (fatal).
  void RemoveFromNeuron(int node) override;
  void RemoveToNeuron(int node) override;

  /// The network's condition layer at toLayer, or null when that position
  /// holds no condition layer.
  TConditionLayer* TargetLayer() const;

  /// One mask per condition neuron.
  std::vector<unsigned char> masks;

 private:
  // Visits the arc into condition neuron k if its mask has every bit of sel.
  template <class Visit>
  void VisitArc(TConditionLayer& target, int k, unsigned char sel, Visit visit);
  int NumArcs(const TConditionLayer& target) const;

  double scratchWeight_ = 0.0;
  unsigned char scratchMask_ = 0;
};

}  // namespace nuxa

#endif  // NUXA_FUNN_TTOCONDITIONCONNECTIONS_H_
