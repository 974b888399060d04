#include "NeuralNets/TBasicNetwork.h"

#include <algorithm>

#include "Common/Assert.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {

// The assertion texts below are the ones callers and logs know; keep their
// spelling (hence clang-format off around them).

TBasicNetwork::TBasicNetwork() = default;

TBasicNetwork::TBasicNetwork(int n) {
  SetNumLayers(n);
}

TBasicNetwork::TBasicNetwork(const TBasicNetwork& x) {
  CopyFrom(x);
}

TBasicNetwork& TBasicNetwork::operator=(const TBasicNetwork& x) {
  if (&x == this) return *this;
  Release();
  CopyFrom(x);
  return *this;
}

TBasicNetwork::~TBasicNetwork() {
  Release();
}

void TBasicNetwork::SetNumLayers(int n_layers) {
  NUXA_ASSERT(n_layers >= 0);
  // Forming twice would otherwise lose the first table's sets.
  Release();
  numLayers = n_layers;
  inLayer = 1;
  outLayer = n_layers - 1;
  const size_t n = static_cast<size_t>(n_layers);
  priv_conns.assign(n * n, nullptr);
  layers.assign(n, nullptr);
  BuildIndex();
  for (int to = 0; to < n_layers; ++to) {
    for (int from = 0; from < n_layers; ++from) {
      priv_conns[static_cast<size_t>(to * n_layers + from)] = new TEmptyConnections(this, from, to);
    }
  }
  registry = std::make_unique<TFnRegistry>();
  registry->RegisterDefaults();
}

void TBasicNetwork::BuildIndex() {
  priv_conns_index.assign(static_cast<size_t>(numLayers), nullptr);
  for (int to = 0; to < numLayers; ++to) {
    priv_conns_index[static_cast<size_t>(to)] = priv_conns.data() + to * numLayers;
  }
}

void TBasicNetwork::CopyFrom(const TBasicNetwork& x) {
  numLayers = x.numLayers;
  inLayer = x.inLayer;
  outLayer = x.outLayer;
  layers.assign(static_cast<size_t>(numLayers), nullptr);
  for (size_t i = 0; i < layers.size(); ++i) {
    // clang-format off
    NUXA_ASSERT(x.layers[i] != NULL);
    // clang-format on
    layers[i] = x.layers[i]->Clone(this);
  }
  priv_conns.assign(x.priv_conns.size(), nullptr);
  for (size_t i = 0; i < priv_conns.size(); ++i) {
    // clang-format off
    NUXA_ASSERT(x.priv_conns[i] != NULL);
    // clang-format on
    priv_conns[i] = x.priv_conns[i]->Clone(this);
  }
  BuildIndex();
  // A copy gets the standard functions, not the source's extra entries.
  registry = std::make_unique<TFnRegistry>();
  registry->RegisterDefaults();
}

void TBasicNetwork::Release() {
  // A network abandoned half built (a reader that failed) may have empty
  // slots; they hold nothing to release.
  for (TBasicConnections* set : priv_conns) {
    if (set != nullptr) set->Destroy();
  }
  priv_conns.clear();
  priv_conns_index.clear();
  for (TBasicLayer* layer : layers) {
    if (layer != nullptr) layer->Destroy();
  }
  layers.clear();
  registry.reset();
  numLayers = 0;
}

bool TBasicNetwork::IsPopulated() const {
  return std::all_of(layers.begin(), layers.end(), [](TBasicLayer* l) { return l != nullptr; });
}

void TBasicNetwork::SetLayer(int i, TBasicLayer* layer) {
  TBasicLayer*& slot = layers[static_cast<size_t>(i)];
  if (slot != nullptr && slot != layer) slot->Destroy();
  slot = layer;
}

void TBasicNetwork::SetConnections(int fromLayer, int toLayer, TBasicConnections* set) {
  TBasicConnections*& slot = priv_conns_index[static_cast<size_t>(toLayer)][fromLayer];
  if (slot != nullptr && slot != set) slot->Destroy();
  slot = set;
}

// ---- Bulk weight operations: pairs with the from-layer outer, the to-layer
// inner.

int TBasicNetwork::GetNumWeights(int which) {
  int total = 0;
  for (int from = 0; from < numLayers; ++from) {
    for (int to = 0; to < numLayers; ++to) total += GetConnections(from, to)->GetNumWeights(which);
  }
  return total;
}

int TBasicNetwork::GetWeights(double* buffer, int which) {
  int total = 0;
  for (int from = 0; from < numLayers; ++from) {
    for (int to = 0; to < numLayers; ++to) {
      total += GetConnections(from, to)->GetWeights(buffer + total, which);
    }
  }
  return total;
}

int TBasicNetwork::SetWeights(const double* buffer, int which) {
  int total = 0;
  for (int from = 0; from < numLayers; ++from) {
    for (int to = 0; to < numLayers; ++to) {
      total += GetConnections(from, to)->SetWeights(buffer + total, which);
    }
  }
  return total;
}

void TBasicNetwork::Randomize(double min, double max) {
  for (int from = 0; from < numLayers; ++from) {
    for (int to = 0; to < numLayers; ++to) GetConnections(from, to)->Randomize(min, max);
  }
}

void TBasicNetwork::Connect(int fromLayer, int toLayer) {
  if (GetConnections(fromLayer, toLayer)->IsConnected()) return;
  SetConnections(fromLayer, toLayer, new TPrunedConnections(this, fromLayer, toLayer));
}

void TBasicNetwork::Disconnect(int fromLayer, int toLayer) {
  SetConnections(fromLayer, toLayer, new TEmptyConnections(this, fromLayer, toLayer));
}

void TBasicNetwork::Recall(const double* input, double* output) {
  for (TBasicLayer* layer : layers) layer->Recall(input);
  // An output position that names no layer (possible in a file) gives
  // nothing to copy.
  if (outLayer < 0 || outLayer >= numLayers) return;
  const TBasicLayer* out = layers[static_cast<size_t>(outLayer)];
  std::copy(out->activations.begin(), out->activations.begin() + out->numNeurons, output);
}

const char* TBasicNetwork::GetNetworkType() const {
  return "Basic";
}

std::unique_ptr<TArcsIterator> TBasicNetwork::NewArcsIterator() {
  NUXA_ASSERT(false);
  return nullptr;
}

// ---- Queries.

int TBasicNetwork::GetNumNeurons() const {
  int total = 0;
  for (const TBasicLayer* layer : layers) total += layer->numNeurons;
  return total;
}

TBasicNeuron& TBasicNetwork::GetNeuron(int index) {
  // clang-format off
  NUXA_ASSERT(index>=0);
  NUXA_ASSERT(index<GetNumNeurons());
  // clang-format on
  size_t i = 0;
  while (index >= layers[i]->numNeurons) {
    index -= layers[i]->numNeurons;
    ++i;
  }
  return layers[i]->GetNeuron(index);
}

void TBasicNetwork::IterateInArcs(TIterateObj& visitor, int toLayer, int toNeuron, int which) {
  for (int from = 0; from < numLayers; ++from) {
    GetConnections(from, toLayer)->IterateTo(visitor, toNeuron, which);
  }
}

void TBasicNetwork::IterateOutArcs(TIterateObj& visitor, int fromLayer, int fromNeuron, int which) {
  for (int to = 0; to < numLayers; ++to) {
    GetConnections(fromLayer, to)->IterateFrom(visitor, fromNeuron, which);
  }
}

// ---- Structural edits.

namespace {

// Gives a layer and its neurons the position it now has.
void Renumber(TBasicLayer* layer, int position) {
  layer->layerNum = position;
  for (int i = 0; i < layer->numNeurons; ++i) layer->GetNeuron(i).layerNum = position;
}

}  // namespace

void TBasicNetwork::InsertLayer(int LayerNum, TBasicLayer* layer) {
  // clang-format off
  NUXA_ASSERT(LayerNum>=0);
  NUXA_ASSERT(LayerNum<=numLayers);
  // clang-format on
  const int oldN = numLayers;
  const int n = oldN + 1;
  std::vector<TBasicConnections*> conns(static_cast<size_t>(n * n), nullptr);
  for (int to = 0; to < oldN; ++to) {
    for (int from = 0; from < oldN; ++from) {
      const int newTo = to + (to >= LayerNum);
      const int newFrom = from + (from >= LayerNum);
      TBasicConnections* set = priv_conns[static_cast<size_t>(to * oldN + from)];
      set->fromLayer = newFrom;
      set->toLayer = newTo;
      conns[static_cast<size_t>(newTo * n + newFrom)] = set;
    }
  }
  for (int i = 0; i < n; ++i) {
    conns[static_cast<size_t>(i * n + LayerNum)] = new TEmptyConnections(this, LayerNum, i);
    if (i != LayerNum) {
      conns[static_cast<size_t>(LayerNum * n + i)] = new TEmptyConnections(this, i, LayerNum);
    }
  }
  priv_conns.swap(conns);
  numLayers = n;
  BuildIndex();

  layers.insert(layers.begin() + LayerNum, layer);
  for (int i = 0; i < n; ++i) Renumber(layers[static_cast<size_t>(i)], i);
  if (inLayer >= LayerNum) ++inLayer;
  if (outLayer >= LayerNum) ++outLayer;
}

void TBasicNetwork::RemoveLayer(int LayerNum) {
  // clang-format off
  NUXA_ASSERT(LayerNum>=0);
  NUXA_ASSERT(LayerNum<numLayers);
  NUXA_ASSERT(LayerNum!=inLayer);
  NUXA_ASSERT(LayerNum!=outLayer);
  // clang-format on
  const int oldN = numLayers;
  const int n = oldN - 1;
  std::vector<TBasicConnections*> conns(static_cast<size_t>(n * n), nullptr);
  for (int to = 0; to < oldN; ++to) {
    for (int from = 0; from < oldN; ++from) {
      TBasicConnections* set = priv_conns[static_cast<size_t>(to * oldN + from)];
      if (to == LayerNum || from == LayerNum) {
        set->Destroy();
        continue;
      }
      const int newTo = to - (to > LayerNum);
      const int newFrom = from - (from > LayerNum);
      set->fromLayer = newFrom;
      set->toLayer = newTo;
      conns[static_cast<size_t>(newTo * n + newFrom)] = set;
    }
  }
  priv_conns.swap(conns);
  numLayers = n;
  BuildIndex();

  layers[static_cast<size_t>(LayerNum)]->Destroy();
  layers.erase(layers.begin() + LayerNum);
  for (int i = 0; i < n; ++i) Renumber(layers[static_cast<size_t>(i)], i);
  if (inLayer >= LayerNum) --inLayer;
  if (outLayer >= LayerNum) --outLayer;
}

void TBasicNetwork::InsertNeuron(int LayerNum, int node, double min, double max, bool attached) {
  // clang-format off
  NUXA_ASSERT(LayerNum>=0);
  NUXA_ASSERT(LayerNum<numLayers);
  NUXA_ASSERT(LayerNum!=inLayer);
  NUXA_ASSERT(LayerNum!=outLayer);
  NUXA_ASSERT(node>=0);
  // clang-format on
  TBasicLayer* layer = layers[static_cast<size_t>(LayerNum)];
  layer->InsertNeuron(node);
  ++layer->numNeurons;
  // The self pair gets its column first, then its row: it ends up resized in
  // both directions at node.
  for (int i = 0; i < numLayers; ++i) {
    GetConnections(LayerNum, i)->InsertFromNeuron(node, min, max, attached);
    GetConnections(i, LayerNum)->InsertToNeuron(node, min, max, attached);
  }
}

void TBasicNetwork::RemoveNeuron(int LayerNum, int node) {
  // clang-format off
  NUXA_ASSERT(LayerNum>=0);
  NUXA_ASSERT(LayerNum<numLayers);
  NUXA_ASSERT(LayerNum!=inLayer);
  NUXA_ASSERT(LayerNum!=outLayer);
  NUXA_ASSERT(node>=0);
  // clang-format on
  TBasicLayer* layer = layers[static_cast<size_t>(LayerNum)];
  layer->RemoveNeuron(node);
  --layer->numNeurons;
  for (int i = 0; i < numLayers; ++i) {
    GetConnections(LayerNum, i)->RemoveFromNeuron(node);
    GetConnections(i, LayerNum)->RemoveToNeuron(node);
  }
}

int TBasicNetwork::PruneNodes() {
  int pruned = 0;
  // Layers above the output layer are never pruned (nor the output layer).
  const int top = std::min(outLayer, numLayers) - 1;
  for (int layer = top; layer >= 0; --layer) {
    if (layer == inLayer) continue;
    for (int neuron = layers[static_cast<size_t>(layer)]->numNeurons - 1; neuron >= 0; --neuron) {
      TIterateObjPruneNode counter;
      IterateOutArcs(counter, layer, neuron, 1);
      if (counter.count == 0) {
        RemoveNeuron(layer, neuron);
        ++pruned;
      }
    }
  }
  return pruned;
}

// ---- TConnectedNetwork.

TConnectedNetwork::TConnectedNetwork(int n) : TBasicNetwork(n) {}

TConnectedNetwork::TConnectedNetwork(int n, const int* sizes) : TBasicNetwork(n) {
  for (int i = 0; i < n; ++i) {
    if (i == inLayer) {
      layers[static_cast<size_t>(i)] = new TSimpleInputLayer(this, i, sizes[i]);
    } else {
      layers[static_cast<size_t>(i)] = new TSimpleLayer(this, i, sizes[i]);
    }
  }
}

void TConnectedNetwork::Connect(int fromLayer, int toLayer) {
  if (GetConnections(fromLayer, toLayer)->IsConnected()) return;
  SetConnections(fromLayer, toLayer, new TConnectedConnections(this, fromLayer, toLayer));
}

const char* TConnectedNetwork::GetNetworkType() const {
  return "Connected";
}

std::unique_ptr<TArcsIterator> TConnectedNetwork::NewArcsIterator() {
  return std::make_unique<TConnInAllArcsIterator>(this);
}

}  // namespace nuxa
