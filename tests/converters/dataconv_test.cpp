// dataconv end to end: legacy BP, Kohonen and FuNN data files in, DataSet
// files out, byte for byte.
#include <string>
#include <vector>

#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

// A DataSet file of one set without labels; lines are the row lines.
std::string DataSet(int rows, int inputs, int outputs, const std::string& lines) {
  return "[FormatVersion = 1.0]\r\n\r\n[DataSet]\r\n[Rows = " + std::to_string(rows) +
         "]\r\n[Inputs = " + std::to_string(inputs) +
         "]\r\n[ExpectedOutputs = " + std::to_string(outputs) +
         "]\r\n[GeneratedOutputs = 0]\r\n[Error = 0]\r\n\r\n[Data]\r\n" + lines +
         "[~Data]\r\n\r\n[~DataSet]\r\n";
}

using DataconvTest = ConverterTest;

TEST_F(DataconvTest, ConvertsTheBundledExamples) {
  struct Example {
    const char* file;
    std::string expected;
  };
  const Example examples[] = {
      // The FuNN example of the format, written out in full.
      {"furnace.dat",
       "[FormatVersion = 1.0]\r\n"
       "\r\n"
       "[DataSet]\r\n"
       "[Rows = 2]\r\n"
       "[Inputs = 2]\r\n"
       "[ExpectedOutputs = 1]\r\n"
       "[GeneratedOutputs = 0]\r\n"
       "[Error = 0]\r\n"
       "\r\n"
       "[Data]\r\n"
       "0.5 0.25   37.5 \r\n"
       "9 -0.75   80 \r\n"
       "[~Data]\r\n"
       "\r\n"
       "[~DataSet]\r\n"},
      {"xor.dat", DataSet(4, 2, 1, "0 0   0 \r\n0 1   1 \r\n1 0   1 \r\n1 1   0 \r\n")},
      {"colours.dat", DataSet(6, 3, 0,
                              "0.9 0.05 0.05   \r\n0.1 0.8 0.1   \r\n0.05 0.15 0.8   \r\n"
                              "0.7 0.7 0.1   \r\n0.45 0.1 0.45   \r\n"
                              "0.333333 0.333333 0.333333   \r\n")},
  };
  for (const Example& e : examples) {
    const RunResult r =
        Run("dataconv", {std::string(NUXA_EXAMPLES_DIR) + "/" + e.file, "out.nuxa"});
    EXPECT_EQ(r.status, 0) << e.file;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "") << e.file;
    EXPECT_EQ(ReadFile("out.nuxa"), e.expected) << e.file;
  }
}

struct ConversionCase {
  const char* name;
  std::string legacy;
  std::string expected;
};

class DataconvConversionTest : public ConverterTest,
                               public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(DataconvConversionTest, WritesTheDataSetFileAndPrintsNothing) {
  const ConversionCase& c = GetParam();
  WriteFile("old.dat", c.legacy);
  const RunResult r = Run("dataconv", {"old.dat", "new.nuxa"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("new.nuxa"), c.expected);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"new.nuxa", "old.dat"}));
}

const std::string kLongValue = "1." + std::string(400, '0');

INSTANTIATE_TEST_SUITE_P(
    Files, DataconvConversionTest,
    ::testing::Values(
        // Kinds.
        ConversionCase{"HeaderOnly", "INPUTS:  3\n", DataSet(0, 3, 0, "")},
        ConversionCase{"BPWithOutputs",
                       "TITLE:    Two rows\nINPUTS:  2\nOUTPUTS: 1\n\n1 2  3 \n4 5  6 \n",
                       DataSet(2, 2, 1, "1 2   3 \r\n4 5   6 \r\n")},
        ConversionCase{"BPWithoutOutputs", "INPUTS: 2\n1 2\n3 4\n",
                       DataSet(2, 2, 0, "1 2   \r\n3 4   \r\n")},
        ConversionCase{"Kohonen", "INPUTS:  2\nNORMALISED: yes\n\n0.5 0.25  \n",
                       DataSet(1, 2, 0, "0.5 0.25   \r\n")},
        ConversionCase{"FuNNWithoutHeading", "INPUTS: 1\nOUTPUTS: 1\nNORMALISATION: lin\n7 8\n",
                       DataSet(1, 1, 1, "7   8 \r\n")},
        ConversionCase{
            "FuNNWithoutOutputs",
            "INPUTS: 2\nNORMALISATION: lin\nMIN max\nInput 1: 0 10\nInput 2: -1 1\n5 6\n",
            DataSet(1, 2, 0, "5 6   \r\n")},
        ConversionCase{
            "NormalisedThenNormalisation",
            "INPUTS: 1\nNORMALISED: first\nNORMALISATION: second\nmin max\nIn 1: 0 1\n7\n",
            DataSet(1, 1, 0, "7   \r\n")},
        // Word rules.
        ConversionCase{"TitleWithFourLeadingBlanks",
                       "TITLE:    four blanks\r\nDESCRIPTION:  two\r\nINPUTS:  1\r\n\r\n2 \r\n",
                       DataSet(1, 1, 0, "2   \r\n")},
        ConversionCase{"ElevenValues", "INPUTS: 2\nOUTPUTS: 1\n1 2 3 4 5 6 7 8 9 10 11\n",
                       DataSet(3, 2, 1, "1 2   3 \r\n4 5   6 \r\n7 8   9 \r\n")},
        ConversionCase{"StrtodInputsStreamOutputs",
                       "INPUTS: 2\nOUTPUTS: 1\nabc 1.5e2x 1.5abc -1 9\n",
                       DataSet(2, 2, 1, "0 150   1.5 \r\n0 -1   9 \r\n")},
        // A last row ended by the end of the file, and a table whose last
        // entry is, both load.
        ConversionCase{"LastRowWithoutLineEnd", "INPUTS: 2\nOUTPUTS: 1\n1 2 3\n4 5 6",
                       DataSet(2, 2, 1, "1 2   3 \r\n4 5   6 \r\n")},
        ConversionCase{"TableEndsTheFile", "INPUTS: 1\nNORMALISATION: w\nMin Max\nInput 1: 0 10",
                       DataSet(0, 1, 0, "")},
        // Long words are read whole: nothing shifts.
        ConversionCase{
            "LongWords",
            "INPUTS: 2\nOUTPUTS: 1\n" + kLongValue + " " + std::string(300, 'x') + " 3\n4 5 6\n",
            DataSet(2, 2, 1, "1 0   3 \r\n4 5   6 \r\n")}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

struct FailureCase {
  const char* name;
  std::string legacy;  // written as old.dat unless empty
  std::vector<std::string> args;
  const char* err;
};

class DataconvFailureTest : public ConverterTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DataconvFailureTest, PrintsTheMessageAndWritesNothing) {
  const FailureCase& c = GetParam();
  if (!c.legacy.empty()) WriteFile("old.dat", c.legacy);
  const RunResult r = Run("dataconv", c.args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.err);
  const std::vector<std::string> only_input{"old.dat"};
  EXPECT_EQ(Entries(), c.legacy.empty() ? std::vector<std::string>{} : only_input);
}

const std::vector<std::string> kArgs{"old.dat", "new.nuxa"};
const char kBad[] = "Bad File Format\n";

INSTANTIATE_TEST_SUITE_P(
    Failures, DataconvFailureTest,
    ::testing::Values(
        FailureCase{"Missing", "", kArgs, "Unable to open file\n"},
        FailureCase{"Folder", "", {".", "new.nuxa"}, "Unable to open file\n"},
        FailureCase{"NoInputs", "TITLE: x\n1 2 3\n", kArgs, kBad},
        FailureCase{"ZeroInputs", "INPUTS: 0\n1 2\n", kArgs, kBad},
        FailureCase{"NegativeInputs", "INPUTS: -2\n1 2\n", kArgs, kBad},
        FailureCase{"NegativeOutputs", "INPUTS: 2\nOUTPUTS: -1\n1 2\n", kArgs, kBad},
        FailureCase{"OutputNotANumber", "INPUTS: 1\nOUTPUTS: 1\n1 2\n3 abc\n5 6\n", kArgs, kBad},
        FailureCase{"TableEndsInTheInputs",
                    "INPUTS: 2\nNORMALISATION: w\nMin Max\nInput 1: 0 10\nInput 2: 0", kArgs, kBad},
        FailureCase{"TableEndsInTheOutputs",
                    "INPUTS: 1\nOUTPUTS: 1\nNORMALISATION: w\nMin Max\nInput 1: 0 10\nOutput 1:",
                    kArgs, kBad},
        FailureCase{"DestinationFolderMissing",
                    "INPUTS: 1\n1\n",
                    {"old.dat", "no/such/new.nuxa"},
                    "Unable to open file for output\n"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace nuxa_e2e
