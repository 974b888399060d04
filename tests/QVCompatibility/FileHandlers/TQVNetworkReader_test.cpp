#include "QVCompatibility/FileHandlers/TQVNetworkReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"

namespace nuxa {
namespace {

std::vector<double> ReadMatrix(const std::string& text, uint64_t count) {
  std::istringstream in(text);
  TQVNetworkReader reader(in, "Test::ReadMatrix");
  std::vector<double> values;
  reader.ReadMatrix(count, values);
  return values;
}

// What follows a matrix's first "(" and what the matrix then reads.
TEST(TQVNetworkReaderTest, SkipAfterTheFirstBracketEndsAtTheLabel) {
  const struct {
    const char* text;
    std::vector<double> values;
  } kCases[] = {
      // The stored layout: fields of 14 leave three, two, one blank.
      {"(0)           0.5\r\n(1) 2", {0.5, 2}},
      {"(0)  -1.23457e-05 7", {-1.23457e-05, 7}},
      {"(0) -1.23457e-100 7", {-1.23457e-100, 7}},
      {"(0)0.5 7", {0.5, 7}},
      {"(0)\r\n0.5 7", {0.5, 7}},
      {"( 0 ) 7 8", {7, 8}},
      // Headings count for nothing; the "(" may stand inside a word.
      {"Input to Hidden\r\nrow(0) 3 4", {3, 4}},
      // Without a ")" within five characters the skip takes five.
      {"(12345678 9", {678, 9}},
      {"(ab   cd 9", {0, 9}},
      {"(units) 1 2", {0, 1}},
      // Later row labels are skipped whole, values are read by strtod.
      {"(0) 1 (1) 2 (2)3 4x 0x10", {1, 2, 4, 16}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadMatrix(c.text, c.values.size()), c.values);
  }
}

TEST(TQVNetworkReaderTest, MatrixThatEndsEarlyIsUnexpectedEndOfFile) {
  for (const char* text : {"", "no bracket", "(0)", "(0) 1 2", "(0) 1 2 (1)  "}) {
    SCOPED_TRACE(text);
    try {
      ReadMatrix(text, 3);
      ADD_FAILURE();
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Unexpected end of file");
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "Test::ReadMatrix");
    }
  }
}

TEST(TQVNetworkReaderTest, EmptyMatrixStillNeedsItsBracket) {
  EXPECT_TRUE(ReadMatrix("heading (0)", 0).empty());
  EXPECT_THROW(ReadMatrix("heading", 0), TException);
}

// Matrix values go through a fast conversion that must give exactly what
// strtod gives, bit for bit, for every word.
TEST(TQVNetworkReaderTest, ValuesConvertExactlyAsStrtod) {
  std::vector<std::string> words = {
      "0",
      "-0",
      "0.5",
      "-1.23457e-05",
      ".5",
      "-.5e1",
      "5.",
      "1e",
      "1e+",
      "1e-x",
      "12abc",
      "abc",
      "-",
      "+",
      "+1.5",
      "-+1",
      "0x1p3",
      "-0X1A",
      "0x",
      "inf",
      "-Infinity",
      "nan",
      "-nan",
      "nan(123)",
      "1e400",
      "-1e400",
      "1e-400",
      "4.9e-324",
      "2.4703282292062327e-324",
      "2.2250738585072011e-308",
      "1.7976931348623157e308",
      "1.7976931348623159e308",
      "0.1000000000000000055511151231257827021181583404541015625",
      "9007199254740993",
      "00012",
      "1_000",
      "1e5e3",
      "1.2.3",
      "--1",
      "e5",
      "123456789012345678901234567890e-30",
  };
  std::mt19937_64 random(12345);
  for (int i = 0; i < 3000; ++i) {
    double value;
    const uint64_t bits = random();
    std::memcpy(&value, &bits, sizeof value);
    char text[64];
    const char* const kFormats[] = {"%.17g", "%g", "%.3e", "%.25f", "%a"};
    std::snprintf(text, sizeof text, kFormats[i % 5], value);
    words.push_back(text);
  }
  std::string text = "(0)";
  for (const std::string& word : words) text += " " + word;
  const std::vector<double> values = ReadMatrix(text, words.size());
  ASSERT_EQ(values.size(), words.size());
  for (size_t i = 0; i < words.size(); ++i) {
    const double expected = std::strtod(words[i].c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&values[i], &expected, sizeof expected), 0)
        << words[i] << " gives " << values[i] << ", strtod " << expected;
  }
}

}  // namespace
}  // namespace nuxa
