// The network file reader: round trips through the writer over generated
// networks of every type, what a hand-written file means, and every refusal.
#include "FileHandler/NetworkFileReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "FileHandler/NetworkFile.h"
#include "FileHandler/ParseTools.h"
#include "FileHandler/TempFolder.h"
#include "NeuralNets/TBasicNetwork.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

#if NUXA_CONFIG_FUNN
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNN.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "FuNN/TToConditionConnections.h"
#include "FuNN/TToOutputConnections.h"
#endif
#if NUXA_CONFIG_MLP
#include "NeuralNets/MLP/TMLPNetwork.h"
#endif

namespace nuxa {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

std::string Write(TBasicNetwork& net) {
  FileTools tools;
  std::ostringstream os;
  WriteNetwork(tools, os, net);
  return os.str();
}

std::unique_ptr<TBasicNetwork> Read(const std::string& text) {
  FileTools tools;
  std::istringstream is(text);
  return ReadNetwork(tools, is);
}

// Reading text must fail with exactly message, naming the stream read.
void ExpectReadError(const std::string& text, const std::string& message) {
  FileTools tools;
  std::istringstream is(text);
  try {
    ReadNetwork(tools, is);
    ADD_FAILURE() << "no error, expected \"" << message << "\"";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, message);
    EXPECT_EQ(e.input, &is);
    EXPECT_EQ(e.output, nullptr);
  }
}

// ---- Network equality: everything the file carries.

std::string NameOf(TBasicNetwork& net, TActFunction function) {
  if (function == nullptr) return "(none)";
  const TFnRegistry& registry = net.GetRegistry();
  return registry.HasFunction(function) ? registry.GetName(function) : "(unregistered)";
}

bool SameValue(double a, double b) {
  return a == b ? std::signbit(a) == std::signbit(b) : std::isnan(a) && std::isnan(b);
}

// The arcs a set's traversal visits, with the flag it hands the visitor.
class ArcRecorder : public TIterateObj {
 public:
  void Visit() override { arcs.emplace_back(fromNeuron, toNeuron, *weight, trainable); }
  std::vector<std::tuple<int, int, double, bool>> arcs;
};

AssertionResult SameLayer(TBasicNetwork& a, TBasicNetwork& b, int L) {
  TBasicLayer& x = *a.GetLayer(L);
  TBasicLayer& y = *b.GetLayer(L);
  if (std::string(x.GetLayerType()) != y.GetLayerType()) {
    return AssertionFailure() << "type " << x.GetLayerType() << " vs " << y.GetLayerType();
  }
  if (x.numNeurons != y.numNeurons) {
    return AssertionFailure() << "neurons " << x.numNeurons << " vs " << y.numNeurons;
  }
  if (NameOf(a, x.GetActivationFunction()) != NameOf(b, y.GetActivationFunction())) {
    return AssertionFailure() << "shared function " << NameOf(a, x.GetActivationFunction())
                              << " vs " << NameOf(b, y.GetActivationFunction());
  }
  for (int i = 0; i < x.numNeurons; ++i) {
    TBasicNeuron& m = x.GetNeuron(i);
    TBasicNeuron& n = y.GetNeuron(i);
    if (NameOf(a, m.activationFunction) != NameOf(b, n.activationFunction)) {
      return AssertionFailure() << "function of neuron " << i;
    }
    const int P = m.GetNumParameters();
    if (n.GetNumParameters() != P) return AssertionFailure() << "parameters of neuron " << i;
    std::vector<double> u(static_cast<size_t>(P));
    std::vector<double> v(static_cast<size_t>(P));
    m.GetParameters(u.data());
    n.GetParameters(v.data());
    for (int p = 0; p < P; ++p) {
      if (std::string(m.GetParameterName(p)) != n.GetParameterName(p) ||
          !SameValue(u[static_cast<size_t>(p)], v[static_cast<size_t>(p)])) {
        return AssertionFailure() << "parameter " << p << " of neuron " << i << ": "
                                  << u[static_cast<size_t>(p)] << " vs "
                                  << v[static_cast<size_t>(p)];
      }
    }
  }
#if NUXA_CONFIG_FUNN
  if (auto* c = dynamic_cast<TConditionLayer*>(&x)) {
    auto* d = dynamic_cast<TConditionLayer*>(&y);
    if (d == nullptr || c->numInputs != d->numInputs ||
        c->membershipCounts != d->membershipCounts) {
      return AssertionFailure() << "input membership";
    }
  }
  if (auto* o = dynamic_cast<TFuNNOutputLayer*>(&x)) {
    auto* p = dynamic_cast<TFuNNOutputLayer*>(&y);
    if (p == nullptr || o->numActions != p->numActions ||
        o->membershipCounts != p->membershipCounts) {
      return AssertionFailure() << "output membership";
    }
  }
#endif
  return AssertionSuccess();
}

AssertionResult SameConnections(TBasicNetwork& a, TBasicNetwork& b, int from, int to) {
  TBasicConnections& x = *a.GetConnections(from, to);
  TBasicConnections& y = *b.GetConnections(from, to);
  if (std::string(x.GetConnectionsNType()) != y.GetConnectionsNType()) {
    return AssertionFailure() << "type " << x.GetConnectionsNType() << " vs "
                              << y.GetConnectionsNType();
  }
  if (!x.IsConnected()) return AssertionSuccess();
  for (int s = 0; s < x.GetNumFrom(); ++s) {
    for (int t = 0; t < x.GetNumTo(); ++t) {
      const bool exists = x.IsValid(s, t);
      if (y.IsValid(s, t) != exists) return AssertionFailure() << "arc " << s << "->" << t;
      if (!exists) continue;
      if (!SameValue(x.Weight(s, t), y.Weight(s, t)) ||
          x.IsTrainable(s, t) != y.IsTrainable(s, t)) {
        return AssertionFailure() << "arc " << s << "->" << t << ": " << x.Weight(s, t) << " "
                                  << x.IsTrainable(s, t) << " vs " << y.Weight(s, t) << " "
                                  << y.IsTrainable(s, t);
      }
    }
  }
  ArcRecorder u;
  ArcRecorder v;
  x.Iterate(u, 1);
  y.Iterate(v, 1);
  if (u.arcs.size() != v.arcs.size()) return AssertionFailure() << "number of arcs visited";
  for (size_t k = 0; k < u.arcs.size(); ++k) {
    if (std::get<0>(u.arcs[k]) != std::get<0>(v.arcs[k]) ||
        std::get<1>(u.arcs[k]) != std::get<1>(v.arcs[k]) ||
        !SameValue(std::get<2>(u.arcs[k]), std::get<2>(v.arcs[k])) ||
        std::get<3>(u.arcs[k]) != std::get<3>(v.arcs[k])) {
      return AssertionFailure() << "visited arc " << k << " (" << std::get<0>(u.arcs[k]) << "->"
                                << std::get<1>(u.arcs[k]) << ")";
    }
  }
  return AssertionSuccess();
}

AssertionResult SameNetwork(TBasicNetwork& a, TBasicNetwork& b) {
  if (std::string(a.GetNetworkType()) != b.GetNetworkType()) {
    return AssertionFailure() << "network type " << a.GetNetworkType() << " vs "
                              << b.GetNetworkType();
  }
  if (a.numLayers != b.numLayers || a.inLayer != b.inLayer || a.outLayer != b.outLayer) {
    return AssertionFailure() << "layers " << a.numLayers << "/" << a.inLayer << "/" << a.outLayer
                              << " vs " << b.numLayers << "/" << b.inLayer << "/" << b.outLayer;
  }
#if NUXA_CONFIG_MLP
  auto* m = dynamic_cast<TMLPNetwork*>(&a);
  auto* n = dynamic_cast<TMLPNetwork*>(&b);
  if (m != nullptr && n != nullptr && m->HasBias() != n->HasBias()) {
    return AssertionFailure() << "bias flag";
  }
#endif
  for (int L = 0; L < a.numLayers; ++L) {
    if (AssertionResult r = SameLayer(a, b, L); !r)
      return AssertionFailure() << "layer " << L << ": " << r.message();
  }
  for (int from = 0; from < a.numLayers; ++from) {
    for (int to = 0; to < a.numLayers; ++to) {
      if (AssertionResult r = SameConnections(a, b, from, to); !r) {
        return AssertionFailure() << "set " << from << "->" << to << ": " << r.message();
      }
    }
  }
  return AssertionSuccess();
}

// ---- Generated networks.

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  // Values the file carries exactly (15 decimals or 15 significant digits),
  // now and then a large or a negative zero.
  double Value() {
    switch (Int(0, 9)) {
      case 0:
        return Int(-100000, 100000) + 0.5;
      case 1:
        return -0.0;
      default:
        return Int(-6400, 6400) / 64.0;
    }
  }

  // Arcs of a maskable set: a share removed (so that both the weight list
  // and the matrix forms occur), some frozen, all weighted.
  void FillMasked(TBasicConnections& set) {
    static const double kRemoved[] = {0.0, 0.5, 0.8, 1.0};
    const double removed = kRemoved[Int(0, 3)];
    for (int s = 0; s < set.GetNumFrom(); ++s) {
      for (int t = 0; t < set.GetNumTo(); ++t) {
        if (!set.IsValid(s, t)) continue;
        if (Chance(removed)) {
          set.PruneWeight(s, t);
          continue;
        }
        set.Weight(s, t) = Value();
        if (Chance(0.3)) set.FreezeWeight(s, t);
      }
    }
  }

  void FillFull(TBasicConnections& set) {
    for (int s = 0; s < set.GetNumFrom(); ++s) {
      for (int t = 0; t < set.GetNumTo(); ++t) set.Weight(s, t) = Value();
    }
  }

  // Functions: shared, one per neuron, or the layer's own defaults.
  void SetFunctions(TBasicLayer& layer, bool gain) {
    static const TActFunction kPlain[] = {FnLinear, FnSigmoid, FnTanh, FnSaturatedLinear, FnError};
    static const TActFunction kGain[] = {FnLinearGain, FnSigmoidGain, FnTanhGain, FnSigmoid};
    auto pick = [&] { return gain ? kGain[Int(0, 3)] : kPlain[Int(0, 4)]; };
    switch (Int(0, 2)) {
      case 0:
        layer.SetActivationFunction(pick());
        break;
      case 1:
        for (int i = 0; i < layer.numNeurons; ++i) layer.GetNeuron(i).SetActivationFunction(pick());
        break;
      default:
        break;
    }
  }

  std::unique_ptr<TBasicNetwork> Generic(bool connected) {
    const int n = Int(2, 5);
    std::unique_ptr<TBasicNetwork> net;
    if (connected) {
      net = std::make_unique<TConnectedNetwork>(n);
    } else {
      net = std::make_unique<TBasicNetwork>(n);
    }
    net->inLayer = Int(0, n - 1);
    net->outLayer = Int(0, n - 1);
    const bool bias = Chance(0.3);
    for (int L = 0; L < n; ++L) {
      TBasicLayer* layer;
      if (bias && L == 0) {
        layer = new TSimpleLayer(net.get(), L, 1);
        layer->SetActivationFunction(FnBias);
      } else if (Chance(0.4)) {
        auto* g = new TGainLayer(net.get(), L, Int(0, 4), 1.0);
        if (Chance(0.5)) {
          g->SetGain(Value());
        } else {
          for (auto& neuron : g->nodes) neuron.gain = Value();
        }
        SetFunctions(*g, true);
        layer = g;
      } else if (Chance(0.3)) {
        layer = new TSimpleInputLayer(net.get(), L, Int(0, 4));
        SetFunctions(*layer, false);
      } else {
        layer = new TSimpleLayer(net.get(), L, Int(0, 4));
        SetFunctions(*layer, false);
      }
      net->SetLayer(L, layer);
    }
    for (int from = 0; from < n; ++from) {
      for (int to = 0; to < n; ++to) {
        if (!Chance(0.35)) continue;
        if (Chance(0.5)) {
          auto* set = new TConnectedConnections(net.get(), from, to);
          FillFull(*set);
          net->SetConnections(from, to, set);
        } else {
          auto* set = new TPrunedConnections(net.get(), from, to);
          FillMasked(*set);
          net->SetConnections(from, to, set);
        }
      }
    }
    return net;
  }

#if NUXA_CONFIG_FUNN
  std::unique_ptr<TBasicNetwork> FuNN() {
    std::vector<int> inputMFs(static_cast<size_t>(Int(0, 3)));
    for (int& c : inputMFs) c = Int(2, 4);
    std::vector<int> outputMFs(static_cast<size_t>(Int(1, 4)));
    for (int& c : outputMFs) c = Int(2, 3);
    auto net =
        std::make_unique<TFuNN>(static_cast<int>(inputMFs.size()), inputMFs.data(), Int(0, 4),
                                outputMFs.data(), static_cast<int>(outputMFs.size()));
    for (int w = 1; w <= 4; ++w) {
      int count = 0;
      std::vector<double> values;
      net->GetWeightLayer(w, count, values);
      for (double& v : values) v = Value();
      net->SetWeightLayer(w, values.data());
    }
    FillMasked(*net->GetRuleConnections(2));
    FillMasked(*net->GetRuleConnections(3));
    // Frozen centres must survive the file in both the matrix and the list form.
    for (TBasicConnections* set : {static_cast<TBasicConnections*>(net->GetConditionConnections()),
                                   static_cast<TBasicConnections*>(net->GetOutputConnections())}) {
      for (int s = 0; s < set->GetNumFrom(); ++s) {
        for (int t = 0; t < set->GetNumTo(); ++t) {
          if (set->IsValid(s, t) && Chance(0.3)) set->FreezeWeight(s, t);
        }
      }
    }
    return net;
  }
#endif

#if NUXA_CONFIG_MLP
  std::unique_ptr<TBasicNetwork> MLP() {
    std::vector<int> sizes(static_cast<size_t>(Int(1, 4)));
    for (int& s : sizes) s = Int(1, 4);
    auto net =
        std::make_unique<TMLPNetwork>(static_cast<int>(sizes.size()), sizes.data(), Chance(0.5));
    for (int L = 2; L < net->numLayers; ++L) {
      if (Chance(0.5)) {
        auto& layer = static_cast<TGainLayer&>(*net->GetLayer(L));
        for (auto& neuron : layer.nodes) neuron.gain = Value();
      }
    }
    for (int from = 0; from < net->numLayers; ++from) {
      for (int to = 0; to < net->numLayers; ++to) {
        TBasicConnections& set = *net->GetConnections(from, to);
        if (set.IsConnected()) FillMasked(set);
      }
    }
    return net;
  }
#endif

 private:
  std::mt19937 rng_;
};

// Every file the writer writes reads back equal, and writes again to the
// same bytes.
void ExpectRoundTrip(TBasicNetwork& net) {
  const std::string text = Write(net);
  std::unique_ptr<TBasicNetwork> back;
  try {
    back = Read(text);
  } catch (const FileTools::Error& e) {
    FAIL() << e.message << "\n" << text;
  }
  EXPECT_TRUE(SameNetwork(net, *back)) << text;
  EXPECT_EQ(Write(*back), text);
}

TEST(NetworkFileReaderRoundTrip, BasicNetworks) {
  for (unsigned seed = 0; seed < 60; ++seed) {
    SCOPED_TRACE(seed);
    Generator gen(seed);
    ExpectRoundTrip(*gen.Generic(false));
  }
}

TEST(NetworkFileReaderRoundTrip, ConnectedNetworks) {
  for (unsigned seed = 100; seed < 160; ++seed) {
    SCOPED_TRACE(seed);
    Generator gen(seed);
    ExpectRoundTrip(*gen.Generic(true));
  }
}

#if NUXA_CONFIG_FUNN
TEST(NetworkFileReaderRoundTrip, FuNNNetworks) {
  for (unsigned seed = 200; seed < 260; ++seed) {
    SCOPED_TRACE(seed);
    Generator gen(seed);
    ExpectRoundTrip(*gen.FuNN());
  }
}
#endif

#if NUXA_CONFIG_MLP
TEST(NetworkFileReaderRoundTrip, MLPNetworks) {
  for (unsigned seed = 300; seed < 360; ++seed) {
    SCOPED_TRACE(seed);
    Generator gen(seed);
    ExpectRoundTrip(*gen.MLP());
  }
}
#endif

// ---- A hand-written file and what it means.

// A Basic network of three layers: every kind of statement the reader takes.
constexpr char kBase[] = R"([FormatVersion = 1.0]
[NeuralNetwork]
[NetworkType = Basic]
[NetworkInformation]
[NumberOfLayers = 3]
[InputLayer = 0]
[OutputLayer = 2]
[NumberOfInputs = 2]
[NumberOfOutputs = 1]
[~NetworkInformation]
[Layer = 0]
[LayerType = Input]
[NumberOfNeurons = 2]
[All ActivationFunction=linear ]
[~Layer]
[Layer = 1]
[LayerType = Gain]
[NumberOfNeurons = 2]
[All ActivationFunction=sigmoid-gain ]
[Neurons]
[Neuron=1 Gain=0.5 ]
[Neuron=0 Gain=1.5 ]
[~Neurons]
[~Layer]
[Layer = 2]
[LayerType = Simple]
[NumberOfNeurons = 1]
[Neurons]
[Neuron=0 ActivationFunction=tanh ]
[~Neurons]
[~Layer]
[ConnectionLayer]
[LayerFrom = 0]
[LayerTo = 1]
[ConnectionType = FullyConnected]
[Attributes UnPrunable UnFreezable ]
[Matrix Weights ]
/* To->  0  1  From */
 0.5 -0.25  /* 0 */
 1.5 2  /* 1 */
[~Matrix]
[~ConnectionLayer]
[ConnectionLayer]
[LayerFrom = 1]
[LayerTo = 2]
[ConnectionType = Pruneable]
[Attributes Pruneable Freezable ]
[WeightList]
[From=1 To=0 Weight=0.125 UnTrainable ]
[~WeightList]
[~ConnectionLayer]
[~NeuralNetwork]
)";

// text with the first find replaced; find must occur.
std::string Replace(std::string text, const std::string& find, const std::string& replace) {
  const size_t at = text.find(find);
  EXPECT_NE(at, std::string::npos) << find;
  if (at != std::string::npos) text.replace(at, find.size(), replace);
  return text;
}

// kBase with each (find, replace) pair applied in turn.
std::string Edit(std::vector<std::pair<std::string, std::string>> edits) {
  std::string text = kBase;
  for (const auto& [find, replace] : edits) text = Replace(text, find, replace);
  return text;
}

TEST(NetworkFileReader, ReadsEveryPartOfAFile) {
  auto net = Read(kBase);
  EXPECT_STREQ(net->GetNetworkType(), "Basic");
  ASSERT_EQ(net->numLayers, 3);
  EXPECT_EQ(net->inLayer, 0);
  EXPECT_EQ(net->outLayer, 2);

  EXPECT_STREQ(net->GetLayer(0)->GetLayerType(), "Input");
  EXPECT_EQ(net->GetLayer(0)->GetActivationFunction(), FnLinear);
  auto& gain = dynamic_cast<TGainLayer&>(*net->GetLayer(1));
  EXPECT_EQ(gain.GetActivationFunction(), FnSigmoidGain);
  EXPECT_EQ(gain.nodes[0].gain, 1.5);
  EXPECT_EQ(gain.nodes[1].gain, 0.5);
  EXPECT_STREQ(net->GetLayer(2)->GetLayerType(), "Simple");
  EXPECT_EQ(net->GetLayer(2)->GetNeuron(0).activationFunction, FnTanh);

  TBasicConnections& full = *net->GetConnections(0, 1);
  EXPECT_STREQ(full.GetConnectionsNType(), "FullyConnected");
  EXPECT_EQ(full.Weight(0, 0), 0.5);
  EXPECT_EQ(full.Weight(0, 1), -0.25);
  EXPECT_EQ(full.Weight(1, 0), 1.5);
  EXPECT_EQ(full.Weight(1, 1), 2.0);

  TBasicConnections& pruned = *net->GetConnections(1, 2);
  EXPECT_STREQ(pruned.GetConnectionsNType(), "Pruneable");
  EXPECT_FALSE(pruned.IsValid(0, 0));
  EXPECT_TRUE(pruned.IsValid(1, 0));
  EXPECT_FALSE(pruned.IsTrainable(1, 0));
  EXPECT_EQ(pruned.Weight(1, 0), 0.125);

  for (auto [from, to] : {std::pair(0, 2), std::pair(1, 0), std::pair(2, 2)}) {
    EXPECT_FALSE(net->GetConnections(from, to)->IsConnected()) << from << "->" << to;
  }
}

TEST(NetworkFileReader, AcceptsFreedomBeyondTheWriter) {
  // Keywords in any case, comments, statements out of order, layer
  // statements closed or in ALL brackets, the header anywhere.
  auto loose = Read(Edit({
      {"[NetworkType = Basic]", "/* a /* nested */ comment */ [networktype=BASIC]"},
      {"[InputLayer = 0]\n[OutputLayer = 2]",
       "[OUTPUTLAYER = 2][FormatVersion = 1.0][inputlayer=0]"},
      {"[LayerType = Input]\n[NumberOfNeurons = 2]\n[All ActivationFunction=linear ]",
       "[ALL numberofneurons=2][activationfunction = LINEAR][all LAYERTYPE=input]"},
      {"[LayerType = Gain]\n[NumberOfNeurons = 2]\n[All ActivationFunction=sigmoid-gain ]",
       "[All LayerType=Gain ]\n[NumberOfNeurons = 2]\n[ActivationFunction = Sigmoid-Gain]"},
      {"[Neuron=0 Gain=1.5 ]", "[neuron=0 GAIN=1.5]"},
      {"[~Layer]\n[Layer = 2]", "[~LAYER]\n[Layer = 2]"},
      {"[ConnectionType = FullyConnected]\n[Attributes UnPrunable UnFreezable ]",
       "[Attributes whatever=1 goes here][ConnectionType = fullyconnected]"},
      {"[From=1 To=0 Weight=0.125 UnTrainable ]", "[untrainable weight=0.125 to=0 from=1]"},
  }));
  EXPECT_TRUE(SameNetwork(*Read(kBase), *loose));
}

TEST(NetworkFileReader, DefaultsOfOmittedStatements) {
  // No InputLayer and OutputLayer: 1 and n - 1. A layer without functions
  // and without a neurons block keeps its constructor's functions.
  auto net = Read(Edit({{"[InputLayer = 0]\n[OutputLayer = 2]\n[NumberOfInputs = 2]\n", ""},
                        {"[All ActivationFunction=linear ]\n", ""},
                        {"[Neurons]\n[Neuron=0 ActivationFunction=tanh ]\n[~Neurons]\n", ""}}));
  EXPECT_EQ(net->inLayer, 1);
  EXPECT_EQ(net->outLayer, 2);
  EXPECT_EQ(net->GetLayer(0)->GetNeuron(1).activationFunction, FnLinear);
  EXPECT_EQ(net->GetLayer(2)->GetNeuron(0).activationFunction, FnError);
}

TEST(NetworkFileReader, NeuronLinesCarryParametersForward) {
  // Neuron 1 names no gain: it gets the value of the line read before it.
  auto net = Read(Edit({{"[Neuron=1 Gain=0.5 ]\n[Neuron=0 Gain=1.5 ]",
                         "[Neuron=0 Gain=1.5 ]\n[Neuron=1 ActivationFunction=tanh ]"}}));
  auto& gain = dynamic_cast<TGainLayer&>(*net->GetLayer(1));
  EXPECT_EQ(gain.nodes[1].gain, 1.5);
  // With a shared function, a neuron's own one is ignored.
  EXPECT_EQ(gain.nodes[1].activationFunction, FnSigmoidGain);
}

TEST(NetworkFileReader, WeightListLineDefaults) {
  // No Weight: 0.0; no Trainable or UnTrainable: trainable. A pruned set
  // whose file names no arc has none.
  auto net = Read(Edit({{"[From=1 To=0 Weight=0.125 UnTrainable ]", "[From=0 To=0]"}}));
  TBasicConnections& set = *net->GetConnections(1, 2);
  EXPECT_TRUE(set.IsValid(0, 0));
  EXPECT_TRUE(set.IsTrainable(0, 0));
  EXPECT_EQ(set.Weight(0, 0), 0.0);
  EXPECT_FALSE(set.IsValid(1, 0));

  auto none = Read(Edit({{"[From=1 To=0 Weight=0.125 UnTrainable ]\n", ""}}));
  EXPECT_EQ(none->GetConnections(1, 2)->GetNumWeights(1), 0);
}

TEST(NetworkFileReader, MatrixCellsOfAPrunedSet) {
  // A cell's trainable information applies after its weight, in whichever
  // column order; the flags of an absent arc are ignored.
  const std::string list = "[WeightList]\n[From=1 To=0 Weight=0.125 UnTrainable ]\n[~WeightList]";
  auto net = Read(Edit({{list, "[Matrix TrainableInfo Weights]\n F 0.75\n T -\n[~Matrix]"}}));
  TBasicConnections& set = *net->GetConnections(1, 2);
  EXPECT_TRUE(set.IsValid(0, 0));
  EXPECT_FALSE(set.IsTrainable(0, 0));
  EXPECT_EQ(set.Weight(0, 0), 0.75);
  EXPECT_FALSE(set.IsValid(1, 0));

  // Two weight blocks: the later one changes what the earlier one set; an
  // arc that exists keeps its flag when it gets a new weight.
  auto twice = Read(Edit({{"[~WeightList]", "[~WeightList][Matrix Weights] - 3 [~Matrix]"}}));
  TBasicConnections& again = *twice->GetConnections(1, 2);
  EXPECT_FALSE(again.IsValid(0, 0));
  EXPECT_FALSE(again.IsTrainable(1, 0));
  EXPECT_EQ(again.Weight(1, 0), 3.0);
}

TEST(NetworkFileReader, BiasLayerStatementBuildsNothing) {
  auto net = Read(Edit({{"[NumberOfOutputs = 1]", "[NumberOfOutputs = 1][BiasLayer = 1]"}}));
  EXPECT_TRUE(SameNetwork(*Read(kBase), *net));
}

#if NUXA_CONFIG_MLP
TEST(NetworkFileReader, MLPBiasFlagFollowsBiasLayer) {
  // The writer puts the bias of an MLP at position 0 and names it in
  // BiasLayer 0, which turns the flag on.
  const int sizes[] = {2, 1};
  for (bool bias : {true, false}) {
    TMLPNetwork mlp(2, sizes, bias);
    const std::string text = Write(mlp);
    EXPECT_EQ(text.find("[BiasLayer = 0]") != std::string::npos, bias);
    EXPECT_EQ(dynamic_cast<TMLPNetwork&>(*Read(text)).HasBias(), bias);
  }
  // The statement and the layers must agree, or the flag would change when
  // the network is written again.
  TMLPNetwork with(2, sizes, true);
  const std::string text = Write(with);
  ExpectReadError(Replace(text, "[BiasLayer = 0]", "[BiasLayer = 2]"),
                  "BiasLayer is not a bias layer");
  ExpectReadError(Replace(text, "[BiasLayer = 0]", "[BiasLayer = 3]"),
                  "BiasLayer is not a bias layer");
  ExpectReadError(Replace(text, "[BiasLayer = 0]", ""), "Bias layer without BiasLayer statement");
}
#endif

TEST(NetworkFileReader, RefusesWhatFollowsTheNetwork) {
  ExpectReadError(std::string(kBase) + "[Data]\n[~Data]\n", "End Tag expected");
  // An empty neurons or connection block: the statement after its start is
  // the enclosing block's end tag.
  ExpectReadError(Edit({{"[Neuron=0 ActivationFunction=tanh ]\n", ""}}), "Unexpected End Tag");
  ExpectReadError(Edit({{"[ConnectionLayer]\n[LayerFrom = 1]\n[LayerTo = 2]\n"
                         "[ConnectionType = Pruneable]\n[Attributes Pruneable Freezable ]\n"
                         "[WeightList]\n[From=1 To=0 Weight=0.125 UnTrainable ]\n[~WeightList]\n",
                         "[ConnectionLayer]\n"}}),
                  "Unexpected End Tag");
}

// ---- Refusals: one damage to kBase per message.

struct Damage {
  const char* message;
  std::vector<std::pair<std::string, std::string>> edits;
};

TEST(NetworkFileReader, RefusesDamagedFiles) {
  std::string columns = "[Matrix";
  for (int i = 0; i < 10; ++i) columns += " Weights";
  columns += " ]";
  const Damage cases[] = {
    // The network information.
    {"Too complicated statement", {{"[InputLayer = 0]", "[InputLayer = 0 x]"}}},
    {"Unknown keyword", {{"[InputLayer = 0]", "[InputLayr = 0]"}}},
    {"integer-expected", {{"[InputLayer = 0]", "[InputLayer = zero]"}}},
    {"Must specify number of layers", {{"[NumberOfLayers = 3]", ""}}},
    {"Must specify number of layers", {{"[NumberOfLayers = 3]", "[NumberOfLayers = -1]"}}},
    {"Input layer out of range", {{"[InputLayer = 0]", "[InputLayer = 3]"}}},
    {"Input layer out of range", {{"[InputLayer = 0]", "[InputLayer = -1]"}}},
    {"Output layer out of range", {{"[OutputLayer = 2]", "[OutputLayer = 3]"}}},
    {"Network too large", {{"[NumberOfLayers = 3]", "[NumberOfLayers = 1025]"}}},
    {"Unknown network type", {{"[NetworkType = Basic]", "[NetworkType = Fuzzy]"}}},
#if NUXA_CONFIG_FUNN
    {"FuNN network must have 6 layers", {{"[NetworkType = Basic]", "[NetworkType = FuNN]"}}},
    {"Unknown network type", {{"[NetworkType = Basic]", "[NetworkType = MLP]"}}},
#else
    {"Unknown network type", {{"[NetworkType = Basic]", "[NetworkType = FuNN]"}}},
#endif
    // Layer blocks.
    {"Too complicated statement", {{"[Layer = 2]", "[Layer = 2 LayerType=Simple]"}}},
    {"Layer index out of range", {{"[Layer = 2]", "[Layer = 3]"}}},
    {"Layer index out of range", {{"[Layer = 2]", "[Layer = -1]"}}},
    {"Layer not defined", {{"[Layer = 2]", "[Layer = 1]"}}},
    {"[ALL] is incomplete statment",
     {{"[All ActivationFunction=linear ]", "[All][ActivationFunction=linear]"}}},
    {"Required syntax is [ALL <keyword>=<val>]",
     {{"[All ActivationFunction=linear ]", "[All linear]"}}},
    {"Too complicated statement",
     {{"[All ActivationFunction=linear ]", "[All ActivationFunction=linear x=1]"}}},
    {"Too complicated statement", {{"[LayerType = Input]", "[LayerType = Input x]"}}},
    {"Illegal number of neurons", {{"[NumberOfNeurons = 1]", "[NumberOfNeurons = -1]"}}},
    {"Network too large",
     {{"[LayerType = Gain]\n[NumberOfNeurons = 2]",
       "[LayerType = Gain]\n[NumberOfNeurons = 4194305]"}}},
    {"Conflicting layer statement",
     {{"[All ActivationFunction=sigmoid-gain ]", "[NumberOfNeurons = 3]"}}},
    {"Conflicting layer statement",
     {{"[All ActivationFunction=sigmoid-gain ]", "[LayerType = Simple]"}}},
    {"Parameter before LayerType and NumberOfNeurons",
     {{"[LayerType = Gain]", "[Gain = 1][LayerType = Gain]"}}},
    {"Unknown neuron parameter", {{"[All ActivationFunction=sigmoid-gain ]", "[All Gian=1.0 ]"}}},
    {"Unknown neuron parameter", {{"[Neuron=0 Gain=1.5 ]", "[Neuron=0 Gian=1.5 ]"}}},
    {"number-expected", {{"[Neuron=0 Gain=1.5 ]", "[Neuron=0 Gain=high ]"}}},
    {"LayerType and NumberOfNeurons required", {{"[LayerType = Simple]\n", ""}}},
    {"LayerType and NumberOfNeurons required", {{"[NumberOfNeurons = 1]\n", ""}}},
    {"wrong number inputs in header", {{"[NumberOfInputs = 2]", "[NumberOfInputs = 3]"}}},
    {"wrong number outputs in header", {{"[NumberOfOutputs = 1]", "[NumberOfOutputs = 0]"}}},
    {"Unknown layer type", {{"[LayerType = Simple]", "[LayerType = Complex]"}}},
    {"Unknown activation function", {{"=tanh ]", "=tanhh ]"}}},
    {"Unknown activation function", {{"=linear ]", "=Linear2 ]"}}},
    {"Activation function needs gain neurons", {{"=linear ]", "=linear-gain ]"}}},
    {"Activation function needs gain neurons", {{"=tanh ]", "=tanh-gain ]"}}},
    {"Illegal number of bias nodes", {{"=linear ]", "=bias ]"}}},
#if NUXA_CONFIG_FUNN
    {"membership array missing in condition layer",
     {{"[LayerType = Simple]", "[LayerType = FuzzyCondition]"}}},
    {"membership array missing in output layer",
     {{"[LayerType = Simple]", "[LayerType = Defuzzify]"}}},
#else
    {"Unknown layer type", {{"[LayerType = Simple]", "[LayerType = FuzzyCondition]"}}},
#endif
    {"Incomplete Layer information",
     {{"[Neurons]\n[Neuron=1 Gain=0.5 ]\n[Neuron=0 Gain=1.5 ]\n[~Neurons]\n", ""}}},
    {"Neuron index out of range", {{"[Neuron=1 Gain=0.5 ]", "[Neuron=2 Gain=0.5 ]"}}},
    {"Neuron index out of range", {{"[Neuron=1 Gain=0.5 ]", "[Neuron=-1 Gain=0.5 ]"}}},
    {"repeated neuron", {{"[Neuron=1 Gain=0.5 ]", "[Neuron=0 Gain=0.5 ]"}}},
    {"Equals clause expected in neuron parameter", {{"[Neuron=1 Gain=0.5 ]", "[Neuron=1 Gain ]"}}},
    {"No activation function defined", {{"[Neuron=0 ActivationFunction=tanh ]", "[Neuron=0]"}}},
    {"Neuron not defined", {{"[Neuron=1 Gain=0.5 ]\n", ""}}},
    // Connection blocks.
    {"Too complicated statement", {{"[LayerFrom = 0]", "[LayerFrom = 0 x]"}}},
    {"Unknown keyword in connections", {{"[LayerFrom = 0]", "[LayerFrm = 0]"}}},
    {"Insufficient information to construct layer", {{"[LayerFrom = 0]", ""}}},
    {"Insufficient information to construct layer",
     {{"[ConnectionType = Pruneable]", "[ConnectionType = Sparse]"}}},
#if NUXA_CONFIG_MLP
    {"Insufficient information to construct layer",
     {{"[ConnectionType = Pruneable]", "[ConnectionType = ToOutputConnections]"}}},
#endif
    {"Layer index out of range", {{"[LayerTo = 2]", "[LayerTo = 7]"}}},
    {"Connections already defined",
     {{"[LayerFrom = 1]\n[LayerTo = 2]", "[LayerFrom = 0]\n[LayerTo = 1]"}}},
    {"Keyword expected in matrix parameter", {{"[Matrix Weights ]", "[Matrix Weights=1 ]"}}},
    {"Unknown matrix attribute", {{"[Matrix Weights ]", "[Matrix Sizes ]"}}},
    {"Too many matrix attributes", {{"[Matrix Weights ]", columns}}},
    {"Token Expected", {{"1.5 2", "1.5 [x]"}}},
    {"number-expected", {{"1.5 2", "1.5 two"}}},
    {"Arcs of a FullyConnected set cannot be removed", {{"0.5 -0.25", "0.5 -"}}},
    {"Arcs of a FullyConnected set cannot be frozen",
     {{"[Matrix Weights ]", "[Matrix Weights TrainableInfo ]"},
      {" 0.5 -0.25  /* 0 */\n 1.5 2", "0.5 T -0.25 F 1.5 T 2 T"}}},
    {"Arcs of a FullyConnected set cannot be frozen",
     {{"[ConnectionType = Pruneable]", "[ConnectionType = FullyConnected]"}}},
    {"Trainable information must be T or F",
     {{"[WeightList]\n[From=1 To=0 Weight=0.125 UnTrainable ]\n[~WeightList]",
       "[Matrix Weights TrainableInfo ]\n - X 1 Yes\n[~Matrix]"}}},
    {"Unknown keyword in weights list", {{"Weight=0.125", "Wait=0.125"}}},
    {"Insufficient information in weights list", {{"From=1 To=0", "To=0"}}},
    {"Neuron index out of range in weights list", {{"From=1 To=0", "From=2 To=0"}}},
    {"Neuron index out of range in weights list", {{"From=1 To=0", "From=1 To=1"}}},
    {"Network too large",
     {{"[NumberOfNeurons = 2]\n[All ActivationFunction=sigmoid-gain ]\n[Neurons]\n"
       "[Neuron=1 Gain=0.5 ]\n[Neuron=0 Gain=1.5 ]\n[~Neurons]",
       "[NumberOfNeurons = 4097]\n[All ActivationFunction=sigmoid-gain ]\n[All Gain=1]"},
      {"[NumberOfOutputs = 1]", "[NumberOfOutputs = 4097]"},
      {"[NumberOfNeurons = 1]\n[Neurons]\n[Neuron=0 ActivationFunction=tanh ]\n[~Neurons]",
       "[NumberOfNeurons = 4097]\n[All ActivationFunction=tanh ]"},
      {"[LayerFrom = 0]\n[LayerTo = 1]", "[LayerFrom = 1]\n[LayerTo = 2]"}}},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.edits.front().second);
    ExpectReadError(Edit(d.edits), d.message);
  }
}

TEST(NetworkFileReader, UnknownWeightListKeywordIsEchoed) {
  ::testing::internal::CaptureStdout();
  ExpectReadError(Edit({{"UnTrainable", "Frozen"}}), "Unknown keyword in weights list");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Frozen\n");
}

#if NUXA_CONFIG_FUNN
// A small FuNN as the writer writes it.
std::string FuNNText() {
  const int inputMFs[] = {2, 3};
  const int outputMFs[] = {2};
  TFuNN funn(2, inputMFs, 3, outputMFs, 1);
  return Write(funn);
}

TEST(NetworkFileReader, RefusesDamagedFuNNFiles) {
  const std::string text = FuNNText();
  // Weights for pairs that are no arcs of the FuNN sets. The first set
  // written is the one into the condition layer, the last the one into the
  // output layer.
  ExpectReadError(Replace(text, "[~Matrix]\r\n[~ConnectionLayer]\r\n\r\n[~NeuralNetwork]",
                          "[~Matrix][WeightList][From=0 To=1 Weight=1][~WeightList]"
                          "[~ConnectionLayer]\r\n\r\n[~NeuralNetwork]"),
                  "Neuron index out of range in weights list");
  ExpectReadError(Replace(text, "[~Matrix]\r\n[~ConnectionLayer]",
                          "[~Matrix][WeightList][From=1 To=0 Weight=1][~WeightList]"
                          "[~ConnectionLayer]"),
                  "No such arc in connections");
  // Layers and sets that make no FuNN.
  ExpectReadError(
      Replace(text, "[ConnectionType = ToConditionConnections]", "[ConnectionType = Pruneable]"),
      "Invalid network structure");
  // The output layer's counts must add up to the layer below, also when that
  // layer's block comes later.
  const size_t four = text.find("[Layer = 4]");
  const size_t five = text.find("[Layer = 5]");
  const size_t end = text.find("[ConnectionLayer]");
  ASSERT_NE(end, std::string::npos);
  std::string swapped = text.substr(0, four) + text.substr(five, end - five) +
                        text.substr(four, five - four) + text.substr(end);
  EXPECT_TRUE(SameNetwork(*Read(text), *Read(swapped)));
  ExpectReadError(Replace(swapped, "[NumberOfNeurons = 2]\r\n[All ActivationFunction=sigmoid ]",
                          "[NumberOfNeurons = 3]\r\n[All ActivationFunction=sigmoid ]"),
                  "MF counts do not match the number of action neurons");
}
#endif

// ---- Files by name.

class NetworkFileReaderFiles : public nuxa_testing::TempFolderTest {};

TEST_F(NetworkFileReaderFiles, LoadsWhatWasSaved) {
  Generator gen(7);
  auto net = gen.Generic(true);
  FileTools tools;
  SaveNetwork(tools, Path("net.txt").c_str(), *net);
  auto back = LoadNetwork(tools, Path("net.txt").c_str(), TKQstructure::MakeError("load"));
  EXPECT_TRUE(SameNetwork(*net, *back));
}

TEST_F(NetworkFileReaderFiles, ErrorsCarryNoStream) {
  FileTools tools;
  try {
    LoadNetwork(tools, Path("missing.txt").c_str());
    ADD_FAILURE() << "no error";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "Error on File Open");
    EXPECT_EQ(e.input, nullptr);
  }
  WriteFile("bad.txt", Edit({{"[~NeuralNetwork]", ""}}));
  try {
    LoadNetwork(tools, Path("bad.txt").c_str());
    ADD_FAILURE() << "no error";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "Unexpected end of file");
    EXPECT_EQ(e.input, nullptr);
  }
}

}  // namespace
}  // namespace nuxa
