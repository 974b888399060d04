// The flat file: reading numbers exactly as stream extraction does, the
// failures of LoadData, and SaveData's bytes.
#include "QVCompatibility/FileHandlers/Flat/TFlatFiler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FileHandler/TempFolder.h"

namespace nuxa {
namespace {

using Reader = TFlatFiler::NumberReader;

struct Reading {
  std::vector<uint64_t> bits;  // the values read, bit for bit
  Reader::Result end = Reader::kNumber;
};

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The yardstick: `is >> value` until it fails, and whether only white space
// was left when it did.
Reading ByStream(const std::string& text) {
  std::istringstream is(text);
  Reading r;
  for (;;) {
    is >> std::ws;
    if (is.eof()) {
      r.end = Reader::kEnd;
      return r;
    }
    double value;
    if (!(is >> value)) {
      r.end = Reader::kInvalid;
      return r;
    }
    r.bits.push_back(Bits(value));
  }
}

Reading ByReader(const std::string& text, size_t chunk) {
  std::istringstream is(text);
  Reader reader(is, chunk);
  Reading r;
  double value;
  while ((r.end = reader.Next(value)) == Reader::kNumber) r.bits.push_back(Bits(value));
  return r;
}

// Also with chunks so small that every number crosses their boundaries.
void ExpectSameAsStream(const std::string& text,
                        std::initializer_list<size_t> chunks = {1, 3, 1u << 20}) {
  const Reading expected = ByStream(text);
  for (const size_t chunk : chunks) {
    const Reading actual = ByReader(text, chunk);
    EXPECT_EQ(actual.bits, expected.bits) << "chunk " << chunk << ", input: " << text.substr(0, 80);
    EXPECT_EQ(actual.end, expected.end) << "chunk " << chunk << ", input: " << text.substr(0, 80);
  }
}

TEST(FlatNumberReaderTest, ReadsWhatStreamExtractionReads) {
  const char* const texts[] = {"1 2 3",
                               " \t\n\v\f\r5 \r\n",
                               "",
                               "   ",
                               "1-2",
                               "+5 -6",
                               "+-5",
                               "-+5",
                               "1e",
                               "1e+",
                               "1E5",
                               "1e+5 1e-5",
                               "1e5.5",
                               "1e5e3",
                               "1e5+3",
                               "0x10",
                               "0x1p3",
                               ".5 5. -.5",
                               ".",
                               "-.",
                               "-",
                               "+",
                               "e5",
                               ".e5",
                               "0.e5",
                               "inf",
                               "-inf",
                               "nan",
                               "infinity",
                               "12abc",
                               "00012",
                               "-0",
                               "+0.0",
                               "1.2.3",
                               "1,5",
                               "1 \xff",
                               "1e999",
                               "-1e999",
                               "1.7976931348623157e308",
                               "1.7976931348623159e308",
                               "1e-400",
                               "-1e-400",
                               "2.4e-324",
                               "2.5e-324",
                               "4.9e-324",
                               "1e-310",
                               "2.2250738585072011e-308",
                               "9007199254740993",
                               "0.1 0.2 0.30000000000000004",
                               "1e0000000000000000000000001",
                               "1e-99999999999999999999",
                               "0e99999999999999999999",
                               "123456789012345678901234567890",
                               "5 6 abc",
                               "5 6 1e",
                               "5 6 1e999"};
  for (const char* text : texts) ExpectSameAsStream(text);
  // Embedded NUL bytes are words that are not numbers.
  ExpectSameAsStream(std::string("1\0 2", 4));
}

// Numbers crossing the boundaries of the chunks the reader takes, including
// numbers that touch ("1-2"), and single words longer than a chunk.
TEST(FlatNumberReaderTest, ChunkBoundariesChangeNothing) {
  std::mt19937 random(7);
  const char* const separators[] = {" ", "\n", "\r\n", "\t", "  ", ""};
  std::string text;
  char number[64];
  while (text.size() < (5u << 20)) {
    const double value =
        std::ldexp(static_cast<double>(random()), static_cast<int>(random() % 80) - 60);
    const char* format = random() % 3 == 0 ? "%.17g" : (random() % 2 ? "%.3e" : "%.9f");
    std::snprintf(number, sizeof number, format, random() % 2 ? value : -value);
    text += number;
    text += separators[random() % 6];
  }
  ExpectSameAsStream(text, {1u << 20});
  ExpectSameAsStream(text.substr(0, 100000), {7, 64});

  const std::string zeros(3u << 20, '0');
  ExpectSameAsStream(zeros + "1.5e-3 7", {1u << 20});
  ExpectSameAsStream("7 0." + zeros + "1e3", {1u << 20});
  ExpectSameAsStream("7 1" + zeros, {1u << 20});  // too large: fails
}

class FlatFilerTest : public nuxa_testing::TempFolderTest {
 protected:
  std::unique_ptr<Data> Load(const std::string& content, long rows, long inputs, long outputs) {
    WriteFile("in.flat", content);
    Data* data = nullptr;
    TFlatFiler::LoadData(Path("in.flat").c_str(), data, rows, inputs, outputs);
    return std::unique_ptr<Data>(data);
  }
};

// Row r of a set as "i1 i2 | o1".
std::string Row(const Data& set, int slot) {
  std::ostringstream os;
  for (int c = 0; c < set.Inputs(); ++c) os << set.InputRowPtr(slot)[c] << ' ';
  os << '|';
  for (int c = 0; c < set.Outputs(); ++c) os << ' ' << set.OutputRowPtr(slot)[c];
  return os.str();
}

TEST_F(FlatFilerTest, RowsAreTakenInOrderWhateverTheLines) {
  for (const char* content : {"1 2 3 4 5 6", "1 2\n3 4\r\n5 6\n", "1 2 3 4 5 6 7 junk"}) {
    const auto set = Load(content, 2, 2, 1);
    ASSERT_EQ(set->Rows(), 2);
    EXPECT_EQ(set->DataRows(), 2);
    EXPECT_FALSE(set->HasLabels());
    EXPECT_EQ(Row(*set, 0), "1 2 | 3");
    EXPECT_EQ(Row(*set, 1), "4 5 | 6");
  }
}

TEST_F(FlatFilerTest, CountsOfZeroOrLessMeanNoColumns) {
  const auto set = Load("1 2", 2, -1, 1);
  EXPECT_EQ(set->Inputs(), -1);
  EXPECT_EQ(Row(*set, 1), "| 2");
  const auto nothing = Load("", 3, 0, 0);
  EXPECT_EQ(nothing->DataRows(), 3);
}

struct FailureCase {
  const char* content;
  long rows;
  long inputs;
  long outputs;
  const char* message;
  const char* category;
};

class FlatFailureTest : public FlatFilerTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FlatFailureTest, IsReportedExactly) {
  const FailureCase& c = GetParam();
  WriteFile("in.flat", c.content);
  Data* data = nullptr;
  try {
    TFlatFiler::LoadData(Path("in.flat").c_str(), data, c.rows, c.inputs, c.outputs);
    ADD_FAILURE() << "no exception";
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), c.message);
    EXPECT_STREQ(e.Category(), c.category);
    EXPECT_STREQ(e.Location(), "TFlatFiler::LoadData");
  }
  delete data;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FlatFailureTest,
    ::testing::Values(
        FailureCase{"1 2 3 4 5 6", 3, 2, 1, "Unexpected end of file", "File Error"},
        FailureCase{"1 2 3 4 5 6 \r\n\t ", 3, 2, 1, "Unexpected end of file", "File Error"},
        FailureCase{"", 1, 1, 0, "Unexpected end of file", "File Error"},
        FailureCase{"1 2 abc 4 5 6", 2, 2, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3 4 5 1e", 2, 2, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3 4 5 inf", 2, 2, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3 4 5 -", 2, 2, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3 4 5 1e999", 2, 2, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3 4 5 nan 7", 2, 2, 1, "Invalid number", "File Error"},
        // Files far too short for the counts: the same errors, found before
        // a set of 800 GB would be allocated.
        FailureCase{"1 2 3", 100000000, 1000, 1, "Unexpected end of file", "File Error"},
        FailureCase{"1 x 3", 100000000, 1000, 1, "Invalid number", "File Error"},
        FailureCase{"1 2 3", 2147483647, 2147483647, 2147483647, "Unexpected end of file",
                    "File Error"},
        FailureCase{"1 2 3", 4000000000, 1000, 1, "Count out of range", "Bad Parameter"},
        FailureCase{"1 2 3", 1, 2147483648, 1, "Count out of range", "Bad Parameter"},
        FailureCase{"1 2 3", 1, 1, -2147483649, "Count out of range", "Bad Parameter"},
        FailureCase{"1 2 3", -1, 1, 1, "Count out of range", "Bad Parameter"}));

TEST_F(FlatFilerTest, MissingFileOrFolderCannotBeOpened) {
  for (const std::string& name : {Path("missing.flat"), dir_}) {
    Data* data = nullptr;
    try {
      TFlatFiler::LoadData(name.c_str(), data, 1, 1, 1);
      ADD_FAILURE() << name;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Unable to open file for input");
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TFlatFiler::LoadData");
    }
    EXPECT_EQ(data, nullptr);
  }
}

// Once the set exists it is the caller's, with the rows read before the failure.
TEST_F(FlatFilerTest, FailedReadHandsOverThePartlyFilledSet) {
  WriteFile("in.flat", "1 2 3 x                ");
  Data* data = nullptr;
  EXPECT_THROW(TFlatFiler::LoadData(Path("in.flat").c_str(), data, 2, 1, 1), TException);
  std::unique_ptr<Data> owned(data);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(owned->DataRows(), 1);
  EXPECT_EQ(Row(*owned, 0), "1 | 2");
}

TEST_F(FlatFilerTest, SaveWritesRowsOldestFirstAsPrintfGeneral9) {
  const double hard[] = {0.1, 2, 1e-5, 0.0001, 1e9, 123456789.5, 0.1 + 0.2, 5e-324, -0.0, 1e300};
  Data set(2, 10, 1, false);
  const double out[] = {-1};
  set.AppendRow(hard, out, nullptr);  // overwritten: the ring has two slots
  set.AppendRow(hard, out, nullptr);
  const double zeros[10] = {};
  const double last[] = {2.5};
  set.AppendRow(zeros, last, nullptr);
  TFlatFiler::SaveData(Path("out.flat").c_str(), set);
  std::string row;
  for (const double v : hard) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g ", v);
    row += text;
  }
  EXPECT_EQ(row.rfind("0.1 2 1e-05 0.0001 1e+09 123456790 0.3 4.94065646e-324 -0 1e+300 ", 0), 0u)
      << row;
  EXPECT_EQ(ReadFile("out.flat"), row + "-1 \r\n0 0 0 0 0 0 0 0 0 0 2.5 \r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.flat"});
}

TEST_F(FlatFilerTest, SaveFailures) {
  Data set(1, 1, 0, false);
  const double one[] = {1};
  set.AppendRow(one, nullptr, nullptr);
  const struct {
    std::string name;
    const char* message;
  } cases[] = {{Path("missing/out.flat"), "Unable to open file"},
               {"/dev/full", "Error writing file"}};
  for (const auto& c : cases) {
    try {
      TFlatFiler::SaveData(c.name.c_str(), set);
      ADD_FAILURE() << c.name;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), c.message);
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TFlatFiler::SaveData");
    }
  }
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace nuxa
