#include "NeuralNets/TIterate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FileHandler/ParseTools.h"
#include "NetTestUtil.h"
#include "NeuralNets/TBasicNetwork.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {
namespace {

using testing_util::NumberWeights;
using testing_util::Populate;

// Records the arcs a traversal presents.
class Recorder : public TIterateObj {
 public:
  void Visit() override { arcs.push_back({fromNeuron, toNeuron}); }
  std::vector<std::pair<int, int>> arcs;
};

TEST(VisitorTest, CountsFollowTheSelector) {
  TBasicNetwork net;
  Populate(net, {0, 3, 2});
  net.Connect(1, 2);
  TBasicConnections& set = *net.GetConnections(1, 2);
  set.PruneWeight(2, 0);
  TIterateObjCount all;
  set.Iterate(all, 1);
  EXPECT_EQ(all.count, 5);
  set.FreezeWeight(0, 1);
  TIterateObjCount trainable;
  set.Iterate(trainable, 0);
  EXPECT_EQ(trainable.count, 4);

  Recorder order;
  set.Iterate(order, 1);
  EXPECT_EQ(order.arcs, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 1}}));
  Recorder into;
  set.IterateTo(into, 1, 0);
  EXPECT_EQ(into.arcs, (std::vector<std::pair<int, int>>{{1, 1}, {2, 1}}));
  Recorder outOf;
  set.IterateFrom(outOf, 2, 1);
  EXPECT_EQ(outOf.arcs, (std::vector<std::pair<int, int>>{{2, 1}}));
  EXPECT_EQ(order.connections, &set);
  EXPECT_EQ(order.fromLayer, 1);
  EXPECT_EQ(order.toLayer, 2);
  EXPECT_EQ(order.fromActivations, net.layers[1]->activations.data());
}

TEST(VisitorTest, GetThenSetWeightsLeavesWeightsUnchanged) {
  TBasicNetwork net;
  Populate(net, {0, 3, 2});
  net.Connect(1, 2);
  TBasicConnections& set = *net.GetConnections(1, 2);
  NumberWeights(set);
  set.PruneWeight(1, 1);
  std::vector<double> buffer(5, -1.0);
  TIterateObjGetWeights getter(buffer.data());
  set.Iterate(getter, 1);
  EXPECT_EQ(getter.count, 5);
  EXPECT_EQ(buffer, (std::vector<double>{0, 10, 20, 1, 21}));
  TIterateObjSetWeights setter(buffer.data());
  set.Iterate(setter, 1);
  EXPECT_EQ(setter.count, 5);
  EXPECT_EQ(set.Weight(2, 1), 21.0);
  EXPECT_EQ(set.Weight(1, 0), 10.0);
}

TEST(VisitorTest, IterateInAndOutArcsCoverEveryLayer) {
  TConnectedNetwork net(4, std::vector<int>{2, 3, 1, 2}.data());
  for (auto [from, to] : std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {3, 2}, {2, 3}, {1, 3}}) {
    net.Connect(from, to);
  }
  TIterateObjCount in;
  net.IterateInArcs(in, 2, 0, 1);
  EXPECT_EQ(in.count, 2 + 3 + 2);  // the set from the higher layer 3 too
  TIterateObjCount out;
  net.IterateOutArcs(out, 1, 1, 1);
  EXPECT_EQ(out.count, 1 + 2);
}

TEST(VisitorTest, SaveWeightsWritesWeightListLines) {
  TBasicNetwork net;
  Populate(net, {0, 3, 2});
  net.Connect(1, 2);
  TBasicConnections& set = *net.GetConnections(1, 2);
  for (int to = 0; to < 2; ++to) {
    for (int from = 0; from < 3; ++from) set.PruneWeight(from, to);
  }
  set.AddWeight(0, 0);
  set.Weight(0, 0) = 0.125;
  set.AddWeight(2, 1);
  set.Weight(2, 1) = -1.5;
  set.FreezeWeight(2, 1);

  FileTools tools;
  std::ostringstream with;
  TIterateObjSaveWeights trainable(with, tools, true, 15);
  set.Iterate(trainable, 1);
  EXPECT_EQ(with.str(),
            "[From=0 To=0 Weight=0.125000000000000 Trainable ]\r\n"
            "[From=2 To=1 Weight=-1.500000000000000 UnTrainable ]\r\n");
  std::ostringstream without;
  TIterateObjSaveWeights plain(without, tools, false, 3);
  set.Iterate(plain, 1);
  EXPECT_EQ(without.str(), "[From=0 To=0 Weight=0.125 ]\r\n[From=2 To=1 Weight=-1.500 ]\r\n");
}

TEST(VisitorTest, RandomizeVisitorMatchesTheSetsOwnDraws) {
  TBasicNetwork net;
  Populate(net, {0, 3, 2});
  net.Connect(1, 2);
  TBasicConnections& set = *net.GetConnections(1, 2);
  set.FreezeWeight(1, 0);
  std::srand(9);
  set.Randomize(-1.0, 3.0);
  std::vector<double> direct(6);
  set.GetWeights(direct.data(), 1);
  NumberWeights(set);
  std::srand(9);
  TIterateObjRandomize randomizer(-1.0, 3.0);
  set.Iterate(randomizer, 0);
  std::vector<double> visited(6);
  set.GetWeights(visited.data(), 1);
  EXPECT_EQ(direct[1], 0.0);
  EXPECT_EQ(visited[1], 10.0);  // frozen: neither drawn nor touched
  visited[1] = 0.0;
  EXPECT_EQ(direct, visited);
}

// A set that answers only the traversal operations (one arc per to-neuron,
// from the from-neuron of the same index), so the base class's defaults do
// the counting, copying, randomising and aggregating.
class DiagonalConnections : public TBasicConnections {
 public:
  DiagonalConnections(TBasicNetwork* net, int from, int to)
      : TBasicConnections(net, from, to),
        weights(static_cast<size_t>(GetNumTo()), 0.0),
        masks(weights.size(), FMaskAll) {}
  double& Weight(int, int to) override { return weights[static_cast<size_t>(to)]; }
  bool IsValid(int from, int to) const override { return from == to; }
  void IterateTo(TIterateObj& v, int to, int which) override {
    v.Bind(this);
    Visit(v, to, which);
  }
  void IterateFrom(TIterateObj& v, int from, int which) override {
    v.Bind(this);
    Visit(v, from, which);
  }
  void Iterate(TIterateObj& v, int which) override {
    v.Bind(this);
    for (int k = 0; k < static_cast<int>(weights.size()); ++k) Visit(v, k, which);
  }
  void Iterate2(TIterateObj2&, TBasicNetwork*, int) override {}
  void Iterate3(TIterateObj3&, TBasicNetwork*, TBasicNetwork*, int) override {}
  const char* GetConnectionsNType() const override { return "Diagonal"; }
  unsigned char GetMask(int, int to) const override { return masks[static_cast<size_t>(to)]; }
  void SetMask(int, int to, unsigned char val) override { masks[static_cast<size_t>(to)] = val; }
  void FreezeWeight(int from, int to) override { SetMask(from, to, FMaskExists); }
  void Destroy() override { delete this; }
  TBasicConnections* Clone(TBasicNetwork*) const override { return nullptr; }
  void RemoveFromNeuron(int) override {}
  void RemoveToNeuron(int) override {}

  std::vector<double> weights;
  std::vector<unsigned char> masks;

 private:
  void Visit(TIterateObj& v, int k, int which) {
    const unsigned char m = masks[static_cast<size_t>(k)];
    const unsigned char sel = which == 1 ? FMaskExists : FMaskAll;
    if ((m & sel) == sel) v.VisitArc(k, k, &weights[static_cast<size_t>(k)], (m & 2) != 0);
  }
};

TEST(VisitorTest, TraversalDefaultsOfTheBaseSet) {
  TBasicNetwork net;
  Populate(net, {0, 3, 3});
  auto* set = new DiagonalConnections(&net, 1, 2);
  net.SetConnections(1, 2, set);
  set->weights = {1.0, 2.0, 3.0};
  set->FreezeWeight(1, 1);
  EXPECT_EQ(set->GetNumWeights(1), 3);
  EXPECT_EQ(set->GetNumWeights(0), 2);
  EXPECT_TRUE(set->IsTrainable(2, 2));
  std::vector<double> buffer(3, 0.0);
  EXPECT_EQ(set->GetWeights(buffer.data(), 0), 2);
  EXPECT_EQ(buffer, (std::vector<double>{1.0, 3.0, 0.0}));
  const double in[2] = {5.0, 6.0};
  EXPECT_EQ(set->SetWeights(in, 0), 2);
  EXPECT_EQ(set->weights, (std::vector<double>{5.0, 2.0, 6.0}));
  set->Randomize(0.25, 0.25);  // trainable arcs only
  EXPECT_EQ(set->weights, (std::vector<double>{0.25, 2.0, 0.25}));
  EXPECT_EQ(set->GetFlags(), (std::vector<unsigned char>{FMaskAll, FMaskExists, FMaskAll}));
  set->MakeAllUntrainable();
  EXPECT_EQ(set->GetNumWeights(0), 0);

  // Aggregate by traversal, within a whole recall (frozen arcs count).
  double out[3] = {0.0, 0.0, 0.0};
  const double input[3] = {4.0, 2.0, 8.0};
  net.Recall(input, out);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[1], 4.0);
  EXPECT_EQ(out[2], 2.0);
}

// Adds the second network's weight into the first one's.
class AddInto : public TIterateObj2 {
 public:
  using TIterateObj2::TIterateObj2;
  void Visit() override {
    *weight1 += *weight2;
    ++count;
  }
  int count = 0;
};

class SumOfThree : public TIterateObj3 {
 public:
  using TIterateObj3::TIterateObj3;
  void Visit() override { sum += *weight1 + *weight2 + *weight3; }
  double sum = 0.0;
};

TEST(VisitorTest, TwoAndThreeNetworkVisitors) {
  for (const bool pruned : {false, true}) {
    TBasicNetwork a;
    TBasicNetwork b;
    TBasicNetwork c;
    for (TBasicNetwork* net : {&a, &b, &c}) {
      Populate(*net, {0, 2, 2});
      net->SetConnections(1, 2,
                          pruned
                              ? static_cast<TBasicConnections*>(new TPrunedConnections(net, 1, 2))
                              : new TConnectedConnections(net, 1, 2));
      NumberWeights(*net->GetConnections(1, 2));
    }
    if (pruned) a.GetConnections(1, 2)->FreezeWeight(1, 0);  // selection comes from a
    AddInto add(&a, &b, 1, 2, 0, 0);
    a.GetConnections(1, 2)->Iterate2(add, &b, 0);
    EXPECT_EQ(add.count, pruned ? 3 : 4);
    EXPECT_EQ(a.GetConnections(1, 2)->Weight(1, 1), 22.0);
    EXPECT_EQ(a.GetConnections(1, 2)->Weight(1, 0), pruned ? 10.0 : 20.0);
    EXPECT_EQ(b.GetConnections(1, 2)->Weight(1, 1), 11.0);

    SumOfThree sum(&a, &b, &c, 1, 2, 0, 0);
    a.GetConnections(1, 2)->Iterate3(sum, &b, &c, 1);
    // a now holds 0, 20 (10 when frozen), 2, 22; b and c 0, 10, 1, 11 each.
    EXPECT_EQ(sum.sum, pruned ? 34.0 + 22.0 + 22.0 : 44.0 + 22.0 + 22.0);
  }
}

TEST(VisitorDeathTest, TwoNetworkVisitorNeedsSetsOfOneKind) {
  TBasicNetwork a;
  Populate(a, {0, 2, 2});
  a.Connect(1, 2);
  TConnectedNetwork b(3, std::vector<int>{0, 2, 2}.data());
  b.Connect(1, 2);
  EXPECT_DEATH(AddInto(&a, &b, 1, 2, 0, 0),
               "Assertion failed: conn1 -> GetConnectionsNType\\(\\) == conn2 -> "
               "GetConnectionsNType\\(\\)");
  EXPECT_DEATH(SumOfThree(&a, &a, &b, 1, 2, 0, 0),
               "Assertion failed: conn1 -> GetConnectionsNType\\(\\) == conn3 -> "
               "GetConnectionsNType\\(\\)");
}

// Layer 2 is fed by real sets from layer 0 (2 neurons) and layer 1 (3 gain
// neurons).
class ArcsIteratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    net.SetNumLayers(3);
    net.SetLayer(0, new TSimpleLayer(&net, 0, 2));
    auto* gains = new TGainLayer(&net, 1, 3, 1.0);
    for (int i = 0; i < 3; ++i) gains->nodes[static_cast<size_t>(i)].gain = i + 1.0;
    net.SetLayer(1, gains);
    net.SetLayer(2, new TSimpleLayer(&net, 2, 1));
    net.Connect(0, 2);
    net.Connect(1, 2);
    NumberWeights(*net.GetConnections(0, 2));
    NumberWeights(*net.GetConnections(1, 2));
  }
  TConnectedNetwork net;
};

TEST_F(ArcsIteratorTest, AllLayersForwardAndBack) {
  std::unique_ptr<TArcsIterator> owned = net.NewArcsIterator();
  auto& it = static_cast<TConnInAllArcsIterator&>(*owned);
  it.Start(net.layers[2]->GetNeuron(0));
  EXPECT_FALSE(it.IsValid());
  EXPECT_EQ(&it.GetToNeuron(), &net.layers[2]->GetNeuron(0));
  const std::pair<int, int> steps[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}};
  for (auto [layer, index] : steps) {
    ASSERT_TRUE(it.Next());
    EXPECT_TRUE(it.Ok());
    EXPECT_EQ(it.GetFromLayer(), layer);
    EXPECT_EQ(it.GetFromIndex(), index);
    EXPECT_EQ(it.GetToLayer(), 2);
    EXPECT_EQ(it.GetToIndex(), 0);
    EXPECT_EQ(&it.GetFromNeuron(), &net.layers[static_cast<size_t>(layer)]->GetNeuron(index));
    EXPECT_EQ(&it.GetWeight(), &net.GetConnections(layer, 2)->Weight(index, 0));
  }
  EXPECT_DOUBLE_EQ(it.GetWeight(), 20.0);
  for (int k = 3; k >= 0; --k) {
    ASSERT_TRUE(it.Prev());
    EXPECT_EQ(it.GetFromLayer(), steps[k].first);
    EXPECT_EQ(it.GetFromIndex(), steps[k].second);
  }
  EXPECT_FALSE(it.Prev());
  EXPECT_FALSE(it.IsValid());

  it.Start(2, 0);
  EXPECT_FALSE(it.Prev());  // nothing before the start
  for (int k = 0; k < 5; ++k) ASSERT_TRUE(it.Next());
  EXPECT_FALSE(it.Next());
  EXPECT_FALSE(it.IsValid());

  // Gain neurons come out one by one as themselves.
  it.Start(2, 0);
  it.Next();
  it.Next();
  it.Next();
  EXPECT_EQ(static_cast<TGainNeuron&>(it.GetFromNeuron()).gain, 1.0);
  it.Next();
  EXPECT_EQ(static_cast<TGainNeuron&>(it.GetFromNeuron()).gain, 2.0);

  // A neuron without incoming real sets has no arcs at all.
  it.Start(0, 1);
  EXPECT_FALSE(it.Next());
}

TEST_F(ArcsIteratorTest, OneLayer) {
  TConnInLayerArcsIterator it(&net);
  it.Start(net.layers[2]->GetNeuron(0), 1);
  EXPECT_TRUE(it.IsValid());
  for (int index = 0; index < 3; ++index) {
    ASSERT_TRUE(it.Next());
    EXPECT_EQ(it.GetFromLayer(), 1);
    EXPECT_EQ(it.GetFromIndex(), index);
    EXPECT_EQ(it.GetWeight(), 10.0 * index);
    EXPECT_EQ(static_cast<TGainNeuron&>(it.GetFromNeuron()).gain, index + 1.0);
  }
  EXPECT_FALSE(it.Next());
  EXPECT_EQ(it.GetFromIndex(), 2);
  ASSERT_TRUE(it.Prev());
  EXPECT_EQ(it.GetFromIndex(), 1);
  ASSERT_TRUE(it.Prev());
  EXPECT_FALSE(it.Prev());
  EXPECT_EQ(it.GetFromIndex(), 0);
}

}  // namespace
}  // namespace nuxa
