// Neurons and layers.
//
// A layer is one position of a network: a row of neurons with one activation
// value per neuron. During recall a layer takes its input (the network input
// for the input layer, the weighted sums of the connection sets from lower
// layers for any other) and turns it into its neurons' outputs with their
// activation functions. A neuron is a small record that knows its layer, its
// position and its function, and may carry parameters (the gain of a gain
// neuron).
//
// A neuron reaches its activation through its layer and its index, so the
// link follows every rebuild of the layer's activation array by itself.
#ifndef NUXA_NEURALNETS_TBASICLAYER_H_
#define NUXA_NEURALNETS_TBASICLAYER_H_

#include <cstddef>
#include <vector>

#include "NeuralNets/ActFunctions.h"

namespace nuxa {

class TBasicNetwork;
class TBasicLayer;

/// A neuron of a layer. Neurons live inside their layer's array and are never
/// shared; the layer keeps index, layerNum and layer equal to the neuron's
/// actual place.
class TBasicNeuron {
 public:
  /// An unplaced neuron with the "error" function.
  TBasicNeuron() = default;
  virtual ~TBasicNeuron() = default;
  TBasicNeuron(const TBasicNeuron&) = default;
  TBasicNeuron& operator=(const TBasicNeuron&) = default;

  /// Calls activationFunction(*this, net).
  virtual void Activate(double net);
  /// Number of parameters (0 for a plain neuron).
  virtual int GetNumParameters() const;
  /// Writes GetNumParameters() values to values.
  virtual void GetParameters(double* values) const;
  /// Reads GetNumParameters() values from values.
  virtual void SetParameters(const double* values);
  /// Name of parameter i, 0 <= i < GetNumParameters(); a neuron without
  /// parameters has none to name (fatal).
  virtual const char* GetParameterName(int i) const;
  /// Hook for state of a subclass beyond the fields below, called when a
  /// layer copies or moves a neuron; does nothing here.
  virtual void CopyFrom(const TBasicNeuron& other);

  /// Sets this neuron's function and clears its layer's shared function (the
  /// layer is no longer known to be uniform).
  void SetActivationFunction(TActFunction function);

  /// This neuron's entry in its layer's activations.
  double& Activation();
  double Activation() const;

  int layerNum = 0;  // position of the neuron's layer in the network
  int index = 0;     // position of the neuron in its layer
  TBasicLayer* layer = nullptr;
  TActFunction activationFunction = FnError;
};

/// A neuron with a gain, read by the gain activation functions.
class TGainNeuron : public TBasicNeuron {
 public:
  TGainNeuron() = default;

  int GetNumParameters() const override;               // 1
  void GetParameters(double* values) const override;   // values[0] = gain
  void SetParameters(const double* values) override;   // gain = values[0]
  const char* GetParameterName(int i) const override;  // "Gain"; i must be 0
  void CopyFrom(const TBasicNeuron& other) override;   // nothing: layers copy the gain

  double gain = 1.0;
};

/// The layer interface. Owned by its network, which releases it with Destroy.
class TBasicLayer {
 public:
  /// A layer of n neurons for network at position layerNum: no shared
  /// function, n zero activations, no dimensions. The neurons come with the
  /// subclass.
  TBasicLayer(TBasicNetwork* network, int layerNum, int n);
  virtual ~TBasicLayer();
  TBasicLayer(const TBasicLayer&) = delete;
  TBasicLayer& operator=(const TBasicLayer&) = delete;

  /// Applies the functions to net, one entry per neuron, storing the outputs
  /// in activations: the shared function when there is one, else each
  /// neuron's own. net may be activations itself (each entry is read before
  /// it is overwritten).
  virtual void Activate(double* net);
  /// Neuron i, 0 <= i < numNeurons.
  virtual TBasicNeuron& GetNeuron(int i) = 0;
  /// This layer's step of the network's forward computation: the input copy
  /// at the network's input position (with the warning "!Warning: changed
  /// input layer (TSimpleLayer)" on stderr), zeros elsewhere; then the sums of
  /// the sets from lower layers; then Activate.
  virtual void Recall(const double* input);
  /// The type name the network file uses ("Simple", "Input", "Gain", ...).
  virtual const char* GetLayerType() const = 0;
  /// Releases the layer and everything it owns.
  virtual void Destroy() = 0;
  /// A new layer of the same class for network, same position and neurons,
  /// zero activations. The caller (the network) owns it.
  virtual TBasicLayer* Clone(TBasicNetwork* network) const = 0;
  /// Rebuilds the neurons without neuron node; numNeurons is left for the
  /// network to adjust.
  virtual void RemoveNeuron(int node) = 0;
  /// Rebuilds the neurons with a new one at node; numNeurons is left for the
  /// network to adjust. Not available on this class (fatal).
  virtual void InsertNeuron(int node);

  /// Sets the shared function and every neuron's function.
  void SetActivationFunction(TActFunction function);
  /// The function all neurons share, or null when they differ. A layer
  /// without neurons reports (and keeps) "null"; a uniform layer stores the
  /// common function as its shared one.
  TActFunction GetActivationFunction();
  /// Copies the numDimensions values to parameters (nothing when there are
  /// none).
  void GetDimensions(int* parameters) const;
  /// Replaces the dimension list by a copy of count values.
  void SetDimensions(int count, const int* parameters);

  /// The owning network (not owned).
  TBasicNetwork* network;
  /// The function shared by all neurons once set or established; else null.
  TActFunction activationFunction = nullptr;
  int numNeurons;
  int layerNum;
  /// Per neuron: first the net input, then the output.
  std::vector<double> activations;
  int numDimensions = 0;
  /// An optional shape description, copied with the layer, not interpreted.
  std::vector<int> dimensions;

 protected:
  /// Copies the layer state of source for a clone: zero activations, the
  /// dimension list and the shared function.
  void CopyLayerState(const TBasicLayer& source);
  /// Places neuron as neuron i of this layer (index, layerNum, layer).
  void PlaceNeuron(TBasicNeuron& neuron, int i);
  /// The warning of a layer that finds itself at the input position, or of
  /// an input layer that does not: the line "!Warning: changed input layer
  /// (<className>)" on stderr.
  static void WarnInputLayer(const char* className);
};

/// A layer of plain neurons.
class TSimpleLayer : public TBasicLayer {
 public:
  /// n neurons with the "error" function, an empty dimension list.
  TSimpleLayer(TBasicNetwork* network, int layerNum, int n);

  void Activate(double* net) override;
  TBasicNeuron& GetNeuron(int i) override { return nodes[static_cast<size_t>(i)]; }
  const char* GetLayerType() const override;  // "Simple"
  void Destroy() override;
  TBasicLayer* Clone(TBasicNetwork* network) const override;
  void RemoveNeuron(int node) override;
  /// The new neuron gets the shared function if there is one, else "error".
  /// The activations are rebuilt for numNeurons + 1 entries, values not kept.
  void InsertNeuron(int node) override;
  /// 1; nothing in the system calls it.
  virtual int GetLayerKind() const;

  std::vector<TBasicNeuron> nodes;

 protected:
  /// The clone's part after construction: the layer state and every neuron's
  /// data (function, CopyFrom) from source. For subclasses' Clone.
  void CopyContentsFrom(const TSimpleLayer& source);
};

/// The input layer: copies the network input, applies no function.
class TSimpleInputLayer : public TSimpleLayer {
 public:
  /// As TSimpleLayer, every neuron "linear".
  TSimpleInputLayer(TBasicNetwork* network, int layerNum, int n);

  /// At the network's input position copies numNeurons input values;
  /// elsewhere writes "!Warning: changed input layer (TSimpleInputLayer)" to
  /// stderr and outputs zeros. No set is consulted, no function applied.
  void Recall(const double* input) override;
  const char* GetLayerType() const override;  // "Input"
  TBasicLayer* Clone(TBasicNetwork* network) const override;
};

/// A layer of gain neurons.
class TGainLayer : public TBasicLayer {
 public:
  /// n gain neurons with the "error" function and the given gain.
  TGainLayer(TBasicNetwork* network, int layerNum, int n, double gain);

  void Activate(double* net) override;
  TBasicNeuron& GetNeuron(int i) override { return nodes[static_cast<size_t>(i)]; }
  const char* GetLayerType() const override;  // "Gain"
  void Destroy() override;
  TBasicLayer* Clone(TBasicNetwork* network) const override;
  void RemoveNeuron(int node) override;
  /// As TSimpleLayer; the new neuron's gain is the first neuron's gain before
  /// the insertion, or 1.0 when the layer had none.
  void InsertNeuron(int node) override;

  /// Every neuron's gain becomes gain.
  void SetGain(double gain);

  std::vector<TGainNeuron> nodes;
};

// A neuron's activation lives in its layer's array, at its own index.
inline double& TBasicNeuron::Activation() {
  return layer->activations[static_cast<size_t>(index)];
}
inline double TBasicNeuron::Activation() const {
  return layer->activations[static_cast<size_t>(index)];
}

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TBASICLAYER_H_
