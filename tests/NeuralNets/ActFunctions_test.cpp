#include "NeuralNets/ActFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "NeuralNets/TBasicLayer.h"

namespace nuxa {
namespace {

// Evaluates f on a lone gain neuron of the given gain and returns its output.
double Eval(TActFunction f, double x, double gain = 1.0) {
  TGainLayer layer(nullptr, 0, 1, gain);
  layer.activations[0] = -12345.0;
  f(layer.nodes[0], x);
  return layer.activations[0];
}

void Custom(TBasicNeuron& neuron, double net) {
  neuron.Activation() = 2.0 * net;
}

struct FnCase {
  const char* name;
  TActFunction f;
  double gain;
  double x;
  double expected;
};

TEST(ActFunctionsTest, StandardFunctionValues) {
  const FnCase cases[] = {
      {"bias", FnBias, 1.0, -7.5, 1.0},
      {"bias", FnBias, 1.0, 0.0, 1.0},
      {"linear", FnLinear, 1.0, -2.25, -2.25},
      {"saturated-linear", FnSaturatedLinear, 1.0, -0.5, 0.0},
      {"saturated-linear", FnSaturatedLinear, 1.0, 0.0, 0.0},
      {"saturated-linear", FnSaturatedLinear, 1.0, 0.25, 0.25},
      {"saturated-linear", FnSaturatedLinear, 1.0, 1.0, 1.0},
      {"saturated-linear", FnSaturatedLinear, 1.0, 7.0, 1.0},
      {"sigmoid", FnSigmoid, 1.0, 0.0, 0.5},
      {"sigmoid", FnSigmoid, 1.0, -500.0, 1.0 / (1.0 + std::exp(500.0))},
      {"sigmoid", FnSigmoid, 1.0, -500.5, 1e-300},
      {"sigmoid", FnSigmoid, 1.0, -1e6, 1e-300},
      {"tanh", FnTanh, 1.0, 0.5, std::tanh(0.5)},
      {"linear-gain", FnLinearGain, 0.5, 3.0, 1.5},
      {"sigmoid-gain", FnSigmoidGain, 2.0, 0.5, 1.0 / (1.0 + std::exp(-1.0))},
      {"sigmoid-gain", FnSigmoidGain, 1.0, -800.0, 0.0},  // no cut-off: IEEE gives 0
      {"tanh-gain", FnTanhGain, 3.0, 0.25, std::tanh(0.75)},
  };
  for (const FnCase& c : cases) {
    EXPECT_EQ(Eval(c.f, c.x, c.gain), c.expected) << c.name << " at " << c.x;
  }
  // The gain functions agree with the plain ones at gain times input.
  EXPECT_EQ(Eval(FnSigmoidGain, 0.5, 2.0), Eval(FnSigmoid, 1.0));
}

TEST(ActFunctionsDeathTest, PlaceholderFunctionsAreFatal) {
  EXPECT_DEATH(Eval(FnError, 0.0), "Assertion failed: false");
  EXPECT_DEATH(Eval(FnNull, 0.0), "Assertion failed: false");
}

TEST(FnRegistryTest, DefaultsInOrder) {
  TFnRegistry registry;
  registry.RegisterDefaults();
  const char* names[] = {
      "error",       "null",         "bias",      "linear", "saturated-linear", "sigmoid", "tanh",
      "linear-gain", "sigmoid-gain", "tanh-gain", "cog",    "FuNN-condition"};
#if NUXA_CONFIG_FUNN
  ASSERT_EQ(registry.GetCount(), 12);
  EXPECT_EQ(registry.GetFunction("cog"), FnCog);
  EXPECT_EQ(registry.GetFunction("funn-condition"), FnFuNNCondition);
#else
  ASSERT_EQ(registry.GetCount(), 10);
  EXPECT_EQ(registry.GetFunction("cog"), nullptr);
#endif
  for (int i = 0; i < registry.GetCount(); ++i) EXPECT_EQ(registry.GetEntry(i).name, names[i]);
}

TEST(FnRegistryTest, LookupsIgnoreCase) {
  TFnRegistry registry;
  registry.RegisterDefaults();
  for (const char* name : {"sigmoid", "SIGMOID", "Sigmoid", "sIgMoId"}) {
    EXPECT_EQ(registry.GetFunction(name), FnSigmoid) << name;
    EXPECT_TRUE(registry.HasName(name)) << name;
  }
  EXPECT_STREQ(registry.GetName(FnTanhGain), "tanh-gain");
  EXPECT_STREQ(registry.GetName(FnBias), "bias");
  // A failed lookup is made known by a null function.
  EXPECT_EQ(registry.GetFunction("softmax"), nullptr);
  EXPECT_FALSE(registry.HasName("softmax"));
  EXPECT_FALSE(registry.HasFunction(Custom));
}

TEST(FnRegistryDeathTest, DuplicateNameIsRefused) {
  TFnRegistry registry;
  registry.RegisterDefaults();
  EXPECT_DEATH(registry.Register(Custom, "Linear"),
               "Assertion failed: strcasecmp\\(p,pp->name\\)!=0");
  EXPECT_DEATH(registry.GetName(Custom), "Assertion failed: false");
}

TEST(FnRegistryTest, GrowsBeyondSixteenKeepingOrder) {
  TFnRegistry registry;
  for (int i = 0; i < 40; ++i) {
    registry.Register(i % 2 ? Custom : FnLinear, ("f" + std::to_string(i)).c_str());
  }
  ASSERT_EQ(registry.GetCount(), 40);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(registry.GetEntry(i).name, "f" + std::to_string(i));
  // Name lookups search from the last entry, so the latest holder answers.
  EXPECT_STREQ(registry.GetName(Custom), "f39");
  EXPECT_EQ(registry.GetFunction("F17"), Custom);
}

TEST(FnRegistryTest, FindOrAddAppendsAnEmptySlot) {
  TFnRegistry registry;
  registry.RegisterDefaults();
  const int before = registry.GetCount();
  EXPECT_EQ(registry.FindOrAdd("TANH"), FnTanh);
  EXPECT_EQ(registry.GetCount(), before);

  TActFunction& slot = registry.FindOrAdd("double");
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(registry.GetCount(), before + 1);
  slot = Custom;
  EXPECT_EQ(registry.GetFunction("Double"), Custom);
  EXPECT_STREQ(registry.GetName(Custom), "double");
}

}  // namespace
}  // namespace nuxa
