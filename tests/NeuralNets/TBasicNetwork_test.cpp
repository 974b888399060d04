#include "NeuralNets/TBasicNetwork.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "NetTestUtil.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {
namespace {

using testing_util::NumberWeights;
using testing_util::Populate;

TEST(NetworkTest, FormationMakesEveryPairEmpty) {
  TBasicNetwork net(4);
  EXPECT_EQ(net.numLayers, 4);
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 3);
  EXPECT_FALSE(net.IsPopulated());
  EXPECT_STREQ(net.GetNetworkType(), "Basic");
  for (int to = 0; to < 4; ++to) {
    for (int from = 0; from < 4; ++from) {
      TBasicConnections* set = net.priv_conns_index[static_cast<size_t>(to)][from];
      EXPECT_EQ(set, net.priv_conns[static_cast<size_t>(to * 4 + from)]);
      EXPECT_STREQ(set->GetConnectionsNType(), "Empty");
      EXPECT_EQ(set->fromLayer, from);
      EXPECT_EQ(set->toLayer, to);
      EXPECT_EQ(set->network, &net);
    }
  }
  EXPECT_EQ(net.GetNumWeights(1), 0);
  EXPECT_TRUE(net.GetRegistry().HasName("tanh-gain"));
  // Destroying a network whose slots were never filled is harmless.
}

TEST(NetworkTest, ConnectedNetworkLayersAndConnect) {
  TConnectedNetwork net(3, std::vector<int>{0, 2, 1}.data());
  EXPECT_TRUE(net.IsPopulated());
  EXPECT_STREQ(net.GetNetworkType(), "Connected");
  EXPECT_STREQ(net.layers[0]->GetLayerType(), "Simple");
  EXPECT_STREQ(net.layers[1]->GetLayerType(), "Input");
  EXPECT_STREQ(net.layers[2]->GetLayerType(), "Simple");
  EXPECT_EQ(net.GetNumNeurons(), 3);
  EXPECT_EQ(&net.GetNeuron(2), &net.layers[2]->GetNeuron(0));
  EXPECT_EQ(&net.GetNeuron(1), &net.layers[1]->GetNeuron(1));

  net.Connect(1, 2);
  TBasicConnections* set = net.GetConnections(1, 2);
  EXPECT_STREQ(set->GetConnectionsNType(), "FullyConnected");
  EXPECT_EQ(set->GetNumWeights(1), 2);
  set->Weight(1, 0) = 4.0;
  net.Connect(1, 2);  // a real set stays, weights and all
  EXPECT_EQ(net.GetConnections(1, 2), set);
  EXPECT_EQ(set->Weight(1, 0), 4.0);
  net.Disconnect(1, 2);
  EXPECT_STREQ(net.GetConnections(1, 2)->GetConnectionsNType(), "Empty");
  net.Disconnect(1, 2);  // an empty pair gets a new empty set too
  EXPECT_STREQ(net.GetConnections(1, 2)->GetConnectionsNType(), "Empty");

  EXPECT_NE(net.NewArcsIterator(), nullptr);

  TBasicNetwork basic;
  Populate(basic, {0, 2, 1});
  basic.Connect(1, 2);
  EXPECT_STREQ(basic.GetConnections(1, 2)->GetConnectionsNType(), "Pruneable");
}

TEST(NetworkDeathTest, ContractViolations) {
  TBasicNetwork net;
  Populate(net, {1, 2, 2, 1});
  EXPECT_DEATH(net.NewArcsIterator(), "Assertion failed: false");
  EXPECT_DEATH(net.GetNeuron(-1), "Assertion failed: index>=0");
  EXPECT_DEATH(net.GetNeuron(6), "Assertion failed: index<GetNumNeurons\\(\\)");
  EXPECT_DEATH(net.RemoveLayer(1), "Assertion failed: LayerNum!=inLayer");
  EXPECT_DEATH(net.RemoveLayer(3), "Assertion failed: LayerNum!=outLayer");
  EXPECT_DEATH(net.RemoveLayer(4), "Assertion failed: LayerNum<numLayers");
  EXPECT_DEATH(net.InsertLayer(5, nullptr), "Assertion failed: LayerNum<=numLayers");
  EXPECT_DEATH(net.InsertNeuron(2, -1, 0.0, 1.0, true), "Assertion failed: node>=0");
  EXPECT_DEATH(net.RemoveNeuron(-1, 0), "Assertion failed: LayerNum>=0");
}

// Layers 1, 2, 3 of 2, 3 and 1 neurons; real sets (1 -> 2), (2 -> 3) and,
// from a higher layer, (3 -> 2).
class WeightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Populate(net, {0, 2, 3, 1});
    net.Connect(1, 2);
    net.Connect(2, 3);
    net.Connect(3, 2);
    NumberWeights(*net.GetConnections(1, 2));
    NumberWeights(*net.GetConnections(2, 3));
    net.GetConnections(3, 2)->Weight(0, 1) = 99.0;
  }
  TBasicNetwork net;
};

TEST_F(WeightsTest, BulkOperationsVisitPairsFromLayerFirst) {
  ASSERT_EQ(net.GetNumWeights(1), 12);
  std::vector<double> weights(12, -1.0);
  ASSERT_EQ(net.GetWeights(weights.data(), 1), 12);
  const std::vector<double> expected = {0, 10, 1,  11, 2, 12,  // (1 -> 2), to-major
                                        0, 10, 20,             // (2 -> 3)
                                        0, 99, 0};             // (3 -> 2)
  EXPECT_EQ(weights, expected);

  net.GetConnections(2, 3)->FreezeWeight(1, 0);
  EXPECT_EQ(net.GetNumWeights(0), 11);
  std::vector<double> halves(11);
  for (size_t i = 0; i < halves.size(); ++i) halves[i] = i / 2.0;
  ASSERT_EQ(net.SetWeights(halves.data(), 0), 11);
  EXPECT_EQ(net.GetConnections(2, 3)->Weight(1, 0), 10.0);  // frozen: not in the list
  EXPECT_EQ(net.GetConnections(2, 3)->Weight(2, 0), 3.5);
  EXPECT_EQ(net.SetWeights(expected.data(), 1), 12);
  ASSERT_EQ(net.GetWeights(weights.data(), 1), 12);
  EXPECT_EQ(weights, expected);
}

TEST_F(WeightsTest, RandomizeDrawsInPairOrder) {
  std::srand(42);
  net.Randomize(-2.0, 2.0);
  std::vector<double> together(12);
  net.GetWeights(together.data(), 1);

  std::srand(42);
  const std::pair<int, int> pairs[] = {{1, 2}, {2, 3}, {3, 2}};
  for (auto [from, to] : pairs) net.GetConnections(from, to)->Randomize(-2.0, 2.0);
  std::vector<double> apart(12);
  net.GetWeights(apart.data(), 1);
  EXPECT_EQ(together, apart);
  for (double w : together) {
    EXPECT_GE(w, -2.0);
    EXPECT_LT(w, 2.0);
  }
}

// Bias at 0 (one "bias" neuron), input at 1, a gain layer at 2 and the output
// at 3; a set from the output back to layer 2 must not count.
class RecallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    net.SetNumLayers(4);
    auto* bias = new TSimpleLayer(&net, 0, 1);
    bias->SetActivationFunction(FnBias);
    net.SetLayer(0, bias);
    net.SetLayer(1, new TSimpleInputLayer(&net, 1, 2));
    auto* hidden = new TGainLayer(&net, 2, 2, 2.0);
    hidden->SetActivationFunction(FnLinearGain);
    net.SetLayer(2, hidden);
    auto* out = new TSimpleLayer(&net, 3, 1);
    out->SetActivationFunction(FnLinear);
    net.SetLayer(3, out);
    const std::pair<int, int> pairs[] = {{1, 2}, {0, 2}, {2, 3}, {0, 3}, {3, 2}};
    for (auto [from, to] : pairs) net.Connect(from, to);
    TBasicConnections& in = *net.GetConnections(1, 2);
    in.Weight(0, 0) = 0.5;
    in.Weight(1, 0) = 0.25;
    in.Weight(0, 1) = -1.0;
    in.Weight(1, 1) = 1.0;
    net.GetConnections(0, 2)->Weight(0, 0) = 0.5;
    net.GetConnections(0, 2)->Weight(0, 1) = -0.5;
    net.GetConnections(2, 3)->Weight(0, 0) = 1.0;
    net.GetConnections(2, 3)->Weight(1, 0) = -2.0;
    net.GetConnections(0, 3)->Weight(0, 0) = 0.25;
    net.GetConnections(3, 2)->Weight(0, 0) = 100.0;
    net.GetConnections(3, 2)->Weight(0, 1) = 100.0;
  }

  double RecallOnce(const std::vector<double>& input) {
    double output = -1.0;
    net.Recall(input.data(), &output);
    return output;
  }

  TBasicNetwork net;
};

TEST_F(RecallTest, HandComputedValues) {
  ::testing::internal::CaptureStderr();
  // Layer 2: gain 2 * (0.5*1 + 0.25*2 + 0.5) = 3 and 2 * (-1 + 2 - 0.5) = 1;
  // output 3 - 2 + 0.25.
  EXPECT_EQ(RecallOnce({1.0, 2.0}), 1.25);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(net.layers[0]->activations[0], 1.0);
  EXPECT_EQ(net.layers[2]->activations, (std::vector<double>{3.0, 1.0}));
  // Recall starts from scratch every time.
  EXPECT_EQ(RecallOnce({1.0, 2.0}), 1.25);
  EXPECT_EQ(RecallOnce({0.0, 0.0}), 2.0 * 0.5 - 2.0 * 2.0 * -0.5 + 0.25);
}

TEST_F(RecallTest, CopiesAreIndependent) {
  auto copy = std::make_unique<TBasicNetwork>(net);
  EXPECT_EQ(copy->GetNumWeights(1), net.GetNumWeights(1));
  EXPECT_NE(copy->GetConnections(1, 2), net.GetConnections(1, 2));
  EXPECT_EQ(copy->GetConnections(1, 2)->network, copy.get());
  EXPECT_EQ(copy->layers[2]->network, copy.get());
  EXPECT_EQ(copy->layers[2]->GetNeuron(1).activationFunction, FnLinearGain);
  double output = 0.0;
  const double input[2] = {1.0, 2.0};
  copy->Recall(input, &output);
  EXPECT_EQ(output, 1.25);

  copy->GetConnections(2, 3)->Weight(0, 0) = 0.0;
  static_cast<TGainLayer*>(copy->layers[2])->SetGain(1.0);
  EXPECT_EQ(RecallOnce({1.0, 2.0}), 1.25);

  // Assignment replaces everything; the source may go away afterwards.
  auto other = std::make_unique<TBasicNetwork>(2);
  other->SetLayer(0, new TSimpleLayer(other.get(), 0, 1));
  other->SetLayer(1, new TSimpleLayer(other.get(), 1, 1));
  *other = net;
  const TBasicNetwork& alias = *other;
  *other = alias;  // assigning a network to itself changes nothing
  copy.reset();
  EXPECT_EQ(other->numLayers, 4);
  other->Recall(input, &output);
  EXPECT_EQ(output, 1.25);
}

TEST(RecallWarningTest, MisplacedInputLayers) {
  // A plain layer at the input position copies the input, warns, and still
  // adds the sets from lower layers and applies its function.
  TBasicNetwork net(3);
  auto* bias = new TSimpleLayer(&net, 0, 1);
  bias->SetActivationFunction(FnBias);
  net.SetLayer(0, bias);
  auto* plain = new TSimpleLayer(&net, 1, 2);
  plain->SetActivationFunction(FnLinear);
  net.SetLayer(1, plain);
  // An input layer away from the input position warns and outputs zeros.
  net.SetLayer(2, new TSimpleInputLayer(&net, 2, 2));
  net.Connect(0, 1);
  net.GetConnections(0, 1)->Weight(0, 0) = 0.5;
  net.GetConnections(0, 1)->Weight(0, 1) = 0.5;

  const double input[2] = {0.25, -2.0};
  double output[2] = {-1.0, -1.0};
  ::testing::internal::CaptureStderr();
  net.Recall(input, output);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "!Warning: changed input layer (TSimpleLayer)\n"
            "!Warning: changed input layer (TSimpleInputLayer)\n");
  EXPECT_EQ(net.layers[1]->activations, (std::vector<double>{0.75, -1.5}));
  EXPECT_EQ(output[0], 0.0);
  EXPECT_EQ(output[1], 0.0);

  // At its place the input layer copies exactly and says nothing.
  TBasicNetwork good;
  Populate(good, {0, 2});
  const double exact[2] = {0.3, -2.0};
  ::testing::internal::CaptureStderr();
  good.Recall(exact, output);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(output[0], 0.3);
  EXPECT_EQ(output[1], -2.0);
}

void ExpectConsistent(TBasicNetwork& net) {
  for (int i = 0; i < net.numLayers; ++i) {
    TBasicLayer* layer = net.layers[static_cast<size_t>(i)];
    EXPECT_EQ(layer->layerNum, i);
    for (int k = 0; k < layer->numNeurons; ++k) EXPECT_EQ(layer->GetNeuron(k).layerNum, i);
    for (int from = 0; from < net.numLayers; ++from) {
      EXPECT_EQ(net.GetConnections(from, i)->fromLayer, from);
      EXPECT_EQ(net.GetConnections(from, i)->toLayer, i);
    }
  }
}

TEST(StructureTest, InsertAndRemoveLayerRenumber) {
  TBasicNetwork net;
  Populate(net, {1, 2, 3, 1});
  net.Connect(1, 2);
  net.Connect(0, 3);
  TBasicConnections* moved = net.GetConnections(1, 2);
  TBasicConnections* bias = net.GetConnections(0, 3);

  net.InsertLayer(1, new TSimpleLayer(&net, 1, 2));
  EXPECT_EQ(net.numLayers, 5);
  EXPECT_EQ(net.inLayer, 2);
  EXPECT_EQ(net.outLayer, 4);
  EXPECT_EQ(net.GetConnections(2, 3), moved);
  EXPECT_EQ(net.GetConnections(0, 4), bias);
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(net.GetConnections(1, i)->GetConnectionsNType(), "Empty");
    EXPECT_STREQ(net.GetConnections(i, 1)->GetConnectionsNType(), "Empty");
  }
  EXPECT_STREQ(net.layers[2]->GetLayerType(), "Input");
  ExpectConsistent(net);

  net.RemoveLayer(3);  // the old hidden layer, with both real sets touching it gone
  EXPECT_EQ(net.numLayers, 4);
  EXPECT_EQ(net.inLayer, 2);
  EXPECT_EQ(net.outLayer, 3);
  EXPECT_EQ(net.GetConnections(0, 3), bias);
  EXPECT_EQ(net.GetNumWeights(1), 1);
  ExpectConsistent(net);

  net.RemoveLayer(1);
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 2);
  EXPECT_EQ(net.GetConnections(0, 2), bias);
  ExpectConsistent(net);
}

TEST(StructureTest, InsertNeuronResizesEverySetOfTheLayer) {
  TBasicNetwork net;
  Populate(net, {1, 2, 2, 1});
  const std::pair<int, int> pairs[] = {{1, 2}, {2, 3}, {0, 2}, {2, 2}};
  for (auto [from, to] : pairs) net.Connect(from, to);
  NumberWeights(*net.GetConnections(2, 2));
  net.InsertNeuron(2, 1, 0.0, 1.0, false);
  EXPECT_EQ(net.layers[2]->numNeurons, 3);
  auto& self = static_cast<TPrunedConnections&>(*net.GetConnections(2, 2));
  ASSERT_EQ(self.Rows(), 3);
  ASSERT_EQ(self.Columns(), 3);
  EXPECT_EQ(self.Weight(2, 2), 11.0);
  EXPECT_EQ(self.Weight(2, 0), 10.0);
  EXPECT_FALSE(self.IsValid(1, 0));
  EXPECT_FALSE(self.IsValid(0, 1));
  EXPECT_EQ(net.GetNumWeights(1), 4 + 2 + 2 + 4);
  net.RemoveNeuron(2, 1);
  EXPECT_EQ(self.Rows(), 2);
  EXPECT_EQ(self.Weight(1, 1), 11.0);
  EXPECT_EQ(net.GetNumWeights(1), 4 + 2 + 2 + 4);
}

TEST(StructureTest, PruneNodesRemovesHiddenNeuronsThatFeedNothing) {
  TBasicNetwork net;
  Populate(net, {0, 2, 3, 1});
  net.Connect(1, 2);
  net.Connect(2, 3);
  TBasicConnections* out = net.GetConnections(2, 3);
  out->Weight(0, 0) = 5.0;
  out->Weight(2, 0) = 7.0;
  out->PruneWeight(1, 0);   // hidden neuron 1 feeds nothing
  out->FreezeWeight(2, 0);  // a frozen arc still counts
  EXPECT_EQ(net.PruneNodes(), 1);
  EXPECT_EQ(net.layers[1]->numNeurons, 2);
  EXPECT_EQ(net.layers[2]->numNeurons, 2);
  EXPECT_EQ(net.layers[3]->numNeurons, 1);
  EXPECT_EQ(net.GetConnections(1, 2)->GetNumWeights(1), 4);
  EXPECT_EQ(out->Weight(1, 0), 7.0);
  EXPECT_EQ(net.PruneNodes(), 0);

  out->PruneWeight(0, 0);
  out->PruneWeight(1, 0);
  EXPECT_EQ(net.PruneNodes(), 2);
  EXPECT_EQ(net.layers[2]->numNeurons, 0);
  EXPECT_EQ(net.layers[1]->numNeurons, 2);  // the input layer is never pruned
  ExpectConsistent(net);
}

}  // namespace
}  // namespace nuxa
