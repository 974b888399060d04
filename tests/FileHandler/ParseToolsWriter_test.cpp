// The block-format writer: each operation's exact bytes in both forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

struct WriteCase {
  const char* what;
  std::function<void(FileTools&, std::ostream&)> write;
  const char* expected;
};

class WriterTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriterTest, WritesExactBytes) {
  FileTools tools;
  std::ostringstream os;
  GetParam().write(tools, os);
  EXPECT_EQ(os.str(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Operations, WriterTest,
                         ::testing::Values(WriteCase{"FormatVersion",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteFormatVersion(os);
                                                     },
                                                     "[FormatVersion = 1.0]\r\n\r\n"},
                                           WriteCase{"NewLine",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteNewLine(os);
                                                     },
                                                     "\r\n"},
                                           WriteCase{"BeginBlockBracketed",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.BeginBlock(os, "Data", true);
                                                     },
                                                     "[Data]\r\n"},
                                           WriteCase{"BeginBlockBare",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.BeginBlock(os, "Data", false);
                                                     },
                                                     "Data "},
                                           WriteCase{"EndBlock",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.EndBlock(os, "Data");
                                                     },
                                                     "[~Data]\r\n"},
                                           WriteCase{"EndBlockNull",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.EndBlock(os, nullptr);
                                                     },
                                                     ""},
                                           WriteCase{"StringBracketed",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteStringStatement(os, "ExpectedOutputs",
                                                                              "Labels", true);
                                                     },
                                                     "[ExpectedOutputs = Labels]\r\n"},
                                           WriteCase{"StringBare",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteStringStatement(os, "k", "v", false);
                                                     },
                                                     "k=v "},
                                           WriteCase{"IntegerBracketed",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteIntegerStatement(os, "Rows", 3, true);
                                                     },
                                                     "[Rows = 3]\r\n"},
                                           WriteCase{"IntegerNegativeBare",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteIntegerStatement(
                                                           os, "n", -9223372036854775807L - 1,
                                                           false);
                                                     },
                                                     "n=-9223372036854775808 "},
                                           WriteCase{"NumberBare",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteNumberStatement(os, "k", 0.5, 9,
                                                                              false);
                                                     },
                                                     "k=0.500000000 "},
                                           WriteCase{"NumberBracketedRounds",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteNumberStatement(os, "w", -2.0 / 3.0,
                                                                              3, true);
                                                     },
                                                     "[w = -0.667]\r\n"},
                                           // Nothing is cut, whatever the length of the text.
                                           WriteCase{"NumberHuge",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteNumberStatement(os, "w", -1e22, 9,
                                                                              false);
                                                     },
                                                     "w=-10000000000000000000000.000000000 "},
                                           WriteCase{"NumberNoDecimals",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.WriteNumberStatement(os, "w", 2.5, 0,
                                                                              false);
                                                     },
                                                     "w=2 "},
                                           WriteCase{"Brackets",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.OpenBracket(os, true);
                                                       t.OpenBracket(os, false);
                                                       t.CloseBracket(os, false, true);
                                                       t.CloseBracket(os, true, false);
                                                       t.CloseBracket(os, true, true);
                                                     },
                                                     "[]]\r\n"},
                                           WriteCase{"TokenItem",
                                                     [](FileTools& t, std::ostream& os) {
                                                       Statement st;
                                                       st.kind = Statement::kToken;
                                                       st.key = "0.25";
                                                       t.WriteItem(st, os, true);
                                                       t.WriteItem(st, os, false);
                                                     },
                                                     "0.25 0.25 "},
                                           // A label list: an open bracket holding bare names and
                                           // pairs.
                                           WriteCase{"OpenBracketList",
                                                     [](FileTools& t, std::ostream& os) {
                                                       t.OpenBracket(os, true);
                                                       t.BeginBlock(os, "cat", false);
                                                       t.WriteNumberStatement(os, "dog", 0.5, 9,
                                                                              false);
                                                       t.CloseBracket(os, true, false);
                                                     },
                                                     "[cat dog=0.500000000 ]"}),
                         [](const ::testing::TestParamInfo<WriteCase>& info) {
                           return info.param.what;
                         });

TEST(WriterTest, NumberStatementMatchesPrintfAtAnyMagnitude) {
  const double values[] = {1.7976931348623157e308, -4.9406564584124654e-324,
                           123456789.123456789,    0.0000000005,
                           0.0000000015,           -0.0};
  for (const double value : values) {
    for (const int decimals : {0, 9, 40}) {
      FileTools tools;
      std::ostringstream os;
      tools.WriteNumberStatement(os, "k", value, decimals, false);
      std::string expected(2000, '\0');
      expected.resize(static_cast<size_t>(
          std::snprintf(&expected[0], expected.size(), "k=%.*f ", decimals, value)));
      EXPECT_EQ(os.str(), expected) << value << " with " << decimals;
    }
  }
}

using WriterDeathTest = ::testing::Test;

TEST(WriterDeathTest, ItemsThatHaveNoBareFormAreFatal) {
  FileTools tools;
  std::ostringstream os;
  Statement st;
  st.kind = Statement::kEnd;
  st.key = "Data";
  EXPECT_DEATH(tools.WriteItem(st, os, false), "Assertion failed: bracket");
  st.kind = Statement::kFormatVersion;
  EXPECT_DEATH(tools.WriteItem(st, os, false), "Assertion failed: bracket");
  st.kind = Statement::kNone;
  EXPECT_DEATH(tools.WriteItem(st, os, true), "Assertion failed: 0");
}

}  // namespace
}  // namespace nuxa
