// Walking the arcs of a network.
//
// Internal walks are pushed: a connection set (or the network) traverses its
// arcs and calls a visitor, a TIterateObj, once per arc; counting, copying,
// randomising, masking and weight-list writing are such visitors. External
// walks are pulled: an arcs iterator is started on the arcs into one neuron
// and stepped forward or backward by its user.
#ifndef NUXA_NEURALNETS_TITERATE_H_
#define NUXA_NEURALNETS_TITERATE_H_

#include <iosfwd>

#include "NeuralNets/TConnections.h"

namespace nuxa {

class TBasicNetwork;
class TBasicLayer;
class TBasicNeuron;
class TBasicConnections;
class FileTools;

/// A visitor of arcs. The traversing set binds it to itself before the first
/// visit (Bind), then for each arc sets fromNeuron, toNeuron, weight and
/// trainable and calls Visit (VisitArc does both).
class TIterateObj {
 public:
  TIterateObj() = default;
  virtual ~TIterateObj() = default;

  /// Called once per arc after the per-visit fields are set; does nothing
  /// here.
  virtual void Visit();

  /// Binds to set: its pair, its layers and their activations.
  void Bind(TBasicConnections* set);
  /// Binds to network's set for (fromLayer, toLayer).
  void Bind(TBasicNetwork* network, int fromLayer, int toLayer);
  /// Sets the per-visit fields and calls Visit.
  void VisitArc(int from, int to, double* w, bool isTrainable) {
    fromNeuron = from;
    toNeuron = to;
    weight = w;
    trainable = isTrainable;
    Visit();
  }

  int fromLayer = 0;
  int toLayer = 0;
  int fromNeuron = 0;
  int toNeuron = 0;
  TBasicConnections* connections = nullptr;
  /// The current arc's stored weight; a visitor may read and write it.
  double* weight = nullptr;
  bool trainable = false;
  TBasicLayer* fromLayerPtr = nullptr;
  TBasicLayer* toLayerPtr = nullptr;
  /// The two layers' activations at binding time.
  double* fromActivations = nullptr;
  double* toActivations = nullptr;
};

/// sum += fromActivations[fromNeuron] * weight.
class TIterateObjAggregate : public TIterateObj {
 public:
  void Visit() override;
  double sum = 0.0;
};

/// count += 1 (GetNumWeights by traversal).
class TIterateObjGetNumWeights : public TIterateObj {
 public:
  void Visit() override;
  int count = 0;
};

/// count += 1 (the network file writer's arc count).
class TIterateObjCount : public TIterateObj {
 public:
  void Visit() override;
  int count = 0;
};

/// count += 1 (PruneNodes' count of outgoing arcs).
class TIterateObjPruneNode : public TIterateObj {
 public:
  void Visit() override;
  int count = 0;
};

/// Copies each weight to the next buffer place.
class TIterateObjGetWeights : public TIterateObj {
 public:
  explicit TIterateObjGetWeights(double* buffer) : position(buffer) {}
  void Visit() override;
  int count = 0;
  double* position;
};

/// Sets each weight from the next buffer place.
class TIterateObjSetWeights : public TIterateObj {
 public:
  explicit TIterateObjSetWeights(const double* buffer) : position(buffer) {}
  void Visit() override;
  int count = 0;
  const double* position;
};

/// Draws each weight with RandomWeight(min, max).
class TIterateObjRandomize : public TIterateObj {
 public:
  TIterateObjRandomize(double minimum, double maximum) : min(minimum), max(maximum) {}
  void Visit() override;
  double min;
  double max;
};

/// buffer[count] = the arc's mask.
class TIterateObjGetFlags : public TIterateObj {
 public:
  explicit TIterateObjGetFlags(unsigned char* values) : buffer(values) {}
  void Visit() override;
  int count = 0;
  unsigned char* buffer;
};

/// The arc's mask = buffer[count].
class TIterateObjSetFlags : public TIterateObj {
 public:
  explicit TIterateObjSetFlags(const unsigned char* values) : buffer(values) {}
  void Visit() override;
  int count = 0;
  const unsigned char* buffer;
};

/// Freezes each arc.
class TIterateObjAllUntrainable : public TIterateObj {
 public:
  void Visit() override;
};

/// Writes one weight-list line per arc through the block writer:
/// "[From=f To=t Weight=w Trainable ]" with CR LF, the weight with `decimals`
/// digits after the point, the last word ("Trainable" or "UnTrainable") only
/// with writeTrainable.
class TIterateObjSaveWeights : public TIterateObj {
 public:
  TIterateObjSaveWeights(std::ostream& os, FileTools& tools, bool writeTrainable, int decimals)
      : stream(os), tools(tools), writeTrainable(writeTrainable), decimals(decimals) {}
  void Visit() override;
  std::ostream& stream;
  FileTools& tools;
  bool writeTrainable;
  int decimals;
};

/// A visitor of the same arcs in the same pair of two networks of identical
/// shape. Selection and trainable come from this network's set.
class TIterateObj2 {
 public:
  /// Binds the sets (fromLayer, toLayer) of both networks, which must be of
  /// the same kind (fatal otherwise).
  TIterateObj2(TBasicNetwork* network1, TBasicNetwork* network2, int fromLayer, int toLayer,
               int fromNeuron, int toNeuron);
  virtual ~TIterateObj2() = default;
  /// Does nothing here.
  virtual void Visit();
  /// Rebinds from the traversing set and the same pair of network2.
  void Bind(TBasicConnections* set, TBasicNetwork* network2);
  /// Sets the per-visit fields, w1 being this network's weight and weight2
  /// looked up in connections2, and calls Visit.
  void VisitArc(int from, int to, double* w1, bool isTrainable) {
    fromNeuron = from;
    toNeuron = to;
    weight1 = w1;
    weight2 = &connections2->Weight(from, to);
    trainable = isTrainable;
    Visit();
  }

  int fromLayer;
  int toLayer;
  int fromNeuron;
  int toNeuron;
  TBasicConnections* connections1 = nullptr;
  TBasicConnections* connections2 = nullptr;
  double* weight1 = nullptr;
  double* weight2 = nullptr;
  bool trainable = false;
  TBasicLayer* fromLayer1 = nullptr;
  TBasicLayer* toLayer1 = nullptr;
  TBasicLayer* fromLayer2 = nullptr;
  TBasicLayer* toLayer2 = nullptr;
  double* fromActivations1 = nullptr;
  double* toActivations1 = nullptr;
  double* fromActivations2 = nullptr;
  double* toActivations2 = nullptr;
};

/// As TIterateObj2 over three networks.
class TIterateObj3 {
 public:
  TIterateObj3(TBasicNetwork* network1, TBasicNetwork* network2, TBasicNetwork* network3,
               int fromLayer, int toLayer, int fromNeuron, int toNeuron);
  virtual ~TIterateObj3() = default;
  virtual void Visit();
  void Bind(TBasicConnections* set, TBasicNetwork* network2, TBasicNetwork* network3);
  /// As TIterateObj2::VisitArc, weight3 looked up in connections3.
  void VisitArc(int from, int to, double* w1, bool isTrainable) {
    fromNeuron = from;
    toNeuron = to;
    weight1 = w1;
    weight2 = &connections2->Weight(from, to);
    weight3 = &connections3->Weight(from, to);
    trainable = isTrainable;
    Visit();
  }

  int fromLayer;
  int toLayer;
  int fromNeuron;
  int toNeuron;
  TBasicConnections* connections1 = nullptr;
  TBasicConnections* connections2 = nullptr;
  TBasicConnections* connections3 = nullptr;
  double* weight1 = nullptr;
  double* weight2 = nullptr;
  double* weight3 = nullptr;
  bool trainable = false;
  TBasicLayer* fromLayer1 = nullptr;
  TBasicLayer* toLayer1 = nullptr;
  TBasicLayer* fromLayer2 = nullptr;
  TBasicLayer* toLayer2 = nullptr;
  TBasicLayer* fromLayer3 = nullptr;
  TBasicLayer* toLayer3 = nullptr;
  double* fromActivations1 = nullptr;
  double* toActivations1 = nullptr;
  double* fromActivations2 = nullptr;
  double* toActivations2 = nullptr;
  double* fromActivations3 = nullptr;
  double* toActivations3 = nullptr;
};

/// An external walk over the arcs into one neuron. Valid while the network is
/// unchanged; any structural edit or set replacement invalidates it. The
/// neuron, index and weight accessors are meaningful only once Next or Prev
/// has returned true.
class TArcsIterator {
 public:
  virtual ~TArcsIterator() = default;
  virtual int GetFromLayer() const = 0;
  virtual int GetToLayer() const = 0;
  virtual int GetFromIndex() const = 0;
  virtual int GetToIndex() const = 0;
  virtual TBasicNeuron& GetToNeuron() = 0;
  virtual TBasicNeuron& GetFromNeuron() = 0;
  virtual double& GetWeight() = 0;
  /// IsValid().
  virtual bool Ok() const { return IsValid(); }
  /// Whether the iterator is bound to a connection set.
  virtual bool IsValid() const = 0;
  /// Moves to the next arc; false when there is none.
  virtual bool Next() = 0;
  /// Moves to the previous arc; false when there is none.
  virtual bool Prev() = 0;
};

/// Iterators over the arcs into a neuron from every layer.
class TInAllArcsIterator : public TArcsIterator {
 public:
  explicit TInAllArcsIterator(TBasicNetwork* network) : network(network) {}
  /// Positions before the first arc into toNeuron of toLayer; does nothing
  /// here.
  virtual void Start(int toLayer, int toNeuron);
  /// Start(neuron's layer number, neuron's index).
  void Start(const TBasicNeuron& neuron);

  TBasicNetwork* network;
};

/// Iterators over the arcs into a neuron from one given layer.
class TInLayerArcsIterator : public TArcsIterator {
 public:
  explicit TInLayerArcsIterator(TBasicNetwork* network) : network(network) {}
  /// Positions before the first arc from fromLayer into toNeuron of toLayer;
  /// does nothing here.
  virtual void Start(int toLayer, int toNeuron, int fromLayer);
  /// Start(neuron's layer number, neuron's index, fromLayer).
  void Start(const TBasicNeuron& neuron, int fromLayer = 0);

  TBasicNetwork* network;
};

/// Every arc into one neuron, from-layer by from-layer (each layer of the
/// network, the neuron's own and higher ones included), over matrix sets
/// ("FullyConnected", "Pruneable"). Masks are not consulted: a removed arc is
/// visited with its weight 0.0.
class TConnInAllArcsIterator : public TInAllArcsIterator {
 public:
  explicit TConnInAllArcsIterator(TBasicNetwork* network) : TInAllArcsIterator(network) {}
  using TInAllArcsIterator::Start;
  void Start(int toLayer, int toNeuron) override;

  int GetFromLayer() const override { return fromLayer; }
  int GetToLayer() const override { return toLayer; }
  int GetFromIndex() const override { return fromIndex; }
  int GetToIndex() const override { return toIndex; }
  TBasicNeuron& GetToNeuron() override { return *toNeuron; }
  TBasicNeuron& GetFromNeuron() override { return *fromNeuron; }
  double& GetWeight() override { return *weight; }
  bool IsValid() const override { return connections != nullptr; }
  bool Next() override;
  bool Prev() override;

 private:
  void Enter(int layer, int index);  // binds layer's set and moves to index
  void MoveTo(int index);

  int toLayer = -1;
  int toIndex = -1;
  TBasicNeuron* toNeuron = nullptr;
  TBasicConnections* connections = nullptr;  // the bound set; null before and after
  int fromLayer = -1;
  int fromIndex = -1;
  int lastIndex = -1;
  TBasicNeuron* fromNeuron = nullptr;
  double* weight = nullptr;
};

/// The arcs into one neuron from one from-layer, over a matrix set.
class TConnInLayerArcsIterator : public TInLayerArcsIterator {
 public:
  explicit TConnInLayerArcsIterator(TBasicNetwork* network) : TInLayerArcsIterator(network) {}
  using TInLayerArcsIterator::Start;
  void Start(int toLayer, int toNeuron, int fromLayer) override;

  int GetFromLayer() const override { return fromLayer; }
  int GetToLayer() const override { return toLayer; }
  int GetFromIndex() const override { return fromIndex; }
  int GetToIndex() const override { return toIndex; }
  TBasicNeuron& GetToNeuron() override { return *toNeuron; }
  TBasicNeuron& GetFromNeuron() override { return *fromNeuron; }
  double& GetWeight() override { return *weight; }
  bool IsValid() const override { return connections != nullptr; }
  bool Next() override;
  bool Prev() override;

 private:
  void MoveTo(int index);

  int toLayer = -1;
  int toIndex = -1;
  TBasicNeuron* toNeuron = nullptr;
  TBasicConnections* connections = nullptr;
  int fromLayer = -1;
  int fromIndex = -1;
  int lastIndex = -1;
  double* fromActivations = nullptr;
  TBasicNeuron* fromNeuron = nullptr;
  double* weight = nullptr;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TITERATE_H_
