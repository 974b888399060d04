#include "QVCompatibility/FileHandlers/Data/TQVWordReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "Common/Exceptions.h"

namespace nuxa {
namespace {

// Words where a fast conversion could part from strtod or from the stream
// extraction: signs, points, exponents without digits, hexadecimal, inf and
// nan, range limits, halfway cases, long digit strings, trailing letters.
const char* const kTrickyWords[] = {
    "0",
    "-0",
    "+0",
    "1",
    "-1",
    "+1",
    "12345",
    "007",
    "0.5",
    ".5",
    "5.",
    "-.5",
    "+.5",
    ".",
    "-.",
    "+",
    "-",
    "--1",
    "+-1",
    "e5",
    ".e5",
    "1e",
    "1E",
    "1e+",
    "1e-",
    "1e5",
    "1E5",
    "1e+5",
    "1e-5",
    "0e",
    "0.e5",
    "1.e",
    "12e",
    "1e5e3",
    "1.2.3",
    "1.5e2x",
    "1.5abc",
    "1e0x",
    "abc",
    "0x1A",
    "0X1a",
    "-0x10",
    "0x",
    "0x1p3",
    "inf",
    "-inf",
    "INF",
    "infinity",
    "nan",
    "-nan",
    "nan(123)",
    "NaN",
    "1e400",
    "-1e400",
    "1e-400",
    "-1e-400",
    "2e-324",
    "2.5e-324",
    "4.9e-324",
    "1e-310",
    "2.2250738585072011e-308",
    "1.7976931348623157e308",
    "1.7976931348623158e308",
    "1.7976931348623159e308",
    "9007199254740993",
    "9007199254740993.0000000000000000000001",
    "0.1",
    "0.30000000000000004",
    "123456789012345678901234567890",
    "0.000000000000000000000000000000000000001234",
    "1.0000000000000000000000000000000000000000000000000001",
    "3.25E+05",
    "-1.5e-07",
    "8.098510e-10",
    "1,5",
    "1;",
    "1\x01",
};

bool SameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(TQVNumberRulesTest, StrtodValueIsStrtod) {
  for (const char* word : kTrickyWords) {
    EXPECT_TRUE(SameDouble(StrtodValue(word), std::strtod(word, nullptr))) << word;
  }
}

TEST(TQVNumberRulesTest, StreamDoubleIsTheStreamExtraction) {
  for (const char* word : kTrickyWords) {
    std::istringstream is(word);
    double expected = 0.0;
    const bool ok = static_cast<bool>(is >> expected);
    double value = -1.0;
    size_t taken = 0;
    const TQVNumberResult result = ExtractStreamDouble(word, value, taken);
    EXPECT_EQ(result, ok ? TQVNumberResult::kRead : TQVNumberResult::kBad) << word;
    if (!ok) continue;
    EXPECT_TRUE(SameDouble(value, expected)) << word;
    // What the extraction leaves is read as the next word.
    is.clear();
    std::string rest;
    std::getline(is, rest);
    EXPECT_EQ(std::string(word).substr(taken), rest) << word;
  }
}

// A stream whose reads fail, as a disk error makes them.
class FailingBuffer : public std::streambuf {
 protected:
  int_type underflow() override { throw std::runtime_error("disk error"); }
  std::streamsize xsgetn(char*, std::streamsize) override {
    throw std::runtime_error("disk error");
  }
};

std::vector<std::string> AllWords(TQVWordReader& reader) {
  std::vector<std::string> words;
  std::string_view word;
  while (reader.NextWord(word)) words.emplace_back(word);
  return words;
}

TEST(TQVWordReaderTest, SplitsAtEveryKindOfWhiteSpaceAndKeepsOtherBytes) {
  const char text[] = " a\tb\r\nc\vd\fe  f\x01g h\0i \n";
  std::istringstream in(std::string(text, sizeof text - 1));
  TQVWordReader reader(in, "Test");
  EXPECT_EQ(AllWords(reader),
            (std::vector<std::string>{"a", "b", "c", "d", "e", "f\x01g", std::string("h\0i", 3)}));
}

TEST(TQVWordReaderTest, ReadsWordsLongerThanItsBufferWhole) {
  // Three words, the middle one several times the reader's buffer.
  const std::string long_word(3u << 20, 'x');
  std::istringstream in("first " + long_word + "\nlast");
  TQVWordReader reader(in, "Test");
  std::string_view word;
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "first");
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word.size(), long_word.size());
  EXPECT_EQ(word, long_word);
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "last");
  EXPECT_FALSE(reader.NextWord(word));
  EXPECT_TRUE(word.empty());
}

TEST(TQVWordReaderTest, CountsAndSkipsWordsAcrossBufferRefills) {
  std::string text;
  for (int i = 0; i < 300000; ++i) text += (i % 7 == 0 ? "\r\n" : " ") + std::to_string(i);
  {
    std::istringstream in(text);
    TQVWordReader reader(in, "Test");
    EXPECT_EQ(reader.CountWordsToEnd(), 300000u);
  }
  std::istringstream in(text);
  TQVWordReader reader(in, "Test");
  EXPECT_EQ(reader.SkipWords(299998), 299998u);
  std::string_view word;
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "299998");
  EXPECT_EQ(reader.SkipWords(5), 1u);
  // Back to the start, far outside what the buffer holds now.
  reader.Seek(0);
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "0");
}

TEST(TQVWordReaderTest, RestOfLineTakesTheLineUpToItsLimit) {
  struct Case {
    std::string input;
    size_t limit;
    std::string text;
    std::string next_word;
  };
  const Case cases[] = {
      {"    Gas furnace\nnext", 254, "    Gas furnace", "next"},
      {" two\r\nnext", 254, " two", "next"},    // CR LF is the line end
      {" a\rb\nnext", 254, " a\rb", "next"},    // a lone CR is not
      {"\nnext", 254, "", "next"},              // empty line
      {" at the end", 254, " at the end", ""},  // the end of the file ends it
      {"abcdef\nnext", 6, "abcdef", "next"},    // exactly the limit
      {"abcdef\r\nnext", 6, "abcdef", "next"},
      {"abcdefgh ij\nnext", 6, "abcdef", "gh"},  // the rest is read on as words
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    TQVWordReader reader(in, "Test");
    EXPECT_EQ(reader.RestOfLine(c.limit), c.text) << c.input;
    std::string_view word;
    reader.NextWord(word);
    EXPECT_EQ(word, c.next_word) << c.input;
  }
}

TEST(TQVWordReaderTest, NextIntegerIsTheStreamExtractionOfAnInt) {
  struct Case {
    const char* input;
    TQVNumberResult result;
    int32_t value;
    const char* next_word;
  };
  const Case cases[] = {
      {"  3 x", TQVNumberResult::kRead, 3, "x"},
      {"+3", TQVNumberResult::kRead, 3, ""},
      {"-3", TQVNumberResult::kRead, -3, ""},
      {"007", TQVNumberResult::kRead, 7, ""},
      {"3x", TQVNumberResult::kRead, 3, "x"},  // stops at the first other character
      {"2147483647", TQVNumberResult::kRead, 2147483647, ""},
      {"-2147483648", TQVNumberResult::kRead, -2147483647 - 1, ""},
      {"2147483648", TQVNumberResult::kBad, 0, ""},
      {"99999999999999999999999", TQVNumberResult::kBad, 0, ""},
      {"x", TQVNumberResult::kBad, 0, "x"},
      {"- 3", TQVNumberResult::kBad, 0, "3"},
      {" \n ", TQVNumberResult::kEnd, 0, ""},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    TQVWordReader reader(in, "Test");
    int32_t value = 0;
    EXPECT_EQ(reader.NextInteger(value), c.result) << c.input;
    if (c.result == TQVNumberResult::kRead) {
      EXPECT_EQ(value, c.value) << c.input;
    }
    std::string_view word;
    reader.NextWord(word);
    EXPECT_EQ(word, c.next_word) << c.input;
  }
}

TEST(TQVWordReaderTest, StreamDoubleLeavesTheRestOfItsWord) {
  std::istringstream in("1.5abc 1e5e3 2 abc");
  TQVWordReader reader(in, "Test");
  std::string_view word;
  double value = 0.0;
  ASSERT_EQ(reader.NextStreamDouble(value), TQVNumberResult::kRead);
  EXPECT_EQ(value, 1.5);
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "abc");
  ASSERT_EQ(reader.SkipStreamDouble(), TQVNumberResult::kRead);
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "e3");
  ASSERT_EQ(reader.NextStreamDouble(value), TQVNumberResult::kRead);
  EXPECT_EQ(value, 2.0);
  // A failed extraction reads nothing.
  EXPECT_EQ(reader.NextStreamDouble(value), TQVNumberResult::kBad);
  EXPECT_EQ(reader.SkipStreamDouble(), TQVNumberResult::kBad);
  ASSERT_TRUE(reader.NextWord(word));
  EXPECT_EQ(word, "abc");
  EXPECT_EQ(reader.NextStreamDouble(value), TQVNumberResult::kEnd);
}

TEST(TQVWordReaderTest, AReadErrorIsReportedNotTakenForTheEnd) {
  FailingBuffer buffer;
  std::istream in(&buffer);
  TQVWordReader reader(in, "Somewhere::Load");
  try {
    AllWords(reader);
    FAIL() << "no exception";
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), "Error reading file");
    EXPECT_STREQ(e.Category(), "File Error");
    EXPECT_STREQ(e.Location(), "Somewhere::Load");
  }
}

}  // namespace
}  // namespace nuxa
