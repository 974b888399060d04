// The fully connected set: a dense weight matrix in which every arc exists
// and is trainable.
#ifndef NUXA_NEURALNETS_TCONNECTEDCONNECTIONS_H_
#define NUXA_NEURALNETS_TCONNECTEDCONNECTIONS_H_

#include <cstddef>
#include <vector>

#include "NeuralNets/TConnections.h"

namespace nuxa {

/// Type name "FullyConnected". The weights are one contiguous block of nTo
/// rows of nFrom entries, so recall, randomisation and copying run over plain
/// rows. Its bulk order (GetWeights, SetWeights) is from-major: for each
/// from-neuron, every to-neuron.
class TConnectedConnections : public TBasicConnections {
 public:
  /// Sized from the two layers' current neuron counts (the layers must be in
  /// place); every weight 0.0.
  TConnectedConnections(TBasicNetwork* network, int fromLayer, int toLayer);

  int GetNumWeights(int which) override;                     // nFrom * nTo, whatever which
  int GetWeights(double* buffer, int which) override;        // all, from-major
  int SetWeights(const double* buffer, int which) override;  // all, from-major
  void Randomize(double min, double max) override;           // every weight, storage order
  double& Weight(int from, int to) override { return index_weights[static_cast<size_t>(to)][from]; }
  void Aggregate(double* net) override;
  bool IsValid(int from, int to) const override;   // true
  void PruneWeight(int from, int to) override;     // not supported (fatal)
  void AddWeight(int from, int to) override;       // nothing
  void UnfreezeWeight(int from, int to) override;  // nothing
  void FreezeWeight(int from, int to) override;    // not supported (fatal)
  void IterateTo(TIterateObj& visitor, int toNeuron, int which) override;
  void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) override;
  void Iterate(TIterateObj& visitor, int which) override;
  void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) override;
  void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                int which) override;
  const char* GetConnectionsNType() const override;  // "FullyConnected"
  void Destroy() override;
  TBasicConnections* Clone(TBasicNetwork* network) const override;
  void RemoveFromNeuron(int node) override;
  void RemoveToNeuron(int node) override;
  /// The new column gets random weights in [min, max), rows in order;
  /// attached must be true (fatal otherwise).
  void InsertFromNeuron(int node, double min, double max, bool attached) override;
  /// The new row gets random weights in [min, max), columns in order;
  /// attached must be true (fatal otherwise).
  void InsertToNeuron(int node, double min, double max, bool attached) override;

  /// Rows and columns of the stored matrix (equal to the layers' counts
  /// whenever the network is consistent).
  int Rows() const { return nTo_; }
  int Columns() const { return nFrom_; }

  /// The weights, row by row: weight (from, to) is array_weights[to * nFrom + from].
  std::vector<double> array_weights;
  /// Row to of array_weights: weight (from, to) is index_weights[to][from].
  std::vector<double*> index_weights;

 private:
  void Resize(int nFrom, int nTo);  // fresh zero storage of that shape
  int nFrom_ = 0;
  int nTo_ = 0;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TCONNECTEDCONNECTIONS_H_
