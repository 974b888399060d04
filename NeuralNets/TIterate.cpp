#include "NeuralNets/TIterate.h"

#include <cstring>

#include "Common/Assert.h"
#include "FileHandler/ParseTools.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

// ---- TIterateObj and its subclasses.

void TIterateObj::Visit() {}

void TIterateObj::Bind(TBasicConnections* set) {
  connections = set;
  fromLayer = set->fromLayer;
  toLayer = set->toLayer;
  fromLayerPtr = set->GetFromLayerPtr();
  toLayerPtr = set->GetToLayerPtr();
  fromActivations = fromLayerPtr->activations.data();
  toActivations = toLayerPtr->activations.data();
}

void TIterateObj::Bind(TBasicNetwork* network, int from, int to) {
  Bind(network->GetConnections(from, to));
}

void TIterateObjAggregate::Visit() {
  sum += fromActivations[fromNeuron] * *weight;
}

void TIterateObjGetNumWeights::Visit() {
  ++count;
}

void TIterateObjCount::Visit() {
  ++count;
}

void TIterateObjPruneNode::Visit() {
  ++count;
}

void TIterateObjGetWeights::Visit() {
  *position++ = *weight;
  ++count;
}

void TIterateObjSetWeights::Visit() {
  *weight = *position++;
  ++count;
}

void TIterateObjRandomize::Visit() {
  *weight = RandomWeight(min, max);
}

void TIterateObjGetFlags::Visit() {
  buffer[count] = connections->GetMask(fromNeuron, toNeuron);
  ++count;
}

void TIterateObjSetFlags::Visit() {
  connections->SetMask(fromNeuron, toNeuron, buffer[count]);
  ++count;
}

void TIterateObjAllUntrainable::Visit() {
  connections->FreezeWeight(fromNeuron, toNeuron);
}

void TIterateObjSaveWeights::Visit() {
  tools.OpenBracket(stream, true);
  tools.WriteIntegerStatement(stream, "From", fromNeuron, false);
  tools.WriteIntegerStatement(stream, "To", toNeuron, false);
  tools.WriteNumberStatement(stream, "Weight", *weight, decimals, false);
  if (writeTrainable) tools.BeginBlock(stream, trainable ? "Trainable" : "UnTrainable", false);
  tools.CloseBracket(stream, true, true);
}

// ---- Two- and three-network visitors.

namespace {

// Sets of one pair in several networks must be of one kind for their arcs to
// correspond; the check compares the type names' texts.
void RequireSameKind(const TBasicConnections* conn1, const TBasicConnections* conn2,
                     const char* expression, int line) {
  if (std::strcmp(conn1->GetConnectionsNType(), conn2->GetConnectionsNType()) != 0) {
    AssertionFailed(expression, __FILE__, line);
  }
}

}  // namespace

TIterateObj2::TIterateObj2(TBasicNetwork* network1, TBasicNetwork* network2, int fromLayer,
                           int toLayer, int fromNeuron, int toNeuron)
    : fromLayer(fromLayer), toLayer(toLayer), fromNeuron(fromNeuron), toNeuron(toNeuron) {
  Bind(network1->GetConnections(fromLayer, toLayer), network2);
}

void TIterateObj2::Visit() {}

void TIterateObj2::Bind(TBasicConnections* set, TBasicNetwork* network2) {
  fromLayer = set->fromLayer;
  toLayer = set->toLayer;
  connections1 = set;
  connections2 = network2->GetConnections(fromLayer, toLayer);
  RequireSameKind(connections1, connections2,
                  "conn1 -> GetConnectionsNType() == conn2 -> GetConnectionsNType()", __LINE__);
  fromLayer1 = connections1->GetFromLayerPtr();
  toLayer1 = connections1->GetToLayerPtr();
  fromLayer2 = connections2->GetFromLayerPtr();
  toLayer2 = connections2->GetToLayerPtr();
  fromActivations1 = fromLayer1->activations.data();
  toActivations1 = toLayer1->activations.data();
  fromActivations2 = fromLayer2->activations.data();
  toActivations2 = toLayer2->activations.data();
}

TIterateObj3::TIterateObj3(TBasicNetwork* network1, TBasicNetwork* network2,
                           TBasicNetwork* network3, int fromLayer, int toLayer, int fromNeuron,
                           int toNeuron)
    : fromLayer(fromLayer), toLayer(toLayer), fromNeuron(fromNeuron), toNeuron(toNeuron) {
  Bind(network1->GetConnections(fromLayer, toLayer), network2, network3);
}

void TIterateObj3::Visit() {}

void TIterateObj3::Bind(TBasicConnections* set, TBasicNetwork* network2, TBasicNetwork* network3) {
  fromLayer = set->fromLayer;
  toLayer = set->toLayer;
  connections1 = set;
  connections2 = network2->GetConnections(fromLayer, toLayer);
  connections3 = network3->GetConnections(fromLayer, toLayer);
  RequireSameKind(connections1, connections2,
                  "conn1 -> GetConnectionsNType() == conn2 -> GetConnectionsNType()", __LINE__);
  RequireSameKind(connections1, connections3,
                  "conn1 -> GetConnectionsNType() == conn3 -> GetConnectionsNType()", __LINE__);
  fromLayer1 = connections1->GetFromLayerPtr();
  toLayer1 = connections1->GetToLayerPtr();
  fromLayer2 = connections2->GetFromLayerPtr();
  toLayer2 = connections2->GetToLayerPtr();
  fromLayer3 = connections3->GetFromLayerPtr();
  toLayer3 = connections3->GetToLayerPtr();
  fromActivations1 = fromLayer1->activations.data();
  toActivations1 = toLayer1->activations.data();
  fromActivations2 = fromLayer2->activations.data();
  toActivations2 = toLayer2->activations.data();
  fromActivations3 = fromLayer3->activations.data();
  toActivations3 = toLayer3->activations.data();
}

// ---- Arcs iterators.

void TInAllArcsIterator::Start(int, int) {}

void TInAllArcsIterator::Start(const TBasicNeuron& neuron) {
  Start(neuron.layerNum, neuron.index);
}

void TInLayerArcsIterator::Start(int, int, int) {}

void TInLayerArcsIterator::Start(const TBasicNeuron& neuron, int fromLayer) {
  Start(neuron.layerNum, neuron.index, fromLayer);
}

void TConnInAllArcsIterator::Start(int layer, int neuron) {
  toLayer = layer;
  toIndex = neuron;
  toNeuron = &network->layers[static_cast<size_t>(layer)]->GetNeuron(neuron);
  connections = nullptr;
  fromLayer = -1;
  fromIndex = -1;
  lastIndex = -1;
  fromNeuron = nullptr;
  weight = nullptr;
}

void TConnInAllArcsIterator::MoveTo(int index) {
  fromIndex = index;
  fromNeuron = &network->layers[static_cast<size_t>(fromLayer)]->GetNeuron(index);
  weight = &connections->Weight(index, toIndex);
}

void TConnInAllArcsIterator::Enter(int layer, int index) {
  fromLayer = layer;
  connections = network->GetConnections(layer, toLayer);
  lastIndex = network->layers[static_cast<size_t>(layer)]->numNeurons - 1;
  MoveTo(index);
}

bool TConnInAllArcsIterator::Next() {
  if (connections != nullptr && fromIndex < lastIndex) {
    MoveTo(fromIndex + 1);
    return true;
  }
  connections = nullptr;
  for (int layer = fromLayer + 1; layer < network->numLayers; ++layer) {
    if (network->GetConnections(layer, toLayer)->IsConnected() &&
        network->layers[static_cast<size_t>(layer)]->numNeurons > 0) {
      Enter(layer, 0);
      return true;
    }
  }
  // Past the end: a following Prev comes back from the last layer.
  fromLayer = network->numLayers;
  return false;
}

bool TConnInAllArcsIterator::Prev() {
  if (connections != nullptr && fromIndex > 0) {
    MoveTo(fromIndex - 1);
    return true;
  }
  connections = nullptr;
  for (int layer = fromLayer - 1; layer >= 0; --layer) {
    if (network->GetConnections(layer, toLayer)->IsConnected() &&
        network->layers[static_cast<size_t>(layer)]->numNeurons > 0) {
      Enter(layer, network->layers[static_cast<size_t>(layer)]->numNeurons - 1);
      return true;
    }
  }
  // Before the start: a following Next begins again at the first layer.
  fromLayer = -1;
  return false;
}

void TConnInLayerArcsIterator::Start(int layer, int neuron, int from) {
  toLayer = layer;
  toIndex = neuron;
  fromLayer = from;
  toNeuron = &network->layers[static_cast<size_t>(layer)]->GetNeuron(neuron);
  connections = network->GetConnections(from, layer);
  TBasicLayer* source = network->layers[static_cast<size_t>(from)];
  fromActivations = source->activations.data();
  lastIndex = source->numNeurons - 1;
  fromIndex = -1;
  fromNeuron = nullptr;
  weight = nullptr;
}

void TConnInLayerArcsIterator::MoveTo(int index) {
  fromIndex = index;
  fromNeuron = &network->layers[static_cast<size_t>(fromLayer)]->GetNeuron(index);
  weight = &connections->Weight(index, toIndex);
}

bool TConnInLayerArcsIterator::Next() {
  if (fromIndex < lastIndex) {
    MoveTo(fromIndex + 1);
    return true;
  }
  return false;
}

bool TConnInLayerArcsIterator::Prev() {
  if (fromIndex > 0) {
    MoveTo(fromIndex - 1);
    return true;
  }
  return false;
}

}  // namespace nuxa
