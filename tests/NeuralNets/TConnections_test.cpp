#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "NetTestUtil.h"
#include "NeuralNets/TBasicNetwork.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {
namespace {

using testing_util::NumberWeights;
using testing_util::Populate;

// A network of three layers, 0 neurons at 0, 2 at 1 (input), 3 at 2, with
// the pair (1 -> 2) holding a set of the kind under test.
class SetTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    Populate(net, {0, 2, 3});
    TBasicConnections* set = nullptr;
    if (std::string(GetParam()) == "FullyConnected") {
      set = new TConnectedConnections(&net, 1, 2);
    } else {
      set = new TPrunedConnections(&net, 1, 2);
    }
    net.SetConnections(1, 2, set);
  }
  TBasicConnections& Set() { return *net.GetConnections(1, 2); }
  bool Pruneable() const { return std::string(GetParam()) == "Pruneable"; }

  TBasicNetwork net;
};

TEST_P(SetTest, NewSetIsAllZeroAndTrainable) {
  TBasicConnections& set = Set();
  EXPECT_STREQ(set.GetConnectionsNType(), GetParam());
  EXPECT_TRUE(set.IsConnected());
  EXPECT_EQ(set.GetNumWeights(0), 6);
  EXPECT_EQ(set.GetNumWeights(1), 6);
  for (int from = 0; from < 2; ++from) {
    for (int to = 0; to < 3; ++to) {
      EXPECT_EQ(set.Weight(from, to), 0.0);
      EXPECT_TRUE(set.IsValid(from, to));
      EXPECT_TRUE(set.IsTrainable(from, to));
      EXPECT_EQ(set.GetMask(from, to), FMaskAll);
    }
  }
}

// The fully connected set lists its weights from-major, the pruneable one in
// traversal order (to-major).
TEST_P(SetTest, BulkWeightOrder) {
  TBasicConnections& set = Set();
  NumberWeights(set);
  std::vector<double> got(6, -1.0);
  ASSERT_EQ(set.GetWeights(got.data(), 1), 6);
  const std::vector<double> expected = Pruneable() ? std::vector<double>{0, 10, 1, 11, 2, 12}
                                                   : std::vector<double>{0, 1, 2, 10, 11, 12};
  EXPECT_EQ(got, expected);

  const std::vector<double> in = {6, 5, 4, 3, 2, 1};
  ASSERT_EQ(set.SetWeights(in.data(), 0), 6);
  ASSERT_EQ(set.GetWeights(got.data(), 0), 6);
  EXPECT_EQ(got, in);
  // The visitors see the arcs in traversal order whatever the kind.
  NumberWeights(set);
  TIterateObjGetWeights copier(got.data());
  set.Iterate(copier, 1);
  EXPECT_EQ(copier.count, 6);
  EXPECT_EQ(got, (std::vector<double>{0, 10, 1, 11, 2, 12}));
}

TEST_P(SetTest, AggregateSumsIntoTheToLayer) {
  TBasicConnections& set = Set();
  net.layers[1]->activations = {1.0, 2.0};
  set.Weight(0, 1) = 0.5;
  set.Weight(1, 1) = -1.0;
  set.Weight(1, 2) = 4.0;
  std::vector<double> sums = {100.0, 100.0, 100.0};
  set.Aggregate(sums.data());
  EXPECT_EQ(sums, (std::vector<double>{100.0, 98.5, 108.0}));

  TIterateObjAggregate aggregator;
  set.IterateTo(aggregator, 1, 1);
  EXPECT_EQ(aggregator.sum, -1.5);
}

TEST_P(SetTest, RandomizeByTheFormula) {
  TBasicConnections& set = Set();
  if (Pruneable()) set.FreezeWeight(1, 0);  // storage position 1: skipped, no draw
  std::srand(7);
  std::vector<double> expected(6, 0.0);
  for (int k = 0; k < 6; ++k) {
    if (Pruneable() && k == 1) continue;
    const unsigned r = static_cast<unsigned>(std::rand()) % 32767u;
    expected[static_cast<size_t>(k)] = -1.0 + r * 2.0 / 32767;
  }
  std::srand(7);
  set.Randomize(-1.0, 1.0);
  for (int to = 0, k = 0; to < 3; ++to) {
    for (int from = 0; from < 2; ++from, ++k) {
      const double w = set.Weight(from, to);
      EXPECT_EQ(w, expected[static_cast<size_t>(k)]) << from << "," << to;
      EXPECT_GE(w, -1.0);
      EXPECT_LT(w, 1.0);
    }
  }
  // Equal bounds set the weights without drawing.
  std::srand(11);
  const int next = std::rand();
  std::srand(11);
  set.Randomize(0.5, 0.5);
  EXPECT_EQ(std::rand(), next);
  EXPECT_EQ(set.Weight(1, 2), 0.5);
  EXPECT_EQ(set.Weight(1, 0), Pruneable() ? 0.0 : 0.5);
}

TEST_P(SetTest, CloneIsIndependent) {
  TBasicConnections& set = Set();
  NumberWeights(set);
  if (Pruneable()) set.FreezeWeight(0, 2);
  TBasicNetwork other;
  Populate(other, {0, 2, 3});
  TBasicConnections* copy = set.Clone(&other);
  EXPECT_EQ(copy->network, &other);
  EXPECT_EQ(copy->fromLayer, 1);
  EXPECT_EQ(copy->toLayer, 2);
  std::vector<double> a(6), b(6);
  set.GetWeights(a.data(), 1);
  copy->GetWeights(b.data(), 1);
  EXPECT_EQ(a, b);
  EXPECT_EQ(copy->GetMask(0, 2), set.GetMask(0, 2));
  copy->Weight(1, 1) = 99.0;
  if (Pruneable()) copy->PruneWeight(0, 0);
  EXPECT_EQ(set.Weight(1, 1), 11.0);
  EXPECT_TRUE(set.IsValid(0, 0));
  copy->Destroy();
}

INSTANTIATE_TEST_SUITE_P(Kinds, SetTest, ::testing::Values("FullyConnected", "Pruneable"));

TEST(PrunedConnectionsTest, ArcStates) {
  TBasicNetwork net;
  Populate(net, {0, 3, 2});
  TPrunedConnections set(&net, 1, 2);
  NumberWeights(set);

  set.PruneWeight(1, 0);
  EXPECT_FALSE(set.IsValid(1, 0));
  EXPECT_EQ(set.Weight(1, 0), 0.0);
  EXPECT_EQ(set.GetMask(1, 0), 0);
  EXPECT_EQ(set.GetNumWeights(1), 5);
  set.UnfreezeWeight(1, 0);  // a removed arc stays removed
  EXPECT_EQ(set.GetMask(1, 0), 0);
  set.AddWeight(1, 0);
  EXPECT_EQ(set.GetMask(1, 0), FMaskAll);
  EXPECT_EQ(set.Weight(1, 0), 0.0);
  set.AddWeight(2, 1);  // an existing arc keeps its weight
  EXPECT_EQ(set.Weight(2, 1), 21.0);

  set.FreezeWeight(0, 0);
  set.Weight(0, 0) = 2.0;
  EXPECT_EQ(set.GetMask(0, 0), FMaskExists);
  EXPECT_TRUE(set.IsValid(0, 0));
  EXPECT_FALSE(set.IsTrainable(0, 0));
  EXPECT_EQ(set.GetNumWeights(0), set.GetNumWeights(1) - 1);
  set.UnfreezeWeight(0, 0);
  EXPECT_EQ(set.GetMask(0, 0), FMaskAll);
  set.FreezeWeight(0, 0);

  // A frozen arc still counts in recall; a removed one does not, even with a
  // weight left behind by SetMask.
  set.PruneWeight(1, 0);
  set.SetMask(2, 0, 2);  // stored unchecked: "trainable" but not existing
  EXPECT_EQ(set.GetMask(2, 0), 2);
  net.layers[1]->activations = {1.0, 1.0, 1.0};
  double sums[2] = {0.0, 0.0};
  set.Aggregate(sums);
  EXPECT_EQ(sums[0], 2.0);
  EXPECT_EQ(sums[1], 1.0 + 11.0 + 21.0);

  // GetFlags / SetFlags cover the existing arcs in traversal order.
  const std::vector<unsigned char> flags = set.GetFlags();
  EXPECT_EQ(flags, (std::vector<unsigned char>{FMaskExists, FMaskAll, FMaskAll, FMaskAll}));
  const unsigned char frozen[4] = {FMaskAll, FMaskExists, FMaskExists, FMaskAll};
  set.SetFlags(frozen);
  EXPECT_EQ(set.GetMask(0, 0), FMaskAll);
  EXPECT_EQ(set.GetMask(0, 1), FMaskExists);
  EXPECT_EQ(set.GetMask(1, 1), FMaskExists);
  EXPECT_EQ(set.GetMask(2, 1), FMaskAll);
  set.MakeAllUntrainable();
  EXPECT_EQ(set.GetNumWeights(0), 0);
  EXPECT_EQ(set.GetNumWeights(1), 4);
}

TEST(PrunedConnectionsTest, InsertDetachedToNeuron) {
  TBasicNetwork net;
  Populate(net, {0, 2, 2, 1});
  TPrunedConnections* set = new TPrunedConnections(&net, 1, 2);
  net.SetConnections(1, 2, set);
  NumberWeights(*set);
  set->FreezeWeight(1, 1);
  net.InsertNeuron(2, 1, -1.0, 1.0, false);  // layer 2 now has 3 neurons
  ASSERT_EQ(set->Rows(), 3);
  const double weights[3][2] = {{0, 10}, {0, 0}, {1, 11}};
  const unsigned char masks[3][2] = {{FMaskAll, FMaskAll}, {0, 0}, {FMaskAll, FMaskExists}};
  for (int to = 0; to < 3; ++to) {
    for (int from = 0; from < 2; ++from) {
      EXPECT_EQ(set->Weight(from, to), weights[to][from]) << from << "," << to;
      EXPECT_EQ(set->GetMask(from, to), masks[to][from]) << from << "," << to;
    }
  }
}

TEST(ConnectedConnectionsTest, NeuronEditsKeepOtherWeights) {
  TConnectedNetwork net(4, std::vector<int>{0, 2, 3, 2}.data());
  net.Connect(1, 2);
  net.Connect(2, 3);
  TBasicConnections& in = *net.GetConnections(1, 2);
  TBasicConnections& out = *net.GetConnections(2, 3);
  NumberWeights(in);
  NumberWeights(out);

  net.RemoveNeuron(2, 1);
  EXPECT_EQ(in.GetNumWeights(1), 4);
  EXPECT_EQ(out.GetNumWeights(1), 4);
  EXPECT_EQ(in.Weight(1, 1), 12.0);   // old to-neuron 2
  EXPECT_EQ(out.Weight(1, 0), 20.0);  // old from-neuron 2

  std::srand(3);
  const unsigned r1 = static_cast<unsigned>(std::rand()) % 32767u;
  const unsigned r2 = static_cast<unsigned>(std::rand()) % 32767u;
  std::srand(3);
  net.InsertNeuron(2, 0, 0.0, 1.0, true);
  // The new row of the incoming set takes the first draws, column by column.
  EXPECT_EQ(in.Weight(0, 0), r1 / 32767.0);
  EXPECT_EQ(in.Weight(1, 0), r2 / 32767.0);
  EXPECT_EQ(in.Weight(1, 2), 12.0);
  EXPECT_EQ(out.Weight(2, 1), 21.0);
  EXPECT_EQ(out.GetNumWeights(0), 6);
}

TEST(EmptyConnectionsTest, HasNoArcs) {
  TBasicNetwork net;
  Populate(net, {0, 2, 3});
  TBasicConnections& set = *net.GetConnections(1, 2);
  EXPECT_STREQ(set.GetConnectionsNType(), "Empty");
  EXPECT_FALSE(set.IsConnected());
  EXPECT_EQ(set.GetNumWeights(1), 0);
  double buffer[1] = {7.0};
  EXPECT_EQ(set.GetWeights(buffer, 1), 0);
  EXPECT_EQ(set.SetWeights(buffer, 1), 0);
  EXPECT_EQ(buffer[0], 7.0);
  EXPECT_EQ(set.GetMask(1, 2), FMaskAll);
  EXPECT_FALSE(set.IsValid(0, 0));
  TIterateObjCount counter;
  set.Iterate(counter, 1);
  set.IterateTo(counter, 0, 1);
  set.IterateFrom(counter, 0, 1);
  EXPECT_EQ(counter.count, 0);
  set.InsertFromNeuron(0, 0.0, 1.0, false);
  set.RemoveToNeuron(0);
  EXPECT_TRUE(set.GetFlags().empty());
}

TEST(ConnectionsDeathTest, UnsupportedOperationsAreFatal) {
  TBasicNetwork net;
  Populate(net, {0, 2, 3});
  TConnectedConnections full(&net, 1, 2);
  full.AddWeight(0, 0);       // nothing
  full.UnfreezeWeight(0, 0);  // nothing
  full.SetMask(0, 0, FMaskExists);
  EXPECT_EQ(full.GetMask(0, 0), FMaskAll);
  EXPECT_DEATH(full.FreezeWeight(0, 0), "Assertion failed: false");
  EXPECT_DEATH(full.PruneWeight(0, 0), "Assertion failed: false");
  EXPECT_DEATH(full.SetMask(0, 0, 2),
               "Assertion failed: \\(val==FMaskAll\\) \\|\\| \\(val==FMaskExists\\)");
  EXPECT_DEATH(full.InsertFromNeuron(0, 0.0, 1.0, false), "Assertion failed: attached");
  EXPECT_DEATH(net.GetConnections(1, 2)->Weight(0, 0), "Assertion failed: false");
}

}  // namespace
}  // namespace nuxa
