// The network: an ordered list of layers and, for every ordered pair of
// layers, exactly one connection set holding the arcs from the first layer to
// the second. The pair table is square and complete: a pair without arcs holds
// an empty set, never a null entry. The network owns its layers, its sets and
// a registry of named activation functions.
//
// Layers are referred to by position everywhere (sets, neurons, iterators, the
// network file). The set from layer `from` to layer `to` is
// priv_conns_index[to][from]. A bias is an ordinary layer below the layers it
// feeds, by convention at position 0, holding one "bias" neuron: it has no
// lower layers to sum and so outputs 1.0 in Recall.
//
// This header also brings in the layer, set, visitor and activation-function
// declarations, so users of the network model need only include it.
#ifndef NUXA_NEURALNETS_TBASICNETWORK_H_
#define NUXA_NEURALNETS_TBASICNETWORK_H_

#include <cstddef>
#include <memory>
#include <vector>

#include "NeuralNets/ActFunctions.h"
#include "NeuralNets/TBasicLayer.h"
#include "NeuralNets/TConnections.h"
#include "NeuralNets/TIterate.h"

namespace nuxa {

/// A network whose pairs are joined by pruneable sets (Connect).
///
/// Life cycle: default constructed (unformed) -> SetNumLayers (slots empty,
/// all pairs empty) -> every slot given a layer of this network (populated;
/// check with IsPopulated) -> connected, weighted, recalled, edited ->
/// destroyed. Only a populated network may be copied, recalled or edited. The
/// layer and set tables are public so that the network-file reader can
/// install layers and sets directly (SetLayer, SetConnections do it safely).
class TBasicNetwork {
 public:
  /// Unformed: SetNumLayers must be the next call.
  TBasicNetwork();
  /// TBasicNetwork() followed by SetNumLayers(n).
  explicit TBasicNetwork(int n);
  /// Deep copy: every layer and set cloned into this network, a fresh
  /// registry with the standard functions.
  TBasicNetwork(const TBasicNetwork& x);
  /// Releases this network's layers and sets, then copies x as the copy
  /// constructor does. Nothing happens when x is this network.
  TBasicNetwork& operator=(const TBasicNetwork& x);
  /// Destroys every set, every layer and the registry. Empty slots (a network
  /// abandoned half built) are skipped.
  virtual ~TBasicNetwork();

  /// Sum of the pairs' counts of selected arcs.
  virtual int GetNumWeights(int which);
  /// Every pair's selected weights into one buffer, pairs from-layer outer,
  /// to-layer inner, each set in its own order; returns the total.
  virtual int GetWeights(double* buffer, int which);
  /// The reverse of GetWeights; returns the total read.
  virtual int SetWeights(const double* buffer, int which);
  /// Randomize(min, max) of every pair, in GetWeights' pair order.
  virtual void Randomize(double min, double max);
  /// Gives an empty pair a real set of this network's kind (here a
  /// TPrunedConnections: all arcs trainable, weights 0.0); a real set stays
  /// as it is, weights and all.
  virtual void Connect(int fromLayer, int toLayer);
  /// Replaces the pair's set, whatever it is, by a new empty one.
  virtual void Disconnect(int fromLayer, int toLayer);
  /// Forward computation: every layer's Recall in position order (each sums
  /// only the sets from lower layers), then the output layer's activations
  /// to output. input needs as many values as the input layer has neurons,
  /// output room for the output layer's neurons.
  virtual void Recall(const double* input, double* output);
  /// "Basic".
  virtual const char* GetNetworkType() const;
  /// A new arcs iterator over this network. Not available for this class
  /// (fatal); TConnectedNetwork gives a TConnInAllArcsIterator.
  virtual std::unique_ptr<TArcsIterator> NewArcsIterator();

  /// Forms the network for n_layers layers: inLayer 1, outLayer n_layers - 1,
  /// every pair an empty set, every layer slot empty, the registry filled
  /// with the standard functions. Meant for an unformed network; anything a
  /// formed one held is released first.
  void SetNumLayers(int n_layers);

  // ---- Queries.

  int GetNumLayers() const { return numLayers; }
  /// The layer at position i (null while the slot is empty).
  TBasicLayer* GetLayer(int i) const { return layers[static_cast<size_t>(i)]; }
  /// The set from layer fromLayer to layer toLayer.
  TBasicConnections* GetConnections(int fromLayer, int toLayer) const {
    return priv_conns_index[static_cast<size_t>(toLayer)][fromLayer];
  }
  /// Whether every layer slot holds a layer.
  bool IsPopulated() const;
  /// Sum of the neuron counts of all layers.
  int GetNumNeurons() const;
  /// The neuron with network-wide number index (layer by layer, within a
  /// layer in neuron order); 0 <= index < GetNumNeurons().
  TBasicNeuron& GetNeuron(int index);
  /// The network's registry of activation functions.
  TFnRegistry& GetRegistry() { return *registry; }

  // ---- Installing parts (for builders such as the network-file reader).

  /// Puts layer (made for this network at position i) into slot i, destroying
  /// the layer that was there; the network owns it.
  void SetLayer(int i, TBasicLayer* layer);
  /// Puts set (made for this network and the pair) at the pair, destroying
  /// the set that was there; the network owns it.
  void SetConnections(int fromLayer, int toLayer, TBasicConnections* set);

  // ---- Arc visits across all layers.

  /// Every selected arc into toNeuron of toLayer: IterateTo of the sets from
  /// every layer 0..n-1 in order.
  void IterateInArcs(TIterateObj& visitor, int toLayer, int toNeuron, int which);
  /// Every selected arc out of fromNeuron of fromLayer: IterateFrom of the
  /// sets to every layer 0..n-1 in order.
  void IterateOutArcs(TIterateObj& visitor, int fromLayer, int fromNeuron, int which);

  // ---- Structural edits. LayerNum is a layer position, node a neuron index.

  /// Puts layer (constructed for this network) at LayerNum, 0 <= LayerNum <=
  /// n; the layers and sets at and above it move up one position, inLayer and
  /// outLayer with them. The new layer's pairs are empty.
  void InsertLayer(int LayerNum, TBasicLayer* layer);
  /// Destroys the layer at LayerNum and every set touching it; the layers
  /// above move down. LayerNum must be neither inLayer nor outLayer.
  void RemoveLayer(int LayerNum);
  /// Inserts a neuron at node (0 <= node <= count) of a hidden layer; new arcs
  /// of real sets get random weights in [min, max) when attached.
  void InsertNeuron(int LayerNum, int node, double min, double max, bool attached);
  /// Removes neuron node (0 <= node < count) of a hidden layer with its arcs.
  void RemoveNeuron(int LayerNum, int node);
  /// Removes the neurons of the layers below outLayer (inLayer excepted) that
  /// have no existing outgoing arc, last layer and last neuron first; returns
  /// how many were removed.
  int PruneNodes();

  // ---- State. Kept public for the builders and writers of networks.

  int numLayers = 0;
  /// layers[i] is the layer at position i (owned; its layerNum is i).
  std::vector<TBasicLayer*> layers;
  int inLayer = 1;
  int outLayer = 0;
  /// n*n owned sets: entry to*n+from carries the arcs from layer from to
  /// layer to.
  std::vector<TBasicConnections*> priv_conns;
  /// Row to of priv_conns: priv_conns_index[to][from].
  std::vector<TBasicConnections**> priv_conns_index;
  std::unique_ptr<TFnRegistry> registry;

 protected:
  /// Builds this (unformed) network as a deep copy of x.
  void CopyFrom(const TBasicNetwork& x);
  /// Destroys every set and layer and releases the tables and the registry;
  /// the network is unformed afterwards.
  void Release();
  /// Points priv_conns_index at the rows of priv_conns.
  void BuildIndex();
};

/// A network whose pairs are joined by fully connected sets.
class TConnectedNetwork : public TBasicNetwork {
 public:
  /// Unformed: SetNumLayers must be the next call.
  TConnectedNetwork() = default;
  /// TConnectedNetwork() followed by SetNumLayers(n).
  explicit TConnectedNetwork(int n);
  /// As TConnectedNetwork(n), then every slot filled: position inLayer (1) a
  /// TSimpleInputLayer of sizes[1] neurons, every other position i a
  /// TSimpleLayer of sizes[i] neurons. No pair is connected.
  TConnectedNetwork(int n, const int* sizes);
  TConnectedNetwork(const TConnectedNetwork& x) = default;
  TConnectedNetwork& operator=(const TConnectedNetwork& x) = default;

  /// Gives an empty pair a TConnectedConnections (weights 0.0).
  void Connect(int fromLayer, int toLayer) override;
  /// "Connected".
  const char* GetNetworkType() const override;
  /// A new TConnInAllArcsIterator over this network.
  std::unique_ptr<TArcsIterator> NewArcsIterator() override;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TBASICNETWORK_H_
