// The DataSet reader: round trips through the writer, the header rules, every
// failure message, chunks and file identification.
#include "FileHandler/FilerReader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/ParseTools.h"
#include "FileHandler/TempFolder.h"
#include "KQmessage/KQML.h"

namespace nuxa {
namespace {

// A DataSet file with the given header statements (after "[DataSet]") and
// row text (after "[Data]" and its line end).
std::string File(const std::string& header, const std::string& rows) {
  return "[FormatVersion = 1.0]\r\n\r\n[DataSet]\r\n" + header + "\r\n\r\n[Data]\r\n" + rows +
         "[~Data]\r\n\r\n[~DataSet]\r\n";
}

const std::string kExample = File(
    "[Rows = 2]\r\n[Inputs = 2]\r\n[ExpectedOutputs = 1]\r\n[GeneratedOutputs = 0]\r\n"
    "[Error = 0]",
    "0.5 1   0 \r\n0.25 2   1 \r\n");

struct Loaded {
  int code = 0;
  std::unique_ptr<Data> first;
  std::unique_ptr<Data> second;
};

Loaded Load(const std::string& text) {
  std::istringstream in(text);
  FileTools tools;
  Loaded result;
  result.code = LoadDataSet(tools, in, result.first, result.second);
  return result;
}

// Loads text, which must fail with message and hand out no set.
void ExpectLoadError(const std::string& text, const std::string& message) {
  std::istringstream in(text);
  FileTools tools;
  auto first = std::make_unique<Data>(1, 1, 1, false);
  std::unique_ptr<Data> second;
  try {
    LoadDataSet(tools, in, first, second);
    ADD_FAILURE() << "no error for\n" << text;
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, message) << text;
    EXPECT_EQ(e.input, &in);
  }
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(second, nullptr);
}

std::vector<double> InputRow(const Data& set, int slot) {
  const double* p = set.InputRowPtr(slot);
  return p == nullptr ? std::vector<double>() : std::vector<double>(p, p + set.Inputs());
}
std::vector<double> OutputRow(const Data& set, int slot) {
  const double* p = set.OutputRowPtr(slot);
  return p == nullptr ? std::vector<double>() : std::vector<double>(p, p + set.Outputs());
}

bool SameValue(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// Same shape, values (NaN equal to NaN) and label lists, slot by slot.
void ExpectSameSet(const Data* expected, const Data* actual) {
  ASSERT_EQ(expected == nullptr, actual == nullptr);
  if (expected == nullptr) return;
  ASSERT_EQ(actual->Rows(), expected->Rows());
  ASSERT_EQ(actual->Inputs(), expected->Inputs());
  ASSERT_EQ(actual->Outputs(), expected->Outputs());
  ASSERT_EQ(actual->HasLabels(), expected->HasLabels());
  EXPECT_EQ(actual->DataRows(), expected->Rows());
  for (int slot = 0; slot < expected->Rows(); ++slot) {
    const auto want_in = InputRow(*expected, slot), got_in = InputRow(*actual, slot);
    const auto want_out = OutputRow(*expected, slot), got_out = OutputRow(*actual, slot);
    for (size_t c = 0; c < want_in.size(); ++c) {
      EXPECT_TRUE(SameValue(want_in[c], got_in[c])) << slot << ":" << c << " " << got_in[c];
    }
    for (size_t c = 0; c < want_out.size(); ++c) {
      EXPECT_TRUE(SameValue(want_out[c], got_out[c])) << slot << ":" << c << " " << got_out[c];
    }
#if NUXA_WITH_LABELS
    if (expected->HasLabels()) {
      const TLabelList* want = nullptr;
      const TLabelList* got = nullptr;
      expected->GetLabels(slot, want);
      actual->GetLabels(slot, got);
      ASSERT_EQ(got->Count(), want->Count()) << slot;
      for (int i = 0; i < want->Count(); ++i) {
        EXPECT_EQ(got->Label(i).Name(), want->Label(i).Name());
        EXPECT_EQ(got->Label(i).Weight(), want->Label(i).Weight());
      }
    }
#endif
  }
}

TEST(FilerReaderTest, ReadsTheWrittenExample) {
  const Loaded r = Load(kExample);
  ASSERT_EQ(r.code, SUCCESS);
  ASSERT_NE(r.first, nullptr);
  EXPECT_EQ(r.second, nullptr);
  EXPECT_EQ(r.first->Rows(), 2);
  EXPECT_EQ(r.first->DataRows(), 2);
  EXPECT_EQ(InputRow(*r.first, 0), (std::vector<double>{0.5, 1}));
  EXPECT_EQ(OutputRow(*r.first, 0), (std::vector<double>{0}));
  EXPECT_EQ(InputRow(*r.first, 1), (std::vector<double>{0.25, 2}));
  EXPECT_EQ(OutputRow(*r.first, 1), (std::vector<double>{1}));
}

// Row values are read exactly as the block reader's number conversion reads
// the same text, whichever form the text takes.
TEST(FilerReaderTest, RowValuesReadAsParseNumber) {
  const std::vector<std::string> texts = {
      "0.5",    "-0.25",  ".5",     "1.",
      "+2",     "1e3",    "1E-5",   "-0",
      "1.5abc", "0x10",   "inf",    "-nan",
      "1e400",  "1e-320", "1e-400", "12345678901234567890",
      "0.1",    "1e",     "3-4",    "0.333333333333333314829616256247390992939472198486328125"};
  std::string row;
  for (const auto& t : texts) row += t + " ";
  const Loaded r =
      Load(File("[Rows = 1][Inputs = " + std::to_string(texts.size()) + "]", row + "\r\n"));
  ASSERT_EQ(r.code, SUCCESS);
  std::istringstream unused;
  FileTools tools;
  const auto values = InputRow(*r.first, 0);
  for (size_t i = 0; i < texts.size(); ++i) {
    const double want = tools.ParseNumber(unused, texts[i].c_str());
    EXPECT_TRUE(SameValue(values[i], want) && std::signbit(values[i]) == std::signbit(want))
        << texts[i];
  }
}

// ---------------------------------------------------------------------------
// Round trips through the writer.

struct Shape {
  const char* name;
  int rows;
  bool has_first;
  int inputs, expected;
  bool labels1;
  bool has_second;
  int generated, errors;
  bool labels2;
};

const Shape kShapes[] = {
    {"one numeric set", 6, true, 3, 2, false, false, 0, 0, false},
    {"no rows", 0, true, 2, 1, false, false, 0, 0, false},
    {"no inputs", 4, true, 0, 2, false, false, 0, 0, false},
    {"no outputs", 4, true, 3, 0, false, false, 0, 0, false},
    {"two numeric sets", 5, true, 2, 1, false, true, 1, 1, false},
    {"second set only", 3, false, 0, 0, false, true, 2, 2, false},
    {"second set of errors only", 3, false, 0, 0, false, true, 0, 2, false},
#if NUXA_WITH_LABELS
    {"first set labels", 5, true, 2, 0, true, false, 0, 0, false},
    {"labels alone", 4, true, 0, 0, true, false, 0, 0, false},
    // A label list before numbers of the same row.
    {"first labels, second numeric", 5, true, 2, 0, true, true, 2, 1, false},
    {"second labels with errors", 4, true, 1, 1, false, true, 0, 2, true},
    {"second labels without errors", 4, true, 1, 1, false, true, 0, 0, true},
    {"both labelled", 4, true, 1, 0, true, true, 0, 1, true},
#endif
};

// Values as the writer's 15 digits give them back.
double Round15(double v) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text - 1, v, std::chars_format::general, 15);
  *r.ptr = '\0';
  return std::strtod(text, nullptr);
}

double RandomValue(std::mt19937& g) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  switch (g() % 10) {
    case 0:
      return 0.0;
    case 1:
      return Round15(unit(g) * 1e6);
    case 2:
      return Round15(unit(g) * 1e-7);
    case 3:
      return 1e20;
    case 4:
      return Round15(1.0 / 3.0);
    case 5:
      return (g() % 2) ? std::numeric_limits<double>::infinity()
                       : std::numeric_limits<double>::quiet_NaN();
    case 6:
      return static_cast<double>(static_cast<int>(g() % 2001) - 1000);
    default:
      return Round15(unit(g));
  }
}

#if NUXA_WITH_LABELS
TLabelList RandomLabels(std::mt19937& g) {
  static const char* const kNames[] = {"cat", "dog", "Class_7", "x-y", "~t", "0.5", "a.b"};
  TLabelList list;
  const int count = static_cast<int>(g() % 4);
  for (int i = 0; i < count; ++i) {
    double weight = 1.0;
    if (g() % 2) {
      char text[64];
      std::snprintf(text, sizeof text, "%.9f", std::uniform_real_distribution<double>(-5, 5)(g));
      weight = std::strtod(text, nullptr);
    }
    list.Add(kNames[(i * 3 + g() % 3) % 7], weight);  // distinct names
  }
  return list;
}
#endif

std::unique_ptr<Data> RandomSet(std::mt19937& g, int rows, int inputs, int outputs, bool labels) {
  auto set = std::make_unique<Data>(rows, inputs, outputs, labels);
  std::vector<double> in(static_cast<size_t>(inputs)), out(static_cast<size_t>(outputs));
  for (int r = 0; r < rows; ++r) {
    for (double& v : in) v = RandomValue(g);
    for (double& v : out) v = RandomValue(g);
    set->AppendRow(in.data(), out.data(), nullptr);
#if NUXA_WITH_LABELS
    if (labels) {
      const TLabelList list = RandomLabels(g);
      set->SetLabels(r, &list);
    }
#endif
  }
  return set;
}

class FilerReaderFileTest : public nuxa_testing::TempFolderTest {};

TEST_F(FilerReaderFileTest, EveryWrittenShapeReadsBackEqual) {
  FileTools tools;
  const std::string path = Path("set.nuxa");
  for (const Shape& shape : kShapes) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(std::string(shape.name) + " seed " + std::to_string(seed));
      std::mt19937 g(seed);
      std::unique_ptr<Data> first, second;
      if (shape.has_first) {
        first = RandomSet(g, shape.rows, shape.inputs, shape.expected, shape.labels1);
      }
      if (shape.has_second) {
        second = RandomSet(g, shape.rows, shape.generated, shape.errors, shape.labels2);
      }
      ASSERT_EQ(SaveDataSet(tools, path.c_str(), first.get(), second.get(), nullptr), SUCCESS);

      std::unique_ptr<Data> one, two;
      ASSERT_EQ(LoadDataSet(tools, path.c_str(), one, two, nullptr), SUCCESS);
      ExpectSameSet(first.get(), one.get());
      ExpectSameSet(second.get(), two.get());

      // The whole file as one chunk gives the sets that have values.
      std::int64_t offset = 0;
      ASSERT_EQ(LoadDataSetChunk(tools, path.c_str(), offset, shape.rows, one, two), SUCCESS);
      ExpectSameSet(shape.inputs + shape.expected > 0 ? first.get() : nullptr, one.get());
      ExpectSameSet(shape.generated + shape.errors > 0 ? second.get() : nullptr, two.get());
    }
  }
}

TEST_F(FilerReaderFileTest, OneSetForm) {
  FileTools tools;
  const auto a = RandomSet(*std::make_unique<std::mt19937>(1), 3, 2, 1, false);
  const auto b = RandomSet(*std::make_unique<std::mt19937>(2), 3, 1, 1, false);
  const std::string one = Path("one.nuxa"), two = Path("two.nuxa");
  ASSERT_EQ(SaveDataSet(tools, one.c_str(), a.get(), nullptr, nullptr), SUCCESS);
  ASSERT_EQ(SaveDataSet(tools, two.c_str(), a.get(), b.get(), nullptr), SUCCESS);

  std::unique_ptr<Data> set;
  EXPECT_EQ(LoadDataSet(tools, one.c_str(), set), SUCCESS);
  ExpectSameSet(a.get(), set.get());
  // A second set is refused, the first still handed out.
  EXPECT_EQ(LoadDataSet(tools, two.c_str(), set), kDataSetBadHeader);
  ExpectSameSet(a.get(), set.get());

  EXPECT_EQ(LoadDataSet(tools, Path("missing").c_str(), set), kDataSetCannotOpen);
  EXPECT_EQ(set, nullptr);
  std::unique_ptr<Data> second;
  EXPECT_EQ(LoadDataSet(tools, dir_.c_str(), set, second, new TKQstructure("x")),
            kDataSetCannotOpen);
}

TEST_F(FilerReaderFileTest, ErrorsOfFileFormsCarryNoStream) {
  WriteFile("bad.nuxa", "[Network]");
  FileTools tools;
  std::unique_ptr<Data> set;
  try {
    LoadDataSet(tools, Path("bad.nuxa").c_str(), set);
    FAIL();
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "[DATASET] expected");
    EXPECT_EQ(e.input, nullptr);
  }
}

// ---------------------------------------------------------------------------
// The header.

struct HeaderCase {
  const char* text;  // the statements after "[DataSet]"
  int code;
  int inputs, expected, generated, errors, rows;
  const char* next;  // key of the statement handed back
};

TEST(FilerReaderHeaderTest, Statements) {
  const HeaderCase cases[] = {
      {"[Rows = 3][Inputs = 2][ExpectedOutputs = 1][GeneratedOutputs = 0][Error = 0][Data]", 0, 2,
       1, 0, 0, 3, "Data"},
      {"[ROWS=3] [inputs=2] [expectedoutputs=labels] [Data]", 0, 2, -1, 0, 0, 3, "Data"},
      {"[Inputs = 2][Rows = 4][GeneratedOutputs = LABELS][Rows = 5][Data]", 0, 2, 0, -1, 0, 5,
       "Data"},
      {"[Data]", 0, 0, 0, 0, 0, -1, "Data"},
      {"[Inputs = 1][ExpectedOutputs = -5] [Data]", 0, 1, -5, 0, 0, -1, "Data"},
      {"[Rows = 1] 7", 0, 0, 0, 0, 0, 1, "7"},
      // Out of order, repeated, unknown, left open: the header stops there.
      {"[ExpectedOutputs = 1][Inputs = 2][Data]", -82, 0, 1, 0, 0, -1, "Inputs"},
      {"[Inputs = 1][Inputs = 2][Data]", -82, 1, 0, 0, 0, -1, "Inputs"},
      {"[Error = 1][GeneratedOutputs = 2][Data]", -82, 0, 0, 0, 1, -1, "GeneratedOutputs"},
      {"[Rows = 2][Foo = 1][Data]", -82, 0, 0, 0, 0, 2, "Foo"},
      {"[Inputs = 2 [Data]", -82, 0, 0, 0, 0, -1, "Inputs"},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::istringstream in(c.text);
    FileTools tools;
    int inputs = 9, expected = 9, generated = 9, errors = 9, rows = 9;
    Statement last;
    EXPECT_EQ(ReadDataSetHeader(tools, in, inputs, expected, generated, errors, rows, last),
              c.code);
    EXPECT_EQ(inputs, c.inputs);
    EXPECT_EQ(expected, c.expected);
    EXPECT_EQ(generated, c.generated);
    EXPECT_EQ(errors, c.errors);
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(last.key, c.next);
  }
}

TEST(FilerReaderHeaderTest, BadValues) {
  const std::pair<const char*, const char*> cases[] = {
      {"[Inputs = Labels]", "No labels in inputs"},
      {"[Error = -1]", "No labels in inputs"},
      {"[Rows = labels]", "No labels in inputs"},
      {"[Rows = -2]", "No labels in inputs"},
      {"[Inputs = abc]", "integer-expected"},
      {"[Rows = 3000000000]", "integer-expected"},
      // The value is converted before the key is looked at.
      {"[Foo = bar]", "integer-expected"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.first);
    FileTools tools;
    int i, e, g, x, r;
    Statement last;
    try {
      ReadDataSetHeader(tools, in, i, e, g, x, r, last);
      ADD_FAILURE() << c.first;
    } catch (const FileTools::Error& err) {
      EXPECT_EQ(err.message, c.second) << c.first;
    }
    // The same through a load.
    ExpectLoadError(File(c.first, ""), c.second);
  }
}

// ---------------------------------------------------------------------------
// Failures of a load.

TEST(FilerReaderTest, LoadFailures) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "[DATASET] expected"},
      {"[Data]\r\n[~Data]\r\n", "[DATASET] expected"},
      {File("[Rows = 1][ExpectedOutputs = 1][Inputs = 1]", "1 2 \r\n"), "[DATA] expected"},
      {File("[Rows = 1][Inputs = 1 2]", "1 \r\n"), "[DATA] expected"},
      {File("[Inputs = 1][ExpectedOutputs = 1]", "1 2 \r\n"), "[Rows = <integer>] expected"},
      {File("[Rows = 3][Inputs = 1]", "1 \r\n2 \r\n"), "Token (number) expected"},
      {File("[Rows = 1][Inputs = 2]", "1 [2]\r\n"), "Token (number) expected"},
      {File("[Rows = 1][Inputs = 2]", "1 x \r\n"), "number-expected"},
      {File("[Rows = 1][Inputs = 2]", "1 [~Other] \r\n"), "Unexpected End Tag"},
      {File("[Rows = 2][Inputs = 1]", "1 /* open"), "Unexpected end of file during comment"},
      {"[DataSet][Rows = 2][Inputs = 1][Data] 1 2", "Unexpected end of file"},
      {"[DataSet][Rows = 1][Inputs = 1][Data] 1 [~Data]", "Unexpected end of file"},
      {kExample + "[Extra]\r\n", "End Tag expected"},
      {"[DataSet][Rows = 1][Inputs = 1][Data] 1 [~Data] [Rows = 2] [~DataSet]", "End Tag expected"},
      // Counts far beyond what the file holds fail where the text does.
      {File("[Rows = 2000000000][Inputs = 1]", "1 \r\n"), "Token (number) expected"},
      {File("[Rows = 1][Inputs = 2000000000][Error = 2000000000]", "1 \r\n"),
       "Token (number) expected"},
      {"[DataSet][Rows = 2000000000][Inputs = 3][Data] 1 2", "Unexpected end of file"},
  };
  for (const auto& c : cases) ExpectLoadError(c.first, c.second);
}

#if NUXA_WITH_LABELS
TEST(FilerReaderTest, LabelListFailures) {
  const std::string header = "[Rows = 1][Inputs = 1][ExpectedOutputs = Labels]";
  const std::pair<std::string, const char*> cases[] = {
      {File(header, "1 [ ]\r\n"), "Unexpected special character"},
      {File(header, "1 [cat=]\r\n"), "Unexpected special character"},
      {File(header, "1 [cat=x]\r\n"), "number-expected"},
      {File(header, "1 2\r\n"), "Label list expected"},
      {File(header, "1 / [cat]\r\n"), "Label list expected"},
      {"[DataSet]" + header + "[Data] 1 ", "Unexpected end of file"},
      {"[DataSet]" + header + "[Data] 1 [cat dog", "Unexpected end of file"},
      {"[DataSet]" + header + "[Data] 1 [", "Unexpected end of file"},
      // "[~" after the "[" of a list is a label name beginning with "~", as
      // the writer writes such a name, so the end tags read as two more rows.
      {File("[Rows = 2000000000][ExpectedOutputs = Labels]", "[cat]\r\n"),
       "Unexpected end of file"},
  };
  for (const auto& c : cases) ExpectLoadError(c.first, c.second);
}

TEST(FilerReaderTest, LabelListsCommentsAndEmptyLists) {
  const Loaded r = Load(File("[Rows = 3][Inputs = 2][ExpectedOutputs = Labels]",
                             "1 /* a */ 2 /* b /* c */ */ [cat dog=0.5 cat=2]\r\n"
                             "3,4 []\r\n"
                             "[FormatVersion = 1.0] 5 6 [/* x */ Ant , = , 0.25]\r\n"));
  ASSERT_EQ(r.code, SUCCESS);
  EXPECT_EQ(InputRow(*r.first, 0), (std::vector<double>{1, 2}));
  EXPECT_EQ(InputRow(*r.first, 1), (std::vector<double>{3, 4}));
  EXPECT_EQ(InputRow(*r.first, 2), (std::vector<double>{5, 6}));
  const TLabelList* list = nullptr;
  r.first->GetLabels(0, list);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Label(0).Name(), "cat");
  EXPECT_EQ(list->Label(0).Weight(), 3.0);  // a name met twice adds up
  EXPECT_EQ(list->Label(1).Name(), "dog");
  EXPECT_EQ(list->Label(1).Weight(), 0.5);
  r.first->GetLabels(1, list);
  EXPECT_TRUE(list->Empty());
  r.first->GetLabels(2, list);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Label(0).Name(), "Ant");
  EXPECT_EQ(list->Label(0).Weight(), 0.25);
}
#else
TEST(FilerReaderTest, LabelsAreRefusedWithoutLabelSupport) {
  ExpectLoadError(File("[Rows = 1][Inputs = 1][ExpectedOutputs = Labels]", "1 [cat]\r\n"),
                  "Labels are not supported in this configuration");
  ExpectLoadError(File("[Rows = 1][GeneratedOutputs = Labels]", "[cat]\r\n"),
                  "Labels are not supported in this configuration");
}
#endif

TEST(FilerReaderTest, ReadLabelList) {
  FileTools tools;
  std::istringstream in(" /* c */ [a b=-1.5 ] rest");
  const auto list = ReadLabelList(tools, in);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Label(0).Name(), "a");
  EXPECT_EQ(list->Label(0).Weight(), 1.0);
  EXPECT_EQ(list->Label(1).Name(), "b");
  EXPECT_EQ(list->Label(1).Weight(), -1.5);
  EXPECT_EQ(tools.NextToken(in), "rest");
}

// ---------------------------------------------------------------------------
// Chunks.

class FilerReaderChunkTest : public nuxa_testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    WriteFile("five.nuxa", File("[Rows = 5][Inputs = 2][ExpectedOutputs = 1][GeneratedOutputs = 0]"
                                "[Error = 1]",
                                "0 0   0     7 \r\n1 10   100     7 \r\n2 20   200     7 \r\n"
                                "3 30   300     7 \r\n4 40   400     7 \r\n"));
  }
  std::string path() const { return Path("five.nuxa"); }
};

TEST_F(FilerReaderChunkTest, ReadsRunsOfRowsAndContinues) {
  FileTools tools;
  std::unique_ptr<Data> first, second;
  std::int64_t offset = 0;
  ASSERT_EQ(LoadDataSetChunk(tools, path().c_str(), offset, 2, first, second), SUCCESS);
  // Counted from the end of "[Data]", up to the blank after the last value.
  EXPECT_EQ(offset, static_cast<std::int64_t>(
                        std::string("\r\n0 0   0     7 \r\n1 10   100     7 ").size()));
  ASSERT_EQ(first->Rows(), 2);
  EXPECT_EQ(InputRow(*first, 1), (std::vector<double>{1, 10}));
  EXPECT_EQ(OutputRow(*first, 1), (std::vector<double>{100}));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Inputs(), 0);
  EXPECT_EQ(OutputRow(*second, 1), (std::vector<double>{7}));

  ASSERT_EQ(LoadDataSetChunk(tools, path().c_str(), offset, 2, first), SUCCESS);
  EXPECT_EQ(InputRow(*first, 0), (std::vector<double>{2, 20}));
  EXPECT_EQ(InputRow(*first, 1), (std::vector<double>{3, 30}));

  const std::int64_t before = offset;
  ASSERT_EQ(LoadDataSetChunk(tools, path().c_str(), offset, 0, first), SUCCESS);
  EXPECT_EQ(offset, before);
  EXPECT_EQ(first->Rows(), 0);

  // Beyond the last row.
  try {
    LoadDataSetChunk(tools, path().c_str(), offset, 2, first);
    FAIL();
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "Token (number) expected");
  }
  EXPECT_EQ(first, nullptr);
}

TEST_F(FilerReaderChunkTest, Failures) {
  const struct {
    std::int64_t offset;
    int count;
    const char* message;
  } cases[] = {
      {-1, 1, "Invalid chunk offset"},
      {0, -1, "Invalid chunk row count"},
      {0, INT_MAX, "Token (number) expected"},
      {1 << 20, 1, "Unexpected end of file"},
  };
  FileTools tools;
  for (const auto& c : cases) {
    std::unique_ptr<Data> first;
    std::int64_t offset = c.offset;
    try {
      LoadDataSetChunk(tools, path().c_str(), offset, c.count, first);
      ADD_FAILURE() << c.message;
    } catch (const FileTools::Error& e) {
      EXPECT_EQ(e.message, c.message);
    }
  }
}

TEST_F(FilerReaderChunkTest, SkipsTheListsOfALabelOnlySet) {
  // As the writer writes a first set of labels alone with a numeric second.
  WriteFile("mixed.nuxa", File("[Rows = 2][Inputs = 0][ExpectedOutputs = Labels]"
                               "[GeneratedOutputs = 1][Error = 1]",
                               "  [cat ]   1   2 \r\n  [dog=0.500000000 ]   3   4 \r\n"));
  FileTools tools;
  std::unique_ptr<Data> first, second;
  std::int64_t offset = 0;
  ASSERT_EQ(LoadDataSetChunk(tools, Path("mixed.nuxa").c_str(), offset, 2, first, second), SUCCESS);
  EXPECT_EQ(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(InputRow(*second, 1), (std::vector<double>{3}));
  EXPECT_EQ(OutputRow(*second, 1), (std::vector<double>{4}));
}

// ---------------------------------------------------------------------------
// Identification.

TEST_F(FilerReaderFileTest, IdentifyFile) {
  const std::pair<std::string, const char*> cases[] = {
      {kExample, "(data :rows 2 :inputs 2 :actual-outputs 1 :calc-outputs 0 :errors 0)"},
      {"[DATASET][Inputs = 3][ExpectedOutputs = Labels][Error = 1]",
       "(data :rows -1 :inputs 3 :actual-outputs -1 :calc-outputs 0 :errors 1)"},
      {"[DataSet][Error = 1][Inputs = 3]", "(error :type bad-header)"},
      {"[FormatVersion = 1.0]\r\n\r\n[network]\r\n", "network"},
      {"/* c */ [Weights x]", "(error :type unknown-header :header Weights)"},
  };
  FileTools tools;
  for (const auto& c : cases) {
    WriteFile("f", c.first);
    EXPECT_EQ(IdentifyFile(tools, Path("f").c_str())->ToString(), c.second);
  }
  EXPECT_EQ(IdentifyFile(tools, Path("missing").c_str())->ToString(),
            "(error :type file-read-error)");

  std::istringstream in("5 [DataSet]");
  try {
    IdentifyFile(tools, in);
    FAIL();
  } catch (const FileTools::Error& e) {
    EXPECT_EQ(e.message, "start of block expected");
  }
}

}  // namespace
}  // namespace nuxa
