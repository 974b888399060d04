// The network file writer, in both network configurations. Whole files are
// compared with the files under tests/data/netfile; smaller cases compare the
// layer or connection blocks they concern.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "FileHandler/NetworkFile.h"
#include "FileHandler/TempFolder.h"
#include "NeuralNets/TBasicNetwork.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

#if NUXA_CONFIG_FUNN
#include "FuNN/TFuNN.h"
#endif
#if NUXA_CONFIG_MLP
#include "NeuralNets/MLP/TMLPNetwork.h"
#endif

namespace nuxa {
namespace {

std::string ReadData(const char* name) {
  std::ifstream in(std::string(NUXA_TEST_DATA_DIR) + "/netfile/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Write(TBasicNetwork& net) {
  std::ostringstream os;
  FileTools tools;
  WriteNetwork(tools, os, net);
  return os.str();
}

// The text from the first occurrence of begin through the end of the first
// occurrence of end after it.
std::string Between(const std::string& text, const std::string& begin, const std::string& end) {
  const size_t from = text.find(begin);
  if (from == std::string::npos) return "<" + begin + " not found>";
  const size_t to = text.find(end, from);
  if (to == std::string::npos) return "<" + end + " not found>";
  return text.substr(from, to + end.size() - from);
}

std::string LayerBlock(const std::string& text, int L) {
  return Between(text, "[Layer = " + std::to_string(L) + "]", "[~Layer]\r\n");
}

// Every connection block, with the empty lines between them.
std::string ConnectionBlocks(const std::string& text) {
  const size_t from = text.find("[ConnectionLayer]");
  const size_t to = text.rfind("\r\n[~NeuralNetwork]");
  if (from == std::string::npos || to == std::string::npos || to < from) return "<none>";
  return text.substr(from, to - from);
}

// A network of layers of the given sizes, layer 0 the input layer ("Input",
// "linear") and every other one a "Simple" layer of "sigmoid" neurons, the
// last one the output layer.
template <class Network>
void Populate(Network& net, const std::vector<int>& sizes) {
  net.SetNumLayers(static_cast<int>(sizes.size()));
  net.inLayer = 0;
  net.outLayer = net.numLayers - 1;
  net.SetLayer(0, new TSimpleInputLayer(&net, 0, sizes[0]));
  for (int i = 1; i < net.numLayers; ++i) {
    auto* layer = new TSimpleLayer(&net, i, sizes[static_cast<size_t>(i)]);
    layer->SetActivationFunction(FnSigmoid);
    net.SetLayer(i, layer);
  }
}

// The three-layer network of the format's description: a fully connected set
// from the inputs to a gain layer, a pruneable set without arcs above it.
TEST(NetworkFileWriter, WritesTheConnectedExample) {
  TConnectedNetwork net;
  Populate(net, {2, 2, 1});
  auto* gains = new TGainLayer(&net, 1, 2, 1.0);
  gains->SetActivationFunction(FnSigmoidGain);
  gains->nodes[1].gain = 0.5;
  net.SetLayer(1, gains);
  net.Connect(0, 1);
  TBasicConnections& full = *net.GetConnections(0, 1);
  full.Weight(0, 0) = 0.5;
  full.Weight(0, 1) = -0.25;
  full.Weight(1, 0) = 1.5;
  full.Weight(1, 1) = 2;
  auto* pruned = new TPrunedConnections(&net, 1, 2);
  pruned->PruneWeight(0, 0);
  pruned->PruneWeight(1, 0);
  net.SetConnections(1, 2, pruned);

  std::ostringstream os;
  FileTools tools;
  WriteNetwork(tools, os, net);
  EXPECT_EQ(os.str(), ReadData("connected.net"));
  EXPECT_EQ(os.precision(), 15);
}

class NetworkFileSaveTest : public nuxa_testing::TempFolderTest {};

TEST_F(NetworkFileSaveTest, SaveNetworkWritesTheFileAndNothingElse) {
  TConnectedNetwork net;
  Populate(net, {2, 1});
  net.Connect(0, 1);
  net.GetConnections(0, 1)->Weight(1, 0) = 3;
  WriteFile("out.net", "old content");

  FileTools tools;
  SaveNetwork(tools, Path("out.net").c_str(), net);
  EXPECT_EQ(ReadFile("out.net"), Write(net));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.net"});
}

// Two bias neurons in one layer are refused before anything is written: the
// destination keeps its old content and no temporary is left behind.
TEST_F(NetworkFileSaveTest, IllegalBiasLayerLeavesTheDestinationAlone) {
  TBasicNetwork net;
  Populate(net, {1, 2, 1});
  net.GetLayer(1)->SetActivationFunction(FnBias);
  WriteFile("out.net", "old content");

  FileTools tools;
  try {
    SaveNetwork(tools, Path("out.net").c_str(), net);
    FAIL() << "no exception";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "Illegal number of bias nodes");
  }
  EXPECT_EQ(ReadFile("out.net"), "old content");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.net"});

  std::ostringstream os;
  EXPECT_THROW(WriteNetwork(tools, os, net), FileTools::Error);
  EXPECT_EQ(os.str(), "");
}

TEST_F(NetworkFileSaveTest, DestinationFailures) {
  struct Case {
    std::string name;
    const char* message;
  };
  const Case cases[] = {
      {Path("missing/out.net"), "Unable to open file for output"},
      {dir_, "Unable to open file for output"},
      {"/dev/full", "Error writing file"},
  };
  TConnectedNetwork net;
  Populate(net, {2, 1});
  for (const Case& c : cases) {
    FileTools tools;
    try {
      SaveNetwork(tools, c.name.c_str(), net);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const FileTools::Error& e) {
      EXPECT_EQ(e.message, c.message) << c.name;
    }
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{});
}

// The sparse-set form, with trainable information: a set from 3 neurons to 2
// with two arcs, one of them frozen, in the set's traversal order.
TEST(NetworkFileWriter, WritesASparseSetAsAWeightList) {
  TBasicNetwork net;
  Populate(net, {3, 2});
  net.Connect(0, 1);
  TBasicConnections& set = *net.GetConnections(0, 1);
  for (int from = 0; from < 3; ++from) {
    for (int to = 0; to < 2; ++to) set.PruneWeight(from, to);
  }
  set.AddWeight(2, 1);
  set.Weight(2, 1) = -1.5;
  set.FreezeWeight(2, 1);
  set.AddWeight(0, 0);
  set.Weight(0, 0) = 0.125;

  EXPECT_EQ(ConnectionBlocks(Write(net)),
            "[ConnectionLayer]\r\n"
            "[LayerFrom = 0]\r\n"
            "[LayerTo = 1]\r\n"
            "[ConnectionType = Pruneable]\r\n"
            "[Attributes Pruneable Freezable ]\r\n"
            "[WeightList]\r\n"
            "[From=0 To=0 Weight=0.125000000000000 Trainable ]\r\n"
            "[From=2 To=1 Weight=-1.500000000000000 UnTrainable ]\r\n"
            "[~WeightList]\r\n"
            "[~ConnectionLayer]\r\n");
}

// A set with trainable information as a matrix: "T", "F" or "-" after each
// cell, the column numbers over the T/F column.
TEST(NetworkFileWriter, WritesTrainableInformationInAMatrix) {
  TBasicNetwork net;
  Populate(net, {2, 2});
  net.Connect(0, 1);
  TBasicConnections& set = *net.GetConnections(0, 1);
  set.Weight(0, 0) = 0.125;
  set.PruneWeight(0, 1);
  set.Weight(1, 0) = 1e-20;
  set.FreezeWeight(1, 0);
  set.Weight(1, 1) = -2;

  EXPECT_EQ(Between(Write(net), "[Matrix", "[~Matrix]\r\n"),
            "[Matrix Weights TrainableInfo ]\r\n"
            "/* To->              0                      1  From */\r\n"
            "               0.125 T                    - -  /* 0 */\r\n"
            "               1e-20 F                   -2 T  /* 1 */\r\n"
            "[~Matrix]\r\n");
}

// Fewer existing arcs than 35 % of all possible ones make a weight list; 35 %
// or more a matrix.
TEST(NetworkFileWriter, ChoosesWeightListOrMatrixByTheShareOfArcs) {
  struct Case {
    int from, to, arcs;
    bool list;
  };
  const Case cases[] = {
      {2, 1, 0, true}, {3, 2, 2, true},  {3, 2, 3, false},
      {4, 5, 6, true}, {4, 5, 7, false}, {4, 5, 20, false},
  };
  for (const Case& c : cases) {
    TBasicNetwork net;
    Populate(net, {c.from, c.to});
    net.Connect(0, 1);
    TBasicConnections& set = *net.GetConnections(0, 1);
    int kept = 0;
    for (int from = 0; from < c.from; ++from) {
      for (int to = 0; to < c.to; ++to) {
        if (kept++ >= c.arcs) set.PruneWeight(from, to);
      }
    }
    const std::string text = Write(net);
    const std::string label =
        std::to_string(c.arcs) + " of " + std::to_string(c.from) + "x" + std::to_string(c.to);
    EXPECT_EQ(text.find("[WeightList]") != std::string::npos, c.list) << label;
    EXPECT_EQ(text.find("[Matrix") != std::string::npos, !c.list) << label;
  }
}

// A layer without neurons has the function "null", no parameter line and no
// neurons block. A matrix into it has one empty row per from-neuron; a
// matrix out of it has its column numbers and no row.
TEST(NetworkFileWriter, LayersWithoutNeurons) {
  TConnectedNetwork net;
  Populate(net, {2, 0, 2});
  net.SetLayer(1, new TSimpleLayer(&net, 1, 0));  // no function set
  net.Connect(0, 1);
  net.Connect(1, 2);
  const std::string text = Write(net);

  EXPECT_EQ(LayerBlock(text, 1),
            "[Layer = 1]\r\n"
            "[LayerType = Simple]\r\n"
            "[NumberOfNeurons = 0]\r\n"
            "[All ActivationFunction=null ]\r\n"
            "[~Layer]\r\n");
  EXPECT_EQ(ConnectionBlocks(text),
            "[ConnectionLayer]\r\n"
            "[LayerFrom = 0]\r\n"
            "[LayerTo = 1]\r\n"
            "[ConnectionType = FullyConnected]\r\n"
            "[Attributes UnPrunable UnFreezable ]\r\n"
            "[Matrix Weights ]\r\n"
            "/* To->  From */\r\n"
            " /* 0 */\r\n"
            " /* 1 */\r\n"
            "[~Matrix]\r\n"
            "[~ConnectionLayer]\r\n"
            "\r\n"
            "[ConnectionLayer]\r\n"
            "[LayerFrom = 1]\r\n"
            "[LayerTo = 2]\r\n"
            "[ConnectionType = FullyConnected]\r\n"
            "[Attributes UnPrunable UnFreezable ]\r\n"
            "[Matrix Weights ]\r\n"
            "/* To->            0                    1  From */\r\n"
            "[~Matrix]\r\n"
            "[~ConnectionLayer]\r\n");
}

// Which of the function and the parameters go on "All" lines and which on
// neuron lines.
TEST(NetworkFileWriter, SharedAndIndividualFunctionsAndParameters) {
  TBasicNetwork net;
  Populate(net, {1, 2, 2, 2, 2});
  // Layer 1: plain neurons of two functions.
  net.GetLayer(1)->GetNeuron(1).SetActivationFunction(FnTanh);
  // Layer 2: one function, gains 1e-16 apart (they print alike).
  auto* close = new TGainLayer(&net, 2, 2, 1.0);
  close->SetActivationFunction(FnLinearGain);
  close->nodes[1].gain = 1.0 + 2.220446049250313e-16;
  net.SetLayer(2, close);
  // Layer 3: two functions, one gain.
  auto* mixed = new TGainLayer(&net, 3, 2, 2.5);
  mixed->SetActivationFunction(FnTanhGain);
  mixed->GetNeuron(0).SetActivationFunction(FnSigmoidGain);
  net.SetLayer(3, mixed);
  // Layer 4: everything shared, a gain of any magnitude in full.
  auto* large = new TGainLayer(&net, 4, 2, -12345678901.25);
  large->SetActivationFunction(FnSigmoidGain);
  net.SetLayer(4, large);
  const std::string text = Write(net);

  EXPECT_EQ(LayerBlock(text, 1),
            "[Layer = 1]\r\n"
            "[LayerType = Simple]\r\n"
            "[NumberOfNeurons = 2]\r\n"
            "[Neurons]\r\n"
            "[Neuron=0 ActivationFunction=sigmoid ]\r\n"
            "[Neuron=1 ActivationFunction=tanh ]\r\n"
            "[~Neurons]\r\n"
            "[~Layer]\r\n");
  EXPECT_EQ(LayerBlock(text, 2),
            "[Layer = 2]\r\n"
            "[LayerType = Gain]\r\n"
            "[NumberOfNeurons = 2]\r\n"
            "[All ActivationFunction=linear-gain ]\r\n"
            "[Neurons]\r\n"
            "[Neuron=0 Gain=1.000000000000000 ]\r\n"
            "[Neuron=1 Gain=1.000000000000000 ]\r\n"
            "[~Neurons]\r\n"
            "[~Layer]\r\n");
  EXPECT_EQ(LayerBlock(text, 3),
            "[Layer = 3]\r\n"
            "[LayerType = Gain]\r\n"
            "[NumberOfNeurons = 2]\r\n"
            "[All Gain=2.500000000000000 ]\r\n"
            "[Neurons]\r\n"
            "[Neuron=0 ActivationFunction=sigmoid-gain ]\r\n"
            "[Neuron=1 ActivationFunction=tanh-gain ]\r\n"
            "[~Neurons]\r\n"
            "[~Layer]\r\n");
  EXPECT_EQ(LayerBlock(text, 4),
            "[Layer = 4]\r\n"
            "[LayerType = Gain]\r\n"
            "[NumberOfNeurons = 2]\r\n"
            "[All ActivationFunction=sigmoid-gain ]\r\n"
            "[All Gain=-12345678901.250000000000000 ]\r\n"
            "[~Layer]\r\n");
}

// A layer of one "bias" neuron is named in the network information; weights
// of a weight list keep every digit whatever their magnitude.
TEST(NetworkFileWriter, BiasLayerAndLargeWeights) {
  TBasicNetwork net(3);
  auto* bias = new TSimpleLayer(&net, 0, 1);
  bias->SetActivationFunction(FnBias);
  net.SetLayer(0, bias);
  net.SetLayer(1, new TSimpleInputLayer(&net, 1, 2));
  auto* output = new TSimpleLayer(&net, 2, 3);
  output->SetActivationFunction(FnSigmoid);
  net.SetLayer(2, output);
  net.Connect(1, 2);
  TBasicConnections& set = *net.GetConnections(1, 2);
  for (int from = 0; from < 2; ++from) {
    for (int to = 0; to < 3; ++to) set.PruneWeight(from, to);
  }
  set.AddWeight(1, 2);
  set.Weight(1, 2) = -1e20;
  const std::string text = Write(net);

  EXPECT_EQ(Between(text, "[NetworkInformation]", "[~NetworkInformation]\r\n"),
            "[NetworkInformation]\r\n"
            "[NumberOfLayers = 3]\r\n"
            "[InputLayer = 1]\r\n"
            "[OutputLayer = 2]\r\n"
            "[NumberOfInputs = 2]\r\n"
            "[NumberOfOutputs = 3]\r\n"
            "[BiasLayer = 0]\r\n"
            "[~NetworkInformation]\r\n");
  EXPECT_EQ(Between(text, "[WeightList]", "[~WeightList]\r\n"),
            "[WeightList]\r\n"
            "[From=1 To=2 Weight=-100000000000000000000.000000000000000 Trainable ]\r\n"
            "[~WeightList]\r\n");
}

// A one-layer network has no layer at its input position 1.
TEST(NetworkFileWriter, InputPositionWithoutALayer) {
  TBasicNetwork net(1);
  auto* layer = new TSimpleLayer(&net, 0, 2);
  layer->SetActivationFunction(FnLinear);
  net.SetLayer(0, layer);

  EXPECT_EQ(Between(Write(net), "[NetworkInformation]", "[~NetworkInformation]\r\n"),
            "[NetworkInformation]\r\n"
            "[NumberOfLayers = 1]\r\n"
            "[InputLayer = 1]\r\n"
            "[OutputLayer = 0]\r\n"
            "[NumberOfInputs = 0]\r\n"
            "[NumberOfOutputs = 2]\r\n"
            "[~NetworkInformation]\r\n");
}

#if NUXA_CONFIG_FUNN
// A FuNN of two inputs with 3 and 2 membership functions, 2 rules and one
// output with 3: membership blocks in the condition and output layers, the
// two FuNN sets as matrices, a sparse rule set as a weight list.
TEST(NetworkFileWriter, WritesAFuNN) {
  const int inputMFs[] = {3, 2};
  const int outputMFs[] = {3};
  TFuNN net(2, inputMFs, 2, outputMFs, 1);
  TBasicConnections& rules = *net.GetConnections(2, 3);
  for (int from = 0; from < 5; ++from) {
    for (int to = 0; to < 2; ++to) rules.PruneWeight(from, to);
  }
  rules.AddWeight(0, 0);
  rules.Weight(0, 0) = 0.25;
  rules.AddWeight(3, 1);
  rules.Weight(3, 1) = -0.75;
  rules.FreezeWeight(3, 1);
  rules.AddWeight(4, 1);
  rules.Weight(4, 1) = 2;
  const double actions[] = {1, 2, 3, 4, 5, 6};
  net.SetWeightLayer(3, actions);
  const double centres[] = {0, 0.5, 1};
  net.SetWeightLayer(4, centres);

  EXPECT_EQ(Write(net), ReadData("funn.net"));
}
#endif

#if NUXA_CONFIG_MLP
// An MLP with bias: the bias layer in the network information, gains on "All"
// lines, the bias sets among the others in from-layer order.
TEST(NetworkFileWriter, WritesAnMLP) {
  const int sizes[] = {2, 2, 1};
  TMLPNetwork net(3, sizes, true);
  const struct {
    int fromLayer, toLayer, from, to;
    double weight;
  } weights[] = {
      {0, 2, 0, 0, -0.5},  {0, 2, 0, 1, 0.5}, {0, 3, 0, 0, 0.1},
      {1, 2, 0, 0, 1.25},  {1, 2, 0, 1, -3},  {1, 2, 1, 0, 4},
      {1, 2, 1, 1, 0.001}, {2, 3, 0, 0, 7},   {2, 3, 1, 0, -8},
  };
  for (const auto& w : weights) {
    net.GetConnections(w.fromLayer, w.toLayer)->Weight(w.from, w.to) = w.weight;
  }

  EXPECT_EQ(Write(net), ReadData("mlp.net"));
}
#endif

}  // namespace
}  // namespace nuxa
