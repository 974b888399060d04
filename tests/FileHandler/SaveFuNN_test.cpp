// The membership blocks of the FuNN layers: writing them, reading them back,
// and every way a block can be refused.
#include "FileHandler/SaveFuNN.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FileHandler/ParseTools.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNN.h"
#include "FuNN/TFuNNOutputLayer.h"

namespace nuxa {
namespace {

const int kInputMFs[] = {3, 2};
const int kOutputMFs[] = {2, 3};

// Two inputs of 3 and 2 functions (5 condition neurons), two outputs of 2 and
// 3 functions (5 action neurons).
struct Fixture {
  TFuNN net{2, kInputMFs, 3, kOutputMFs, 2};
  TConditionLayer& condition = dynamic_cast<TConditionLayer&>(*net.GetLayer(2));
  TFuNNOutputLayer& output = dynamic_cast<TFuNNOutputLayer&>(*net.GetLayer(5));
};

using Counts = std::vector<std::int32_t>;

// Reads the block start in text and hands the rest of the block to
// ReadMFBlock with the block's own name as its tag.
void ReadBlock(const std::string& text, TBasicLayer& layer) {
  std::istringstream is(text);
  FileTools tools;
  const Statement start = tools.GetStatement(nullptr, is, false);
  ASSERT_EQ(start.kind, Statement::kBlockStart);
  ReadMFBlock(is, layer, start.key.c_str());
}

TEST(SaveFuNN, WritesBothBlocks) {
  const int outputMFs[] = {3};
  TFuNN net(2, kInputMFs, 2, outputMFs, 1);
  std::ostringstream os;
  WriteInputMF(os, dynamic_cast<TConditionLayer&>(*net.GetLayer(2)));
  WriteOutputMF(os, dynamic_cast<TFuNNOutputLayer&>(*net.GetLayer(5)));
  EXPECT_EQ(os.str(),
            "[InputMF]\r\n"
            "[Input=0 MF=3 ]\r\n"
            "[Input=1 MF=2 ]\r\n"
            "[~InputMF]\r\n"
            "[OutputMF]\r\n"
            "[Output=0 MF=3 ]\r\n"
            "[~OutputMF]\r\n");
}

TEST(SaveFuNN, WrittenBlocksReadBack) {
  Fixture written;
  std::ostringstream os;
  WriteInputMF(os, written.condition);
  WriteOutputMF(os, written.output);

  // Layers of the same sizes, shaped differently before the read.
  const int inputMFs[] = {2, 3};
  const int outputMFs[] = {3, 2};
  TFuNN net(2, inputMFs, 3, outputMFs, 2);
  auto& condition = dynamic_cast<TConditionLayer&>(*net.GetLayer(2));
  auto& output = dynamic_cast<TFuNNOutputLayer&>(*net.GetLayer(5));
  std::istringstream is(os.str());
  FileTools tools;
  Statement start = tools.GetStatement(nullptr, is, false);
  ReadMFBlock(is, condition, start.key.c_str());
  start = tools.GetStatement(nullptr, is, false);
  ReadMFBlock(is, output, start.key.c_str());

  EXPECT_EQ(condition.numInputs, 2);
  EXPECT_EQ(condition.membershipCounts, (Counts{3, 2}));
  EXPECT_EQ(condition.inputOf, (Counts{0, 0, 0, 1, 1}));
  EXPECT_EQ(output.numActions, 5);
  EXPECT_EQ(output.membershipCounts, (Counts{2, 3}));
  EXPECT_EQ(output.outputOf, (Counts{0, 0, 1, 1, 1}));
}

// Keys and end tags in any letter case; entries in any order; the largest
// index decides the number of inputs.
TEST(SaveFuNN, ReadsBlocksInAnyCaseAndOrder) {
  Fixture f;
  ReadBlock("[INPUTMF] [input=1 mf=3] [Input = 0 , MF = 2] [~inputmf]", f.condition);
  EXPECT_EQ(f.condition.numInputs, 2);
  EXPECT_EQ(f.condition.membershipCounts, (Counts{2, 3}));

  ReadBlock("[outputmf] [OUTPUT=1 Mf=2 ] [output=0 mF=3 ] [~OutputMF]", f.output);
  EXPECT_EQ(f.output.numActions, 5);
  EXPECT_EQ(f.output.membershipCounts, (Counts{3, 2}));
}

struct BadBlock {
  const char* text;
  const char* message;
};

// Every refusal leaves the layer as it was: the counts are checked before any
// reaches the layer, and the one block that fails at its end tag carries the
// counts the layer already has.
// An output layer read before the action layer below it has no count to
// match; its counts are still bounded, so a file cannot make it reserve
// gigabytes.
TEST(SaveFuNN, OutputCountsWithoutTheActionLayerAreBounded) {
  TFuNN net;
  auto* output = new TFuNNOutputLayer(&net, 5, 2);
  net.SetLayer(5, output);
  ASSERT_EQ(net.GetLayer(4), nullptr);
  try {
    ReadBlock("[OutputMF] [Output=0 MF=2000000000 ] [Output=1 MF=2 ] [~OutputMF]", *output);
    ADD_FAILURE() << "no exception";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "MF counts do not match the number of action neurons");
  }
  ReadBlock("[OutputMF] [Output=0 MF=2 ] [Output=1 MF=3 ] [~OutputMF]", *output);
  EXPECT_EQ(output->membershipCounts, (Counts{2, 3}));
}

TEST(SaveFuNN, RefusesBadBlocks) {
  const BadBlock cases[] = {
      // The block reader's own failures.
      {"[InputMF] [Input=x MF=3 ]", "integer-expected"},
      {"[InputMF] [Input=0 MF=y ]", "integer-expected"},
      {"[InputMF] [Input=0 MF=3 ] [Input=1 MF=2 ] [Input=1] [~InputMF]", "End Tag expected"},
      {"[InputMF] [Input=0 MF=3 ] [~OutputMF]", "Unexpected End Tag"},
      {"[InputMF] [Input=0 MF=3 ]", "Unexpected end of file"},
      // The lines themselves.
      {"[InputMF] [Output=0 MF=3 ] [~InputMF]", "invalid tag in membership1"},
      {"[OutputMF] [Input=0 MF=3 ] [~OutputMF]", "invalid tag in membership1"},
      {"[InputMF] [Input=0 MF=3 Extra=1 ] [~InputMF]", "invalid tag in membership2"},
      {"[InputMF] [Input=0 Count=3 ] [~InputMF]", "invalid tag in membership2"},
      {"[InputMF] [Input=0 MF ] [~InputMF]", "invalid tag in membership2"},
      // Indices.
      {"[InputMF] [Input=5 MF=2 ] [~InputMF]", "membership index out of range"},
      {"[InputMF] [Input=-1 MF=2 ] [~InputMF]", "membership index out of range"},
      {"[OutputMF] [Output=2 MF=2 ] [~OutputMF]", "membership index out of range"},
      {"[InputMF] [Input=0 MF=3 ] [Input=0 MF=2 ] [~InputMF]", "repeated membership index"},
      {"[InputMF] [Input=1 MF=5 ] [~InputMF]", "membership index missing"},
      {"[OutputMF] [Output=1 MF=5 ] [~OutputMF]", "membership index missing"},
      // Counts.
      {"[InputMF] [Input=0 MF=1 ] [Input=1 MF=4 ] [~InputMF]", "Must be >= 2 MF per input"},
      {"[OutputMF] [Output=0 MF=0 ] [Output=1 MF=5 ] [~OutputMF]", "Must be >= 2 MF per output"},
      {"[InputMF] [Input=0 MF=3 ] [Input=1 MF=3 ] [~InputMF]",
       "MF counts do not match the layer size"},
      {"[InputMF] [~InputMF]", "MF counts do not match the layer size"},
      {"[OutputMF] [Output=0 MF=2 ] [Output=1 MF=2 ] [~OutputMF]",
       "MF counts do not match the number of action neurons"},
      {"[OutputMF] [Output=0 MF=99999999999 ] [Output=1 MF=2 ] [~OutputMF]",
       "MF counts do not match the number of action neurons"},
  };
  for (const BadBlock& c : cases) {
    Fixture f;
    const bool input = std::string(c.text).rfind("[InputMF]", 0) == 0;
    TBasicLayer& layer = input ? static_cast<TBasicLayer&>(f.condition) : f.output;
    try {
      ReadBlock(c.text, layer);
      ADD_FAILURE() << c.text << ": no exception";
    } catch (const FileTools::Error& e) {
      EXPECT_EQ(e.message, c.message) << c.text;
      EXPECT_NE(e.input, nullptr) << c.text;
    }
    EXPECT_EQ(f.condition.membershipCounts, (Counts{3, 2})) << c.text;
    EXPECT_EQ(f.output.membershipCounts, (Counts{2, 3})) << c.text;
    EXPECT_EQ(f.output.numActions, 5) << c.text;
  }
}

}  // namespace
}  // namespace nuxa
