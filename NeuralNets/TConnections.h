// Connection sets: the weighted arcs from the neurons of one layer (the
// from-layer) to the neurons of another (the to-layer) of the same network.
//
// The network keeps exactly one set per ordered pair of layers. Arcs are
// addressed by (from, to), neuron indices in the from-layer and the to-layer.
// Each arc has a mask: bit 1 says it exists, bit 2 that it is trainable; kinds
// without masks answer FMaskAll. The arc selector `which` of the counting,
// copying and traversal operations: 1 selects every existing arc, any other
// value only the existing arcs that are also trainable (callers use 1 and 0).
#ifndef NUXA_NEURALNETS_TCONNECTIONS_H_
#define NUXA_NEURALNETS_TCONNECTIONS_H_

#include <vector>

namespace nuxa {

class TBasicNetwork;
class TBasicLayer;
class TIterateObj;
class TIterateObj2;
class TIterateObj3;

/// An arc that exists but is frozen.
constexpr unsigned char FMaskExists = 1;
/// An arc that exists and is trainable.
constexpr unsigned char FMaskAll = 3;

/// A random weight in [min, max): min + r * (max - min) / 32767 with r the
/// next draw of the standard rand() taken modulo 32767. When min equals max
/// the result is min and no draw is made. rand() is never seeded here.
double RandomWeight(double min, double max);

/// The interface of every connection set. Sets are owned by their network,
/// created with new and released through Destroy.
class TBasicConnections {
 public:
  /// Records the owning network and the pair.
  TBasicConnections(TBasicNetwork* network, int fromLayer, int toLayer);
  virtual ~TBasicConnections();
  TBasicConnections(const TBasicConnections&) = delete;
  TBasicConnections& operator=(const TBasicConnections&) = delete;

  /// Whether this is a real set (not the empty one).
  virtual bool IsConnected() const;
  /// Number of arcs `which` selects. Here: the visits of Iterate.
  virtual int GetNumWeights(int which);
  /// Writes the selected weights to buffer in this kind's own order and
  /// returns how many. Here: Iterate's order (to-major).
  virtual int GetWeights(double* buffer, int which);
  /// Reads the selected weights from buffer in GetWeights' order and returns
  /// how many.
  virtual int SetWeights(const double* buffer, int which);
  /// Draws every trainable weight with RandomWeight. Here: by Iterate(0).
  virtual void Randomize(double min, double max);
  /// The stored weight of arc (from, to).
  virtual double& Weight(int from, int to) = 0;
  /// Adds this set's share of the net inputs of the to-layer: for each
  /// to-neuron i, the sum over its existing arcs (from-neurons ascending) of
  /// weight times the from-neuron's activation, added to net[i]. Here: by
  /// IterateTo with which 1.
  virtual void Aggregate(double* net);
  /// Whether arc (from, to) exists.
  virtual bool IsValid(int from, int to) const = 0;
  /// Whether arc (from, to) is trainable. Here: IsValid.
  virtual bool IsTrainable(int from, int to) const;
  /// Removes the arc (mask 0, weight 0.0). Not supported here (fatal).
  virtual void PruneWeight(int from, int to);
  /// Creates a removed arc as trainable with weight 0.0. Not supported here
  /// (fatal).
  virtual void AddWeight(int from, int to);
  /// Makes an existing arc trainable. Not supported here (fatal).
  virtual void UnfreezeWeight(int from, int to);
  /// Makes an arc frozen. Not supported here (fatal).
  virtual void FreezeWeight(int from, int to);
  /// Visits the selected arcs into toNeuron, from-neurons ascending.
  virtual void IterateTo(TIterateObj& visitor, int toNeuron, int which) = 0;
  /// Visits the selected arcs out of fromNeuron, to-neurons ascending.
  virtual void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) = 0;
  /// Visits every selected arc: to-neuron outer, from-neuron inner.
  virtual void Iterate(TIterateObj& visitor, int which) = 0;
  /// As Iterate, handing the visitor the weight of the same arc in the same
  /// pair of network2 too; that set must be of the same kind.
  virtual void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) = 0;
  /// As Iterate2 with two other networks.
  virtual void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                        int which) = 0;
  /// The type name the network file uses ("Empty", "FullyConnected", ...).
  virtual const char* GetConnectionsNType() const = 0;
  /// The arc's mask. Here: FMaskAll.
  virtual unsigned char GetMask(int from, int to) const;
  /// Stores the arc's mask. Here nothing is stored, and val must be FMaskAll
  /// or FMaskExists (fatal otherwise).
  virtual void SetMask(int from, int to, unsigned char val);
  /// Releases the set and everything it owns.
  virtual void Destroy() = 0;
  /// A new set of the same kind for the same pair of network, with copies of
  /// the weights (and masks). The caller owns it.
  virtual TBasicConnections* Clone(TBasicNetwork* network) const = 0;
  /// Drops from-neuron node (called after the from-layer lost it).
  virtual void RemoveFromNeuron(int node) = 0;
  /// Drops to-neuron node (called after the to-layer lost it).
  virtual void RemoveToNeuron(int node) = 0;
  /// Makes room for a new from-neuron at node (called after the from-layer
  /// gained it). Not supported here (fatal).
  virtual void InsertFromNeuron(int node, double min, double max, bool attached);
  /// Makes room for a new to-neuron at node. Not supported here (fatal).
  virtual void InsertToNeuron(int node, double min, double max, bool attached);

  /// GetNumWeights(1) masks, those of every existing arc in Iterate order.
  std::vector<unsigned char> GetFlags();
  /// SetMask of every existing arc in Iterate order from consecutive values
  /// (GetNumWeights(1) of them).
  void SetFlags(const unsigned char* values);
  /// FreezeWeight on every existing arc.
  void MakeAllUntrainable();

  /// Neuron counts of the pair's layers, read from the network now.
  int GetNumFrom() const;
  int GetNumTo() const;
  TBasicLayer* GetFromLayerPtr() const;
  TBasicLayer* GetToLayerPtr() const;

  /// The owning network (not owned).
  TBasicNetwork* network;
  int fromLayer;
  int toLayer;
};

/// The set of a pair without arcs. Every pair starts with one.
class TEmptyConnections : public TBasicConnections {
 public:
  TEmptyConnections(TBasicNetwork* network, int fromLayer, int toLayer);

  bool IsConnected() const override;                         // false
  int GetNumWeights(int which) override;                     // 0
  int GetWeights(double* buffer, int which) override;        // 0, writes nothing
  int SetWeights(const double* buffer, int which) override;  // 0, reads nothing
  void Randomize(double min, double max) override;           // nothing
  double& Weight(int from, int to) override;                 // no weights (fatal)
  void Aggregate(double* net) override;                      // nothing
  bool IsValid(int from, int to) const override;             // false
  void IterateTo(TIterateObj& visitor, int toNeuron, int which) override;
  void IterateFrom(TIterateObj& visitor, int fromNeuron, int which) override;
  void Iterate(TIterateObj& visitor, int which) override;
  void Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) override;
  void Iterate3(TIterateObj3& visitor, TBasicNetwork* network2, TBasicNetwork* network3,
                int which) override;
  const char* GetConnectionsNType() const override;  // "Empty"
  void Destroy() override;
  TBasicConnections* Clone(TBasicNetwork* network) const override;
  void RemoveFromNeuron(int node) override;                                         // nothing
  void RemoveToNeuron(int node) override;                                           // nothing
  void InsertFromNeuron(int node, double min, double max, bool attached) override;  // nothing
  void InsertToNeuron(int node, double min, double max, bool attached) override;    // nothing
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TCONNECTIONS_H_
