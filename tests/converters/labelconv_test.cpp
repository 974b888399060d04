// labelconv end to end: legacy Kohonen label files in, DataSet files whose
// rows carry label lists out, byte for byte.
#include <string>
#include <vector>

#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

// A DataSet file of one set with labels; lines are the row lines.
std::string LabelSet(int rows, int inputs, const std::string& lines) {
  return "[FormatVersion = 1.0]\r\n\r\n[DataSet]\r\n[Rows = " + std::to_string(rows) +
         "]\r\n[Inputs = " + std::to_string(inputs) +
         "]\r\n[ExpectedOutputs = Labels]\r\n[GeneratedOutputs = 0]\r\n[Error = 0]\r\n\r\n"
         "[Data]\r\n" +
         lines + "[~Data]\r\n\r\n[~DataSet]\r\n";
}

using LabelconvTest = ConverterTest;

TEST_F(LabelconvTest, ConvertsTheBundledExample) {
  const RunResult r =
      Run("labelconv", {std::string(NUXA_EXAMPLES_DIR) + "/leaves.lab", "out.nuxa", "x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("out.nuxa"),
            "[FormatVersion = 1.0]\r\n"
            "\r\n"
            "[DataSet]\r\n"
            "[Rows = 2]\r\n"
            "[Inputs = 2]\r\n"
            "[ExpectedOutputs = Labels]\r\n"
            "[GeneratedOutputs = 0]\r\n"
            "[Error = 0]\r\n"
            "\r\n"
            "[Data]\r\n"
            "1.4 0.2   [small ] \r\n"
            "4.7 1.4   [large ] \r\n"
            "[~Data]\r\n"
            "\r\n"
            "[~DataSet]\r\n");
}

struct ConversionCase {
  const char* name;
  std::string legacy;
  std::string expected;
};

class LabelconvConversionTest : public ConverterTest,
                                public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(LabelconvConversionTest, WritesTheDataSetFileAndPrintsNothing) {
  const ConversionCase& c = GetParam();
  WriteFile("old.lab", c.legacy);
  const RunResult r = Run("labelconv", {"old.lab", "new.nuxa", "anything"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("new.nuxa"), c.expected);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"new.nuxa", "old.lab"}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LabelconvConversionTest,
    ::testing::Values(
        ConversionCase{"OneInput", "INPUTS: 1\r\n1 a\r\n2 b\r\n",
                       LabelSet(2, 1, "1   [a ] \r\n2   [b ] \r\n")},
        // The same name in two rows stays one label of weight 1 in each.
        ConversionCase{"SameLabelTwice", "INPUTS: 1\n1 cat 2 cat\n",
                       LabelSet(2, 1, "1   [cat ] \r\n2   [cat ] \r\n")},
        // A TITLE: line after the inputs count is read again as data.
        ConversionCase{"TitleAfterInputs", "INPUTS: 1\nTITLE: big leaf\n3 x\n",
                       LabelSet(2, 1, "0   [big ] \r\n0   [3 ] \r\n")},
        ConversionCase{"ThreeLettersAreZero", "INPUTS: 2\nabc 1.5e2x  small\n",
                       LabelSet(1, 2, "0 150   [small ] \r\n")},
        ConversionCase{"IncompleteRowDropped", "INPUTS: 2\n1 2 a\n3 4",
                       LabelSet(1, 2, "1 2   [a ] \r\n")},
        // A label ended by the end of the file completes its row; a lone data
        // word so ended gives an empty set.
        ConversionCase{"LastLabelWithoutLineEnd", "INPUTS: 1\n1 a\n2 b",
                       LabelSet(2, 1, "1   [a ] \r\n2   [b ] \r\n")},
        ConversionCase{"OnlyWordEndsTheFile", "INPUTS: 1\n5", LabelSet(0, 1, "")},
        ConversionCase{"LongLabel", "INPUTS: 1\n1 " + std::string(300, 'q') + " 2 z\n",
                       LabelSet(2, 1, "1   [" + std::string(300, 'q') + " ] \r\n2   [z ] \r\n")}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

struct FailureCase {
  const char* name;
  std::string legacy;  // written as old.lab unless empty
  const char* err;
};

class LabelconvFailureTest : public ConverterTest,
                             public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LabelconvFailureTest, PrintsTheMessageAndWritesNothing) {
  const FailureCase& c = GetParam();
  if (!c.legacy.empty()) WriteFile("old.lab", c.legacy);
  const RunResult r = Run("labelconv", {"old.lab", "new.nuxa", "x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.err);
  EXPECT_FALSE(Exists("new.nuxa"));
}

const char kEnd[] = "Unexpected end of file found\n";
const char kInputs[] = "Inputs must be >= 1\n";

INSTANTIATE_TEST_SUITE_P(
    Failures, LabelconvFailureTest,
    ::testing::Values(FailureCase{"Missing", "", "Unable to open file\n"},
                      FailureCase{"HeaderWithoutRows", "TITLE: t\nINPUTS: 2\n\n", kEnd},
                      FailureCase{"OnlyBlanks", " \n\n", kEnd},
                      FailureCase{"NoInputsCount", "TITLE: t\n1 2 a\n", kInputs},
                      FailureCase{"ZeroInputs", "INPUTS: 0\n1 a\n", kInputs},
                      FailureCase{"InputsNotANumber", "INPUTS: two\n1 a\n", kInputs}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace nuxa_e2e
