#include "NeuralNets/TBasicLayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {
namespace {

// Layers are released through Destroy, as the network does.
struct LayerDeleter {
  void operator()(TBasicLayer* layer) const { layer->Destroy(); }
};
using LayerPtr = std::unique_ptr<TBasicLayer, LayerDeleter>;

void ExpectPlaced(TBasicLayer& layer) {
  for (int i = 0; i < layer.numNeurons; ++i) {
    TBasicNeuron& neuron = layer.GetNeuron(i);
    EXPECT_EQ(neuron.index, i);
    EXPECT_EQ(neuron.layerNum, layer.layerNum);
    EXPECT_EQ(neuron.layer, &layer);
    EXPECT_EQ(&neuron.Activation(), &layer.activations[static_cast<size_t>(i)]);
  }
}

TEST(LayerTest, NewLayerHasErrorNeurons) {
  TSimpleLayer layer(nullptr, 4, 3);
  EXPECT_STREQ(layer.GetLayerType(), "Simple");
  EXPECT_EQ(layer.GetLayerKind(), 1);
  EXPECT_EQ(layer.activations, (std::vector<double>{0, 0, 0}));
  ExpectPlaced(layer);
  EXPECT_EQ(layer.activationFunction, nullptr);
  EXPECT_EQ(layer.GetActivationFunction(), FnError);
  EXPECT_EQ(layer.activationFunction, FnError);  // established and kept

  TSimpleLayer empty(nullptr, 0, 0);
  EXPECT_EQ(empty.GetActivationFunction(), FnNull);
  EXPECT_EQ(empty.activationFunction, FnNull);

  TSimpleInputLayer input(nullptr, 1, 2);
  EXPECT_STREQ(input.GetLayerType(), "Input");
  EXPECT_EQ(input.GetActivationFunction(), FnLinear);
  TGainLayer gains(nullptr, 2, 2, 1.0);
  EXPECT_STREQ(gains.GetLayerType(), "Gain");
}

TEST(LayerTest, MixedFunctionsClearTheSharedOne) {
  TSimpleLayer layer(nullptr, 2, 3);
  layer.SetActivationFunction(FnSigmoid);
  EXPECT_EQ(layer.GetActivationFunction(), FnSigmoid);
  layer.GetNeuron(1).SetActivationFunction(FnTanh);
  EXPECT_EQ(layer.activationFunction, nullptr);
  EXPECT_EQ(layer.GetActivationFunction(), nullptr);
  EXPECT_EQ(layer.activationFunction, nullptr);  // nothing stored

  double net[3] = {0.0, 1.0, -1.0};
  layer.Activate(net);
  EXPECT_EQ(layer.activations,
            (std::vector<double>{0.5, std::tanh(1.0), 1.0 / (1.0 + std::exp(1.0))}));
  // In place, as recall does it.
  layer.activations = {0.0, 0.0, 0.0};
  layer.Activate(layer.activations.data());
  EXPECT_EQ(layer.activations, (std::vector<double>{0.5, 0.0, 0.5}));
}

TEST(LayerTest, GainNeuronParameters) {
  TGainLayer layer(nullptr, 2, 2, 1.0);
  TBasicNeuron& neuron = layer.GetNeuron(0);
  EXPECT_EQ(neuron.GetNumParameters(), 1);
  EXPECT_STREQ(neuron.GetParameterName(0), "Gain");
  double value = 0.0;
  neuron.GetParameters(&value);
  EXPECT_EQ(value, 1.0);
  const double two = 2.0;
  neuron.SetParameters(&two);
  EXPECT_EQ(layer.nodes[0].gain, 2.0);
  EXPECT_EQ(layer.nodes[1].gain, 1.0);
  layer.SetGain(3.0);
  EXPECT_EQ(layer.nodes[0].gain, 3.0);
  EXPECT_EQ(layer.nodes[1].gain, 3.0);

  TSimpleLayer plain(nullptr, 2, 1);
  EXPECT_EQ(plain.GetNeuron(0).GetNumParameters(), 0);
}

TEST(LayerDeathTest, ParameterNamesOutsideTheContract) {
  TSimpleLayer plain(nullptr, 2, 1);
  EXPECT_DEATH(plain.GetNeuron(0).GetParameterName(0), "Assertion failed: false");
  TGainLayer gains(nullptr, 2, 1, 1.0);
  EXPECT_DEATH(gains.GetNeuron(0).GetParameterName(1), "Assertion failed: i==0");
}

TEST(LayerTest, RemoveNeuronKeepsTheOthers) {
  TGainLayer layer(nullptr, 3, 3, 1.0);
  const TActFunction functions[3] = {FnSigmoid, FnTanh, FnLinearGain};
  for (int i = 0; i < 3; ++i) {
    layer.GetNeuron(i).SetActivationFunction(functions[i]);
    layer.nodes[static_cast<size_t>(i)].gain = i + 1.0;
  }
  layer.RemoveNeuron(1);
  EXPECT_EQ(layer.numNeurons, 3);  // the network adjusts the count
  layer.numNeurons = 2;
  ASSERT_EQ(layer.nodes.size(), 2u);
  EXPECT_EQ(layer.nodes[0].activationFunction, FnSigmoid);
  EXPECT_EQ(layer.nodes[1].activationFunction, FnLinearGain);
  EXPECT_EQ(layer.nodes[1].gain, 3.0);
  ExpectPlaced(layer);
}

TEST(LayerTest, InsertNeuronTakesTheSharedFunctionAndFirstGain) {
  TGainLayer layer(nullptr, 3, 2, 2.0);
  layer.SetActivationFunction(FnSigmoidGain);
  layer.InsertNeuron(0);
  layer.numNeurons = 3;
  ASSERT_EQ(layer.nodes.size(), 3u);
  EXPECT_EQ(layer.activations.size(), 3u);
  EXPECT_EQ(layer.nodes[0].gain, 2.0);
  EXPECT_EQ(layer.nodes[0].activationFunction, FnSigmoidGain);
  ExpectPlaced(layer);

  TGainLayer empty(nullptr, 3, 0, 2.0);
  empty.InsertNeuron(0);
  empty.numNeurons = 1;
  EXPECT_EQ(empty.nodes[0].gain, 1.0);
  EXPECT_EQ(empty.nodes[0].activationFunction, FnError);

  TSimpleLayer mixed(nullptr, 2, 2);
  mixed.GetNeuron(0).SetActivationFunction(FnTanh);
  mixed.InsertNeuron(2);
  mixed.numNeurons = 3;
  EXPECT_EQ(mixed.nodes[0].activationFunction, FnTanh);
  EXPECT_EQ(mixed.nodes[2].activationFunction, FnError);
  ExpectPlaced(mixed);
}

TEST(LayerTest, Dimensions) {
  TSimpleLayer layer(nullptr, 0, 6);
  EXPECT_EQ(layer.numDimensions, 0);
  layer.GetDimensions(nullptr);  // nothing to copy
  const int shape[2] = {2, 3};
  layer.SetDimensions(2, shape);
  int out[2] = {0, 0};
  layer.GetDimensions(out);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[1], 3);
  layer.SetDimensions(0, nullptr);
  EXPECT_EQ(layer.numDimensions, 0);
}

TEST(LayerTest, CloneBelongsToTheNewNetwork) {
  TBasicNetwork target(3);
  for (const bool gain : {false, true}) {
    LayerPtr source(gain ? static_cast<TBasicLayer*>(new TGainLayer(nullptr, 2, 2, 1.0))
                         : new TSimpleInputLayer(nullptr, 2, 2));
    if (gain) {
      static_cast<TGainLayer&>(*source).nodes[1].gain = 4.0;
    }
    source->GetNeuron(1).SetActivationFunction(FnTanh);
    const int shape[1] = {2};
    source->SetDimensions(1, shape);
    source->activations = {5.0, 6.0};

    LayerPtr copy(source->Clone(&target));
    EXPECT_STREQ(copy->GetLayerType(), source->GetLayerType());
    EXPECT_EQ(copy->network, &target);
    EXPECT_EQ(copy->layerNum, 2);
    EXPECT_EQ(copy->activations, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(copy->dimensions, std::vector<int>{2});
    EXPECT_EQ(copy->GetNeuron(0).activationFunction, gain ? FnError : FnLinear);
    EXPECT_EQ(copy->GetNeuron(1).activationFunction, FnTanh);
    ExpectPlaced(*copy);
    if (gain) {
      EXPECT_EQ(static_cast<TGainLayer&>(*copy).nodes[1].gain, 4.0);
    }
    copy->GetNeuron(0).SetActivationFunction(FnBias);
    EXPECT_NE(source->GetNeuron(0).activationFunction, FnBias);
  }
}

TEST(LayerDeathTest, InsertNeuronNeedsALayerThatProvidesIt) {
  // A layer class with no neuron insertion of its own.
  class Fixed : public TBasicLayer {
   public:
    Fixed() : TBasicLayer(nullptr, 0, 0) {}
    TBasicNeuron& GetNeuron(int) override { return neuron_; }
    const char* GetLayerType() const override { return "Fixed"; }
    void Destroy() override { delete this; }
    TBasicLayer* Clone(TBasicNetwork*) const override { return nullptr; }
    void RemoveNeuron(int) override {}

   private:
    TBasicNeuron neuron_;
  };
  Fixed layer;
  EXPECT_DEATH(layer.InsertNeuron(0), "Assertion failed: false");
}

}  // namespace
}  // namespace nuxa
