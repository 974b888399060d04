#include "QVCompatibility/FileHandlers/Data/TQVDataFiler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

using Rows = std::vector<std::vector<double>>;

struct Loaded {
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVDataFileInfo> info;
};

Loaded Load(const std::string& text) {
  std::istringstream in(text);
  Loaded loaded;
  TQVDataFiler::LoadData(in, "in.dat", loaded.data, loaded.info);
  return loaded;
}

// Every row of the set, oldest first: its inputs followed by its outputs.
Rows RowsOf(const Data& data) {
  Rows rows;
  for (int i = 0; i < data.DataRows(); ++i) {
    const int slot = data.RingSlot(i);
    std::vector<double> row;
    for (int c = 0; c < data.Inputs(); ++c) row.push_back(data.InputRowPtr(slot)[c]);
    for (int c = 0; c < data.Outputs(); ++c) row.push_back(data.OutputRowPtr(slot)[c]);
    rows.push_back(row);
  }
  return rows;
}

std::string WordOf(const TQVDataFileInfo& info) {
  const char* word = nullptr;
  if (auto* k = dynamic_cast<const TQVKohDataFileInfo*>(&info)) word = k->NormalisedWord();
  if (auto* f = dynamic_cast<const TQVFuNNDataFileInfo*>(&info)) word = f->NormalisationWord();
  return word != nullptr ? word : "(null)";
}

// Input minima, input maxima, output minima, output maxima of a FuNN record.
Rows BoundsOf(const TQVDataFileInfo& info) {
  auto* f = dynamic_cast<const TQVFuNNDataFileInfo*>(&info);
  if (f == nullptr) return {};
  Rows bounds(4);
  f->GetInputMin(bounds[0]);
  f->GetInputMax(bounds[1]);
  f->GetOutputMin(bounds[2]);
  f->GetOutputMax(bounds[3]);
  return bounds;
}

const char kFurnace[] =
    "TITLE:    Gas furnace\n"
    "DESCRIPTION:  two inputs, one output\n"
    "INPUTS:  2\n"
    "OUTPUTS: 1\n"
    "\n"
    "NORMALISATION: Linear\n"
    "\t Min\t     Max\n"
    "Input  1:\t       0      10\n"
    "Input  2:\t      -1       1\n"
    "Output 1:\t       0     100\n"
    "\n"
    "0.5 0.25  37.5 \n"
    "9 -0.75  80 \n";

struct KindCase {
  const char* name;
  std::string text;
  int32_t kind;
  const char* file_type;
  int inputs;
  int outputs;
  const char* word;  // normalised or normalisation word; "(null)" for BP data
  Rows bounds;       // FuNN data only
  Rows rows;
};

class DataKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(DataKindTest, WordsAfterTheInputsCountDecideTheKind) {
  const KindCase& c = GetParam();
  const Loaded loaded = Load(c.text);
  ASSERT_TRUE(loaded.data && loaded.info);
  EXPECT_EQ(loaded.info->Kind(), c.kind);
  EXPECT_STREQ(loaded.info->FileType(), c.file_type);
  EXPECT_STREQ(loaded.info->FileName(), "in.dat");
  EXPECT_EQ(loaded.data->Inputs(), c.inputs);
  EXPECT_EQ(loaded.data->Outputs(), c.outputs);
  EXPECT_FALSE(loaded.data->HasLabels());
  EXPECT_EQ(WordOf(*loaded.info), c.word);
  EXPECT_EQ(BoundsOf(*loaded.info), c.bounds);
  EXPECT_EQ(loaded.data->Rows(), static_cast<int>(c.rows.size()));
  EXPECT_EQ(RowsOf(*loaded.data), c.rows);
}

const char kBP[] = "Quorvatel BP Data File";
const char kKoh[] = "Quorvatel Kohonen Data File";
const char kFuNN[] = "Quorvatel FuNN Data File";

INSTANTIATE_TEST_SUITE_P(
    Kinds, DataKindTest,
    ::testing::Values(
        KindCase{"HeaderOnly", "INPUTS: 3\n", 101, kBP, 3, 0, "(null)", {}, {}},
        KindCase{"BPWithOutputs",
                 "INPUTS: 2\nOUTPUTS: 1\n\n1 2 3\n4 5 6\n",
                 101,
                 kBP,
                 2,
                 1,
                 "(null)",
                 {},
                 {{1, 2, 3}, {4, 5, 6}}},
        KindCase{"BPWithoutOutputs",
                 "INPUTS: 2\n1 2\n3 4\n",
                 101,
                 kBP,
                 2,
                 0,
                 "(null)",
                 {},
                 {{1, 2}, {3, 4}}},
        // Rows are words, not lines.
        KindCase{"RowsSpanLines",
                 "INPUTS:\n2 OUTPUTS: 1 1\n2\n3 4 5 6\n",
                 101,
                 kBP,
                 2,
                 1,
                 "(null)",
                 {},
                 {{1, 2, 3}, {4, 5, 6}}},
        // OUTPUTS: counts only right after the inputs count.
        KindCase{"OutputsBeforeInputsIsSkipped",
                 "OUTPUTS: 1\nINPUTS: 1\n2\n3\n",
                 101,
                 kBP,
                 1,
                 0,
                 "(null)",
                 {},
                 {{2}, {3}}},
        // After OUTPUTS:, NORMALISED: is not a keyword but a first value.
        KindCase{"NormalisedAfterOutputsIsData",
                 "INPUTS: 2\nOUTPUTS: 1\nNORMALISED: 4 5\n",
                 101,
                 kBP,
                 2,
                 1,
                 "(null)",
                 {},
                 {{0, 4, 5}}},
        KindCase{
            "Kohonen", "INPUTS: 2\nNORMALISED: yes\n1 2\n", 102, kKoh, 2, 0, "yes", {}, {{1, 2}}},
        KindCase{"FuNN",
                 kFurnace,
                 103,
                 kFuNN,
                 2,
                 1,
                 "Linear",
                 {{0, -1}, {10, 1}, {0}, {100}},
                 {{0.5, 0.25, 37.5}, {9, -0.75, 80}}},
        KindCase{"FuNNWithoutOutputs",
                 "INPUTS: 2\nNORMALISATION: lin\nMin Max\nInput 1: 0 10\nInput 2: -1 1\n5 6\n",
                 103,
                 kFuNN,
                 2,
                 0,
                 "lin",
                 {{0, -1}, {10, 1}, {}, {}},
                 {{5, 6}}},
        KindCase{"NormalisedThenNormalisation",
                 "INPUTS: 1\nNORMALISED: first\nNORMALISATION: second\n7\n",
                 103,
                 kFuNN,
                 1,
                 0,
                 "second",
                 {{0}, {0}, {}, {}},
                 {{7}}},
        // Without the heading the bounds are zeros and what follows is data.
        KindCase{"FuNNWithoutHeading",
                 "INPUTS: 1\nOUTPUTS: 1\nNORMALISATION: lin\n7 8\n",
                 103,
                 kFuNN,
                 1,
                 1,
                 "lin",
                 {{0}, {0}, {0}, {0}},
                 {{7, 8}}},
        KindCase{"HeadingInAnyCase",
                 "INPUTS: 1\nNORMALISATION: lin\nmin MAX\nInput 1: -2 2\n3\n",
                 103,
                 kFuNN,
                 1,
                 0,
                 "lin",
                 {{-2}, {2}, {}, {}},
                 {{3}}},
        // "Min" without "Max" is no heading: both words are read again as data.
        KindCase{"MinWithoutMax",
                 "INPUTS: 1\nNORMALISATION: lin\nMin 5\n",
                 103,
                 kFuNN,
                 1,
                 0,
                 "lin",
                 {{0}, {0}, {}, {}},
                 {{0}, {5}}}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return info.param.name; });

TEST(TQVDataFilerTest, TitleAndDescriptionAreTheRestOfTheirLines) {
  Loaded loaded = Load(
      "TITLE: first\n"
      "TITLE:    Gas furnace\n"
      "DESCRIPTION:\ttabbed  \r\n"
      "INPUTS: 1\n");
  EXPECT_STREQ(loaded.info->Title(), "    Gas furnace");  // the later one, blanks kept
  EXPECT_STREQ(loaded.info->Description(), "\ttabbed  ");

  // Missing ones are empty, not null.
  loaded = Load("INPUTS: 1\n");
  EXPECT_STREQ(loaded.info->Title(), "");
  EXPECT_STREQ(loaded.info->Description(), "");

  // At most 254 characters; the rest of the line is read on as header words,
  // here ending the header with the inputs count.
  const std::string text(253, 't');
  loaded = Load("TITLE: " + text + " INPUTS: 1 7 8\n");
  EXPECT_EQ(std::string(loaded.info->Title()), " " + text);
  EXPECT_EQ(RowsOf(*loaded.data), (Rows{{7}, {8}}));
}

TEST(TQVDataFilerTest, InputsFollowStrtodAndOutputsTheStreamExtraction) {
  // Inputs: three letters give 0, 1.5e2 followed by a letter gives 150.
  // Outputs: "1.5abc" is the value 1.5, and "abc" the next row's first input.
  const Loaded loaded = Load("INPUTS: 2\nOUTPUTS: 1\nabc 1.5e2x 1.5abc -1 9\n");
  EXPECT_EQ(RowsOf(*loaded.data), (Rows{{0, 150, 1.5}, {0, -1, 9}}));
}

TEST(TQVDataFilerTest, OnlyCompleteRowsAreLoaded) {
  struct Case {
    std::string text;
    Rows rows;
  };
  const Case cases[] = {
      // Eleven values for two inputs and one output: the last two are dropped.
      {"INPUTS: 2\nOUTPUTS: 1\n1 2 3 4 5 6 7 8 9 10 11\n", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
      // A last value ended by the end of the file completes its row.
      {"INPUTS: 2\nOUTPUTS: 1\n1 2 3\n4 5 6", {{1, 2, 3}, {4, 5, 6}}},
      {"INPUTS: 2\n1 2\n3 4", {{1, 2}, {3, 4}}},
      // An unreadable output in the incomplete last row goes with the row.
      {"INPUTS: 1\nOUTPUTS: 2\n1 2 3\n4 abc", {{1, 2, 3}}},
  };
  for (const Case& c : cases) {
    const Loaded loaded = Load(c.text);
    EXPECT_EQ(RowsOf(*loaded.data), c.rows) << c.text;
    EXPECT_EQ(loaded.data->Rows(), static_cast<int>(c.rows.size())) << c.text;
  }
}

TEST(TQVDataFilerTest, WordsOfAnyLengthAreReadWhole) {
  // A 402-character value, a 300-character word and a table label of 40
  // characters: split words would shift every value after them.
  const std::string long_one = "1." + std::string(400, '0');
  const std::string long_word(300, 'x');
  const Loaded loaded = Load("INPUTS: 2\nOUTPUTS: 1\nNORMALISATION: w\nMin Max\n" +
                             std::string(40, 'L') + " 1 -3 3\nInput 2: 0 0\nOutput_1: 1 -4 4\n" +
                             long_one + " " + long_word + " 3\n4 5 6\n");
  EXPECT_EQ(RowsOf(*loaded.data), (Rows{{1, 0, 3}, {4, 5, 6}}));
  EXPECT_EQ(BoundsOf(*loaded.info), (Rows{{-3, 0}, {3, 0}, {-4}, {4}}));
}

struct FailureCase {
  const char* name;
  std::string text;
  const char* message;
  const char* category;
  const char* location;
};

class DataFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DataFailureTest, ThrowsTheExactException) {
  const FailureCase& c = GetParam();
  std::istringstream in(c.text);
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVDataFileInfo> info;
  try {
    TQVDataFiler::LoadData(in, "in.dat", data, info);
    FAIL() << "no exception";
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), c.message);
    EXPECT_STREQ(e.Category(), c.category);
    EXPECT_STREQ(e.Location(), c.location);
  }
  EXPECT_EQ(data, nullptr) << "no set is handed out after a failure";
}

const char kLoad[] = "TQVDataFiler::LoadData";
const char kTable[] = "TQVDataFiler::GetFuNNFilerNormalisationInfo";
const char kBad[] = "Bad File Format";

INSTANTIATE_TEST_SUITE_P(
    Failures, DataFailureTest,
    ::testing::Values(
        FailureCase{"Empty", "", kBad, "File Error", kLoad},
        FailureCase{"NoInputs", "TITLE: x\n1 2 3\n", kBad, "File Error", kLoad},
        FailureCase{"ZeroInputs", "INPUTS: 0\n1 2\n", kBad, "File Error", kLoad},
        FailureCase{"NegativeInputs", "INPUTS: -2\n1 2\n", kBad, "File Error", kLoad},
        FailureCase{"NegativeOutputs", "INPUTS: 2\nOUTPUTS: -1\n1 2\n", kBad, "File Error", kLoad},
        FailureCase{"CountNotANumber", "INPUTS: two\n1 2\n", kBad, "File Error", kLoad},
        FailureCase{"CountMissing", "INPUTS:", kBad, "File Error", kLoad},
        FailureCase{"CountTooLarge", "INPUTS: 99999999999\n", kBad, "File Error", kLoad},
        FailureCase{"OutputsCountNotANumber", "INPUTS: 1\nOUTPUTS: x\n", kBad, "File Error", kLoad},
        FailureCase{"OutputNotANumber", "INPUTS: 1\nOUTPUTS: 1\n1 2\n3 abc\n5 6\n", kBad,
                    "File Error", kLoad},
        FailureCase{"OutputExponentWithoutDigits", "INPUTS: 1\nOUTPUTS: 1\n1 2e\n", kBad,
                    "File Error", kLoad},
        FailureCase{"OutputOutOfRange", "INPUTS: 1\nOUTPUTS: 1\n1 1e999\n", kBad, "File Error",
                    kLoad},
        FailureCase{"TableEndsInTheInputs",
                    "INPUTS: 2\nNORMALISATION: w\nMin Max\nInput 1: 0 10\nInput 2: 0", kBad,
                    "File Error", kTable},
        FailureCase{"TableEndsInTheOutputs",
                    "INPUTS: 1\nOUTPUTS: 1\nNORMALISATION: w\nmin max\nInput 1: 0 10\nOutput 1:",
                    kBad, "Filer Error", kTable}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(TQVDataFilerTest, TheRecordIsHandedOutBeforeTheCountsAreChecked) {
  std::istringstream in("INPUTS: 0\nNORMALISED: yes\n");
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVDataFileInfo> info;
  EXPECT_THROW(TQVDataFiler::LoadData(in, "in.dat", data, info), TException);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Kind(), 102);
}

TEST(TQVDataFilerTest, SaveWritesTheCanonicalLayout) {
  Data data(2, 2, 1, false);
  const double in1[2] = {0.5, 0.25}, out1[1] = {37.5};
  const double in2[2] = {9, -0.75}, out2[1] = {80};
  data.AppendRow(in1, out1, nullptr);
  data.AppendRow(in2, out2, nullptr);
  TQVFuNNDataFileInfo info("furnace.dat");
  info.SetTitle("Gas furnace");
  info.SetDescription("two inputs, one output");
  info.SetNormalisationWord("Linear");
  info.SetInputs(2);
  info.SetOutputs(1);
  const double input_min[2] = {0, -1}, input_max[2] = {10, 1};
  const double output_min[1] = {0}, output_max[1] = {100};
  info.SetInputMin(input_min);
  info.SetInputMax(input_max);
  info.SetOutputMin(output_min);
  info.SetOutputMax(output_max);
  std::ostringstream out;
  TQVDataFiler::SaveData(out, data, info);
  EXPECT_EQ(out.str(), kFurnace);

  // The loaded record's title keeps the blanks after the keyword; saving it
  // again gives the same line, not four more blanks.
  const Loaded loaded = Load(kFurnace);
  std::ostringstream again;
  TQVDataFiler::SaveData(again, *loaded.data, *loaded.info);
  EXPECT_EQ(again.str(), kFurnace);
}

TEST(TQVDataFilerTest, SaveThenLoadGivesTheSameSetAndRecord) {
  // A ring of three slots after four appends: rows are saved oldest first.
  auto bp_set = [] {
    auto data = std::make_unique<Data>(3, 2, 1, false);
    for (double v : {1.0, 2.0, 3.0, 4.0}) {
      const double in[2] = {v, -v / 8}, out[1] = {v * 1000.5};
      data->AppendRow(in, out, nullptr);
    }
    return data;
  };
  auto kohonen = std::make_unique<TQVKohDataFileInfo>("k.dat");
  kohonen->SetNormalisedWord("yes");
  auto funn = std::make_unique<TQVFuNNDataFileInfo>("f.dat");
  funn->SetNormalisationWord("Linear");
  funn->SetInputs(2);
  funn->SetOutputs(1);
  const double bounds[2] = {-1.5, 1e-7};
  funn->SetInputMin(bounds);
  funn->SetOutputMax(bounds + 1);

  std::vector<std::pair<std::unique_ptr<Data>, std::unique_ptr<TQVDataFileInfo>>> cases;
  cases.emplace_back(bp_set(), std::make_unique<TQVDataFileInfo>("b.dat"));
  cases.emplace_back(std::make_unique<Data>(2, 3, 0, false), std::move(kohonen));
  cases.emplace_back(bp_set(), std::move(funn));
  const double koh_row[3] = {0.125, 1e10, -3};
  cases[1].first->AppendRow(koh_row, nullptr, nullptr);
  cases[1].first->AppendRow(koh_row, nullptr, nullptr);

  for (auto& [data, info] : cases) {
    info->SetTitle("  A title");
    info->SetDescription(" described");
    std::ostringstream out;
    TQVDataFiler::SaveData(out, *data, *info);
    const Loaded loaded = Load(out.str());
    EXPECT_EQ(RowsOf(*loaded.data), RowsOf(*data)) << out.str();
    EXPECT_EQ(loaded.data->Inputs(), data->Inputs());
    EXPECT_EQ(loaded.data->Outputs(), data->Outputs());
    EXPECT_EQ(loaded.info->Kind(), info->Kind());
    EXPECT_STREQ(loaded.info->Title(), "  A title");
    EXPECT_STREQ(loaded.info->Description(), " described");
    EXPECT_EQ(WordOf(*loaded.info), WordOf(*info));
    EXPECT_EQ(BoundsOf(*loaded.info), BoundsOf(*info));
  }
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvdata-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(DataFileTest, LoadsFromAFileByName) {
  std::ofstream(Path("furnace.dat"), std::ios::binary) << kFurnace;
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVDataFileInfo> info;
  TQVDataFiler::LoadData(Path("furnace.dat").c_str(), data, info);
  EXPECT_EQ(info->FileName(), Path("furnace.dat"));
  EXPECT_EQ(RowsOf(*data), (Rows{{0.5, 0.25, 37.5}, {9, -0.75, 80}}));

  for (const std::string& name : {Path("missing.dat"), dir_.string()}) {
    try {
      TQVDataFiler::LoadData(name.c_str(), data, info);
      FAIL() << name;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Unable to open file");
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVDataFiler::LoadData");
    }
    EXPECT_EQ(info, nullptr);
  }
}

TEST_F(DataFileTest, SaveReplacesTheFileOnlyWhenWrittenCompletely) {
  Data data(1, 1, 0, false);
  const double value = 2;
  data.AppendRow(&value, nullptr, nullptr);
  const TQVDataFileInfo info("x.dat");
  TQVDataFiler::SaveData(Path("out.dat").c_str(), data, info);
  std::ifstream in(Path("out.dat"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "TITLE:\nDESCRIPTION:\nINPUTS:  1\n\n2  \n");

  struct Case {
    std::string name;
    const char* message;
  };
  for (const Case& c : {Case{Path("no/such/folder/out.dat"), "Unable to open file for output"},
                        Case{"/dev/full", "Error writing file"}}) {
    try {
      TQVDataFiler::SaveData(c.name.c_str(), data, info);
      ADD_FAILURE() << c.name;
    } catch (const FileTools::Error& e) {
      EXPECT_EQ(e.message, c.message);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Path("no")));
}

}  // namespace
}  // namespace nuxa
