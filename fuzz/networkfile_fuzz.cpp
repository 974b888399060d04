// Reads arbitrary bytes as a network file. The reader may only fail with
// FileTools::Error. A file it accepts must survive the writer: written out
// and read again it gives the same network (values to the precision the
// file carries), and from then on writing and reading change nothing.
//
// The harness is built against the configuration its name selects; the MLP
// one includes this file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FileHandler/NetworkFile.h"
#include "FileHandler/NetworkFileReader.h"
#include "FileHandler/ParseTools.h"
#include "NeuralNets/TBasicNetwork.h"

#if NUXA_CONFIG_FUNN
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNNOutputLayer.h"
#endif
#if NUXA_CONFIG_MLP
#include "NeuralNets/MLP/TMLPNetwork.h"
#endif

namespace {

using nuxa::TBasicNetwork;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "network file round trip: %s\n", what);
  std::abort();
}

std::string Write(TBasicNetwork& net) {
  nuxa::FileTools tools;
  std::ostringstream os;
  nuxa::WriteNetwork(tools, os, net);
  return os.str();
}

std::unique_ptr<TBasicNetwork> Read(const std::string& text) {
  nuxa::FileTools tools;
  std::istringstream is(text);
  return nuxa::ReadNetwork(tools, is);
}

// Parameters and weight-list weights carry 15 decimals, matrix weights 15
// significant digits.
bool Close(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-15 + 1e-14 * std::fmax(std::fabs(a), std::fabs(b));
}

std::string NameOf(TBasicNetwork& net, nuxa::TActFunction function) {
  return function == nullptr ? "" : net.GetRegistry().GetName(function);
}

void CompareLayer(TBasicNetwork& a, TBasicNetwork& b, int L) {
  nuxa::TBasicLayer& x = *a.GetLayer(L);
  nuxa::TBasicLayer& y = *b.GetLayer(L);
  if (std::string(x.GetLayerType()) != y.GetLayerType()) Finding("layer type");
  if (x.numNeurons != y.numNeurons) Finding("neuron count");
  if (NameOf(a, x.GetActivationFunction()) != NameOf(b, y.GetActivationFunction())) {
    Finding("shared function");
  }
  for (int i = 0; i < x.numNeurons; ++i) {
    nuxa::TBasicNeuron& m = x.GetNeuron(i);
    nuxa::TBasicNeuron& n = y.GetNeuron(i);
    if (NameOf(a, m.activationFunction) != NameOf(b, n.activationFunction)) {
      Finding("neuron function");
    }
    const int P = m.GetNumParameters();
    if (n.GetNumParameters() != P) Finding("parameter count");
    std::vector<double> u(static_cast<size_t>(P));
    std::vector<double> v(static_cast<size_t>(P));
    m.GetParameters(u.data());
    n.GetParameters(v.data());
    for (size_t p = 0; p < u.size(); ++p) {
      if (!Close(u[p], v[p])) Finding("parameter value");
    }
  }
#if NUXA_CONFIG_FUNN
  if (auto* c = dynamic_cast<nuxa::TConditionLayer*>(&x)) {
    auto* d = dynamic_cast<nuxa::TConditionLayer*>(&y);
    if (d == nullptr || c->membershipCounts != d->membershipCounts) Finding("input membership");
  }
  if (auto* o = dynamic_cast<nuxa::TFuNNOutputLayer*>(&x)) {
    auto* p = dynamic_cast<nuxa::TFuNNOutputLayer*>(&y);
    if (p == nullptr || o->numActions != p->numActions ||
        o->membershipCounts != p->membershipCounts) {
      Finding("output membership");
    }
  }
#endif
}

void CompareConnections(TBasicNetwork& a, TBasicNetwork& b, int from, int to) {
  nuxa::TBasicConnections& x = *a.GetConnections(from, to);
  nuxa::TBasicConnections& y = *b.GetConnections(from, to);
  if (std::string(x.GetConnectionsNType()) != y.GetConnectionsNType()) Finding("set type");
  if (!x.IsConnected()) return;
  for (int s = 0; s < x.GetNumFrom(); ++s) {
    for (int t = 0; t < x.GetNumTo(); ++t) {
      if (x.IsValid(s, t) != y.IsValid(s, t)) Finding("arc existence");
      if (!x.IsValid(s, t)) continue;
      if (!Close(x.Weight(s, t), y.Weight(s, t))) Finding("weight");
      if (x.IsTrainable(s, t) != y.IsTrainable(s, t)) Finding("trainable flag");
    }
  }
}

void Compare(TBasicNetwork& a, TBasicNetwork& b) {
  if (std::string(a.GetNetworkType()) != b.GetNetworkType()) Finding("network type");
  if (a.numLayers != b.numLayers || a.inLayer != b.inLayer || a.outLayer != b.outLayer) {
    Finding("layer indices");
  }
#if NUXA_CONFIG_MLP
  auto* m = dynamic_cast<nuxa::TMLPNetwork*>(&a);
  auto* n = dynamic_cast<nuxa::TMLPNetwork*>(&b);
  if (m != nullptr && n != nullptr && m->HasBias() != n->HasBias()) Finding("bias flag");
#endif
  for (int L = 0; L < a.numLayers; ++L) CompareLayer(a, b, L);
  for (int from = 0; from < a.numLayers; ++from) {
    for (int to = 0; to < a.numLayers; ++to) CompareConnections(a, b, from, to);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<TBasicNetwork> first;
  try {
    first = Read(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const nuxa::FileTools::Error&) {
    return 0;
  }
  // From here on every exception is a finding: the writer must take what
  // the reader built, and the reader what the writer wrote.
  const std::string text = Write(*first);
  std::unique_ptr<TBasicNetwork> second = Read(text);
  Compare(*first, *second);
  const std::string again = Write(*second);
  std::unique_ptr<TBasicNetwork> third = Read(again);
  Compare(*second, *third);
  if (Write(*third) != again) Finding("second writing differs");
  return 0;
}
