#include "NeuralNets/TConnections.h"

#include <cstdlib>

#include "Common/Assert.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

double RandomWeight(double min, double max) {
  if (min == max) return min;
  const unsigned r = static_cast<unsigned>(std::rand()) % 32767u;
  return min + r * (max - min) / 32767;
}

// ---- TBasicConnections: the defaults, built on traversal.

TBasicConnections::TBasicConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : network(network), fromLayer(fromLayer), toLayer(toLayer) {}

TBasicConnections::~TBasicConnections() = default;

bool TBasicConnections::IsConnected() const {
  return true;
}

int TBasicConnections::GetNumWeights(int which) {
  TIterateObjGetNumWeights counter;
  Iterate(counter, which);
  return counter.count;
}

int TBasicConnections::GetWeights(double* buffer, int which) {
  TIterateObjGetWeights copier(buffer);
  Iterate(copier, which);
  return copier.count;
}

int TBasicConnections::SetWeights(const double* buffer, int which) {
  TIterateObjSetWeights copier(buffer);
  Iterate(copier, which);
  return copier.count;
}

void TBasicConnections::Randomize(double min, double max) {
  TIterateObjRandomize randomizer(min, max);
  Iterate(randomizer, 0);
}

void TBasicConnections::Aggregate(double* net) {
  TIterateObjAggregate aggregator;
  const int nTo = GetNumTo();
  for (int i = 0; i < nTo; ++i) {
    aggregator.sum = 0.0;
    IterateTo(aggregator, i, 1);
    net[i] += aggregator.sum;
  }
}

bool TBasicConnections::IsTrainable(int from, int to) const {
  return IsValid(from, to);
}

void TBasicConnections::PruneWeight(int, int) {
  NUXA_ASSERT(false);
}

void TBasicConnections::AddWeight(int, int) {
  NUXA_ASSERT(false);
}

void TBasicConnections::UnfreezeWeight(int, int) {
  NUXA_ASSERT(false);
}

void TBasicConnections::FreezeWeight(int, int) {
  NUXA_ASSERT(false);
}

unsigned char TBasicConnections::GetMask(int, int) const {
  return FMaskAll;
}

void TBasicConnections::SetMask(int, int, unsigned char val) {
  // clang-format off
  NUXA_ASSERT((val==FMaskAll) || (val==FMaskExists));
  // clang-format on
}

void TBasicConnections::InsertFromNeuron(int, double, double, bool) {
  NUXA_ASSERT(false);
}

void TBasicConnections::InsertToNeuron(int, double, double, bool) {
  NUXA_ASSERT(false);
}

std::vector<unsigned char> TBasicConnections::GetFlags() {
  std::vector<unsigned char> values(static_cast<size_t>(GetNumWeights(1)));
  TIterateObjGetFlags getter(values.data());
  Iterate(getter, 1);
  return values;
}

void TBasicConnections::SetFlags(const unsigned char* values) {
  TIterateObjSetFlags setter(values);
  Iterate(setter, 1);
}

void TBasicConnections::MakeAllUntrainable() {
  TIterateObjAllUntrainable freezer;
  Iterate(freezer, 1);
}

TBasicLayer* TBasicConnections::GetFromLayerPtr() const {
  return network->layers[static_cast<size_t>(fromLayer)];
}

TBasicLayer* TBasicConnections::GetToLayerPtr() const {
  return network->layers[static_cast<size_t>(toLayer)];
}

int TBasicConnections::GetNumFrom() const {
  return GetFromLayerPtr()->numNeurons;
}

int TBasicConnections::GetNumTo() const {
  return GetToLayerPtr()->numNeurons;
}

// ---- TEmptyConnections.

TEmptyConnections::TEmptyConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : TBasicConnections(network, fromLayer, toLayer) {}

bool TEmptyConnections::IsConnected() const {
  return false;
}

int TEmptyConnections::GetNumWeights(int) {
  return 0;
}

int TEmptyConnections::GetWeights(double*, int) {
  return 0;
}

int TEmptyConnections::SetWeights(const double*, int) {
  return 0;
}

void TEmptyConnections::Randomize(double, double) {}

double& TEmptyConnections::Weight(int, int) {
  NUXA_ASSERT(false);
  static double none = 0.0;
  return none;
}

void TEmptyConnections::Aggregate(double*) {}

bool TEmptyConnections::IsValid(int, int) const {
  return false;
}

void TEmptyConnections::IterateTo(TIterateObj&, int, int) {}

void TEmptyConnections::IterateFrom(TIterateObj&, int, int) {}

void TEmptyConnections::Iterate(TIterateObj&, int) {}

void TEmptyConnections::Iterate2(TIterateObj2&, TBasicNetwork*, int) {}

void TEmptyConnections::Iterate3(TIterateObj3&, TBasicNetwork*, TBasicNetwork*, int) {}

const char* TEmptyConnections::GetConnectionsNType() const {
  return "Empty";
}

void TEmptyConnections::Destroy() {
  delete this;
}

TBasicConnections* TEmptyConnections::Clone(TBasicNetwork* net) const {
  return new TEmptyConnections(net, fromLayer, toLayer);
}

void TEmptyConnections::RemoveFromNeuron(int) {}

void TEmptyConnections::RemoveToNeuron(int) {}

void TEmptyConnections::InsertFromNeuron(int, double, double, bool) {}

void TEmptyConnections::InsertToNeuron(int, double, double, bool) {}

}  // namespace nuxa
