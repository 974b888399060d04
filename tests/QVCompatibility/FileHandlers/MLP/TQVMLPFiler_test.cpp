#include "QVCompatibility/FileHandlers/MLP/TQVMLPFiler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "NeuralNets/TBasicLayer.h"
#include "NeuralNets/TConnections.h"

namespace nuxa {
namespace {

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kXorHead =
    "TITLE:  xor\n"
    "DESCRIPTION:  two-two-one\n"
    "\n"
    "INPUTS:       2\n"
    "HIDDEN:       2\n"
    "OUTPUTS:      1\n"
    "EPOCHS:       500\n"
    "RMS_ERROR:    0.01\n"
    "\n";
const std::string kXorMatrices =
    " Input        Hidden layer\n"
    "(0)           0.5          -0.5\n"
    "(1)          0.25         -0.25\n"
    "\n"
    " Hidden        Output layer\n"
    "(0)             1\n"
    "(1)            -1\n"
    "\n"
    " Hidden Bias\n"
    "(0)           0.1\n"
    "(1)          -0.1\n"
    "\n"
    " Output Bias\n"
    "(0)             0\n"
    "\n";
const std::string kXor = Crlf(kXorHead + kXorMatrices);

struct Loaded {
  std::unique_ptr<TMLPNetwork> net;
  std::unique_ptr<TQVMLPFileInfo> info;
};

Loaded Load(const std::string& text) {
  std::istringstream in(text);
  Loaded loaded;
  TQVMLPFiler::LoadMLP(in, "xor.wts", loaded.net, loaded.info);
  return loaded;
}

// The weights of a set as rows of from-neurons.
std::vector<std::vector<double>> Weights(TMLPNetwork& net, int from, int to) {
  TBasicConnections& set = *net.GetConnections(from, to);
  std::vector<std::vector<double>> rows(static_cast<size_t>(set.GetNumFrom()));
  for (int i = 0; i < set.GetNumFrom(); ++i) {
    for (int j = 0; j < set.GetNumTo(); ++j)
      rows[static_cast<size_t>(i)].push_back(set.Weight(i, j));
  }
  return rows;
}

void ExpectSameWeights(TMLPNetwork& a, TMLPNetwork& b) {
  const int pairs[4][2] = {{1, 2}, {2, 3}, {0, 2}, {0, 3}};
  for (const auto& pair : pairs) {
    const auto x = Weights(a, pair[0], pair[1]), y = Weights(b, pair[0], pair[1]);
    ASSERT_EQ(x.size(), y.size());
    for (size_t i = 0; i < x.size(); ++i) {
      ASSERT_EQ(x[i].size(), y[i].size());
      EXPECT_EQ(std::memcmp(x[i].data(), y[i].data(), x[i].size() * sizeof(double)), 0)
          << pair[0] << " -> " << pair[1] << " row " << i;
    }
  }
}

// The xor network built directly, with its header record.
struct Xor {
  Xor() : info("xor.wts") {
    const int sizes[3] = {2, 2, 1};
    net = std::make_unique<TMLPNetwork>(3, sizes, true);
    TBasicConnections& toHidden = *net->GetConnections(1, 2);
    toHidden.Weight(0, 0) = 0.5;
    toHidden.Weight(0, 1) = -0.5;
    toHidden.Weight(1, 0) = 0.25;
    toHidden.Weight(1, 1) = -0.25;
    net->GetConnections(2, 3)->Weight(0, 0) = 1;
    net->GetConnections(2, 3)->Weight(1, 0) = -1;
    net->GetConnections(0, 2)->Weight(0, 0) = 0.1;
    net->GetConnections(0, 2)->Weight(0, 1) = -0.1;
    info.SetTitle("xor");
    info.SetDescription("two-two-one");
    info.SetEpochs(500);
    info.SetRMSError(0.01);
  }
  std::unique_ptr<TMLPNetwork> net;
  TQVMLPFileInfo info;
};

double Sigmoid(double x) {
  return 1.0 / (1.0 + std::exp(-x));
}

TEST(TQVMLPFilerTest, LoadsTheXorFile) {
  Loaded loaded = Load(kXor);
  Xor expected;
  ExpectSameWeights(*expected.net, *loaded.net);
  EXPECT_EQ(loaded.net->GetNumLayers(), 4);
  EXPECT_EQ(loaded.net->GetLayer(1)->numNeurons, 2);
  EXPECT_EQ(loaded.net->GetLayer(3)->numNeurons, 1);
  EXPECT_STREQ(loaded.info->FileType(), "Quorvatel MLP File");
  EXPECT_STREQ(loaded.info->Title(), "  xor");
  EXPECT_STREQ(loaded.info->Description(), "  two-two-one");
  EXPECT_EQ(loaded.info->Epochs(), 500);
  EXPECT_EQ(loaded.info->RMSError(), 0.01);

  const double input[2] = {0, 0};
  double output[1] = {0};
  loaded.net->Recall(input, output);
  EXPECT_DOUBLE_EQ(output[0], Sigmoid(Sigmoid(0.1) - Sigmoid(-0.1)));
}

TEST(TQVMLPFilerTest, SavesTheXorLayout) {
  Xor x;
  std::ostringstream os;
  TQVMLPFiler::SaveMLP(os, *x.net, x.info);
  EXPECT_EQ(os.str(), kXor);
}

TEST(TQVMLPFilerTest, HeaderKeywordsInAnyOrder) {
  Loaded loaded = Load(Crlf(
      "HIDDEN: 2 OUTPUTS: 5 INPUTS: 2 words OUTPUTS: 1 RMS_ERROR: 0.5 EPOCHS: 3\n" + kXorMatrices));
  Xor expected;
  ExpectSameWeights(*expected.net, *loaded.net);
  EXPECT_EQ(loaded.info->Epochs(), 0);
  EXPECT_EQ(loaded.info->Title(), nullptr);
  EXPECT_EQ(loaded.info->RMSError(), 0.5);
}

TEST(TQVMLPFilerTest, RoundTripKeepsFirstValuesOfEveryWidth) {
  const char* const kValues[] = {"1",           "-1",           "0.5",           "-0.125",
                                 "1.23457",     "-1.23457",     "-0.123457",     "-0.00123457",
                                 "1.23457e+06", "-1.23457e+06", "-1.23457e-100", "-inf",
                                 "nan"};
  for (const char* text : kValues) {
    SCOPED_TRACE(text);
    const double value = std::strtod(text, nullptr);
    Xor x;
    const int pairs[4][2] = {{1, 2}, {2, 3}, {0, 2}, {0, 3}};
    for (const auto& pair : pairs) x.net->GetConnections(pair[0], pair[1])->Weight(0, 0) = value;
    std::ostringstream os;
    TQVMLPFiler::SaveMLP(os, *x.net, x.info);
    Loaded loaded = Load(os.str());
    ExpectSameWeights(*x.net, *loaded.net);
  }
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(TQVMLPFilerTest, RefusesMalformedFiles) {
  const char* const kEnd = "Unexpected end of file";
  const char* const kBad = "Bad File Format";
  const std::string xor_ = kXorHead + kXorMatrices;
  const struct {
    const char* name;
    std::string text;
    const char* message;
  } kCases[] = {
      {"empty", "", kEnd},
      {"no RMS_ERROR", kXorHead.substr(0, kXorHead.find("RMS")), kEnd},
      {"HIDDEN not a number", Replace(xor_, "HIDDEN:       2", "HIDDEN: x"), kBad},
      {"EPOCHS at the end", "EPOCHS:", kEnd},
      {"missing HIDDEN", Replace(xor_, "HIDDEN:", "Hidden:"), kBad},
      {"no hidden neurons", Replace(xor_, "HIDDEN:       2", "HIDDEN: 0"), kBad},
      {"negative outputs", Replace(xor_, "OUTPUTS:      1", "OUTPUTS: -1"), kBad},
      {"too many weights",
       Replace(Replace(xor_, "INPUTS:       2", "INPUTS: 100000"), "HIDDEN:       2",
               "HIDDEN: 100000"),
       kBad},
      {"no matrix", kXorHead, kEnd},
      {"output bias missing", Replace(xor_, " Output Bias\n(0)             0\n", ""), kEnd},
      {"last value missing", Replace(xor_, "(0)             0\n", "(0)\n"), kEnd},
      {"large layers, short file", Replace(xor_, "HIDDEN:       2", "HIDDEN: 1000000"), kEnd},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    try {
      Load(Crlf(c.text));
      ADD_FAILURE();
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), c.message);
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVMMLPFiler::LoadMLP");
    }
  }
}

TEST(TQVMLPFilerTest, MissingFileCannotBeOpened) {
  std::unique_ptr<TMLPNetwork> net;
  std::unique_ptr<TQVMLPFileInfo> info;
  try {
    TQVMLPFiler::LoadMLP("/nonexistent/xor.wts", net, info);
    ADD_FAILURE();
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), "Unable to open file");
    EXPECT_STREQ(e.Category(), "File Error");
    EXPECT_STREQ(e.Location(), "TQVMMLPFiler::LoadMLP");
  }
  EXPECT_EQ(info, nullptr);
}

TEST(TQVMLPFilerTest, SaveRefusesOtherShapesAndUnwritableFiles) {
  Xor x;
  const int sizes[3] = {2, 2, 1};
  TMLPNetwork noBias(3, sizes, false);
  const int fourSizes[4] = {2, 2, 2, 1};
  TMLPNetwork fourLayers(4, fourSizes, true);
  for (TMLPNetwork* net : {&noBias, &fourLayers}) {
    try {
      TQVMLPFiler::SaveMLP("never.wts", *net, x.info);
      ADD_FAILURE();
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), "Not a three-layer network with bias");
      EXPECT_STREQ(e.Category(), "Bad Parameter");
      EXPECT_STREQ(e.Location(), "TQVMLPFiler::SaveMLP");
    }
  }
  const struct {
    const char* name;
    const char* message;
  } kFiles[] = {{"/nonexistent/xor.wts", "Unable to open file"},
                {"/dev/full", "Error writing file"}};
  for (const auto& c : kFiles) {
    try {
      TQVMLPFiler::SaveMLP(c.name, *x.net, x.info);
      ADD_FAILURE() << c.name;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), c.message);
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVMLPFiler::SaveMLP");
    }
  }
}

}  // namespace
}  // namespace nuxa
