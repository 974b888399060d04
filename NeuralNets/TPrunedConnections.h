// The pruneable set: a dense weight matrix with one mask byte per arc, so
// arcs can be removed and frozen one by one.
#ifndef NUXA_NEURALNETS_TPRUNEDCONNECTIONS_H_
#define NUXA_NEURALNETS_TPRUNEDCONNECTIONS_H_

#include <cstddef>
#include <vector>

#include "NeuralNets/TConnections.h"

namespace nuxa {

/// Type name "Pruneable". Weights and masks are contiguous blocks of nTo rows
/// of nFrom entries. An arc is removed (mask 0), frozen (FMaskExists) or
/// trainable (FMaskAll). Its bulk order (GetWeights, SetWeights) is the
/// traversal order: for each to-neuron, its selected from-neurons.
class TPrunedConnections : public TBasicConnections {
 public:
  /// Sized from the two layers' current neuron counts (the layers must be in
  /// place); every weight 0.0, every arc FMaskAll.
  TPrunedConnections(TBasicNetwork* network, int fromLayer, int toLayer);

  int GetNumWeights(int which) override;
  int GetWeights(double* buffer, int which) override;
  int SetWeights(const double* buffer, int which) override;
  /// Every weight whose mask has bit 2, storage order.
  void Randomize(double min, double max) override;
  double& Weight(int from, int to) override { return index_weights[static_cast<size_t>(to)][from]; }
  /// Existing arcs only, frozen ones included.
  void Aggregate(double* net) override;
  bool IsValid(int from, int to) const override;      // mask bit 1
  bool IsTrainable(int from, int to) const override;  // mask bit 2
  void PruneWeight(int from, int to) override;        // mask 0, weight 0.0
  void AddWeight(int from, int to) override;          // a removed arc: FMaskAll, weight 0.0
  void UnfreezeWeight(int from, int to) override;     // an existing arc: set bit 2
  void FreezeWeight(int from, int to) override;       // clear bit 2
  void IterateTo(TIterateObj& visitor, int toNeuron, int which) override;
  void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) override;
  void Iterate(TIterateObj& visitor, int which) override;
  void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) override;
  void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                int which) override;
  const char* GetConnectionsNType() const override;  // "Pruneable"
  unsigned char GetMask(int from, int to) const override;
  void SetMask(int from, int to, unsigned char val) override;  // stored unchecked
  void Destroy() override;
  TBasicConnections* Clone(TBasicNetwork* network) const override;
  void RemoveFromNeuron(int node) override;
  void RemoveToNeuron(int node) override;
  /// New column: random weights and FMaskAll when attached, else weight 0.0
  /// and mask 0 (the new neuron has no arcs here).
  void InsertFromNeuron(int node, double min, double max, bool attached) override;
  /// New row, as InsertFromNeuron.
  void InsertToNeuron(int node, double min, double max, bool attached) override;

  /// Rows and columns of the stored matrices (equal to the layers' counts
  /// whenever the network is consistent).
  int Rows() const { return nTo_; }
  int Columns() const { return nFrom_; }

  std::vector<double> array_weights;
  std::vector<double*> index_weights;  // index_weights[to][from]
  std::vector<unsigned char> array_masks;
  std::vector<unsigned char*> index_masks;  // index_masks[to][from]

 private:
  void Resize(int nFrom, int nTo);  // fresh storage: weights 0.0, masks FMaskAll
  int nFrom_ = 0;
  int nTo_ = 0;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TPRUNEDCONNECTIONS_H_
