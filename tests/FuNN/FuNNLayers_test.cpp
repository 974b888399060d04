#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNN.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "FuNN/TToOutputConnections.h"
#include "FuNNTestUtil.h"

namespace nuxa {
namespace {

using funn_test::ExpectException;
using funn_test::MakeFuNN32;

// ---- Condition layer: membership description and membership degrees.

TEST(TConditionLayerTest, SetMembershipBuildsMapsLinksAndCentres) {
  TFuNN net = MakeFuNN32();  // SetMembership(2, {3, 2}) on five neurons
  TConditionLayer& layer = *net.GetConditionLayer();
  EXPECT_EQ(layer.numInputs, 2);
  EXPECT_EQ(layer.membershipCounts, (std::vector<std::int32_t>{3, 2}));
  EXPECT_EQ(layer.inputOf, (std::vector<std::int32_t>{0, 0, 0, 1, 1}));

  // Links stay inside each input's block.
  const TConditionNeuron* n = &layer.GetConditionNeuron(0);
  EXPECT_EQ(n[0].left, nullptr);
  EXPECT_EQ(n[0].right, &n[1]);
  EXPECT_EQ(n[1].left, &n[0]);
  EXPECT_EQ(n[1].right, &n[2]);
  EXPECT_EQ(n[2].right, nullptr);
  EXPECT_EQ(n[3].left, nullptr);
  EXPECT_EQ(n[3].right, &n[4]);
  EXPECT_EQ(n[4].left, &n[3]);
  EXPECT_EQ(n[4].right, nullptr);
  const double centres[] = {0.0, 0.5, 1.0, 0.0, 1.0};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(n[k].centre, centres[k]) << "neuron " << k;
  EXPECT_EQ(n[0].GetNumParameters(), 0);

  EXPECT_EQ(layer.GetMFIndex(4), 1);
  EXPECT_EQ(layer.GetMFIndex(2), 2);
  std::vector<int> neurons;
  EXPECT_EQ(layer.GetInputNeurons(1, neurons), 2);
  EXPECT_EQ(neurons, (std::vector<int>{3, 4}));
  EXPECT_EQ(layer.GetInputNeurons(0, neurons), 3);
  EXPECT_EQ(neurons, (std::vector<int>{0, 1, 2}));
}

// Counts from a file reach SetMembership unchecked: bad ones are refused
// with an exception and leave the layer as it was.
TEST(TConditionLayerTest, SetMembershipRefusesBadCounts) {
  TFuNN net = MakeFuNN32();
  TConditionLayer& layer = *net.GetConditionLayer();
  struct Case {
    std::vector<int> counts;
    const char* message;
  };
  const Case cases[] = {
      {{3, 1}, "Must be >= 2 MF per input"},
      {{5, 0}, "Must be >= 2 MF per input"},
      {{1, 4}, "Must be >= 2 MF per input"},
      {{3, 3}, "MF counts do not match the layer size"},
      {{2}, "MF counts do not match the layer size"},
      {{}, "MF counts do not match the layer size"},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.counts.size());
    EXPECT_FALSE(layer.IsValidMembership(n, c.counts.data()));
    ExpectException([&] { layer.SetMembership(n, c.counts.data()); }, c.message, "Bad Parameter",
                    "TConditionLayer::SetMembership");
  }
  const int good[] = {2, 3};
  EXPECT_TRUE(layer.IsValidMembership(2, good));
  EXPECT_EQ(layer.inputOf, (std::vector<std::int32_t>{0, 0, 0, 1, 1}));
  layer.SetMembership(2, good);
  EXPECT_EQ(layer.inputOf, (std::vector<std::int32_t>{0, 0, 1, 1, 1}));
  EXPECT_EQ(layer.GetConditionNeuron(2).left, nullptr);
}

TEST(TConditionLayerTest, MembershipDegrees) {
  struct Case {
    std::vector<int> counts;
    double x;
    std::vector<double> mu;
  };
  const Case cases[] = {
      {{3}, 0.25, {0.5, 0.5, 0.0}}, {{3}, -3.0, {1.0, 0.0, 0.0}}, {{3}, 1.7, {0.0, 0.0, 1.0}},
      {{3}, 0.5, {0.0, 1.0, 0.0}},  {{3}, 1.0, {0.0, 0.0, 1.0}},  {{2}, 0.25, {0.75, 0.25}},
  };
  for (const Case& c : cases) {
    const int outputMFs[] = {2};
    TFuNN net(1, c.counts.data(), 1, outputMFs, 1);
    double output = 0.0;
    net.Recall(&c.x, &output);
    const std::vector<double>& got = net.GetLayer(2)->activations;
    ASSERT_EQ(got.size(), c.mu.size());
    for (size_t k = 0; k < got.size(); ++k) {
      EXPECT_DOUBLE_EQ(got[k], c.mu[k]) << c.counts.size() << " MFs, x = " << c.x << ", k " << k;
    }
  }
}

TEST(TConditionLayerTest, MembershipFunctionOnOtherNeuronsGivesZero) {
  // A network file may name "FuNN-condition" for a neuron of another kind.
  TBasicNetwork net(2);
  auto* layer = new TSimpleLayer(&net, 0, 1);
  net.SetLayer(0, layer);
  net.SetLayer(1, new TSimpleInputLayer(&net, 1, 1));
  layer->activations[0] = 5.0;
  FnFuNNCondition(layer->GetNeuron(0), 0.3);
  EXPECT_EQ(layer->activations[0], 0.0);
}

TEST(TConditionLayerTest, CogRefusesEvaluation) {
  TBasicNetwork net(2);
  auto* layer = new TSimpleLayer(&net, 0, 1);
  net.SetLayer(0, layer);
  net.SetLayer(1, new TSimpleInputLayer(&net, 1, 1));
  EXPECT_DEATH(FnCog(layer->GetNeuron(0), 0.5), "Assertion failed: false");
}

// ---- Output layer: membership description and defuzzification.

TEST(TFuNNOutputLayerTest, SetMembershipMapsActionsAndRefusesBadCounts) {
  const int inputMFs[] = {2};
  const int outputMFs[] = {2, 3};
  TFuNN net(1, inputMFs, 1, outputMFs, 2);
  TFuNNOutputLayer& layer = *net.GetOutputLayer();
  EXPECT_EQ(layer.numActions, 5);
  EXPECT_EQ(layer.outputOf, (std::vector<std::int32_t>{0, 0, 1, 1, 1}));
  EXPECT_EQ(layer.GetMFIndex(1), 1);
  EXPECT_EQ(layer.GetMFIndex(4), 2);

  struct Case {
    int actions;
    std::vector<int> counts;
    const char* message;
  };
  const Case cases[] = {
      {5, {4, 1}, "Must be >= 2 MF per output"},
      {4, {2, 3}, "MF counts do not match the number of action neurons"},
      {-1, {2, 3}, "MF counts do not match the number of action neurons"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(layer.IsValidMembership(c.actions, c.counts.data()));
    ExpectException([&] { layer.SetMembership(c.actions, c.counts.data()); }, c.message,
                    "Bad Parameter", "TFuNNOutputLayer::SetMembership");
  }
  EXPECT_EQ(layer.outputOf, (std::vector<std::int32_t>{0, 0, 1, 1, 1}));
}

class DefuzzifyTest : public ::testing::Test {
 protected:
  DefuzzifyTest() : net(1, kInputMFs, 1, kOutputMFs, 1) {}

  // The output layer's answer for these action activations and centres.
  double Defuzzify(const std::vector<double>& actions, const std::vector<double>& centres) {
    net.GetLayer(4)->activations = actions;
    net.GetOutputConnections()->centres = centres;
    TBasicLayer& output = *net.GetLayer(5);
    output.Recall(nullptr);
    return output.activations[0];
  }

  static constexpr int kInputMFs[] = {2};
  static constexpr int kOutputMFs[] = {2};
  TFuNN net;
};

constexpr int DefuzzifyTest::kInputMFs[];
constexpr int DefuzzifyTest::kOutputMFs[];

TEST_F(DefuzzifyTest, CentreOfGravity) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(Defuzzify({0.0, 0.0}, {0.0, 1.0}), 0.0);  // no division
  EXPECT_EQ(Defuzzify({0.5, 0.5}, {0.0, 0.0}), 0.0);  // zero numerator
  EXPECT_DOUBLE_EQ(Defuzzify({0.2, 0.6}, {0.0, 1.0}), 0.75);
  EXPECT_DOUBLE_EQ(Defuzzify({1.0, 1.0}, {0.2, 1.0}), 0.6);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(DefuzzifyTest, ValueOutsideUnitRangeIsReportedAndKept) {
  testing::internal::CaptureStdout();
  EXPECT_DOUBLE_EQ(Defuzzify({0.5, 0.5}, {1.0, 2.0}), 1.5);
  EXPECT_DOUBLE_EQ(Defuzzify({0.5, 0.5}, {-0.25, -0.25}), -0.25);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1.5\n-0.25\n");
}

TEST(TFuNNOutputLayerTest, OutputsDefuzzifySeparately) {
  const int inputMFs[] = {2};
  const int outputMFs[] = {2, 3};
  TFuNN net(1, inputMFs, 1, outputMFs, 2);
  net.GetLayer(4)->activations = {0.5, 0.5, 0.25, 0.0, 0.75};
  net.GetOutputConnections()->centres = {0.2, 0.4, 0.0, 0.9, 1.0};
  net.GetLayer(5)->Recall(nullptr);
  EXPECT_DOUBLE_EQ(net.GetLayer(5)->activations[0], 0.3);
  EXPECT_DOUBLE_EQ(net.GetLayer(5)->activations[1], 0.75);
}

}  // namespace
}  // namespace nuxa
