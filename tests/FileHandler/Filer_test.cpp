// The DataSet writer: whole files compared byte for byte.
#include "FileHandler/Filer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DataObject/Data.h"
#include "FileHandler/ParseTools.h"
#include "FileHandler/TempFolder.h"
#include "KQmessage/KQML.h"

namespace nuxa {
namespace {

constexpr char kHeadStart[] = "[FormatVersion = 1.0]\r\n\r\n[DataSet]\r\n";
constexpr char kDataStart[] = "\r\n[Data]\r\n";
constexpr char kEnd[] = "[~Data]\r\n\r\n[~DataSet]\r\n";

// Header lines 4 to 8 for the given counts.
std::string Counts(const char* rows, const char* inputs, const char* expected,
                   const char* generated, const char* errors) {
  return std::string("[Rows = ") + rows + "]\r\n[Inputs = " + inputs +
         "]\r\n[ExpectedOutputs = " + expected + "]\r\n[GeneratedOutputs = " + generated +
         "]\r\n[Error = " + errors + "]\r\n";
}

std::string File(const std::string& counts, const std::string& rows) {
  return kHeadStart + counts + kDataStart + rows + kEnd;
}

// A set without labels filled with rows of inputs and outputs.
std::unique_ptr<Data> Set(int slots, int inputs, int outputs,
                          const std::vector<std::vector<double>>& rows) {
  auto set = std::make_unique<Data>(slots, inputs, outputs, false);
  for (const auto& row : rows) {
    set->AppendRow(row.data(), row.data() + std::max(inputs, 0), nullptr);
  }
  return set;
}

class FilerTest : public nuxa_testing::TempFolderTest {
 protected:
  // Saves and returns the file's bytes.
  std::string Save(const Data* first, const Data* second) {
    FileTools tools;
    EXPECT_EQ(SaveDataSet(tools, Path("out.nuxa").c_str(), first, second, nullptr), SUCCESS);
    return ReadFile("out.nuxa");
  }
};

TEST_F(FilerTest, WritesTheExampleFile) {
  const auto set = Set(2, 2, 1, {{0.5, 1, 0}, {0.25, 2, 1}});
  EXPECT_EQ(Save(set.get(), nullptr),
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
            "[~DataSet]\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.nuxa"});
}

TEST_F(FilerTest, ShapesOfSets) {
  const auto empty = Set(0, 2, 1, {});
  EXPECT_EQ(Save(empty.get(), nullptr), File(Counts("0", "2", "1", "0", "0"), ""));

  const auto no_inputs = Set(2, 0, 1, {{7}, {8}});
  EXPECT_EQ(Save(no_inputs.get(), nullptr),
            File(Counts("2", "0", "1", "0", "0"), "  7 \r\n  8 \r\n"));

  // Every slot is written; slots never appended read as zeros.
  const auto partly = Set(5, 1, 1, {{1, 2}, {3, 4}, {5, 6}});
  EXPECT_EQ(
      Save(partly.get(), nullptr),
      File(Counts("5", "1", "1", "0", "0"), "1   2 \r\n3   4 \r\n5   6 \r\n0   0 \r\n0   0 \r\n"));

  // The second set keeps generated outputs in its inputs, errors in its outputs.
  const auto second = Set(2, 2, 1, {{0.5, 1.5, -1}, {2, 3, 4}});
  EXPECT_EQ(Save(nullptr, second.get()),
            File(Counts("2", "0", "0", "2", "1"), "  0.5 1.5   -1 \r\n  2 3   4 \r\n"));

  const auto first = Set(2, 1, 1, {{1, 2}, {3, 4}});
  EXPECT_EQ(Save(first.get(), second.get()),
            File(Counts("2", "1", "1", "2", "1"), "1   2   0.5 1.5   -1 \r\n3   4   2 3   4 \r\n"));
}

// Values as printf "%.15g" writes them, on the values that are hard to get
// right: halfway cases, denormals, the switches to exponent form.
TEST_F(FilerTest, ValuesAreWrittenAsPrintfGeneral15) {
  const std::vector<double> values = {123.25,
                                      1e20,
                                      1.0 / 3.0,
                                      -2.0 / 3.0,
                                      0.1,
                                      2.0,
                                      1e-5,
                                      0.0001,
                                      1e15,
                                      1e16,
                                      999999999999999.5,
                                      100000000000000.5,  // ties at the 15th digit
                                      100000000000001.5,
                                      0.5e-15,
                                      1.0000000000000005,
                                      2.5,
                                      0.125,
                                      1.00000000000000055511151231257827,
                                      5e-324,
                                      2.2250738585072009e-308,
                                      std::numeric_limits<double>::max(),
                                      std::numeric_limits<double>::lowest(),
                                      -0.0,
                                      0.0,
                                      123456789012345678.0,
                                      0.000123456789012345678};
  const int n = static_cast<int>(values.size());
  Data set(1, n, 0, false);
  set.AppendRow(values.data(), nullptr, nullptr);
  std::string row;
  for (const double v : values) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g ", v);
    row += text;
  }
  const std::string count = std::to_string(n);
  EXPECT_EQ(Save(&set, nullptr), File(Counts("1", count.c_str(), "0", "0", "0"), row + "  \r\n"));
  // A few spelled out, so that the test does not only trust printf.
  EXPECT_EQ(row.rfind("123.25 1e+20 0.333333333333333 -0.666666666666667 0.1 2 1e-05 0.0001 "
                      "1e+15 1e+16 ",
                      0),
            0u)
      << row;
}

#if NUXA_WITH_LABELS
TEST_F(FilerTest, LabelLists) {
  Data set(3, 1, 0, true);
  TLabelList both;
  both.Add("cat", 1.0);
  both.Add("dog", 2.0);
  TLabelList half("bird", 0.5);
  TLabelList none;
  const double x[] = {0.5, 1, 2};
  set.AppendRow(&x[0], nullptr, &both);
  set.AppendRow(&x[1], nullptr, &half);
  set.AppendRow(&x[2], nullptr, &none);
  EXPECT_EQ(Save(&set, nullptr), File(Counts("3", "1", "Labels", "0", "0"),
                                      "0.5   [cat dog=2.000000000 ] \r\n"
                                      "1   [bird=0.500000000 ] \r\n"
                                      "2   [] \r\n"));

  // A second set with labels: its labels stand where its generated outputs would.
  Data second(3, 0, 1, true);
  const double e[] = {0.25, 0.5, 0.75};
  for (int i = 0; i < 3; ++i) second.AppendRow(nullptr, &e[i], &half);
  EXPECT_EQ(Save(nullptr, &second), File(Counts("3", "0", "0", "Labels", "1"),
                                         "  [bird=0.500000000 ]   0.25 \r\n"
                                         "  [bird=0.500000000 ]   0.5 \r\n"
                                         "  [bird=0.500000000 ]   0.75 \r\n"));
}

using FilerDeathTest = FilerTest;

TEST_F(FilerDeathTest, LabelledSetsWithValueColumnsAreFatal) {
  FileTools tools;
  Data first(1, 1, 1, true);
  EXPECT_DEATH(SaveDataSet(tools, Path("x").c_str(), &first, nullptr, nullptr),
               "Assertion failed: LngExpectedOutputs == 0");
  Data second(1, 1, 1, true);
  EXPECT_DEATH(SaveDataSet(tools, Path("x").c_str(), nullptr, &second, nullptr),
               "Assertion failed: LngCalculatedOutputs == 0");
}
#endif

TEST_F(FilerTest, SetsThatCannotBeWrittenLeaveTheFileAlone) {
  WriteFile("out.nuxa", "old");
  FileTools tools;
  const auto two = Set(2, 1, 1, {});
  const auto three = Set(3, 1, 1, {});
  // The message structure is handed over and deleted on every path (the
  // leak checker of the sanitizer build sees one that is not).
  EXPECT_EQ(SaveDataSet(tools, Path("out.nuxa").c_str(), nullptr, nullptr, new TKQstructure("x")),
            kDataSetBadSets);
  EXPECT_EQ(
      SaveDataSet(tools, Path("out.nuxa").c_str(), two.get(), three.get(), new TKQstructure("x")),
      kDataSetBadSets);
  EXPECT_EQ(
      WriteDataSetRows(tools, Path("out.nuxa").c_str(), nullptr, nullptr, new TKQstructure("x")),
      kDataSetBadSets);
  EXPECT_EQ(WriteDataSetHeader(tools, Path("out.nuxa").c_str(), 1, 1, 0, 0, -1), kDataSetBadSets);
  EXPECT_EQ(ReadFile("out.nuxa"), "old");
  EXPECT_EQ(SUCCESS, 0);
  EXPECT_EQ(kDataSetCannotOpen, -81);
  EXPECT_EQ(kDataSetBadHeader, -82);
  EXPECT_EQ(kDataSetBadSets, -83);
}

TEST_F(FilerTest, PartsWrittenOneByOneGiveTheSameFile) {
  const auto set = Set(2, 2, 1, {{0.5, 1, 0}, {0.25, 2, 1}});
  const std::string whole = Save(set.get(), nullptr);
  FileTools tools;
  const std::string name = Path("parts.nuxa");
  EXPECT_EQ(WriteDataSetHeader(tools, name.c_str(), 2, 1, 0, 0, 2), SUCCESS);
  EXPECT_EQ(WriteDataSetRows(tools, name.c_str(), set.get(), nullptr, new TKQstructure("x")),
            SUCCESS);
  EXPECT_EQ(WriteDataSetEnd(tools, name.c_str()), SUCCESS);
  EXPECT_EQ(ReadFile("parts.nuxa"), whole);

  EXPECT_EQ(WriteDataSetHeader(tools, name.c_str(), 0, -1, -1, 0, 0), SUCCESS);
  EXPECT_EQ(ReadFile("parts.nuxa"),
            kHeadStart + Counts("0", "0", "Labels", "Labels", "0") + kDataStart);
}

void ExpectError(const std::function<void()>& call, const char* message) {
  try {
    call();
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, message);
  }
}

TEST_F(FilerTest, DestinationsThatFail) {
  WriteFile("old.nuxa", "old");
  const auto set = Set(1, 1, 1, {{1, 2}});
  FileTools tools;
  const std::string missing = Path("missing/out.nuxa");
  ExpectError([&] { SaveDataSet(tools, missing.c_str(), set.get(), nullptr, nullptr); },
              "Unable to open file for output");
  ExpectError([&] { WriteDataSetHeader(tools, missing.c_str(), 1, 1, 0, 0, 1); },
              "Unable to open file for output");
  ExpectError([&] { WriteDataSetRows(tools, missing.c_str(), set.get(), nullptr, nullptr); },
              "Unable to open file for output");
  ExpectError([&] { WriteDataSetEnd(tools, missing.c_str()); }, "Unable to open file for output");
  ExpectError([&] { SaveDataSet(tools, "/dev/full", set.get(), nullptr, nullptr); },
              "Error writing file");
  ExpectError([&] { WriteDataSetEnd(tools, "/dev/full"); }, "Error writing file");
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.nuxa"});
}

}  // namespace
}  // namespace nuxa
