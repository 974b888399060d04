#include "FuNN/TToConditionConnections.h"

#include <algorithm>

#include "Common/Assert.h"
#include "FuNN/TConditionLayer.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

namespace {

// which 1 selects every existing arc, anything else the trainable ones.
unsigned char Selector(int which) {
  return which == 1 ? FMaskExists : FMaskAll;
}

}  // namespace

TToConditionConnections::TToConditionConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : TBasicConnections(network, fromLayer, toLayer) {
  const TConditionLayer* target = TargetLayer();
  masks.assign(static_cast<size_t>(target != nullptr ? std::max(target->numNeurons, 0) : 0),
               FMaskAll);
}

TToConditionConnections::~TToConditionConnections() = default;

TConditionLayer* TToConditionConnections::TargetLayer() const {
  if (toLayer < 0 || toLayer >= network->numLayers) return nullptr;
  return dynamic_cast<TConditionLayer*>(network->layers[static_cast<size_t>(toLayer)]);
}

// The arcs are those of the condition neurons that have both a mask and an
// input; the three agree whenever the network is consistent.
int TToConditionConnections::NumArcs(const TConditionLayer& target) const {
  return std::min(
      {static_cast<int>(masks.size()), static_cast<int>(target.inputOf.size()), target.numNeurons});
}

double& TToConditionConnections::Weight(int, int to) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr || to < 0 || to >= target->numNeurons) return scratchWeight_;
  return target->GetConditionNeuron(to).centre;
}

bool TToConditionConnections::IsValid(int from, int to) const {
  const TConditionLayer* target = TargetLayer();
  if (target == nullptr || to < 0 || to >= NumArcs(*target)) return false;
  return target->inputOf[static_cast<size_t>(to)] == from;
}

bool TToConditionConnections::IsTrainable(int from, int to) const {
  return IsValid(from, to) && (GetMask(from, to) & 2) != 0;
}

void TToConditionConnections::PruneWeight(int, int) {}

void TToConditionConnections::AddWeight(int, int) {}

void TToConditionConnections::UnfreezeWeight(int from, int to) {
  SetMask(from, to, FMaskAll);
}

void TToConditionConnections::FreezeWeight(int from, int to) {
  SetMask(from, to, FMaskExists);
}

unsigned char TToConditionConnections::GetMask(int, int to) const {
  if (to < 0 || to >= static_cast<int>(masks.size())) return scratchMask_;
  return masks[static_cast<size_t>(to)];
}

void TToConditionConnections::SetMask(int, int to, unsigned char val) {
  if (to < 0 || to >= static_cast<int>(masks.size())) {
    scratchMask_ = val;
    return;
  }
  masks[static_cast<size_t>(to)] = val;
}

template <class Visit>
void TToConditionConnections::VisitArc(TConditionLayer& target, int k, unsigned char sel,
                                       Visit visit) {
  const unsigned char mask = masks[static_cast<size_t>(k)];
  if ((mask & sel) != sel) return;
  visit(target.inputOf[static_cast<size_t>(k)], k, &target.GetConditionNeuron(k).centre,
        (mask & 2) != 0);
}

void TToConditionConnections::Iterate(TIterateObj& visitor, int which) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  const int n = NumArcs(*target);
  for (int k = 0; k < n; ++k) {
    VisitArc(*target, k, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToConditionConnections::IterateTo(TIterateObj& visitor, int toNeuron, int which) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  if (toNeuron < 0 || toNeuron >= NumArcs(*target)) return;
  VisitArc(*target, toNeuron, Selector(which), [&](int from, int to, double* w, bool trainable) {
    visitor.VisitArc(from, to, w, trainable);
  });
}

void TToConditionConnections::IterateFrom(TIterateObj& visitor, int fromNeuron, int which) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this);
  if (fromNeuron < 0 || fromNeuron >= target->GetNumInputs()) return;
  const int first = target->GetFirstNeuron(fromNeuron);
  const int last =
      std::min(first + target->membershipCounts[static_cast<size_t>(fromNeuron)], NumArcs(*target));
  for (int k = first; k < last; ++k) {
    VisitArc(*target, k, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToConditionConnections::Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this, network2);
  const int n = NumArcs(*target);
  for (int k = 0; k < n; ++k) {
    VisitArc(*target, k, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

void TToConditionConnections::Iterate3(TIterateObj3& visitor, TBasicNetwork* network2,
                                       TBasicNetwork* network3, int which) {
  TConditionLayer* target = TargetLayer();
  if (target == nullptr) return;
  visitor.Bind(this, network2, network3);
  const int n = NumArcs(*target);
  for (int k = 0; k < n; ++k) {
    VisitArc(*target, k, Selector(which), [&](int from, int to, double* w, bool trainable) {
      visitor.VisitArc(from, to, w, trainable);
    });
  }
}

const char* TToConditionConnections::GetConnectionsNType() const {
  return "ToConditionConnections";
}

void TToConditionConnections::Destroy() {
  delete this;
}

TBasicConnections* TToConditionConnections::Clone(TBasicNetwork* net) const {
  auto* copy = new TToConditionConnections(net, fromLayer, toLayer);
  // The arc flags travel with the copy (a frozen centre stays frozen).
  if (copy->masks.size() == masks.size()) copy->masks = masks;
  return copy;
}

void TToConditionConnections::RemoveFromNeuron(int) {
  NUXA_ASSERT(false);
}

void TToConditionConnections::RemoveToNeuron(int) {
  NUXA_ASSERT(false);
}

}  // namespace nuxa
