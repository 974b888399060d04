#include "NeuralNets/TBasicLayer.h"

#include <algorithm>
#include <cstdio>

#include "Common/Assert.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

// ---- Neurons.

void TBasicNeuron::Activate(double net) {
  activationFunction(*this, net);
}

int TBasicNeuron::GetNumParameters() const {
  return 0;
}

void TBasicNeuron::GetParameters(double*) const {}

void TBasicNeuron::SetParameters(const double*) {}

const char* TBasicNeuron::GetParameterName(int) const {
  NUXA_ASSERT(false);
  return nullptr;
}

void TBasicNeuron::CopyFrom(const TBasicNeuron&) {}

void TBasicNeuron::SetActivationFunction(TActFunction function) {
  activationFunction = function;
  if (layer != nullptr) layer->activationFunction = nullptr;
}

int TGainNeuron::GetNumParameters() const {
  return 1;
}

void TGainNeuron::GetParameters(double* values) const {
  values[0] = gain;
}

void TGainNeuron::SetParameters(const double* values) {
  gain = values[0];
}

const char* TGainNeuron::GetParameterName(int i) const {
  // clang-format off
  NUXA_ASSERT(i==0);
  // clang-format on
  return "Gain";
}

void TGainNeuron::CopyFrom(const TBasicNeuron&) {}

namespace {

// The data a neuron carries from one array to another: its function, the
// gain of a gain neuron, and whatever a subclass copies in CopyFrom.
void CopyNeuronData(TBasicNeuron& to, const TBasicNeuron& from) {
  to.activationFunction = from.activationFunction;
  to.CopyFrom(from);
}

void CopyNeuronData(TGainNeuron& to, const TGainNeuron& from) {
  to.activationFunction = from.activationFunction;
  to.gain = from.gain;
  to.CopyFrom(from);
}

// Applies the functions of a layer whose neurons are held in nodes.
template <class Neuron>
void ActivateNodes(TBasicLayer& layer, std::vector<Neuron>& nodes, double* net) {
  const int n = layer.numNeurons;
  if (layer.activationFunction != nullptr) {
    TActFunction f = layer.activationFunction;
    for (int i = 0; i < n; ++i) f(nodes[static_cast<size_t>(i)], net[i]);
  } else {
    for (int i = 0; i < n; ++i) {
      Neuron& neuron = nodes[static_cast<size_t>(i)];
      neuron.activationFunction(neuron, net[i]);
    }
  }
}

}  // namespace

// ---- TBasicLayer.

TBasicLayer::TBasicLayer(TBasicNetwork* network, int layerNum, int n)
    : network(network),
      numNeurons(n),
      layerNum(layerNum),
      activations(static_cast<size_t>(std::max(n, 0)), 0.0) {}

TBasicLayer::~TBasicLayer() = default;

void TBasicLayer::Activate(double* net) {
  for (int i = 0; i < numNeurons; ++i) {
    TBasicNeuron& neuron = GetNeuron(i);
    TActFunction f = activationFunction != nullptr ? activationFunction : neuron.activationFunction;
    f(neuron, net[i]);
  }
}

void TBasicLayer::WarnInputLayer(const char* className) {
  std::fprintf(stderr, "!Warning: changed input layer (%s)\n", className);
}

void TBasicLayer::Recall(const double* input) {
  if (layerNum == network->inLayer) {
    WarnInputLayer("TSimpleLayer");
    std::copy(input, input + numNeurons, activations.begin());
  } else {
    std::fill(activations.begin(), activations.begin() + numNeurons, 0.0);
  }
  // Only the sets from lower layers take part; a set from this layer or a
  // higher one is never consulted.
  TBasicConnections** row = network->priv_conns_index[static_cast<size_t>(layerNum)];
  for (int i = 0; i < layerNum; ++i) row[i]->Aggregate(activations.data());
  Activate(activations.data());
}

void TBasicLayer::InsertNeuron(int) {
  NUXA_ASSERT(false);
}

void TBasicLayer::SetActivationFunction(TActFunction function) {
  activationFunction = function;
  for (int i = 0; i < numNeurons; ++i) GetNeuron(i).activationFunction = function;
}

TActFunction TBasicLayer::GetActivationFunction() {
  if (activationFunction != nullptr) return activationFunction;
  if (numNeurons == 0) {
    activationFunction = FnNull;
    return activationFunction;
  }
  TActFunction first = GetNeuron(0).activationFunction;
  for (int i = 1; i < numNeurons; ++i) {
    if (GetNeuron(i).activationFunction != first) return nullptr;
  }
  activationFunction = first;
  return activationFunction;
}

void TBasicLayer::GetDimensions(int* parameters) const {
  if (numDimensions == 0) return;
  // clang-format off
  NUXA_ASSERT(parameters != NULL);
  // clang-format on
  std::copy(dimensions.begin(), dimensions.end(), parameters);
}

void TBasicLayer::SetDimensions(int count, const int* parameters) {
  if (count > 0) {
    // clang-format off
    NUXA_ASSERT(parameters != NULL);
    // clang-format on
    dimensions.assign(parameters, parameters + count);
    numDimensions = count;
  } else {
    dimensions.clear();
    numDimensions = 0;
  }
}

void TBasicLayer::CopyLayerState(const TBasicLayer& source) {
  activations.assign(static_cast<size_t>(std::max(numNeurons, 0)), 0.0);
  dimensions = source.dimensions;
  numDimensions = source.numDimensions;
  activationFunction = source.activationFunction;
}

void TBasicLayer::PlaceNeuron(TBasicNeuron& neuron, int i) {
  neuron.layerNum = layerNum;
  neuron.index = i;
  neuron.layer = this;
}

// ---- Rebuilding neuron arrays (TSimpleLayer and TGainLayer alike).

namespace {

template <class Neuron, class Layer>
void RemoveNode(Layer& layer, std::vector<Neuron>& nodes, int node) {
  const int n = static_cast<int>(nodes.size());
  std::vector<Neuron> rebuilt(static_cast<size_t>(n - 1));
  for (int i = 0; i < n - 1; ++i) {
    Neuron& to = rebuilt[static_cast<size_t>(i)];
    CopyNeuronData(to, nodes[static_cast<size_t>(i + (i >= node))]);
    to.layerNum = layer.layerNum;
    to.index = i;
    to.layer = &layer;
  }
  nodes.swap(rebuilt);
  // The activations follow their neurons; the values are transient anyway.
  if (node < static_cast<int>(layer.activations.size())) {
    layer.activations.erase(layer.activations.begin() + node);
  }
}

template <class Neuron, class Layer>
void InsertNode(Layer& layer, std::vector<Neuron>& nodes, int node, const Neuron& fresh) {
  const int n = static_cast<int>(nodes.size());
  layer.activations.assign(static_cast<size_t>(n + 1), 0.0);
  std::vector<Neuron> rebuilt(static_cast<size_t>(n + 1));
  for (int i = 0; i < n; ++i) {
    Neuron& to = rebuilt[static_cast<size_t>(i + (i >= node))];
    CopyNeuronData(to, nodes[static_cast<size_t>(i)]);
  }
  rebuilt[static_cast<size_t>(node)] = fresh;
  for (int i = 0; i <= n; ++i) {
    Neuron& to = rebuilt[static_cast<size_t>(i)];
    to.layerNum = layer.layerNum;
    to.index = i;
    to.layer = &layer;
  }
  nodes.swap(rebuilt);
}

}  // namespace

// ---- TSimpleLayer.

TSimpleLayer::TSimpleLayer(TBasicNetwork* network, int layerNum, int n)
    : TBasicLayer(network, layerNum, n), nodes(static_cast<size_t>(std::max(n, 0))) {
  for (int i = 0; i < n; ++i) PlaceNeuron(nodes[static_cast<size_t>(i)], i);
}

void TSimpleLayer::Activate(double* net) {
  ActivateNodes(*this, nodes, net);
}

const char* TSimpleLayer::GetLayerType() const {
  return "Simple";
}

void TSimpleLayer::Destroy() {
  delete this;
}

void TSimpleLayer::CopyContentsFrom(const TSimpleLayer& source) {
  CopyLayerState(source);
  for (int i = 0; i < numNeurons; ++i) {
    TBasicNeuron& to = nodes[static_cast<size_t>(i)];
    const TBasicNeuron& from = source.nodes[static_cast<size_t>(i)];
    to.layerNum = from.layerNum;
    to.index = from.index;
    CopyNeuronData(to, from);
    to.layer = this;
  }
}

TBasicLayer* TSimpleLayer::Clone(TBasicNetwork* net) const {
  auto* copy = new TSimpleLayer(net, layerNum, numNeurons);
  copy->CopyContentsFrom(*this);
  return copy;
}

void TSimpleLayer::RemoveNeuron(int node) {
  RemoveNode(*this, nodes, node);
}

void TSimpleLayer::InsertNeuron(int node) {
  TBasicNeuron fresh;
  fresh.activationFunction = activationFunction != nullptr ? activationFunction : FnError;
  InsertNode(*this, nodes, node, fresh);
}

int TSimpleLayer::GetLayerKind() const {
  return 1;
}

// ---- TSimpleInputLayer.

TSimpleInputLayer::TSimpleInputLayer(TBasicNetwork* network, int layerNum, int n)
    : TSimpleLayer(network, layerNum, n) {
  SetActivationFunction(FnLinear);
}

void TSimpleInputLayer::Recall(const double* input) {
  if (layerNum == network->inLayer) {
    std::copy(input, input + numNeurons, activations.begin());
  } else {
    WarnInputLayer("TSimpleInputLayer");
    std::fill(activations.begin(), activations.begin() + numNeurons, 0.0);
  }
}

const char* TSimpleInputLayer::GetLayerType() const {
  return "Input";
}

TBasicLayer* TSimpleInputLayer::Clone(TBasicNetwork* net) const {
  auto* copy = new TSimpleInputLayer(net, layerNum, numNeurons);
  copy->CopyContentsFrom(*this);
  return copy;
}

// ---- TGainLayer.

TGainLayer::TGainLayer(TBasicNetwork* network, int layerNum, int n, double gain)
    : TBasicLayer(network, layerNum, n), nodes(static_cast<size_t>(std::max(n, 0))) {
  for (int i = 0; i < n; ++i) {
    PlaceNeuron(nodes[static_cast<size_t>(i)], i);
    nodes[static_cast<size_t>(i)].gain = gain;
  }
}

void TGainLayer::Activate(double* net) {
  ActivateNodes(*this, nodes, net);
}

const char* TGainLayer::GetLayerType() const {
  return "Gain";
}

void TGainLayer::Destroy() {
  delete this;
}

TBasicLayer* TGainLayer::Clone(TBasicNetwork* net) const {
  auto* copy = new TGainLayer(net, layerNum, numNeurons, 1.0);
  copy->CopyLayerState(*this);
  for (int i = 0; i < numNeurons; ++i) {
    TGainNeuron& to = copy->nodes[static_cast<size_t>(i)];
    const TGainNeuron& from = nodes[static_cast<size_t>(i)];
    to.layerNum = from.layerNum;
    to.index = from.index;
    CopyNeuronData(to, from);
    to.layer = copy;
  }
  return copy;
}

void TGainLayer::RemoveNeuron(int node) {
  RemoveNode(*this, nodes, node);
}

void TGainLayer::InsertNeuron(int node) {
  TGainNeuron fresh;
  fresh.activationFunction = activationFunction != nullptr ? activationFunction : FnError;
  fresh.gain = nodes.empty() ? 1.0 : nodes[0].gain;
  InsertNode(*this, nodes, node, fresh);
}

void TGainLayer::SetGain(double gain) {
  for (TGainNeuron& neuron : nodes) neuron.gain = gain;
}

}  // namespace nuxa
