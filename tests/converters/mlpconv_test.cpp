// mlpconv end to end: legacy MLP network files in, network files out.
#include <string>
#include <vector>

#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

// The bundled xor network as a network file: the bias layer, two gain
// layers and the four pruneable sets, the bias sets first.
const char kXorNet[] =
    "[FormatVersion = 1.0]\r\n"
    "\r\n"
    "[NeuralNetwork]\r\n"
    "[NetworkType = MLP]\r\n"
    "\r\n"
    "[NetworkInformation]\r\n"
    "[NumberOfLayers = 4]\r\n"
    "[InputLayer = 1]\r\n"
    "[OutputLayer = 3]\r\n"
    "[NumberOfInputs = 2]\r\n"
    "[NumberOfOutputs = 1]\r\n"
    "[BiasLayer = 0]\r\n"
    "[~NetworkInformation]\r\n"
    "\r\n"
    "[Layer = 0]\r\n"
    "[LayerType = Simple]\r\n"
    "[NumberOfNeurons = 1]\r\n"
    "[All ActivationFunction=bias ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 1]\r\n"
    "[LayerType = Input]\r\n"
    "[NumberOfNeurons = 2]\r\n"
    "[All ActivationFunction=linear ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 2]\r\n"
    "[LayerType = Gain]\r\n"
    "[NumberOfNeurons = 2]\r\n"
    "[All ActivationFunction=sigmoid ]\r\n"
    "[All Gain=1.000000000000000 ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 3]\r\n"
    "[LayerType = Gain]\r\n"
    "[NumberOfNeurons = 1]\r\n"
    "[All ActivationFunction=sigmoid ]\r\n"
    "[All Gain=1.000000000000000 ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 0]\r\n"
    "[LayerTo = 2]\r\n"
    "[ConnectionType = Pruneable]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0                      1  From */\r\n"
    "                 0.1 T                 -0.1 T  /* 0 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 0]\r\n"
    "[LayerTo = 3]\r\n"
    "[ConnectionType = Pruneable]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0  From */\r\n"
    "                   0 T  /* 0 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 1]\r\n"
    "[LayerTo = 2]\r\n"
    "[ConnectionType = Pruneable]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0                      1  From */\r\n"
    "                 0.5 T                 -0.5 T  /* 0 */\r\n"
    "                0.25 T                -0.25 T  /* 1 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 2]\r\n"
    "[LayerTo = 3]\r\n"
    "[ConnectionType = Pruneable]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0  From */\r\n"
    "                   1 T  /* 0 */\r\n"
    "                  -1 T  /* 1 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[~NeuralNetwork]\r\n";

std::string Xor() {
  return ReadWholeFile(std::string(NUXA_EXAMPLES_DIR) + "/xor.wts");
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

using MlpconvTest = ConverterTest;

TEST_F(MlpconvTest, ConvertsTheXorExampleSilently) {
  WriteFile("xor.wts", Xor());
  const RunResult r = Run("mlpconv", {"xor.wts", "xor.net"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("xor.net"), kXorNet);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"xor.net", "xor.wts"}));
}

TEST_F(MlpconvTest, ReportsMalformedFilesAndWritesNothing) {
  const struct {
    const char* name;
    std::string text;
    const char* err;
  } kCases[] = {
      {"output bias missing", Replace(Xor(), "(0)             0\r\n", ""),
       "Unexpected end of file\n"},
      {"no hidden count", Replace(Xor(), "HIDDEN:", "HIDDEN"), "Bad File Format\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    WriteFile("in.wts", c.text);
    const RunResult r = Run("mlpconv", {"in.wts", "new.net"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(Exists("new.net"));
  }
}

TEST_F(MlpconvTest, ReportsFilesThatCannotBeOpened) {
  RunResult r = Run("mlpconv", {"missing.wts", "out.net"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unable to open file\n");
  EXPECT_TRUE(Entries().empty());

  WriteFile("xor.wts", Xor());
  r = Run("mlpconv", {"xor.wts", "no/such/folder/out.net"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unable to open file for output\n");
}

}  // namespace
}  // namespace nuxa_e2e
