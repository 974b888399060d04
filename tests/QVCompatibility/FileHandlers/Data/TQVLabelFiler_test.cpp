#include "QVCompatibility/FileHandlers/Data/TQVLabelFiler.h"

#include <gtest/gtest.h>

#if NUXA_WITH_LABELS

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

struct Loaded {
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVLabelFileInfo> info;
};

Loaded Load(const std::string& text) {
  std::istringstream in(text);
  Loaded loaded;
  TQVLabelFiler::LoadData(in, "in.lab", loaded.data, loaded.info);
  return loaded;
}

// Each row, oldest first, as its values and its labels with their weights:
// "1.4 0.2 [small=1]".
std::vector<std::string> RowsOf(const Data& data) {
  std::vector<std::string> rows;
  for (int i = 0; i < data.DataRows(); ++i) {
    const int slot = data.RingSlot(i);
    std::ostringstream row;
    for (int c = 0; c < data.Inputs(); ++c) row << data.InputRowPtr(slot)[c] << ' ';
    const TLabelList* labels = nullptr;
    data.GetLabels(slot, labels);
    row << '[';
    for (int k = 0; labels != nullptr && k < labels->Count(); ++k) {
      row << (k ? " " : "") << labels->Label(k).Name() << '=' << labels->Label(k).Weight();
    }
    row << ']';
    rows.push_back(row.str());
  }
  return rows;
}

const char kLeaves[] =
    "TITLE:    Leaf sizes\n"
    "DESCRIPTION:  length and width\n"
    "INPUTS:  2\n"
    "\n"
    "1.4 0.2  small\n"
    "4.7 1.4  large\n";

TEST(TQVLabelFilerTest, LoadsRowsWithOneLabelEach) {
  const Loaded loaded = Load(kLeaves);
  EXPECT_STREQ(loaded.info->FileName(), "in.lab");
  EXPECT_STREQ(loaded.info->FileType(), "Quorvatel Kohonen LabelFile");
  EXPECT_EQ(loaded.info->Kind(), 104);
  EXPECT_STREQ(loaded.info->Title(), "    Leaf sizes");
  EXPECT_STREQ(loaded.info->Description(), "  length and width");
  EXPECT_EQ(loaded.info->Remark(), nullptr);
  EXPECT_TRUE(loaded.data->HasLabels());
  EXPECT_EQ(loaded.data->Inputs(), 2);
  EXPECT_EQ(loaded.data->Outputs(), 0);
  EXPECT_EQ(loaded.data->Rows(), 2);
  EXPECT_EQ(RowsOf(*loaded.data),
            (std::vector<std::string>{"1.4 0.2 [small=1]", "4.7 1.4 [large=1]"}));
}

TEST(TQVLabelFilerTest, HeaderAndRowRules) {
  struct Case {
    std::string text;
    std::vector<std::string> rows;
    const char* title;
  };
  const std::string long_label(300, 'q');
  const Case cases[] = {
      {"INPUTS: 1\n1 a\n2 b\n", {"1 [a=1]", "2 [b=1]"}, ""},
      // A TITLE: line after the inputs count sets the title and is read again
      // as data: the keyword and words become values and labels.
      {"INPUTS: 1\nTITLE: big leaf\n3 x\n", {"0 [big=1]", "0 [3=1]"}, " big leaf"},
      // The data starts after the last inputs count.
      {"INPUTS: 5\nINPUTS: 1\n2 a\n", {"2 [a=1]"}, ""},
      // Separate rows keep separate labels, even of the same name.
      {"INPUTS: 1\n1 cat 2 cat\n", {"1 [cat=1]", "2 [cat=1]"}, ""},
      {"INPUTS: 1\nabc 1.5e2x\n", {"0 [1.5e2x=1]"}, ""},
      {"INPUTS: 1\n1 " + long_label + " 2 z\n", {"1 [" + long_label + "=1]", "2 [z=1]"}, ""},
      // An incomplete last row is dropped.
      {"INPUTS: 2\n1 2 a\n3 4", {"1 2 [a=1]"}, ""},
      // A label ended by the end of the file completes its row.
      {"INPUTS: 1\n1 a\n2 b", {"1 [a=1]", "2 [b=1]"}, ""},
      // One data word, last in the file, with no line end: no row.
      {"INPUTS: 1\n5", {}, ""},
  };
  for (const Case& c : cases) {
    const Loaded loaded = Load(c.text);
    EXPECT_EQ(RowsOf(*loaded.data), c.rows) << c.text;
    EXPECT_EQ(loaded.data->Rows(), static_cast<int>(c.rows.size())) << c.text;
    EXPECT_STREQ(loaded.info->Title(), c.title) << c.text;
  }
}

TEST(TQVLabelFilerTest, ThrowsTheExactException) {
  struct Case {
    std::string text;
    const char* message;
  };
  const char kEnd[] = "Unexpected end of file found";
  const char kInputs[] = "Inputs must be >= 1";
  const Case cases[] = {
      {"", kEnd},
      {"INPUTS: 2\n", kEnd},  // a header without rows, unlike a data file
      {"TITLE: x\nINPUTS: 2\n \n\n", kEnd},
      {"TITLE: only a title", kEnd},
      {"hello\n", kInputs},
      {"1 2 a\n", kInputs},
      {"INPUTS: 0\n1 a\n", kInputs},
      {"INPUTS: -1\n1 a\n", kInputs},
      {"INPUTS: two\n1 a\n", kInputs},
      {"INPUTS: 99999999999\n1 a\n", kInputs},
      {"INPUTS:", kInputs},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    std::unique_ptr<Data> data;
    std::unique_ptr<TQVLabelFileInfo> info;
    try {
      TQVLabelFiler::LoadData(in, "in.lab", data, info);
      ADD_FAILURE() << "no exception: " << c.text;
    } catch (const TException& e) {
      EXPECT_STREQ(e.Message(), c.message) << c.text;
      EXPECT_STREQ(e.Category(), "File Error");
      EXPECT_STREQ(e.Location(), "TQVDataFiler::LoadData");
    }
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(info, nullptr) << "no record before the inputs count is accepted";
  }
  std::unique_ptr<Data> data;
  std::unique_ptr<TQVLabelFileInfo> info;
  EXPECT_THROW(TQVLabelFiler::LoadData("/no/such/file.lab", data, info), TException);
}

TEST(TQVLabelFilerTest, SaveWritesTheCanonicalLayoutAndLoadsBack) {
  // A ring of two slots after three appends: rows are saved oldest first,
  // each with the name of its first label only.
  Data data(2, 2, 0, true);
  TLabelList labels("stale", 1.0);
  const double row0[2] = {0, 0}, row1[2] = {1.4, 0.2}, row2[2] = {4.7, 1.4};
  data.AppendRow(row0, nullptr, &labels);
  labels = TLabelList("small", 1.0);
  labels.Add("extra", 2.0);
  data.AppendRow(row1, nullptr, &labels);
  labels = TLabelList("large", 1.0);
  data.AppendRow(row2, nullptr, &labels);
  TQVLabelFileInfo info("leaves.lab");
  info.SetTitle("Leaf sizes");
  info.SetDescription("length and width");
  std::ostringstream out;
  TQVLabelFiler::SaveData(out, data, info);
  EXPECT_EQ(out.str(), kLeaves);

  const Loaded loaded = Load(out.str());
  std::ostringstream again;
  TQVLabelFiler::SaveData(again, *loaded.data, *loaded.info);
  EXPECT_EQ(again.str(), kLeaves);
  const Loaded reloaded = Load(again.str());
  EXPECT_EQ(RowsOf(*reloaded.data), RowsOf(*loaded.data));
  EXPECT_STREQ(reloaded.info->Title(), loaded.info->Title());
  EXPECT_STREQ(reloaded.info->Description(), loaded.info->Description());
}

TEST(TQVLabelFilerTest, SaveLeavesNoFileWhenItFails) {
  Data data(2, 1, 0, true);
  const double value = 1;
  TLabelList labels("a", 1.0);
  data.AppendRow(&value, nullptr, &labels);
  std::string pattern = (std::filesystem::temp_directory_path() / "qvlabel-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  const TQVLabelFileInfo info("x");

  for (const char* name : {"/dev/full", "no/such/folder/out.lab"}) {
    const std::string path = name[0] == '/' ? name : (dir / name).string();
    try {
      TQVLabelFiler::SaveData(path.c_str(), data, info);
      ADD_FAILURE() << name;
    } catch (const FileTools::Error& e) {
      EXPECT_EQ(e.message,
                name[0] == '/' ? "Error writing file" : "Unable to open file for output");
    }
  }

  // A row without a label would shift every row after it when read back.
  data.AppendRow(&value, nullptr, nullptr);
  try {
    TQVLabelFiler::SaveData((dir / "out.lab").c_str(), data, info);
    ADD_FAILURE() << "no exception";
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), "Row has no label");
    EXPECT_STREQ(e.Category(), "Bad Parameter");
    EXPECT_STREQ(e.Location(), "TQVLabelFiler::SaveData");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nuxa

#endif  // NUXA_WITH_LABELS
