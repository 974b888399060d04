// tableconv end to end: flat files in, DataSet files out, byte for byte.
#include <string>
#include <vector>

#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

constexpr char kHeadStart[] = "[FormatVersion = 1.0]\r\n\r\n[DataSet]\r\n";
constexpr char kDataStart[] = "[GeneratedOutputs = 0]\r\n[Error = 0]\r\n\r\n[Data]\r\n";
constexpr char kEnd[] = "[~Data]\r\n\r\n[~DataSet]\r\n";

// A DataSet file of one set without labels.
std::string DataSet(const std::string& rows, const std::string& inputs, const std::string& outputs,
                    const std::string& lines) {
  return kHeadStart +
         ("[Rows = " + rows + "]\r\n[Inputs = " + inputs + "]\r\n[ExpectedOutputs = " + outputs +
          "]\r\n") +
         kDataStart + lines + kEnd;
}

using TableconvTest = ConverterTest;

struct ConversionCase {
  const char* name;
  const char* flat;
  std::vector<std::string> counts;
  std::string expected;
};

class TableconvConversionTest : public ConverterTest,
                                public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(TableconvConversionTest, WritesTheDataSetFileAndPrintsNothing) {
  const ConversionCase& c = GetParam();
  WriteFile("in.flat", c.flat);
  std::vector<std::string> args{"in.flat", "out.nuxa"};
  args.insert(args.end(), c.counts.begin(), c.counts.end());
  const RunResult r = Run("tableconv", args);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile("out.nuxa"), c.expected);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"in.flat", "out.nuxa"}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, TableconvConversionTest,
    ::testing::Values(
        ConversionCase{"Example",
                       "0.5 1 0\n0.25 2 1\n",
                       {"2", "2", "1"},
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
                       "0.5 1   0 \r\n"
                       "0.25 2   1 \r\n"
                       "[~Data]\r\n"
                       "\r\n"
                       "[~DataSet]\r\n"},
        ConversionCase{
            "NoInputs", "7\n8\n", {"2", "0", "1"}, DataSet("2", "0", "1", "  7 \r\n  8 \r\n")},
        ConversionCase{
            "Values",
            "123.25 1e20 0.333333333333333333 +2.50 -0.0 1e-5",
            {"1", "5", "1"},
            DataSet("1", "5", "1", "123.25 1e+20 0.333333333333333 2.5 -0   1e-05 \r\n")},
        ConversionCase{"OneToSixOnOneLine",
                       "1 2 3 4 5 6",
                       {"2", "2", "1"},
                       DataSet("2", "2", "1", "1 2   3 \r\n4 5   6 \r\n")},
        ConversionCase{"OneToSixOverThreeLines",
                       "1 2\r\n3 4\r\n5 6\r\n",
                       {"2", "2", "1"},
                       DataSet("2", "2", "1", "1 2   3 \r\n4 5   6 \r\n")},
        // Extra numbers, and even words that are not numbers, after the last row.
        ConversionCase{"ExtraNumbersIgnored",
                       "1 2 3 4 junk",
                       {"1", "2", "1"},
                       DataSet("1", "2", "1", "1 2   3 \r\n")},
        // The counts follow atol: "3x" is 3.
        ConversionCase{"CountStopsAtNonDigit",
                       "1 2 3 4 5 6 7 8 9",
                       {"3x", "2", "1"},
                       DataSet("3", "2", "1", "1 2   3 \r\n4 5   6 \r\n7 8   9 \r\n")}),
    [](const ::testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

struct FailureCase {
  const char* name;
  const char* flat;  // null: no input file
  std::vector<std::string> counts;
  const char* err;
};

class TableconvFailureTest : public ConverterTest,
                             public ::testing::WithParamInterface<FailureCase> {};

// A failed load prints three lines and leaves an existing destination as it was.
TEST_P(TableconvFailureTest, PrintsTheErrorAndWritesNothing) {
  const FailureCase& c = GetParam();
  if (c.flat != nullptr) WriteFile("in.flat", c.flat);
  WriteFile("out.nuxa", "old");
  std::vector<std::string> args{"in.flat", "out.nuxa"};
  args.insert(args.end(), c.counts.begin(), c.counts.end());
  const RunResult r = Run("tableconv", args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.err);
  EXPECT_EQ(ReadFile("out.nuxa"), "old");
  EXPECT_EQ(Entries().size(), c.flat != nullptr ? 2u : 1u);
}

constexpr char kEof[] = "Unexpected end of file\nFile Error\nTFlatFiler::LoadData\n";
constexpr char kInvalid[] = "Invalid number\nFile Error\nTFlatFiler::LoadData\n";

INSTANTIATE_TEST_SUITE_P(
    Files, TableconvFailureTest,
    ::testing::Values(
        FailureCase{"MissingInput",
                    nullptr,
                    {"2", "2", "1"},
                    "Unable to open file for input\nFile Error\nTFlatFiler::LoadData\n"},
        FailureCase{"TooFewNumbers", "1 2 3 4 5 6\n", {"3", "2", "1"}, kEof},
        FailureCase{"WordInTheMiddle", "1 2 abc 4 5 6", {"2", "2", "1"}, kInvalid},
        FailureCase{"BadLastWord", "1 2 3 4 5 1e", {"2", "2", "1"}, kInvalid},
        FailureCase{"Infinity", "1 2 3 4 5 inf\n", {"2", "2", "1"}, kInvalid},
        FailureCase{"OutOfRange", "1 2 3 4 5 1e999\n", {"2", "2", "1"}, kInvalid},
        // Counts no memory could hold: refused, never attempted.
        FailureCase{"CountAbove32Bits",
                    "1 2 3\n",
                    {"4000000000", "1000", "1"},
                    "Count out of range\nBad Parameter\nTFlatFiler::LoadData\n"},
        FailureCase{"HugeCountShortFile", "1 2 3\n", {"100000000", "1000", "1"}, kEof},
        FailureCase{"HugeCountBadWord", "1 - 3\n", {"100000000", "1000", "1"}, kInvalid}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(TableconvTest, UnwritableDestinations) {
  WriteFile("in.flat", "1 2\n");
  RunResult r = Run("tableconv", {"in.flat", "missing/out.nuxa", "1", "1", "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unable to open file for output\n");
  r = Run("tableconv", {"in.flat", "/dev/full", "1", "1", "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error writing file\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"in.flat"});
}

// A destination that is not a regular file is written in place.
TEST_F(TableconvTest, StandardOutputAsDestination) {
  WriteFile("in.flat", "1 2\n");
  const RunResult r = Run("tableconv", {"in.flat", "/dev/stdout", "1", "1", "1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, DataSet("1", "1", "1", "1   2 \r\n"));
}

TEST_F(TableconvTest, ReplacesAnExistingDestination) {
  WriteFile("in.flat", "1 2\n");
  WriteFile("out.nuxa", std::string(10000, 'x'));
  const RunResult r = Run("tableconv", {"in.flat", "out.nuxa", "1", "1", "1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile("out.nuxa"), DataSet("1", "1", "1", "1   2 \r\n"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"in.flat", "out.nuxa"}));
}

}  // namespace
}  // namespace nuxa_e2e
