#include "NeuralNets/MLP/TMLPNetwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace nuxa {
namespace {

using Pair = std::pair<int, int>;  // from, to

std::set<Pair> ConnectedPairs(const TBasicNetwork& net) {
  std::set<Pair> pairs;
  for (int from = 0; from < net.numLayers; ++from) {
    for (int to = 0; to < net.numLayers; ++to) {
      if (net.GetConnections(from, to)->IsConnected()) pairs.insert({from, to});
    }
  }
  return pairs;
}

std::vector<int> LayerSizes(const TBasicNetwork& net) {
  std::vector<int> sizes;
  for (int i = 0; i < net.numLayers; ++i) sizes.push_back(net.GetLayer(i)->numNeurons);
  return sizes;
}

TEST(TMLPNetworkTest, WithBiasConnectsTheBiasToEveryLayerAboveTheInput) {
  const int sizes[] = {2, 3, 1};
  TMLPNetwork net(3, sizes, true);
  EXPECT_STREQ(net.GetNetworkType(), "MLP");
  EXPECT_TRUE(net.HasBias());
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 3);
  EXPECT_EQ(LayerSizes(net), (std::vector<int>{1, 2, 3, 1}));
  EXPECT_EQ(ConnectedPairs(net), (std::set<Pair>{{1, 2}, {2, 3}, {0, 2}, {0, 3}}));
  for (const Pair& p : ConnectedPairs(net)) {
    TBasicConnections& set = *net.GetConnections(p.first, p.second);
    EXPECT_STREQ(set.GetConnectionsNType(), "Pruneable");
    EXPECT_EQ(set.GetNumWeights(0), set.GetNumFrom() * set.GetNumTo());
  }

  const char* types[] = {"Simple", "Input", "Gain", "Gain"};
  const TActFunction functions[] = {FnBias, FnLinear, FnSigmoid, FnSigmoid};
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(net.GetLayer(i)->GetLayerType(), types[i]) << "layer " << i;
    EXPECT_EQ(net.GetLayer(i)->GetActivationFunction(), functions[i]) << "layer " << i;
  }
  for (int i = 2; i < 4; ++i) {
    for (const TGainNeuron& neuron : static_cast<TGainLayer*>(net.GetLayer(i))->nodes) {
      EXPECT_EQ(neuron.gain, 1.0);
    }
  }
}

TEST(TMLPNetworkTest, WithoutBiasLayerZeroIsEmpty) {
  const int sizes[] = {2, 3, 1};
  TMLPNetwork net(3, sizes, false);
  EXPECT_FALSE(net.HasBias());
  EXPECT_EQ(LayerSizes(net), (std::vector<int>{0, 2, 3, 1}));
  EXPECT_EQ(ConnectedPairs(net), (std::set<Pair>{{1, 2}, {2, 3}}));
}

TEST(TMLPNetworkTest, RecallWithZeroWeightsGivesOneHalf) {
  const int sizes[] = {2, 3, 2};
  for (bool bias : {true, false}) {
    TMLPNetwork net(3, sizes, bias);
    const double input[] = {0.7, -4.0};
    double output[] = {0.0, 0.0};
    net.Recall(input, output);
    EXPECT_EQ(output[0], 0.5) << "bias " << bias;
    EXPECT_EQ(output[1], 0.5) << "bias " << bias;
  }
}

// The bias neuron feeds 1.0 through its weights: a bias weight of ln 3 on an
// output neuron whose other weights are 0 gives sigmoid(ln 3) = 0.75.
TEST(TMLPNetworkTest, BiasWeightsAddToTheNetInput) {
  const int sizes[] = {1, 1, 2};
  TMLPNetwork net(3, sizes, true);
  net.GetConnections(0, 3)->Weight(0, 1) = std::log(3.0);
  net.GetConnections(1, 2)->Weight(0, 0) = 2.0;
  net.GetConnections(2, 3)->Weight(0, 0) = 1.0;
  const double input[] = {0.5};
  double output[] = {0.0, 0.0};
  net.Recall(input, output);
  const double hidden = 1.0 / (1.0 + std::exp(-1.0));  // sigmoid(2 * 0.5)
  EXPECT_DOUBLE_EQ(output[0], 1.0 / (1.0 + std::exp(-hidden)));
  EXPECT_DOUBLE_EQ(output[1], 0.75);
}

TEST(TMLPNetworkTest, SkeletonLeavesSlotsEmpty) {
  TMLPNetwork net(3, true);
  EXPECT_STREQ(net.GetNetworkType(), "MLP");
  EXPECT_TRUE(net.HasBias());
  ASSERT_EQ(net.numLayers, 4);
  EXPECT_EQ(net.inLayer, 1);
  EXPECT_EQ(net.outLayer, 3);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(net.GetLayer(i), nullptr);
  EXPECT_TRUE(ConnectedPairs(net).empty());
}

TEST(TMLPNetworkTest, CopyKeepsTypeAndWeights) {
  const int sizes[] = {2, 2, 1};
  TMLPNetwork net(3, sizes, true);
  net.GetConnections(0, 2)->Weight(0, 1) = 0.5;
  TMLPNetwork copy(net);
  net.GetConnections(0, 2)->Weight(0, 1) = 0.0;
  EXPECT_STREQ(copy.GetNetworkType(), "MLP");
  EXPECT_TRUE(copy.HasBias());
  EXPECT_EQ(copy.GetConnections(0, 2)->Weight(0, 1), 0.5);
}

}  // namespace
}  // namespace nuxa
