#include "NeuralNets/TPrunedConnections.h"

#include "Common/Assert.h"
#include "NeuralNets/DenseMatrix.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

namespace {

// The mask bits `which` requires: 1 selects every existing arc, anything else
// the existing trainable ones.
unsigned char Selector(int which) {
  return which == 1 ? FMaskExists : FMaskAll;
}

bool Selected(unsigned char mask, unsigned char selector) {
  return (mask & selector) == selector;
}

}  // namespace

TPrunedConnections::TPrunedConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : TBasicConnections(network, fromLayer, toLayer) {
  Resize(GetNumFrom(), GetNumTo());
}

void TPrunedConnections::Resize(int nFrom, int nTo) {
  nFrom_ = nFrom;
  nTo_ = nTo;
  array_weights.assign(static_cast<size_t>(nFrom * nTo), 0.0);
  array_masks.assign(static_cast<size_t>(nFrom * nTo), FMaskAll);
  index_weights = dense::RowIndex(array_weights, nFrom, nTo);
  index_masks = dense::RowIndex(array_masks, nFrom, nTo);
}

int TPrunedConnections::GetNumWeights(int which) {
  const unsigned char sel = Selector(which);
  int count = 0;
  for (unsigned char m : array_masks) count += Selected(m, sel);
  return count;
}

// Bulk copies run over the storage, which is the traversal order.
int TPrunedConnections::GetWeights(double* buffer, int which) {
  const unsigned char sel = Selector(which);
  int count = 0;
  for (size_t k = 0; k < array_masks.size(); ++k) {
    if (Selected(array_masks[k], sel)) buffer[count++] = array_weights[k];
  }
  return count;
}

int TPrunedConnections::SetWeights(const double* buffer, int which) {
  const unsigned char sel = Selector(which);
  int count = 0;
  for (size_t k = 0; k < array_masks.size(); ++k) {
    if (Selected(array_masks[k], sel)) array_weights[k] = buffer[count++];
  }
  return count;
}

void TPrunedConnections::Randomize(double min, double max) {
  for (size_t k = 0; k < array_masks.size(); ++k) {
    if (array_masks[k] & 2) array_weights[k] = RandomWeight(min, max);
  }
}

void TPrunedConnections::Aggregate(double* net) {
  const double* act = GetFromLayerPtr()->activations.data();
  const int nFrom = nFrom_;
  const double* row = array_weights.data();
  const unsigned char* mrow = array_masks.data();
  for (int to = 0; to < nTo_; ++to, row += nFrom, mrow += nFrom) {
    double sum = 0.0;
    for (int from = 0; from < nFrom; ++from) {
      if (mrow[from] & FMaskExists) sum += row[from] * act[from];
    }
    net[to] += sum;
  }
}

bool TPrunedConnections::IsValid(int from, int to) const {
  return (index_masks[static_cast<size_t>(to)][from] & 1) != 0;
}

bool TPrunedConnections::IsTrainable(int from, int to) const {
  return (index_masks[static_cast<size_t>(to)][from] & 2) != 0;
}

void TPrunedConnections::PruneWeight(int from, int to) {
  index_masks[static_cast<size_t>(to)][from] = 0;
  index_weights[static_cast<size_t>(to)][from] = 0.0;
}

void TPrunedConnections::AddWeight(int from, int to) {
  if (!IsValid(from, to)) {
    index_masks[static_cast<size_t>(to)][from] = FMaskAll;
    index_weights[static_cast<size_t>(to)][from] = 0.0;
  }
}

void TPrunedConnections::UnfreezeWeight(int from, int to) {
  if (IsValid(from, to)) index_masks[static_cast<size_t>(to)][from] |= 2;
}

void TPrunedConnections::FreezeWeight(int from, int to) {
  index_masks[static_cast<size_t>(to)][from] &= static_cast<unsigned char>(~2u);
}

void TPrunedConnections::IterateTo(TIterateObj& visitor, int toNeuron, int which) {
  const unsigned char sel = Selector(which);
  visitor.Bind(this);
  double* row = index_weights[static_cast<size_t>(toNeuron)];
  const unsigned char* mrow = index_masks[static_cast<size_t>(toNeuron)];
  for (int from = 0; from < nFrom_; ++from) {
    if (Selected(mrow[from], sel)) visitor.VisitArc(from, toNeuron, row + from, mrow[from] & 2);
  }
}

void TPrunedConnections::IterateFrom(TIterateObj& visitor, int fromNeuron, int which) {
  const unsigned char sel = Selector(which);
  visitor.Bind(this);
  for (int to = 0; to < nTo_; ++to) {
    const unsigned char m = index_masks[static_cast<size_t>(to)][fromNeuron];
    if (Selected(m, sel)) {
      visitor.VisitArc(fromNeuron, to, index_weights[static_cast<size_t>(to)] + fromNeuron, m & 2);
    }
  }
}

void TPrunedConnections::Iterate(TIterateObj& visitor, int which) {
  const unsigned char sel = Selector(which);
  visitor.Bind(this);
  for (int to = 0; to < nTo_; ++to) {
    double* row = index_weights[static_cast<size_t>(to)];
    const unsigned char* mrow = index_masks[static_cast<size_t>(to)];
    for (int from = 0; from < nFrom_; ++from) {
      // The visitor may change the mask (SetFlags, MakeAllUntrainable): the
      // trainable flag is the one the arc had when it was selected.
      const unsigned char m = mrow[from];
      if (Selected(m, sel)) visitor.VisitArc(from, to, row + from, m & 2);
    }
  }
}

void TPrunedConnections::Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int which) {
  const unsigned char sel = Selector(which);
  visitor.Bind(this, network2);
  for (int to = 0; to < nTo_; ++to) {
    for (int from = 0; from < nFrom_; ++from) {
      const unsigned char m = index_masks[static_cast<size_t>(to)][from];
      if (!Selected(m, sel)) continue;
      visitor.VisitArc(from, to, &Weight(from, to), (m & 2) != 0);
    }
  }
}

void TPrunedConnections::Iterate3(TIterateObj3& visitor, TBasicNetwork* network2,
                                  TBasicNetwork* network3, int which) {
  const unsigned char sel = Selector(which);
  visitor.Bind(this, network2, network3);
  for (int to = 0; to < nTo_; ++to) {
    for (int from = 0; from < nFrom_; ++from) {
      const unsigned char m = index_masks[static_cast<size_t>(to)][from];
      if (!Selected(m, sel)) continue;
      visitor.VisitArc(from, to, &Weight(from, to), (m & 2) != 0);
    }
  }
}

const char* TPrunedConnections::GetConnectionsNType() const {
  return "Pruneable";
}

unsigned char TPrunedConnections::GetMask(int from, int to) const {
  return index_masks[static_cast<size_t>(to)][from];
}

void TPrunedConnections::SetMask(int from, int to, unsigned char val) {
  index_masks[static_cast<size_t>(to)][from] = val;
}

void TPrunedConnections::Destroy() {
  delete this;
}

TBasicConnections* TPrunedConnections::Clone(TBasicNetwork* net) const {
  auto* x = new TPrunedConnections(net, fromLayer, toLayer);
  x->nFrom_ = nFrom_;
  x->nTo_ = nTo_;
  x->array_weights = array_weights;
  x->array_masks = array_masks;
  x->index_weights = dense::RowIndex(x->array_weights, nFrom_, nTo_);
  x->index_masks = dense::RowIndex(x->array_masks, nFrom_, nTo_);
  return x;
}

void TPrunedConnections::RemoveFromNeuron(int node) {
  array_weights = dense::WithoutColumn(array_weights, nFrom_, nTo_, node);
  array_masks = dense::WithoutColumn(array_masks, nFrom_, nTo_, node);
  --nFrom_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
  index_masks = dense::RowIndex(array_masks, nFrom_, nTo_);
}

void TPrunedConnections::RemoveToNeuron(int node) {
  array_weights = dense::WithoutRow(array_weights, nFrom_, nTo_, node);
  array_masks = dense::WithoutRow(array_masks, nFrom_, nTo_, node);
  --nTo_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
  index_masks = dense::RowIndex(array_masks, nFrom_, nTo_);
}

void TPrunedConnections::InsertFromNeuron(int node, double min, double max, bool attached) {
  array_weights = dense::WithColumn(array_weights, nFrom_, nTo_, node,
                                    [&](int) { return attached ? RandomWeight(min, max) : 0.0; });
  const unsigned char mask = attached ? FMaskAll : 0;
  array_masks = dense::WithColumn(array_masks, nFrom_, nTo_, node, [&](int) { return mask; });
  ++nFrom_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
  index_masks = dense::RowIndex(array_masks, nFrom_, nTo_);
}

void TPrunedConnections::InsertToNeuron(int node, double min, double max, bool attached) {
  array_weights = dense::WithRow(array_weights, nFrom_, nTo_, node,
                                 [&](int) { return attached ? RandomWeight(min, max) : 0.0; });
  const unsigned char mask = attached ? FMaskAll : 0;
  array_masks = dense::WithRow(array_masks, nFrom_, nTo_, node, [&](int) { return mask; });
  ++nTo_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
  index_masks = dense::RowIndex(array_masks, nFrom_, nTo_);
}

}  // namespace nuxa
