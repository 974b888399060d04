#include "QVCompatibility/FileHandlers/FileInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nuxa {
namespace {

struct RecordCase {
  std::function<TQVFileInfo*(const char*)> make;
  const char* file_type;
  int32_t kind;  // 0 for the network file records, which have none
};

TEST(FileInfoTest, EachRecordStartsWithItsTypeTextAndNoTitle) {
  const RecordCase cases[] = {
      {[](const char* n) { return new TQVFuNNFileInfo(n); }, "Quorvatel FuNN File", 0},
      {[](const char* n) { return new TQVMLPFileInfo(n); }, "Quorvatel MLP File", 0},
      {[](const char* n) { return new TQVDataFileInfo(n); }, "Quorvatel BP Data File", 101},
      {[](const char* n) { return new TQVKohDataFileInfo(n); }, "Quorvatel Kohonen Data File", 102},
      {[](const char* n) { return new TQVFuNNDataFileInfo(n); }, "Quorvatel FuNN Data File", 103},
      {[](const char* n) { return new TQVLabelFileInfo(n); }, "Quorvatel Kohonen LabelFile", 104},
  };
  for (const RecordCase& c : cases) {
    std::string name = "dir/old.dat";
    // Deleted through the root of the chain, as the converters delete them.
    std::unique_ptr<TFileInfo> root(c.make(name.c_str()));
    name = "changed";  // the record keeps its own copy
    auto* record = static_cast<TQVFileInfo*>(root.get());
    EXPECT_STREQ(record->FileName(), "dir/old.dat");
    EXPECT_STREQ(record->FileType(), c.file_type);
    EXPECT_EQ(record->Title(), nullptr);
    EXPECT_EQ(record->Description(), nullptr);
    if (c.kind != 0) {
      EXPECT_EQ(static_cast<TQVDataFileInfo*>(record)->Kind(), c.kind);
    }
    record->SetTitle("");
    EXPECT_STREQ(record->Title(), "") << "an empty title is not a null one";
    record->SetTitle(static_cast<const char*>(nullptr));
    EXPECT_EQ(record->Title(), nullptr);
  }
}

TEST(FileInfoTest, FuNNMembershipTablesAreCopiesOfTheCountGiven) {
  TQVFuNNFileInfo info("net.wts");
  EXPECT_FALSE(info.HasInputMF());
  info.SetInputs(2);
  info.SetOutputs(0);
  std::vector<TFuzzifiedRow> rows = {{3, 0.0, 1.0, 0.5}, {2, -1.0, 1.0, 1.0}, {9, 9, 9, 9}};
  info.SetInputMF(rows.data());
  rows[0].Members = 7;  // the caller's array stays the caller's

  std::vector<TFuzzifiedRow> out;
  info.GetInputMF(out);
  ASSERT_EQ(out.size(), 2u);  // Inputs() rows, not three
  EXPECT_EQ(out[0].Members, 3);
  EXPECT_EQ(out[1].Min, -1.0);
  EXPECT_EQ(out[1].Width, 1.0);

  // A second table replaces the first.
  const TFuzzifiedRow other[2] = {{4, 1, 2, 3}, {5, 4, 5, 6}};
  info.SetInputMF(other);
  info.GetInputMF(out);
  EXPECT_EQ(out[0].Members, 4);
  EXPECT_EQ(out[1].Max, 5.0);

  // With no outputs the output table is empty.
  info.SetOutputMF(nullptr);
  info.GetOutputMF(out);
  EXPECT_TRUE(out.empty());

  info.SetParameter(3, 2, 0.25);
  EXPECT_EQ(info.Parameter(3, 2), 0.25);
  EXPECT_EQ(info.Parameter(0, 0), 0.0);
}

TEST(FileInfoTest, FuNNDataBoundsCopyTheCountsAndReadZerosWhereNeverSet) {
  TQVFuNNDataFileInfo info("furnace.dat");
  info.SetInputs(2);
  info.SetOutputs(1);
  std::vector<double> values;
  info.GetInputMax(values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 0.0}));

  const double maxima[3] = {10.0, 1.0, 99.0};
  info.SetInputMax(maxima);
  info.SetOutputMin(maxima + 2);
  info.GetInputMax(values);
  EXPECT_EQ(values, (std::vector<double>{10.0, 1.0}));
  info.GetOutputMin(values);
  EXPECT_EQ(values, (std::vector<double>{99.0}));
  info.GetInputMin(values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 0.0}));

  info.SetInputs(3);  // grown after the array was stored
  info.GetInputMax(values);
  EXPECT_EQ(values, (std::vector<double>{10.0, 1.0, 0.0}));
}

}  // namespace
}  // namespace nuxa
