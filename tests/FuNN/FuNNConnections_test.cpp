#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNN.h"
#include "FuNN/TToConditionConnections.h"
#include "FuNN/TToOutputConnections.h"
#include "FuNNTestUtil.h"

namespace nuxa {
namespace {

using funn_test::MakeFuNN32;
using Arc = std::tuple<int, int, double, bool>;  // from, to, weight, trainable

// Records every visited arc.
class Recorder : public TIterateObj {
 public:
  void Visit() override { arcs.emplace_back(fromNeuron, toNeuron, *weight, trainable); }
  std::vector<Arc> arcs;
};

// Writes 10 * to + from through every visited weight location.
class Writer : public TIterateObj {
 public:
  void Visit() override { *weight = 10.0 * toNeuron + fromNeuron; }
};

TEST(TToConditionConnectionsTest, ArcsFollowTheInputMap) {
  TFuNN net = MakeFuNN32();
  TToConditionConnections& set = *net.GetConditionConnections();
  EXPECT_STREQ(set.GetConnectionsNType(), "ToConditionConnections");
  EXPECT_TRUE(set.IsConnected());
  EXPECT_TRUE(set.IsValid(0, 2));
  EXPECT_FALSE(set.IsValid(1, 2));
  EXPECT_TRUE(set.IsValid(1, 3));
  EXPECT_FALSE(set.IsValid(1, 5));
  EXPECT_TRUE(set.IsTrainable(0, 1));
  // The weight is the neuron's centre, whatever from is given.
  EXPECT_EQ(&set.Weight(0, 3), &set.Weight(1, 3));
  EXPECT_EQ(&set.Weight(1, 3), &net.GetConditionLayer()->GetConditionNeuron(3).centre);

  Recorder all;
  set.Iterate(all, 1);
  EXPECT_EQ(all.arcs, (std::vector<Arc>{{0, 0, 0.0, true},
                                        {0, 1, 0.5, true},
                                        {0, 2, 1.0, true},
                                        {1, 3, 0.0, true},
                                        {1, 4, 1.0, true}}));
  Recorder into;
  set.IterateTo(into, 2, 1);
  EXPECT_EQ(into.arcs, (std::vector<Arc>{{0, 2, 1.0, true}}));
  Recorder outOf;
  set.IterateFrom(outOf, 1, 1);
  EXPECT_EQ(outOf.arcs, (std::vector<Arc>{{1, 3, 0.0, true}, {1, 4, 1.0, true}}));
}

TEST(TToConditionConnectionsTest, MasksSelectArcs) {
  TFuNN net = MakeFuNN32();
  TToConditionConnections& set = *net.GetConditionConnections();
  set.FreezeWeight(1, 3);
  EXPECT_EQ(set.GetMask(1, 3), FMaskExists);
  EXPECT_EQ(set.GetNumWeights(0), 4);
  EXPECT_EQ(set.GetNumWeights(1), 5);

  Recorder trainable;
  set.Iterate(trainable, 0);
  ASSERT_EQ(trainable.arcs.size(), 4u);
  EXPECT_EQ(std::get<1>(trainable.arcs[3]), 4);
  Recorder existing;
  set.Iterate(existing, 1);
  ASSERT_EQ(existing.arcs.size(), 5u);
  EXPECT_EQ(existing.arcs[3], Arc(1, 3, 0.0, false));

  set.UnfreezeWeight(1, 3);
  EXPECT_EQ(set.GetMask(1, 3), FMaskAll);
  set.SetMask(0, 0, 0);  // any value is stored
  EXPECT_EQ(set.GetMask(0, 0), 0);
  EXPECT_EQ(set.GetNumWeights(1), 4);
}

// Visitors write through the live weight locations into the centres, and
// the network's bulk weight operations see the set like any other.
TEST(TToConditionConnectionsTest, WeightLocationsAreLive) {
  TFuNN net = MakeFuNN32();
  Writer writer;
  net.GetConditionConnections()->Iterate(writer, 1);
  int count = 0;
  std::vector<double> centres;
  net.GetWeightLayer(1, count, centres);
  EXPECT_EQ(centres, (std::vector<double>{0.0, 10.0, 20.0, 31.0, 41.0}));

  std::vector<double> all(static_cast<size_t>(net.GetNumWeights(1)));
  ASSERT_EQ(all.size(), 5u + 20u + 12u + 3u);
  net.GetWeights(all.data(), 1);
  EXPECT_EQ(std::vector<double>(all.begin(), all.begin() + 5), centres);
  all[1] = 0.125;
  net.SetWeights(all.data(), 1);
  double value = 0.0;
  net.GetWeightValue(1, 0, 1, value);
  EXPECT_EQ(value, 0.125);
}

TEST(TToOutputConnectionsTest, ArcsFollowTheOutputMap) {
  const int inputMFs[] = {2};
  const int outputMFs[] = {3, 2};
  TFuNN net(1, inputMFs, 1, outputMFs, 2);
  TToOutputConnections& set = *net.GetOutputConnections();
  EXPECT_STREQ(set.GetConnectionsNType(), "ToOutputConnections");
  set.centres = {0.1, 0.2, 0.3, 0.4, 0.5};
  EXPECT_TRUE(set.IsValid(2, 0));
  EXPECT_FALSE(set.IsValid(2, 1));
  EXPECT_TRUE(set.IsValid(3, 1));
  EXPECT_FALSE(set.IsValid(5, 1));
  EXPECT_EQ(&set.Weight(4, 0), &set.centres[4]);

  Recorder into;
  set.IterateTo(into, 0, 1);
  EXPECT_EQ(into.arcs, (std::vector<Arc>{{0, 0, 0.1, true}, {1, 0, 0.2, true}, {2, 0, 0.3, true}}));
  Recorder outOf;
  set.IterateFrom(outOf, 3, 1);
  EXPECT_EQ(outOf.arcs, (std::vector<Arc>{{3, 1, 0.4, true}}));

  set.FreezeWeight(1, 0);
  Recorder trainable;
  set.Iterate(trainable, 0);
  EXPECT_EQ(trainable.arcs,
            (std::vector<Arc>{
                {0, 0, 0.1, true}, {2, 0, 0.3, true}, {3, 1, 0.4, true}, {4, 1, 0.5, true}}));
  Writer writer;
  set.Iterate(writer, 1);
  EXPECT_EQ(set.centres, (std::vector<double>{0.0, 1.0, 2.0, 13.0, 14.0}));
}

TEST(TToOutputConnectionsTest, ResetCentresAndClone) {
  const int inputMFs[] = {2};
  const int outputMFs[] = {4, 2};
  TFuNN net(1, inputMFs, 1, outputMFs, 2);
  TToOutputConnections& set = *net.GetOutputConnections();
  set.ResetCentres();
  ASSERT_EQ(set.centres.size(), 6u);
  EXPECT_EQ(set.centres[0], 0.0);
  EXPECT_DOUBLE_EQ(set.centres[1], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(set.centres[2], 2.0 / 3.0);
  EXPECT_EQ(set.centres[3], 1.0);
  EXPECT_EQ(set.centres[4], 0.0);
  EXPECT_EQ(set.centres[5], 1.0);

  set.FreezeWeight(2, 0);
  TFuNN copy(net);
  const TToOutputConnections& cloned = *copy.GetOutputConnections();
  EXPECT_EQ(cloned.centres, set.centres);
  set.centres[0] = 0.5;
  EXPECT_EQ(cloned.centres[0], 0.0);
}

// A frozen centre stays frozen for the network file writer (which asks
// IsTrainable) and in a copy of the network.
TEST(FuNNConnectionsTest, FrozenCentresStayFrozenInCopies) {
  TFuNN net = funn_test::MakeFuNN32();
  TToConditionConnections& condition = *net.GetConditionConnections();
  TToOutputConnections& output = *net.GetOutputConnections();
  ASSERT_TRUE(condition.IsValid(1, 4));
  ASSERT_TRUE(output.IsValid(2, 0));
  condition.FreezeWeight(1, 4);
  output.FreezeWeight(2, 0);
  EXPECT_FALSE(condition.IsTrainable(1, 4));
  EXPECT_TRUE(condition.IsTrainable(0, 0));
  EXPECT_FALSE(output.IsTrainable(2, 0));
  EXPECT_TRUE(output.IsTrainable(1, 0));
  EXPECT_FALSE(output.IsTrainable(2, 1)) << "no such arc";

  TFuNN copy(net);
  EXPECT_FALSE(copy.GetConditionConnections()->IsTrainable(1, 4));
  EXPECT_TRUE(copy.GetConditionConnections()->IsTrainable(0, 0));
  EXPECT_FALSE(copy.GetOutputConnections()->IsTrainable(2, 0));
  EXPECT_EQ(copy.GetOutputConnections()->masks, output.masks);
}

// A network file may put these sets between layers of other kinds; they then
// have no arcs, and stray indices touch no foreign memory.
TEST(FuNNConnectionsTest, SetsWithoutTheirLayerHaveNoArcs) {
  TConnectedNetwork net(3);
  net.SetLayer(0, new TSimpleLayer(&net, 0, 2));
  net.SetLayer(1, new TSimpleInputLayer(&net, 1, 2));
  net.SetLayer(2, new TSimpleLayer(&net, 2, 3));
  auto* toCondition = new TToConditionConnections(&net, 1, 2);
  net.SetConnections(1, 2, toCondition);
  auto* toOutput = new TToOutputConnections(&net, 0, 2);
  net.SetConnections(0, 2, toOutput);

  for (TBasicConnections* set :
       {static_cast<TBasicConnections*>(toCondition), static_cast<TBasicConnections*>(toOutput)}) {
    EXPECT_EQ(set->GetNumWeights(1), 0);
    EXPECT_FALSE(set->IsValid(0, 0));
    set->Weight(7, 9) = 1.0;
    set->SetMask(-1, 9, FMaskExists);
  }
  EXPECT_TRUE(toCondition->masks.empty());
  EXPECT_EQ(toOutput->centres.size(), 2u);
}

}  // namespace
}  // namespace nuxa
