#include "FuNN/TToOutputConnections.h"

#include <algorithm>

#include "Common/Assert.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

namespace {

// which 1 selects every existing arc, anything else the trainable ones.
unsigned char Selector(int which) {
  return which == 1 ? FMaskExists : FMaskAll;
}

}  // namespace

TToOutputConnections::TToOutputConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : TBasicConnections(network, fromLayer, toLayer) {
  const TBasicLayer* actions = fromLayer >= 0 && fromLayer < network->numLayers
                                   ? network->layers[static_cast<size_t>(fromLayer)]
                                   : nullptr;
  const size_t count =
      static_cast<size_t>(actions != nullptr ? std::max(actions->numNeurons, 0) : 0);
  centres.assign(count, 0.0);
  masks.assign(count, FMaskAll);
}

TToOutputConnections::~TToOutputConnections() = default;

TFuNNOutputLayer* TToOutputConnections::TargetLayer() const {
  if (toLayer < 0 || toLayer >= network->numLayers) return nullptr;
  return dynamic_cast<TFuNNOutputLayer*>(network->layers[static_cast<size_t>(toLayer)]);
}

// The arcs are those of the action neurons that have a centre and an output;
// the two agree whenever the network is consistent.
int TToOutputConnections::NumArcs(const TFuNNOutputLayer& target) const {
  return std::min(static_cast<int>(centres.size()), static_cast<int>(target.outputOf.size()));
}

double& TToOutputConnections::Weight(int from, int) {
  if (from < 0 || from >= static_cast<int>(centres.size())) return scratchWeight_;
  return centres[static_cast<size_t>(from)];
}

bool TToOutputConnections::IsValid(int from, int to) const {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr || from < 0 || from >= NumArcs(*target)) return false;
  return to < target->numNeurons && target->outputOf[static_cast<size_t>(from)] == to;
}

bool TToOutputConnections::IsTrainable(int from, int to) const {
  return IsValid(from, to) && (GetMask(from, to) & 2) != 0;
}

void TToOutputConnections::PruneWeight(int, int) {}

void TToOutputConnections::AddWeight(int, int) {}

void TToOutputConnections::UnfreezeWeight(int from, int to) {
  SetMask(from, to, FMaskAll);
}

void TToOutputConnections::FreezeWeight(int from, int to) {
  SetMask(from, to, FMaskExists);
}

unsigned char TToOutputConnections::GetMask(int from, int) const {
  if (from < 0 || from >= static_cast<int>(masks.size())) return scratchMask_;
  return masks[static_cast<size_t>(from)];
}

void TToOutputConnections::SetMask(int from, int, unsigned char val) {
  if (from < 0 || from >= static_cast<int>(masks.size())) {
    scratchMask_ = val;
    return;
  }
  masks[static_cast<size_t>(from)] = val;
}

template <class Visit>
void TToOutputConnections::VisitArc(const TFuNNOutputLayer& target, int a, unsigned char sel,
                                    Visit visit) {
  const unsigned char mask = masks[static_cast<size_t>(a)];
  if ((mask & sel) != sel) return;
  visit(a, target.outputOf[static_cast<size_t>(a)], &centres[static_cast<size_t>(a)],
        (mask & 2) != 0);
}

void TToOutputConnections::Iterate(TIterateObj& visitor, int which) {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  const int n = NumArcs(*target);
  for (int a = 0; a < n; ++a) {
    VisitArc(*target, a, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToOutputConnections::IterateTo(TIterateObj& visitor, int toNeuron, int which) {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  if (toNeuron < 0 || toNeuron >= static_cast<int>(target->membershipCounts.size())) return;
  const int first = target->GetFirstAction(toNeuron);
  const int last =
      std::min(first + target->membershipCounts[static_cast<size_t>(toNeuron)], NumArcs(*target));
  for (int a = first; a < last; ++a) {
    VisitArc(*target, a, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToOutputConnections::IterateFrom(TIterateObj& visitor, int fromNeuron, int which) {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  if (fromNeuron < 0 || fromNeuron >= NumArcs(*target)) return;
  VisitArc(*target, fromNeuron, Selector(which), [&](int from, int to, double* w, bool trainable) {
    visitor.VisitArc(from, to, w, trainable);
  });
}

void TToOutputConnections::Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this, network2);
  const int n = NumArcs(*target);
  for (int a = 0; a < n; ++a) {
    VisitArc(*target, a, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToOutputConnections::Iterate3(TIterateObj3& visitor, TBasicNetwork* network2,
                                    TBasicNetwork* network3, int which) {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this, network2, network3);
  const int n = NumArcs(*target);
  for (int a = 0; a < n; ++a) {
    VisitArc(*target, a, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

const char* TToOutputConnections::GetConnectionsNType() const {
  return "ToOutputConnections";
}

void TToOutputConnections::Destroy() {
  delete this;
}

TBasicConnections* TToOutputConnections::Clone(TBasicNetwork* net) const {
  auto* copy = new TToOutputConnections(net, fromLayer, toLayer);
  copy->centres = centres;
  // The arc flags travel with the copy (a frozen centre stays frozen).
  copy->masks = masks;
  return copy;
}

void TToOutputConnections::RemoveFromNeuron(int) {
  NUXA_ASSERT(false);
}

void TToOutputConnections::RemoveToNeuron(int) {
  NUXA_ASSERT(false);
}

void TToOutputConnections::ResetCentres() {
  const TFuNNOutputLayer* target = TargetLayer();
  if (target == nullptr) return;
  const int outputs = static_cast<int>(target->membershipCounts.size());
  for (int o = 0; o < outputs; ++o) {
    const int NdxMF = target->membershipCounts[static_cast<size_t>(o)];
    NUXA_ASSERT(NdxMF >= 2);
    const int first = target->GetFirstAction(o);
    for (int j = 0; j < NdxMF; ++j) {
      Weight(first + j, o) = static_cast<double>(j) / static_cast<double>(NdxMF - 1);
    }
  }
}

}  // namespace nuxa
