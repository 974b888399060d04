#include "QVCompatibility/FileHandlers/FuNN/TQVFuNNFiler.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"

namespace nuxa {
namespace {

// Line ends as the stored files have them.
std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kDemoHead =
    "TITLE:  demo\n"
    "DESCRIPTION:  tiny\n"
    "\n"
    "INPUTS:       1\n"
    "CONDITION:    2\n"
    "rule_layer:   1\n"
    "ACTION:       2\n"
    "OUTPUTS:      1\n"
    "EPOCHS:       100\n"
    "RMS_ERROR:    0.05\n"
    "\n";
const std::string kDemoParameters =
    "PARAMETERS: Learning_Rate  Momentum  Gain_Term\n"
    " Layer 2:        0.5         0.1         1\n"
    " Layer 3:        0.5         0.1         1\n"
    " Layer 4:        0.5         0.1         1\n"
    " Layer 5:        0.5         0.1         1\n"
    "\n";
const std::string kDemoTables =
    "FUZZIFIED:   Members       Min       Max     Width\n"
    " Input 1:      2             0         1       0.5\n"
    " Output 1:      2             0         1       0.5\n"
    "\n";
const std::string kDemoMatrices =
    " Input  to  Condition Layer\n"
    "(0)             0             1\n"
    "\n"
    " Condition    to    Rule Layer\n"
    "(0)           0.5\n"
    "(1)          -0.5\n"
    "\n"
    " Rule    to     Action Layer\n"
    "(0)           0.8          -0.8\n"
    "\n"
    " Action to Output Layer\n"
    "(0)             0\n"
    "(1)             1\n"
    " \n";
const std::string kDemo = Crlf(kDemoHead + kDemoParameters + kDemoTables + kDemoMatrices);

struct Loaded {
  std::unique_ptr<TFuNN> net;
  std::unique_ptr<TQVFuNNFileInfo> info;
};

Loaded Load(const std::string& text) {
  std::istringstream in(text);
  Loaded loaded;
  TQVFuNNFiler::LoadFuNN(in, "demo.wts", loaded.net, loaded.info);
  return loaded;
}

std::vector<double> WeightLayer(TFuNN& net, int layer) {
  int count = 0;
  std::vector<double> values;
  net.GetWeightLayer(layer, count, values);
  return values;
}

// The four weight layers, compared bit for bit (NaN included).
void ExpectSameWeights(TFuNN& a, TFuNN& b) {
  for (int layer = 1; layer <= 4; ++layer) {
    const std::vector<double> x = WeightLayer(a, layer), y = WeightLayer(b, layer);
    ASSERT_EQ(x.size(), y.size()) << "weight layer " << layer;
    EXPECT_EQ(std::memcmp(x.data(), y.data(), x.size() * sizeof(double)), 0)
        << "weight layer " << layer;
  }
}

void ExpectFailure(const std::string& text, const char* message, const char* category,
                   const char* location) {
  try {
    Load(text);
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), message);
    EXPECT_STREQ(e.Category(), category);
    EXPECT_STREQ(e.Location(), location);
  }
}

// The demo network built directly, with its header record.
struct Demo {
  Demo() : info("demo.wts") {
    const int inputMFs[1] = {2};
    const int outputMFs[1] = {2};
    net = std::make_unique<TFuNN>(1, inputMFs, 1, outputMFs, 1);
    const double centres[2] = {0, 1}, rules[2] = {0.5, -0.5}, actions[2] = {0.8, -0.8};
    net->SetWeightLayer(1, centres);
    net->SetWeightLayer(2, rules);
    net->SetWeightLayer(3, actions);
    net->SetWeightLayer(4, centres);
    info.SetTitle("demo");
    info.SetDescription("tiny");
    info.SetInputs(1);
    info.SetOutputs(1);
    info.SetEpochs(100);
    info.SetRMSError(0.05);
    for (int row = 0; row < TQVFuNNFileInfo::kParameterRows; ++row) {
      info.SetParameter(row, 0, 0.5);
      info.SetParameter(row, 1, 0.1);
      info.SetParameter(row, 2, 1);
    }
    TFuzzifiedRow fuzzified;
    fuzzified.Members = 2;
    fuzzified.Min = 0;
    fuzzified.Max = 1;
    fuzzified.Width = 0.5;
    info.SetInputMF(&fuzzified);
    info.SetOutputMF(&fuzzified);
  }
  std::unique_ptr<TFuNN> net;
  TQVFuNNFileInfo info;
};

TEST(TQVFuNNFilerTest, LoadsTheDemoFile) {
  Loaded demo = Load(kDemo);
  int n = 0, c = 0, r = 0, a = 0, p = 0;
  std::vector<int> inputMFs, outputMFs;
  demo.net->GetStructure(n, c, inputMFs, r, a, outputMFs, p);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(p, 1);
  EXPECT_EQ(inputMFs, std::vector<int>{2});
  EXPECT_EQ(outputMFs, std::vector<int>{2});
  EXPECT_EQ(WeightLayer(*demo.net, 1), (std::vector<double>{0, 1}));
  EXPECT_EQ(WeightLayer(*demo.net, 2), (std::vector<double>{0.5, -0.5}));
  EXPECT_EQ(WeightLayer(*demo.net, 3), (std::vector<double>{0.8, -0.8}));
  EXPECT_EQ(WeightLayer(*demo.net, 4), (std::vector<double>{0, 1}));

  const TQVFuNNFileInfo& info = *demo.info;
  EXPECT_STREQ(info.FileName(), "demo.wts");
  EXPECT_STREQ(info.FileType(), "Quorvatel FuNN File");
  EXPECT_STREQ(info.Title(), "  demo");
  EXPECT_STREQ(info.Description(), "  tiny");
  EXPECT_EQ(info.Inputs(), 1);
  EXPECT_EQ(info.Outputs(), 1);
  EXPECT_EQ(info.Epochs(), 100);
  EXPECT_EQ(info.RMSError(), 0.05);
  for (int row = 0; row < TQVFuNNFileInfo::kParameterRows; ++row) {
    EXPECT_EQ(info.Parameter(row, 0), 0.5);
    EXPECT_EQ(info.Parameter(row, 1), 0.1);
    EXPECT_EQ(info.Parameter(row, 2), 1.0);
  }
  std::vector<TFuzzifiedRow> rows;
  info.GetOutputMF(rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Members, 2);
  EXPECT_EQ(rows[0].Min, 0.0);
  EXPECT_EQ(rows[0].Max, 1.0);
  EXPECT_EQ(rows[0].Width, 0.5);
}

TEST(TQVFuNNFilerTest, SavesTheDemoLayout) {
  Demo demo;
  std::ostringstream os;
  TQVFuNNFiler::SaveFuNN(os, *demo.net, demo.info);
  EXPECT_EQ(os.str(), kDemo);
}

TEST(TQVFuNNFilerTest, NullTitleAndDescriptionWriteTheKeywordsAlone) {
  Demo demo;
  demo.info.SetTitle(static_cast<const char*>(nullptr));
  demo.info.SetDescription(static_cast<const char*>(nullptr));
  std::ostringstream os;
  TQVFuNNFiler::SaveFuNN(os, *demo.net, demo.info);
  EXPECT_EQ(os.str().substr(0, 26), "TITLE:  \r\nDESCRIPTION:  \r\n");
  // Read back, both lines give the blanks after the keyword.
  Loaded loaded = Load(os.str());
  EXPECT_STREQ(loaded.info->Title(), "  ");
  EXPECT_STREQ(loaded.info->Description(), "  ");
}

// Every width a first value can be written in, for each of the four matrices:
// the skip after the matrix's first "(" must not eat into the value.
TEST(TQVFuNNFilerTest, RoundTripKeepsFirstValuesOfEveryWidth) {
  const char* const kValues[] = {
      "1",           "-1",          "0.5",          "-0.5",         "0.125",
      "-0.125",      "1.23457",     "-1.23457",     "-0.123457",    "0.00123457",
      "-0.00123457", "1.23457e+06", "-1.23457e+06", "1.23457e-100", "-1.23457e-100",
      "inf",         "-inf",        "nan",          "-nan"};
  for (const char* text : kValues) {
    SCOPED_TRACE(text);
    const double value = std::strtod(text, nullptr);
    Demo demo;
    for (int layer = 1; layer <= 4; ++layer) {
      std::vector<double> weights = WeightLayer(*demo.net, layer);
      weights[0] = value;
      demo.net->SetWeightLayer(layer, weights.data());
    }
    std::ostringstream os;
    TQVFuNNFiler::SaveFuNN(os, *demo.net, demo.info);
    Loaded loaded = Load(os.str());
    ExpectSameWeights(*demo.net, *loaded.net);
  }
}

TEST(TQVFuNNFilerTest, RoundTripOfALargerNetwork) {
  const int inputMFs[3] = {3, 2, 4};
  const int outputMFs[2] = {2, 3};
  TFuNN net(3, inputMFs, 5, outputMFs, 2);
  // Values of six significant digits, as the layout keeps them.
  uint32_t seed = 7;
  for (int layer = 1; layer <= 4; ++layer) {
    std::vector<double> weights = WeightLayer(net, layer);
    for (double& w : weights) {
      seed = seed * 1103515245u + 12345u;
      char text[32];
      std::snprintf(text, sizeof text, "%g", (static_cast<int>(seed % 2000001) - 1000000) * 1e-5);
      w = std::strtod(text, nullptr);
    }
    net.SetWeightLayer(layer, weights.data());
  }
  TQVFuNNFileInfo info("big.wts");
  info.SetInputs(3);
  info.SetOutputs(2);
  std::vector<TFuzzifiedRow> rows(3);
  for (int i = 0; i < 3; ++i) rows[static_cast<size_t>(i)].Members = inputMFs[i];
  info.SetInputMF(rows.data());
  rows.assign(2, TFuzzifiedRow());
  for (int o = 0; o < 2; ++o) rows[static_cast<size_t>(o)].Members = outputMFs[o];
  info.SetOutputMF(rows.data());

  std::ostringstream os;
  TQVFuNNFiler::SaveFuNN(os, net, info);
  Loaded loaded = Load(os.str());
  ExpectSameWeights(net, *loaded.net);
  std::vector<TFuzzifiedRow> read;
  loaded.info->GetInputMF(read);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[2].Members, 4);
}

TEST(TQVFuNNFilerTest, HeaderKeywordsInAnyOrderAndTheLaterValueWins) {
  const std::string text = Crlf(
      "OUTPUTS: 1 junk words INPUTS: 7 ACTION: 2\n"
      "TITLE:  first\n"
      "rule_layer: 1 CONDITION: 2 INPUTS: 1\n"
      "TITLE:  second\n"
      "RMS_ERROR: 0.25 EPOCHS: 9\n"
      "between the sections\n" +
      kDemoParameters + kDemoTables + kDemoMatrices);
  Loaded loaded = Load(text);
  EXPECT_STREQ(loaded.info->Title(), "  second");
  EXPECT_EQ(loaded.info->Description(), nullptr);
  EXPECT_EQ(loaded.info->Inputs(), 1);
  EXPECT_EQ(loaded.info->Epochs(), 0);  // after RMS_ERROR: unseen
  EXPECT_EQ(loaded.info->RMSError(), 0.25);
  EXPECT_EQ(WeightLayer(*loaded.net, 3), (std::vector<double>{0.8, -0.8}));
}

TEST(TQVFuNNFilerTest, TitleLinesLongerThan254CharactersAreReadOnAsWords) {
  // The blank after the keyword counts as the title's first character.
  const std::string title = " " + std::string(253, 'x');
  const std::string counts =
      "INPUTS: 1 CONDITION: 2 rule_layer: 1 ACTION: 2 OUTPUTS: 1 RMS_ERROR: 0\n";
  Loaded loaded = Load(Crlf("TITLE:" + title + "EPOCHS: 5\nDESCRIPTION:\n" + counts +
                            kDemoParameters + kDemoTables + kDemoMatrices));
  ASSERT_NE(loaded.info->Title(), nullptr);
  EXPECT_EQ(std::string(loaded.info->Title()), title);
  EXPECT_EQ(loaded.info->Epochs(), 5);
  EXPECT_STREQ(loaded.info->Description(), "");
}

TEST(TQVFuNNFilerTest, LongWordsAndHeadingLinesAreReadWhole) {
  // A heading line far longer than any buffer, and a value of 400
  // characters: 0.000...001e300 is 0.1 only when read whole.
  const std::string heading(5000, '#');
  const std::string value = "0." + std::string(300, '0') + "1e300";
  std::string text = kDemoHead + "PARAMETERS: " + heading + "\n" +
                     kDemoParameters.substr(kDemoParameters.find('\n') + 1) +
                     "FUZZIFIED: " + heading + "\n" +
                     kDemoTables.substr(kDemoTables.find('\n') + 1) + std::string(1000, 'w') +
                     "\n" + kDemoMatrices;
  text.replace(text.find("0.5\n(1)"), 3, value);
  Loaded loaded = Load(Crlf(text));
  EXPECT_EQ(loaded.info->Parameter(0, 0), 0.5);
  EXPECT_EQ(WeightLayer(*loaded.net, 2), (std::vector<double>{0.1, -0.5}));
}

TEST(TQVFuNNFilerTest, HandsOutTheHeaderRecordEvenWhenLoadingFails) {
  std::istringstream in(Crlf(kDemoHead));
  std::unique_ptr<TFuNN> net;
  std::unique_ptr<TQVFuNNFileInfo> info;
  EXPECT_THROW(TQVFuNNFiler::LoadFuNN(in, "x.wts", net, info), TException);
  EXPECT_EQ(net, nullptr);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->Title(), "  demo");
  EXPECT_EQ(info->Epochs(), 100);
}

TEST(TQVFuNNFilerTest, MissingFileOrFolderCannotBeOpened) {
  std::unique_ptr<TFuNN> net;
  std::unique_ptr<TQVFuNNFileInfo> info;
  for (const char* name : {"/nonexistent/demo.wts", "/"}) {
    try {
      TQVFuNNFiler::LoadFuNN(name, net, info);
      ADD_FAILURE() << name;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Unable to open file");
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVFuNNFiler::LoadFuNN");
    }
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(net, nullptr);
  }
}

struct BadFile {
  const char* name;
  std::string text;
  const char* message;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

// One damage per file, and the message it must give. Numbers that cannot be
// read fail where they are read; counts are checked after RMS_ERROR:, the
// Members sums after the tables, the matrices last.
TEST(TQVFuNNFilerTest, RefusesMalformedFiles) {
  const char* const kEnd = "Unexpected end of file";
  const char* const kBad = "Bad File Format";
  const std::string demo = kDemoHead + kDemoParameters + kDemoTables + kDemoMatrices;
  const BadFile kCases[] = {
      {"empty", "", kEnd},
      {"no RMS_ERROR", kDemoHead.substr(0, kDemoHead.find("RMS")), kEnd},
      {"RMS_ERROR without number", Replace(kDemoHead, "0.05\n\n", "  \n"), kEnd},
      {"RMS_ERROR not a number", Replace(demo, "0.05", "x"), kBad},
      {"INPUTS not a number", Replace(demo, "INPUTS:       1", "INPUTS: abc"), kBad},
      {"INPUTS at the end", "INPUTS: \n \t", kEnd},
      {"count out of range", Replace(demo, "INPUTS:       1", "INPUTS: 3000000000"), kBad},
      {"missing CONDITION", Replace(demo, "CONDITION:", "condition:"), kBad},
      {"missing count before the end",
       Replace(kDemoHead.substr(0, kDemoHead.find("RMS")), "CONDITION:", "x"), kEnd},
      {"negative ACTION", Replace(demo, "ACTION:       2", "ACTION: -2"), kBad},
      {"no inputs", Replace(demo, "INPUTS:       1", "INPUTS: 0"), kBad},
      {"no rules", Replace(demo, "rule_layer:   1", "rule_layer: 0"), kBad},
      {"too many weights",
       Replace(Replace(demo, "CONDITION:    2", "CONDITION: 100000"), "rule_layer:   1",
               "rule_layer: 100000"),
       kBad},
      {"no PARAMETERS", kDemoHead + "\n\n", kEnd},
      {"parameter row cut", kDemoHead + kDemoParameters.substr(0, 100), kEnd},
      {"parameter not a number", Replace(demo, "0.1         1\n Layer 5", "x 1\n Layer 5"), kBad},
      {"no FUZZIFIED", kDemoHead + kDemoParameters, kEnd},
      {"Members not a number", Replace(demo, "Input 1:      2", "Input 1: x"), kBad},
      {"table cut", Replace(demo, kDemoTables + kDemoMatrices, kDemoTables.substr(0, 90)), kEnd},
      {"output Members sum", Replace(demo, "Output 1:      2", "Output 1: 3"), kBad},
      {"input Members sum", Replace(demo, "Input 1:      2", "Input 1: 3"), kBad},
      {"negative Members",
       Replace(Replace(demo, "INPUTS:       1", "INPUTS: 2"), " Input 1:      2 ",
               " Input 1: -2 0 1 0.5\n Input 2: 4 "),
       kBad},
      {"Members below 2 with a wrong sum", Replace(demo, "Input 1:      2", "Input 1: 1"), kBad},
      {"no matrix", kDemoHead + kDemoParameters + kDemoTables + "no bracket here", kEnd},
      {"third matrix missing", Replace(demo, kDemoMatrices.substr(kDemoMatrices.find(" Rule")), ""),
       kEnd},
      {"last value missing", Replace(demo, "(1)             1\n", ""), kEnd},
      {"many rules, short file", Replace(demo, "rule_layer:   1", "rule_layer: 500000000"), kEnd},
  };
  for (const BadFile& c : kCases) {
    SCOPED_TRACE(c.name);
    ExpectFailure(Crlf(c.text), c.message, "File Error", "TQVFuNNFiler::LoadFuNN");
  }
}

TEST(TQVFuNNFilerTest, MembersBelowTwoAreRefusedByTheNetworkBeforeTheMatrices) {
  // One membership function on the input with the sums right; the matrices
  // are cut as well, which would be the next failure.
  std::string text = Replace(kDemoHead, "CONDITION:    2", "CONDITION:    1") + kDemoParameters +
                     Replace(kDemoTables, "Input 1:      2", "Input 1: 1");
  ExpectFailure(Crlf(text), "Must be >= 2 MF per input", "Bad Parameter", "TFuNN::TFuNN");
  text = Replace(kDemoHead, "ACTION:       2", "ACTION:       1") + kDemoParameters +
         Replace(kDemoTables, "Output 1:      2", "Output 1: 1") + kDemoMatrices;
  ExpectFailure(Crlf(text), "Must be >= 2 MF per output", "Bad Parameter", "TFuNN::TFuNN");
}

TEST(TQVFuNNFilerTest, SaveRefusesAHeaderThatDoesNotFit) {
  Demo demo;
  TQVFuNNFileInfo noTables("x.wts");
  noTables.SetInputs(1);
  noTables.SetOutputs(1);
  TQVFuNNFileInfo twoInputs("x.wts");
  twoInputs.SetOutputs(1);
  twoInputs.SetInputs(2);
  const TFuzzifiedRow rows[2];
  twoInputs.SetInputMF(rows);
  twoInputs.SetOutputMF(rows);
  for (const TQVFuNNFileInfo* info : {&noTables, &twoInputs}) {
    try {
      TQVFuNNFiler::SaveFuNN("never.wts", *demo.net, *info);
      ADD_FAILURE();
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Header does not match the network");
      EXPECT_STREQ(e.Category(), "Bad Parameter");
      EXPECT_STREQ(e.Location(), "TQVFuNNFiler::SaveFuNN");
    }
  }
  EXPECT_FALSE(std::filesystem::exists("never.wts"));
}

TEST(TQVFuNNFilerTest, SaveReportsFilesThatCannotBeWritten) {
  Demo demo;
  const struct {
    const char* name;
    const char* message;
  } kCases[] = {{"/nonexistent/demo.wts", "Unable to open file"},
                {"/dev/full", "Error writing file"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    try {
      TQVFuNNFiler::SaveFuNN(c.name, *demo.net, demo.info);
      ADD_FAILURE();
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), c.message);
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVFuNNFiler::SaveFuNN");
    }
  }
}

TEST(TQVFuNNFilerTest, SavesToAFileAndLoadsItBack) {
  Demo demo;
  const std::string name =
      (std::filesystem::temp_directory_path() / ("qvfunn_" + std::to_string(::getpid()) + ".wts"))
          .string();
  TQVFuNNFiler::SaveFuNN(name.c_str(), *demo.net, demo.info);
  std::ifstream in(name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, kDemo);
  std::unique_ptr<TFuNN> net;
  std::unique_ptr<TQVFuNNFileInfo> info;
  TQVFuNNFiler::LoadFuNN(name.c_str(), net, info);
  EXPECT_STREQ(info->FileName(), name.c_str());
  ExpectSameWeights(*demo.net, *net);
  std::filesystem::remove(name);
}

}  // namespace
}  // namespace nuxa
