#include "FuNN/TFuNN.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DataObject/Data.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "FuNN/TToConditionConnections.h"
#include "FuNN/TToOutputConnections.h"
#include "FuNNTestUtil.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {
namespace {

using funn_test::ExpectException;
using funn_test::MakeFuNN32;

std::vector<int> LayerSizes(const TBasicNetwork& net) {
  std::vector<int> sizes;
  for (int i = 0; i < net.numLayers; ++i) sizes.push_back(net.GetLayer(i)->numNeurons);
  return sizes;
}

TEST(TFuNNTest, ConstructorBuildsTheSixLayersSetsAndMaps) {
  TFuNN net = MakeFuNN32();
  EXPECT_STREQ(net.GetNetworkType(), "FuNN");
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 5);
  EXPECT_EQ(LayerSizes(net), (std::vector<int>{0, 2, 5, 4, 3, 1}));

  const char* types[] = {"Simple", "Input", "FuzzyCondition", "Simple", "Simple", "Defuzzify"};
  const TActFunction functions[] = {nullptr,   FnLinear,  FnFuNNCondition,
                                    FnSigmoid, FnSigmoid, FnCog};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(net.GetLayer(i)->GetLayerType(), types[i]) << "layer " << i;
    EXPECT_EQ(net.GetLayer(i)->activationFunction, functions[i]) << "layer " << i;
  }

  const TConditionLayer* condition = net.GetConditionLayer();
  ASSERT_NE(condition, nullptr);
  EXPECT_EQ(condition->inputOf, (std::vector<std::int32_t>{0, 0, 0, 1, 1}));
  const TFuNNOutputLayer* output = net.GetOutputLayer();
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->outputOf, (std::vector<std::int32_t>{0, 0, 0}));
  EXPECT_EQ(output->numActions, 3);

  // Only the four weight layers are connected, each with its own class.
  for (int from = 0; from < 6; ++from) {
    for (int to = 0; to < 6; ++to) {
      const char* expected = "Empty";
      if (from == 1 && to == 2) expected = "ToConditionConnections";
      if ((from == 2 && to == 3) || (from == 3 && to == 4)) expected = "Pruneable";
      if (from == 4 && to == 5) expected = "ToOutputConnections";
      EXPECT_STREQ(net.GetConnections(from, to)->GetConnectionsNType(), expected)
          << from << " -> " << to;
    }
  }
  EXPECT_TRUE(net.IsWellFormed());
}

TEST(TFuNNTest, ConstructorRefusesCountsBelowTwoInputsFirst) {
  struct Case {
    std::vector<int> inputMFs;
    std::vector<int> outputMFs;
    const char* message;
  };
  const Case cases[] = {
      {{3, 1}, {3}, "Must be >= 2 MF per input"},
      {{1}, {1}, "Must be >= 2 MF per input"},
      {{2, 2}, {2, 0}, "Must be >= 2 MF per output"},
      {{2}, {-4}, "Must be >= 2 MF per output"},
  };
  for (const Case& c : cases) {
    ExpectException(
        [&] {
          TFuNN net(static_cast<int>(c.inputMFs.size()), c.inputMFs.data(), 2, c.outputMFs.data(),
                    static_cast<int>(c.outputMFs.size()));
        },
        c.message, "Bad Parameter", "TFuNN::TFuNN");
  }
}

TEST(TFuNNTest, SkeletonHasSixEmptySlotsAndEmptySets) {
  TFuNN net;
  EXPECT_STREQ(net.GetNetworkType(), "FuNN");
  ASSERT_EQ(net.numLayers, 6);
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 5);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(net.GetLayer(i), nullptr);
  EXPECT_EQ(net.GetNumWeights(1), 0);
  EXPECT_FALSE(net.IsWellFormed());
  double value = 0.0;
  ExpectException([&] { net.GetWeightValue(1, 0, 0, value); }, "Invalid network structure",
                  "Bad Parameter", "TFuNN::GetWeightValue");
}

// The weight numbering of each weight layer and the errors of the weight API.
TEST(TFuNNTest, WeightApiChecksLayerAndNumbers) {
  TFuNN net = MakeFuNN32();
  double value = -1.0;
  net.GetWeightValue(1, 1, 3, value);  // centre of condition neuron 3, input 1
  EXPECT_EQ(value, 0.0);
  net.GetWeightValue(1, 0, 2, value);
  EXPECT_EQ(value, 1.0);

  struct Case {
    std::function<void(TFuNN&)> call;
    const char* message;
    const char* location;
  };
  double out = 0.0;
  bool exists = false;
  const Case cases[] = {
      {[&](TFuNN& n) { n.GetWeightValue(1, 0, 3, out); }, "Invalid weight number",
       "TFuNN::GetWeightValue"},
      {[&](TFuNN& n) { n.GetWeightValue(1, 0, -1, out); }, "Invalid weight number",
       "TFuNN::GetWeightValue"},
      {[&](TFuNN& n) { n.GetWeightValue(5, 0, 0, out); }, "Invalid weight layer",
       "TFuNN::GetWeightValue"},
      {[&](TFuNN& n) { n.GetWeightValue(0, 0, 0, out); }, "Invalid weight layer",
       "TFuNN::GetWeightValue"},
      {[&](TFuNN& n) { n.GetWeightValue(4, 3, 0, out); }, "Invalid weight number",
       "TFuNN::GetWeightValue"},
      // Weight layers 2 and 3 only bound the numbers by the layers.
      {[&](TFuNN& n) { n.GetWeightValue(2, 5, 0, out); }, "Invalid weight number",
       "TFuNN::GetWeightValue"},
      {[&](TFuNN& n) { n.SetWeightValue(3, 0, 3, 1.0); }, "Invalid weight number",
       "TFuNN::SetWeightValue"},
      {[&](TFuNN& n) { n.SetWeightValue(4, 2, 1, 0.5); }, "Invalid weight number",
       "TFuNN::SetWeightValue"},
      {[&](TFuNN& n) { n.SetWeightValue(9, 2, 1, 0.5); }, "Invalid weight layer",
       "TFuNN::SetWeightValue"},
      {[&](TFuNN& n) {
         int count = 0;
         std::vector<double> values;
         n.GetWeightLayer(0, count, values);
       },
       "Invalid weight layer", "TFuNN::GetWeightLayer"},
      {[&](TFuNN& n) { n.SetWeightLayer(5, nullptr); }, "Invalid weight layer",
       "TFuNN::SetWeightLayer"},
      {[&](TFuNN& n) { n.FreezeWeight(5, 0, 0); }, "Invalid weight layer", "TFuNN::FreezeWeight"},
      {[&](TFuNN& n) { n.FreezeWeight(1, 3, 0); }, "Invalid weight number", "TFuNN::FreezeWeight"},
      {[&](TFuNN& n) { n.UnfreezeWeight(0, 0, 0); }, "Invalid weight layer",
       "TFuNN::UnfreezeWeight"},
      {[&](TFuNN& n) { n.UnfreezeWeight(2, 4, 0); }, "Invalid weight number",
       "TFuNN::UnfreezeWeight"},
      {[&](TFuNN& n) { n.WeightExists(1, 2, 0, exists); }, "Invalid node number",
       "TFuNN::WeightExists"},
      {[&](TFuNN& n) { n.WeightExists(3, 0, 3, exists); }, "Invalid node number",
       "TFuNN::WeightExists"},
      {[&](TFuNN& n) { n.WeightExists(-1, 0, 0, exists); }, "Invalid weight layer",
       "TFuNN::WeightExists"},
      {[&](TFuNN& n) { n.GetActivationValue(6, 0, out); }, "Invalid node layer",
       "TFuNN::GetActivationValue"},
      {[&](TFuNN& n) { n.GetActivationValue(-1, 0, out); }, "Invalid node layer",
       "TFuNN::GetActivationValue"},
      {[&](TFuNN& n) { n.GetActivationValue(2, 5, out); }, "Invalid node number",
       "TFuNN::GetActivationValue"},
  };
  for (const Case& c : cases) {
    ExpectException([&] { c.call(net); }, c.message, "Bad Parameter", c.location);
  }
  // The failed calls changed nothing.
  int count = 0;
  std::vector<double> centres;
  net.GetWeightLayer(1, count, centres);
  EXPECT_EQ(centres, (std::vector<double>{0.0, 0.5, 1.0, 0.0, 1.0}));
}

TEST(TFuNNTest, WeightLayersStartAtTheirInitialValues) {
  TFuNN net = MakeFuNN32();
  const std::vector<double> expected[] = {
      {0.0, 0.5, 1.0, 0.0, 1.0},     // evenly spaced input centres
      std::vector<double>(20, 0.0),  // 5 conditions x 4 rules
      std::vector<double>(12, 0.0),  // 4 rules x 3 actions
      {0.0, 0.0, 0.0},               // output centres start at zero
  };
  for (int k = 1; k <= 4; ++k) {
    int count = -1;
    std::vector<double> values;
    net.GetWeightLayer(k, count, values);
    EXPECT_EQ(count, static_cast<int>(expected[k - 1].size())) << "weight layer " << k;
    EXPECT_EQ(values, expected[k - 1]) << "weight layer " << k;
  }
}

// SetWeightLayer followed by GetWeightLayer gives the array back, and the
// canonical order puts each element where the single-weight API finds it.
TEST(TFuNNTest, WeightLayersRoundTripInCanonicalOrder) {
  TFuNN net = MakeFuNN32();
  const int counts[] = {5, 20, 12, 3};
  for (int k = 1; k <= 4; ++k) {
    std::vector<double> in(static_cast<size_t>(counts[k - 1]));
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.01 * static_cast<double>(i) + k;
    net.SetWeightLayer(k, in.data());
    int count = 0;
    std::vector<double> out;
    net.GetWeightLayer(k, count, out);
    EXPECT_EQ(out, in) << "weight layer " << k;
  }

  double value = 0.0;
  net.GetWeightValue(1, 1, 4, value);  // element 4: condition neuron 4 of input 1
  EXPECT_DOUBLE_EQ(value, 1.04);
  net.GetWeightValue(2, 3, 2, value);  // element 3 * 4 + 2
  EXPECT_DOUBLE_EQ(value, 2.14);
  EXPECT_DOUBLE_EQ(net.GetRuleConnections(2)->Weight(3, 2), 2.14);
  net.GetWeightValue(3, 2, 1, value);  // element 2 * 3 + 1
  EXPECT_DOUBLE_EQ(value, 3.07);
  EXPECT_DOUBLE_EQ(net.GetRuleConnections(3)->Weight(2, 1), 3.07);
  net.GetWeightValue(4, 2, 0, value);  // element 2: action neuron 2 of output 0
  EXPECT_DOUBLE_EQ(value, 4.02);
  EXPECT_DOUBLE_EQ(net.GetOutputConnections()->centres[2], 4.02);
  EXPECT_DOUBLE_EQ(net.GetConditionLayer()->GetConditionNeuron(4).centre, 1.04);
}

TEST(TFuNNTest, WeightExistsFollowsMapsAndArcs) {
  TFuNN net = MakeFuNN32();
  net.GetRuleConnections(2)->PruneWeight(1, 3);
  struct Case {
    int weightLayer, from, to;
    bool exists;
  };
  const Case cases[] = {
      {1, 0, 2, true}, {1, 1, 2, false}, {1, 1, 3, true}, {2, 1, 3, false},
      {2, 1, 2, true}, {3, 3, 2, true},  {4, 2, 0, true},
  };
  for (const Case& c : cases) {
    bool exists = !c.exists;
    net.WeightExists(c.weightLayer, c.from, c.to, exists);
    EXPECT_EQ(exists, c.exists) << c.weightLayer << ": " << c.from << " -> " << c.to;
  }
}

TEST(TFuNNTest, FreezeAndUnfreezeReachTheRightFlags) {
  TFuNN net = MakeFuNN32();
  // Weight layer 1: the condition neuron's flag; the set's masks stay.
  net.FreezeWeight(1, 3, 1);
  EXPECT_FALSE(net.GetConditionLayer()->GetConditionNeuron(3).trainable);
  EXPECT_EQ(net.GetConditionConnections()->GetMask(1, 3), FMaskAll);
  net.UnfreezeWeight(1, 3, 1);
  EXPECT_TRUE(net.GetConditionLayer()->GetConditionNeuron(3).trainable);

  // Weight layers 2 and 3: the pruned sets; note the (to, from) order.
  net.FreezeWeight(2, 3, 4);
  EXPECT_FALSE(net.GetRuleConnections(2)->IsTrainable(4, 3));
  EXPECT_TRUE(net.GetRuleConnections(2)->IsValid(4, 3));
  net.FreezeWeight(3, 2, 1);
  EXPECT_FALSE(net.GetRuleConnections(3)->IsTrainable(1, 2));
  net.UnfreezeWeight(3, 2, 1);
  EXPECT_TRUE(net.GetRuleConnections(3)->IsTrainable(1, 2));

  // Weight layer 4: the output set's mask.
  net.FreezeWeight(4, 0, 1);
  EXPECT_EQ(net.GetOutputConnections()->GetMask(1, 0), FMaskExists);
  net.UnfreezeWeight(4, 0, 1);
  EXPECT_EQ(net.GetOutputConnections()->GetMask(1, 0), FMaskAll);
}

TEST(TFuNNTest, GetStructureCopiesSizesAndCounts) {
  const int inputMFs[] = {3, 2, 4};
  const int outputMFs[] = {2, 5};
  TFuNN net(3, inputMFs, 6, outputMFs, 2);
  int inputs = 0, conditions = 0, rules = 0, actions = 0, outputs = 0;
  std::vector<int> in, out;
  net.GetStructure(inputs, conditions, in, rules, actions, out, outputs);
  EXPECT_EQ(inputs, 3);
  EXPECT_EQ(conditions, 9);
  EXPECT_EQ(in, (std::vector<int>{3, 2, 4}));
  EXPECT_EQ(rules, 6);
  EXPECT_EQ(actions, 7);
  EXPECT_EQ(out, (std::vector<int>{2, 5}));
  EXPECT_EQ(outputs, 2);
}

TEST(TFuNNTest, InitWeightsResetsCentresAndDrawsTrainableArcs) {
  const int inputMFs[] = {3};
  const int outputMFs[] = {4};
  TFuNN net(1, inputMFs, 2, outputMFs, 1);
  const double moved[] = {0.3, 0.9, 0.2, 0.6};
  net.SetWeightLayer(1, moved);
  net.SetWeightLayer(4, moved);
  net.SetWeightValue(2, 0, 0, 7.0);
  net.FreezeWeight(2, 0, 0);  // stays 7.0

  net.InitWeights(0.25, 0.25);
  int count = 0;
  std::vector<double> values;
  net.GetWeightLayer(1, count, values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 0.5, 1.0}));
  net.GetWeightLayer(2, count, values);
  EXPECT_EQ(values, (std::vector<double>{7.0, 0.25, 0.25, 0.25, 0.25, 0.25}));
  net.GetWeightLayer(3, count, values);
  EXPECT_EQ(values, std::vector<double>(8, 0.25));
  net.GetWeightLayer(4, count, values);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(values[0], 0.0);
  EXPECT_DOUBLE_EQ(values[1], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(values[2], 2.0 / 3.0);
  EXPECT_EQ(values[3], 1.0);

  net.InitWeights(-1.0, 1.0);
  net.GetWeightLayer(3, count, values);
  for (double w : values) {
    EXPECT_GE(w, -1.0);
    EXPECT_LT(w, 1.0);
  }
}

TEST(TFuNNTest, CopyIsIndependentAndKeepsCentres) {
  auto source = std::make_unique<TFuNN>(MakeFuNN32());
  const double centres[] = {0.1, 0.4, 0.8, 0.2, 0.7};
  const double outputCentres[] = {0.1, 0.5, 0.9};
  source->SetWeightLayer(1, centres);
  source->SetWeightLayer(4, outputCentres);
  source->FreezeWeight(1, 2, 0);

  TFuNN copy(*source);
  source->SetWeightValue(1, 0, 0, 0.05);
  source.reset();  // the copy must not lean on the source

  ASSERT_TRUE(copy.IsWellFormed());
  int count = 0;
  std::vector<double> values;
  copy.GetWeightLayer(1, count, values);
  EXPECT_EQ(values, std::vector<double>(centres, centres + 5));
  copy.GetWeightLayer(4, count, values);
  EXPECT_EQ(values, std::vector<double>(outputCentres, outputCentres + 3));
  EXPECT_FALSE(copy.GetConditionLayer()->GetConditionNeuron(2).trainable);
  // The copy's membership links point into its own neurons: recall works.
  const double input[] = {0.6, 0.45};
  double output = -1.0;
  copy.Recall(input, &output);
  double mu = 0.0;
  copy.GetActivationValue(2, 1, mu);
  EXPECT_DOUBLE_EQ(mu, 1.0 - (0.6 - 0.4) / (0.8 - 0.4));
}

// ---- Recall over a data set, against values worked out by hand.

class TFuNNRecallTest : public ::testing::Test {
 protected:
  // One input with 2 membership functions (centres 0 and 1), one rule, one
  // output with 2 membership functions at 0.25 and 0.75.
  TFuNNRecallTest() : net(1, kTwo, 1, kTwo, 1) {
    const double toRule[] = {2.0, -1.0};
    const double toActions[] = {1.0, 3.0};
    const double centres[] = {0.25, 0.75};
    net.SetWeightLayer(2, toRule);
    net.SetWeightLayer(3, toActions);
    net.SetWeightLayer(4, centres);
  }

  static double Sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

  // The network's answer for x, worked out layer by layer.
  static double Expected(double x) {
    const double mu1 = x <= 0.0 ? 0.0 : (x >= 1.0 ? 1.0 : x);
    const double mu0 = 1.0 - mu1;
    const double rule = Sigmoid(2.0 * mu0 - 1.0 * mu1);
    const double a0 = Sigmoid(1.0 * rule);
    const double a1 = Sigmoid(3.0 * rule);
    return (a0 * 0.25 + a1 * 0.75) / (a0 + a1);
  }

  static constexpr int kTwo[] = {2};
  TFuNN net;
};

constexpr int TFuNNRecallTest::kTwo[];

TEST_F(TFuNNRecallTest, RecallGivesOneAnswerPerRowOldestFirst) {
  // Three slots and four rows: the oldest row (9.0) has been overwritten.
  Data data(3, 1, 1, false);
  const double rows[][2] = {{9.0, 0.0}, {0.25, 0.5}, {1.0, 0.4}, {-2.0, 0.3}};
  for (const auto& row : rows) data.AppendRow(&row[0], &row[1], nullptr);

  std::unique_ptr<Data> result;
  net.Recall(&data, result);
  ASSERT_NE(result, nullptr);
  ASSERT_EQ(result->DataRows(), 3);
  EXPECT_EQ(result->Inputs(), 1);
  EXPECT_EQ(result->Outputs(), 1);
  for (int i = 0; i < 3; ++i) {
    const int slot = result->RingSlot(i);
    EXPECT_EQ(result->InputRowPtr(slot)[0], rows[i + 1][0]);
    EXPECT_DOUBLE_EQ(result->OutputRowPtr(slot)[0], Expected(rows[i + 1][0])) << "row " << i;
  }

  std::unique_ptr<Data> answers;
  net.RecallOutputOnly(&data, answers);
  ASSERT_EQ(answers->DataRows(), 3);
  EXPECT_EQ(answers->Inputs(), 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(answers->OutputRowPtr(answers->RingSlot(i))[0], Expected(rows[i + 1][0]));
  }

  double error = 0.0;
  net.GetRMSError(&data, error);
  double sum = 0.0;
  for (int i = 1; i < 4; ++i) sum += std::pow(rows[i][1] - Expected(rows[i][0]), 2);
  EXPECT_DOUBLE_EQ(error, std::sqrt(sum / 3.0));

  // The activations of the last row stay readable.
  double mu = -1.0;
  net.GetActivationValue(2, 0, mu);
  EXPECT_EQ(mu, 1.0);  // x = -2 lies below the first centre
}

TEST_F(TFuNNRecallTest, EmptyDataSetGivesEmptyResult) {
  Data data(0, 1, 1, false);
  std::unique_ptr<Data> result;
  net.Recall(&data, result);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->DataRows(), 0);
}

TEST_F(TFuNNRecallTest, NullDataIsRefused) {
  std::unique_ptr<Data> result;
  double error = 0.0;
  ExpectException([&] { net.Recall(nullptr, result); }, "Null data pointer",
                  "Null Pointer Parameter", "TFuNN::Recall");
  ExpectException([&] { net.RecallOutputOnly(nullptr, result); }, "Null data pointer",
                  "Null Pointer Parameter", "TFuNN::RecallOutputOnly");
  ExpectException([&] { net.GetRMSError(nullptr, error); }, "Null data pointer",
                  "Null Pointer Parameter", "TFuNN::RecallOutputOnly");
  EXPECT_EQ(result, nullptr);
}

}  // namespace
}  // namespace nuxa
