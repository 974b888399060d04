// funnconv end to end: legacy FuNN network files in, network files out.
#include <string>
#include <vector>

#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

// The bundled demo network as a network file: six layers, the membership
// blocks in the condition and output layers, and the four sets as matrices
// with trainable information.
const char kDemoNet[] =
    "[FormatVersion = 1.0]\r\n"
    "\r\n"
    "[NeuralNetwork]\r\n"
    "[NetworkType = FuNN]\r\n"
    "\r\n"
    "[NetworkInformation]\r\n"
    "[NumberOfLayers = 6]\r\n"
    "[InputLayer = 1]\r\n"
    "[OutputLayer = 5]\r\n"
    "[NumberOfInputs = 1]\r\n"
    "[NumberOfOutputs = 1]\r\n"
    "[~NetworkInformation]\r\n"
    "\r\n"
    "[Layer = 0]\r\n"
    "[LayerType = Simple]\r\n"
    "[NumberOfNeurons = 0]\r\n"
    "[All ActivationFunction=null ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 1]\r\n"
    "[LayerType = Input]\r\n"
    "[NumberOfNeurons = 1]\r\n"
    "[All ActivationFunction=linear ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 2]\r\n"
    "[LayerType = FuzzyCondition]\r\n"
    "[NumberOfNeurons = 2]\r\n"
    "[All ActivationFunction=FuNN-condition ]\r\n"
    "[InputMF]\r\n"
    "[Input=0 MF=2 ]\r\n"
    "[~InputMF]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 3]\r\n"
    "[LayerType = Simple]\r\n"
    "[NumberOfNeurons = 1]\r\n"
    "[All ActivationFunction=sigmoid ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 4]\r\n"
    "[LayerType = Simple]\r\n"
    "[NumberOfNeurons = 2]\r\n"
    "[All ActivationFunction=sigmoid ]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[Layer = 5]\r\n"
    "[LayerType = Defuzzify]\r\n"
    "[NumberOfNeurons = 1]\r\n"
    "[All ActivationFunction=cog ]\r\n"
    "[OutputMF]\r\n"
    "[Output=0 MF=2 ]\r\n"
    "[~OutputMF]\r\n"
    "[~Layer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 1]\r\n"
    "[LayerTo = 2]\r\n"
    "[ConnectionType = ToConditionConnections]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0                      1  From */\r\n"
    "                   0 T                    1 T  /* 0 */\r\n"
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
    "                 0.5 T  /* 0 */\r\n"
    "                -0.5 T  /* 1 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 3]\r\n"
    "[LayerTo = 4]\r\n"
    "[ConnectionType = Pruneable]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0                      1  From */\r\n"
    "                 0.8 T                 -0.8 T  /* 0 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[ConnectionLayer]\r\n"
    "[LayerFrom = 4]\r\n"
    "[LayerTo = 5]\r\n"
    "[ConnectionType = ToOutputConnections]\r\n"
    "[Attributes Pruneable Freezable ]\r\n"
    "[Matrix Weights TrainableInfo ]\r\n"
    "/* To->              0  From */\r\n"
    "                   0 T  /* 0 */\r\n"
    "                   1 T  /* 1 */\r\n"
    "[~Matrix]\r\n"
    "[~ConnectionLayer]\r\n"
    "\r\n"
    "[~NeuralNetwork]\r\n";

std::string Demo() {
  return ReadWholeFile(std::string(NUXA_EXAMPLES_DIR) + "/demo.wts");
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

using FunnconvTest = ConverterTest;

TEST_F(FunnconvTest, ConvertsTheDemoExampleSilently) {
  WriteFile("demo.wts", Demo());
  const RunResult r = Run("funnconv", {"demo.wts", "demo.net"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("demo.net"), kDemoNet);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"demo.net", "demo.wts"}));
}

TEST_F(FunnconvTest, LineFeedOnlyFilesConvertAlike) {
  std::string demo = Demo();
  std::string lf;
  for (char c : demo) {
    if (c != '\r') lf += c;
  }
  WriteFile("demo.wts", lf);
  const RunResult r = Run("funnconv", {"demo.wts", "demo.net"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile("demo.net"), kDemoNet);
}

// A refused file gives one line and status 1, and no output file appears
// (an existing one keeps its content).
TEST_F(FunnconvTest, ReportsMalformedFilesAndWritesNothing) {
  const struct {
    const char* name;
    std::string text;
    const char* err;
  } kCases[] = {
      {"last value missing", Replace(Demo(), "(1)             1\r\n", ""),
       "Unexpected end of file\n"},
      {"Members sum", Replace(Demo(), "CONDITION:    2", "CONDITION:    3"), "Bad File Format\n"},
      {"one membership function",
       Replace(Replace(Demo(), "CONDITION:    2", "CONDITION:    1"), "Input 1:      2",
               "Input 1:      1"),
       "Must be >= 2 MF per input\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    WriteFile("in.wts", c.text);
    WriteFile("old.net", "old");
    RunResult r = Run("funnconv", {"in.wts", "new.net"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(Exists("new.net"));
    r = Run("funnconv", {"in.wts", "old.net"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadFile("old.net"), "old");
  }
}

TEST_F(FunnconvTest, ReportsFilesThatCannotBeOpened) {
  RunResult r = Run("funnconv", {"missing.wts", "out.net"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unable to open file\n");
  EXPECT_TRUE(Entries().empty());

  WriteFile("demo.wts", Demo());
  r = Run("funnconv", {"demo.wts", "no/such/folder/out.net"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Unable to open file for output\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"demo.wts"}));
}

}  // namespace
}  // namespace nuxa_e2e
