// The block-format reader: tokens, comments, statements, the checks on them
// and the conversions of values, with every message it throws.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

// Runs f, which must throw FileTools::Error with exactly this message and the
// given input stream. Any other exception escapes and fails the test.
template <typename F>
void ExpectError(std::istream& in, const std::string& message, F&& f) {
  try {
    f();
    ADD_FAILURE() << "no error; expected \"" << message << "\"";
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, message);
    EXPECT_EQ(e.input, &in);
    EXPECT_EQ(e.output, nullptr);
  }
}

std::vector<std::string> AllTokens(const std::string& text) {
  FileTools ft;
  std::istringstream in(text);
  std::vector<std::string> tokens;
  for (std::string t = ft.NextToken(in); !t.empty(); t = ft.NextToken(in)) tokens.push_back(t);
  return tokens;
}

TEST(BlockReaderTokens, SplitsTextIntoTokens) {
  struct Case {
    std::string text;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"  abc,def\t\r\nghi ", {"abc", "def", "ghi"}},
      {"[Rows=3]", {"[", "Rows", "=", "3", "]"}},
      {"[~Data]", {"[~", "Data", "]"}},
      {"[ ~Data]", {"[", "~Data", "]"}},  // only "[~" directly pairs
      {"a<b>c*d", {"a", "<", "b", ">", "c", "*", "d"}},
      {"x~y 1.5e-3", {"x~y", "1.5e-3"}},
      {std::string("a\x80"
                   "b\x01"
                   "c\xff"
                   "d\0e",
                   9),
       {"a", "b", "c", "d", "e"}},
      {"a/", {"a", "/"}},
      {"[", {"["}},
      {"x/*c*/y", {"x", "y"}},
      {"/* a /* b */ c */ [X]", {"[", "X", "]"}},
      {"/**/z", {"z"}},
      {"/*/ x */y", {"y"}},
      // When an inner comment ends, its opener's "*" is the previous
      // character, so a "/" right after its "*/" ends the outer one too.
      {"/* /* b *// c", {"c"}},
      {"/* a */ */", {"*", "/"}},
      {" \r\n/* only /* a */ comment */ , ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(AllTokens(c.text), c.tokens) << "input: " << c.text;
}

TEST(BlockReaderTokens, TokensAndNestingHaveNoLimit) {
  const std::string big(100000, 'k');
  EXPECT_EQ(AllTokens(big + " [" + big + "]"), (std::vector<std::string>{big, "[", big, "]"}));

  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "/*";
  for (int i = 0; i < 100000; ++i) deep += "*/";
  EXPECT_EQ(AllTokens(deep + "x"), std::vector<std::string>{"x"});
}

struct Expected {
  int kind;
  std::string key;
  std::string value;
  bool open;
};

void ExpectStatement(const Statement& st, const Expected& e, const std::string& where) {
  EXPECT_EQ(st.kind, e.kind) << where;
  EXPECT_EQ(st.key, e.key) << where;
  EXPECT_EQ(st.value, e.value) << where;
  EXPECT_EQ(st.open, e.open) << where;
}

TEST(BlockReaderStatements, ReadsStatementsOfEveryForm) {
  struct Case {
    std::string text;
    bool force;  // every read of the case in force mode
    std::vector<Expected> statements;
  };
  const Case cases[] = {
      {"[Rows=/*three*/3]", false, {{3, "Rows", "3", false}}},
      {"[ Rows , = , 3 ]", false, {{3, "Rows", "3", false}}},
      {"/* a /* b */ c */ [X]", false, {{2, "X", "", false}}},
      {"[DataSet]\r\n[Rows = 3]\r\n0.5 -2\r\n[~DATASET]",
       false,
       {{2, "DataSet", "", false},
        {3, "Rows", "3", false},
        {1, "0.5", "", false},
        {1, "-2", "", false}}},
      // Left open: what follows belongs inside the same bracket.
      {"[cat dog=0.5]", false, {{2, "cat", "", true}}},
      {"[Title = two words]", false, {{3, "Title", "two", true}, {1, "words", "", false}}},
      {"[k=v/*a comment here leaves it open*/]", false, {{3, "k", "v", true}}},
      {"[A", false, {{2, "A", "", true}}},
      {"[k=v", false, {{3, "k", "v", true}}},
      // Bare special characters other than "]" are tokens.
      {"= < *", false, {{1, "=", "", false}, {1, "<", "", false}, {1, "*", "", false}}},
      // Force: the caller consumed "[" and the first token is the key.
      {"cat dog=0.5]", true, {{2, "cat", "", true}, {3, "dog", "0.5", false}}},
      {"FormatVersion = 1.0]", true, {{3, "FormatVersion", "1.0", false}}},
      // The header is skipped wherever it stands, in any case of its key.
      {"[FormatVersion = 1.0]\r\n\r\n[DataSet]", false, {{2, "DataSet", "", false}}},
      {"[A][formatversion=0.5][B=2]", false, {{2, "A", "", false}, {3, "B", "2", false}}},
      {"[FORMATVERSION = 1]", false, {{0, "", "", false}}},
      // ...but only when closed.
      {"[FormatVersion = 1.0 x]", false, {{3, "FormatVersion", "1.0", true}}},
  };
  for (const Case& c : cases) {
    FileTools ft;
    std::istringstream in(c.text);
    for (const Expected& e : c.statements) {
      ExpectStatement(ft.GetStatement(nullptr, in, c.force), e, "input: " + c.text);
    }
  }
}

TEST(BlockReaderStatements, EndsMatchTheirBlockInAnyCase) {
  FileTools ft;
  std::istringstream in("[~DATA][~ Data /* c */ ]  ");
  ExpectStatement(ft.GetStatement("Data", in, false), {0, "", "", false}, "first");
  ExpectStatement(ft.GetStatement("data", in, false), {0, "", "", false}, "second");
  // The end of the input outside any block, as often as it is asked for.
  ExpectStatement(ft.GetStatement(nullptr, in, false), {0, "", "", false}, "end");
  ExpectStatement(ft.GetStatement(nullptr, in, false), {0, "", "", false}, "end again");
}

TEST(BlockReaderStatements, LongRunOfHeadersIsSkipped) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "[FormatVersion=1.0]";
  FileTools ft;
  std::istringstream in(text + "[X]");
  ExpectStatement(ft.GetStatement(nullptr, in, false), {2, "X", "", false}, "after headers");
}

TEST(BlockReaderStatements, LeavesTheStreamAfterWhatItRead) {
  FileTools ft;
  std::istringstream in("[A] 1 [B=2]x");
  ft.GetStatement(nullptr, in, false);
  EXPECT_EQ(in.tellg(), 3);  // the "]" is taken, the blank is not
  ft.GetStatement(nullptr, in, false);
  EXPECT_EQ(in.tellg(), 6);  // a token takes the separator that ends it
  ft.GetStatement(nullptr, in, false);
  EXPECT_EQ(in.tellg(), 11);
  ft.GetStatement(nullptr, in, false);
  ft.GetStatement(nullptr, in, false);  // the end of the input
  // Meeting the end leaves the stream fit for positioning.
  EXPECT_TRUE(in.good());
  EXPECT_EQ(in.tellg(), 12);
  in.seekg(4);
  ExpectStatement(ft.GetStatement(nullptr, in, false), {1, "1", "", false}, "after seekg");
}

TEST(BlockReaderStatements, FailedStreamReadsAsEmpty) {
  FileTools ft;
  std::istringstream in("[A]");
  in.setstate(std::ios::failbit);
  ExpectStatement(ft.GetStatement(nullptr, in, false), {0, "", "", false}, "failed stream");
}

TEST(BlockReaderStatements, RejectsMalformedInput) {
  struct Case {
    std::string text;
    const char* blockdef;
    bool force;
    std::string message;
  };
  const Case cases[] = {
      {"/* open /* inner */ still open", nullptr, false, "Unexpected end of file during comment"},
      {" /* */ ", "Data", false, "Unexpected end of file"},
      {"[", nullptr, false, "Unexpected end of file"},
      {"[Rows=", nullptr, false, "Unexpected end of file"},
      {"[Rows = /* value due */", nullptr, false, "Unexpected end of file"},
      {"[~", "Data", false, "Unexpected end of file"},
      {"[=3]", nullptr, false, "Unexpected special character"},
      {"[[A]", nullptr, false, "Unexpected special character"},
      {"[Rows==3]", nullptr, false, "Unexpected special character"},
      {"[Rows=]", nullptr, false, "Unexpected special character"},
      {"]", nullptr, true, "Unexpected special character"},
      {"[FormatVersion = 1.5]", nullptr, false, "Illegal Format Version"},
      {"[A][FormatVersion = 2]", nullptr, false, "Illegal Format Version"},  // second read
      {"[FormatVersion = abc]", nullptr, false, "number-expected"},
      {"[~Other]", "Data", false, "Unexpected End Tag"},
      {"[~Data]", nullptr, false, "Unexpected End Tag"},  // no block is open
      {"[~Data x]", "Data", false, "Expected ']'"},
      {"[~Data", "Data", false, "Expected ']'"},
      {" ]", nullptr, false, "Unexpected ']'"},
      {"[A x]", nullptr, false, "Unexpected ']'"},  // open bracket read without force
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("input: " + c.text);
    FileTools ft;
    std::istringstream in(c.text);
    ExpectError(in, c.message, [&] {
      for (int i = 0; i < 3; ++i) ft.GetStatement(c.blockdef, in, c.force);
    });
  }
}

// Reads the first statement of text and hands it to check.
template <typename F>
void OnStatement(const std::string& text, F&& check) {
  FileTools ft;
  std::istringstream in(text);
  Statement st = ft.GetStatement(nullptr, in, false);
  check(ft, st, in);
}

TEST(BlockReaderChecks, ExpectBlockStartAndEndTag) {
  OnStatement("[dataset]", [](FileTools& ft, Statement& st, std::istream& in) {
    EXPECT_EQ(ft.ExpectBlockStart(st, in, "DataSet"), "dataset");
    EXPECT_EQ(ft.ExpectBlockStart(st, in, nullptr), "dataset");
    ExpectError(in, "[Data] expected", [&] { ft.ExpectBlockStart(st, in, "Data"); });
    ExpectError(in, "End Tag expected", [&] { ft.ExpectEndTag(st, in); });
  });
  OnStatement("[List a b]", [](FileTools& ft, Statement& st, std::istream& in) {
    EXPECT_EQ(ft.ExpectBlockStart(st, in, "list"), "List");  // open or not
  });
  OnStatement("[Rows = 3]", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "[DataSet] expected", [&] { ft.ExpectBlockStart(st, in, "DataSet"); });
    ExpectError(in, "start of block expected", [&] { ft.ExpectBlockStart(st, in, nullptr); });
  });
  OnStatement("", [](FileTools& ft, Statement& st, std::istream& in) {
    ft.ExpectEndTag(st, in);
    ExpectError(in, "start of block expected", [&] { ft.ExpectBlockStart(st, in, nullptr); });
  });
}

TEST(BlockReaderChecks, StringStatements) {
  OnStatement("[NetworkType = FuNN]", [](FileTools& ft, Statement& st, std::istream& in) {
    EXPECT_EQ(ft.GetStringStatement(st, in, "networktype", nullptr), "FuNN");
    EXPECT_EQ(ft.GetStringStatement(st, in, "NetworkType", "funn"), "");
    ExpectError(in, "[NetworkType = MLP] expected",
                [&] { ft.GetStringStatement(st, in, "NetworkType", "MLP"); });
    ExpectError(in, "[Kind = <string>] expectedNetworkType",
                [&] { ft.GetStringStatement(st, in, "Kind", nullptr); });
  });
  // The key found follows the message without a blank; none for an end.
  OnStatement("[Rows = 3]", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "[NetworkType = <string>] expectedRows",
                [&] { ft.GetStringStatement(st, in, "NetworkType", nullptr); });
  });
  OnStatement("", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "[NetworkType = <string>] expected",
                [&] { ft.GetStringStatement(st, in, "NetworkType", nullptr); });
  });
  const std::string big(3000, 'K');
  OnStatement("[" + big + "=1]", [&big](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "[Name = <string>] expected" + big,
                [&] { ft.GetStringStatement(st, in, "Name", nullptr); });
  });
}

TEST(BlockReaderChecks, IntegerAndNumberStatements) {
  OnStatement("[rows=-12abc]", [](FileTools& ft, Statement& st, std::istream& in) {
    EXPECT_EQ(ft.GetIntegerStatement(st, in, "Rows"), -12);
    EXPECT_EQ(ft.GetNumberStatement(st, in, "ROWS"), -12.0);
    ExpectError(in, "[Cols = <integer>] expected", [&] { ft.GetIntegerStatement(st, in, "Cols"); });
    ExpectError(in, "[Rate = <number>] expected", [&] { ft.GetNumberStatement(st, in, "Rate"); });
  });
  OnStatement("[Rate = x1]", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "integer-expected", [&] { ft.GetIntegerStatement(st, in, "Rate"); });
    ExpectError(in, "number-expected", [&] { ft.GetNumberStatement(st, in, "Rate"); });
  });
  OnStatement("[Rows]", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "[Rows = <integer>] expected", [&] { ft.GetIntegerStatement(st, in, "Rows"); });
  });
}

TEST(BlockReaderChecks, NumberTokens) {
  OnStatement("1e3", [](FileTools& ft, Statement& st, std::istream& in) {
    EXPECT_EQ(ft.GetNumberToken(st, in), 1000.0);
  });
  OnStatement("abc", [](FileTools& ft, Statement& st, std::istream& in) {
    ExpectError(in, "number-expected", [&] { ft.GetNumberToken(st, in); });
  });
  for (const char* text : {"[A]", "[A=1]", ""}) {
    OnStatement(text, [](FileTools& ft, Statement& st, std::istream& in) {
      ExpectError(in, "Token (number) expected", [&] { ft.GetNumberToken(st, in); });
    });
  }
}

// The conversions are those of sscanf ("%ld"; "%lf" then atof); compare with
// the real thing.
TEST(BlockReaderConversions, AgreeWithTheStandardConversions) {
  const char* texts[] = {
      "12abc",
      "1.5",
      " 7",
      "+5",
      "-0",
      "abc",
      "",
      "-",
      "+-1",
      "0x10",
      "1e3",
      "1.5abc",
      ".5",
      "5.",
      "1e",
      "1e+",
      "0x",
      "0x1p3",
      "infi",
      "inf",
      "-Infinity",
      "nan",
      "nan(",
      "NaN(12)",
      ".",
      "e5",
      "1e999",
      "1e-999",
      "4.9e-324",
      "0x.",
      "9223372036854775807",
      "-9223372036854775808",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(std::string("text: \"") + text + "\"");
    FileTools ft;
    std::istringstream in;

    long l = 0;
    if (std::sscanf(text, "%ld", &l) == 1) {
      EXPECT_EQ(ft.ParseInteger(in, text), l);
    } else {
      ExpectError(in, "integer-expected", [&] { ft.ParseInteger(in, text); });
    }

    double d = 0.0;
    if (std::sscanf(text, "%lf", &d) == 1) {
      const double want = std::atof(text);
      const double got = ft.ParseNumber(in, text);
      if (std::isnan(want)) {
        EXPECT_TRUE(std::isnan(got));
      } else {
        EXPECT_EQ(got, want);
      }
    } else {
      ExpectError(in, "number-expected", [&] { ft.ParseNumber(in, text); });
    }
  }
}

TEST(BlockReaderConversions, RefusesIntegersOutOfRange) {
  FileTools ft;
  std::istringstream in;
  const std::string texts[] = {std::to_string(LONG_MAX) + "0", std::to_string(LONG_MIN) + "0"};
  for (const std::string& text : texts) {
    ExpectError(in, "integer-expected", [&] { ft.ParseInteger(in, text.c_str()); });
  }
}

}  // namespace
}  // namespace nuxa
