#include "NeuralNets/TConnectedConnections.h"

#include "Common/Assert.h"
#include "NeuralNets/DenseMatrix.h"
#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

TConnectedConnections::TConnectedConnections(TBasicNetwork* network, int fromLayer, int toLayer)
    : TBasicConnections(network, fromLayer, toLayer) {
  Resize(GetNumFrom(), GetNumTo());
}

void TConnectedConnections::Resize(int nFrom, int nTo) {
  nFrom_ = nFrom;
  nTo_ = nTo;
  array_weights.assign(static_cast<size_t>(nFrom * nTo), 0.0);
  index_weights = dense::RowIndex(array_weights, nFrom, nTo);
}

int TConnectedConnections::GetNumWeights(int) {
  return nFrom_ * nTo_;
}

int TConnectedConnections::GetWeights(double* buffer, int) {
  for (int from = 0; from < nFrom_; ++from) {
    for (int to = 0; to < nTo_; ++to) *buffer++ = index_weights[static_cast<size_t>(to)][from];
  }
  return nFrom_ * nTo_;
}

int TConnectedConnections::SetWeights(const double* buffer, int) {
  for (int from = 0; from < nFrom_; ++from) {
    for (int to = 0; to < nTo_; ++to) index_weights[static_cast<size_t>(to)][from] = *buffer++;
  }
  return nFrom_ * nTo_;
}

void TConnectedConnections::Randomize(double min, double max) {
  for (double& w : array_weights) w = RandomWeight(min, max);
}

void TConnectedConnections::Aggregate(double* net) {
  const double* act = GetFromLayerPtr()->activations.data();
  const int nFrom = nFrom_;
  const double* row = array_weights.data();
  for (int to = 0; to < nTo_; ++to, row += nFrom) {
    double sum = 0.0;
    for (int from = 0; from < nFrom; ++from) sum += row[from] * act[from];
    net[to] += sum;
  }
}

bool TConnectedConnections::IsValid(int, int) const {
  return true;
}

void TConnectedConnections::PruneWeight(int, int) {
  NUXA_ASSERT(false);
}

void TConnectedConnections::AddWeight(int, int) {}

void TConnectedConnections::UnfreezeWeight(int, int) {}

void TConnectedConnections::FreezeWeight(int, int) {
  NUXA_ASSERT(false);
}

void TConnectedConnections::IterateTo(TIterateObj& visitor, int toNeuron, int) {
  visitor.Bind(this);
  double* row = index_weights[static_cast<size_t>(toNeuron)];
  for (int from = 0; from < nFrom_; ++from) visitor.VisitArc(from, toNeuron, row + from, true);
}

void TConnectedConnections::IterateFrom(TIterateObj& visitor, int fromNeuron, int) {
  visitor.Bind(this);
  for (int to = 0; to < nTo_; ++to) {
    visitor.VisitArc(fromNeuron, to, index_weights[static_cast<size_t>(to)] + fromNeuron, true);
  }
}

void TConnectedConnections::Iterate(TIterateObj& visitor, int) {
  visitor.Bind(this);
  for (int to = 0; to < nTo_; ++to) {
    double* row = index_weights[static_cast<size_t>(to)];
    for (int from = 0; from < nFrom_; ++from) visitor.VisitArc(from, to, row + from, true);
  }
}

void TConnectedConnections::Iterate2(TIterateObj2& visitor, TBasicNetwork* network2, int) {
  visitor.Bind(this, network2);
  for (int to = 0; to < nTo_; ++to) {
    for (int from = 0; from < nFrom_; ++from) {
      visitor.VisitArc(from, to, &Weight(from, to), true);
    }
  }
}

void TConnectedConnections::Iterate3(TIterateObj3& visitor, TBasicNetwork* network2,
                                     TBasicNetwork* network3, int) {
  visitor.Bind(this, network2, network3);
  for (int to = 0; to < nTo_; ++to) {
    for (int from = 0; from < nFrom_; ++from) {
      visitor.VisitArc(from, to, &Weight(from, to), true);
    }
  }
}

const char* TConnectedConnections::GetConnectionsNType() const {
  return "FullyConnected";
}

void TConnectedConnections::Destroy() {
  delete this;
}

TBasicConnections* TConnectedConnections::Clone(TBasicNetwork* net) const {
  // Constructed for net's layers, then given this set's shape and weights.
  auto* x = new TConnectedConnections(net, fromLayer, toLayer);
  x->nFrom_ = nFrom_;
  x->nTo_ = nTo_;
  x->array_weights = array_weights;
  x->index_weights = dense::RowIndex(x->array_weights, nFrom_, nTo_);
  return x;
}

void TConnectedConnections::RemoveFromNeuron(int node) {
  array_weights = dense::WithoutColumn(array_weights, nFrom_, nTo_, node);
  --nFrom_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
}

void TConnectedConnections::RemoveToNeuron(int node) {
  array_weights = dense::WithoutRow(array_weights, nFrom_, nTo_, node);
  --nTo_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
}

void TConnectedConnections::InsertFromNeuron(int node, double min, double max, bool attached) {
  NUXA_ASSERT(attached);
  array_weights = dense::WithColumn(array_weights, nFrom_, nTo_, node,
                                    [&](int) { return RandomWeight(min, max); });
  ++nFrom_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
}

void TConnectedConnections::InsertToNeuron(int node, double min, double max, bool attached) {
  NUXA_ASSERT(attached);
  array_weights = dense::WithRow(array_weights, nFrom_, nTo_, node,
                                 [&](int) { return RandomWeight(min, max); });
  ++nTo_;
  index_weights = dense::RowIndex(array_weights, nFrom_, nTo_);
}

}  // namespace nuxa
