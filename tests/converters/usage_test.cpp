// Command lines every converter checks before it touches a file.
#include "converters/Harness.h"

namespace nuxa_e2e {
namespace {

struct UsageCase {
  const char* program;
  std::vector<std::string> args;
  const char* err;
};

class UsageTest : public ConverterTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, WrongArgumentCountPrintsUsageOnly) {
  const UsageCase& c = GetParam();
  const RunResult r = Run(c.program, c.args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.err);
  EXPECT_TRUE(Entries().empty()) << "a refused command line must not create files";
}

const char kFunn[] = "Usage: funnconv OldFileName NewFileName\n";
const char kMlp[] = "Usage: mlpconv OldFileName NewFileName\n";
const char kData[] = "Usage: dataconv OldFileName NewFileName\n";
const char kTable[] =
    "Usage: tableconv source_file.flat destination_file.nuxa #rows #inputs #outputs\n";

INSTANTIATE_TEST_SUITE_P(
    AllPrograms, UsageTest,
    ::testing::Values(UsageCase{"funnconv", {}, kFunn}, UsageCase{"funnconv", {"a"}, kFunn},
                      UsageCase{"funnconv", {"a", "b", "c"}, kFunn},
                      UsageCase{"mlpconv", {"a"}, kMlp}, UsageCase{"mlpconv", {"a", "b", "c"}, kMlp},
                      UsageCase{"dataconv", {"a"}, kData},
                      UsageCase{"dataconv", {"a", "b", "c"}, kData},
                      // labelconv wants three arguments and prints dataconv's text.
                      UsageCase{"labelconv", {"a", "b"}, kData},
                      UsageCase{"labelconv", {"a", "b", "c", "d"}, kData},
                      UsageCase{"tableconv", {"a", "b", "1", "1"}, kTable},
                      UsageCase{"tableconv", {"a", "b", "1", "1", "1", "1"}, kTable},
                      UsageCase{"tableconv", {}, kTable}));

struct CountCase {
  std::vector<std::string> args;
  const char* err;
};

class TableCountTest : public ConverterTest, public ::testing::WithParamInterface<CountCase> {};

// The counts are checked before the source is opened: "missing" does not exist,
// and the messages must be the count messages, not a file error.
TEST_P(TableCountTest, BadCountsAreRefusedBeforeTheFileIsOpened) {
  const CountCase& c = GetParam();
  const RunResult r = Run("tableconv", c.args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, c.err);
  EXPECT_TRUE(Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Counts, TableCountTest,
    ::testing::Values(
        CountCase{{"missing", "b", "0", "1", "1"}, "Number of rows must be > 0\n"},
        CountCase{{"missing", "b", "abc", "1", "1"}, "Number of rows must be > 0\n"},
        CountCase{{"missing", "b", "-3", "1", "1"}, "Number of rows must be > 0\n"},
        CountCase{{"missing", "b", "0", "-1", "-1"}, "Number of rows must be > 0\n"},
        CountCase{{"missing", "b", "2", "-1", "1"}, "Number of inputs must be >= 0\n"},
        CountCase{{"missing", "b", "2", "-1", "-1"}, "Number of inputs must be >= 0\n"},
        CountCase{{"missing", "b", "2", "1", "-1"}, "Number of outputs must be >= 0\n"}));

}  // namespace
}  // namespace nuxa_e2e
