#include "DataObject/Data.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Common/Exceptions.h"

namespace nuxa {
namespace {

// Runs f and checks that it throws TException with exactly these texts.
void ExpectThrow(const std::function<void()>& f, const std::string& message,
                 const std::string& location, const std::string& category = "Bad Parameter") {
  try {
    f();
    ADD_FAILURE() << "no exception, expected " << message << " at " << location;
  } catch (const TException& e) {
    EXPECT_EQ(message, e.Message());
    EXPECT_EQ(category, e.Category());
    EXPECT_EQ(location, e.Location());
  }
}

// Appends rows whose single input is 1, 2, 3, ... and whose output is ten times that.
void AppendNumbered(Data& data, int count, int start = 1) {
  for (int i = 0; i < count; ++i) {
    const double in[2] = {double(start + i), 0.0};
    const double out[1] = {10.0 * (start + i)};
    data.AppendRow(in, out, nullptr);
  }
}

double InputAt(const Data& data, int slot) {
  double v = -1.0;
  data.GetInputDatum(slot, 0, v);
  return v;
}

TEST(DataTest, NewSetIsEmptyButEverySlotReadsZero) {
  Data data(3, 2, 1, false);
  EXPECT_EQ(3, data.Rows());
  EXPECT_EQ(0, data.DataRows());
  EXPECT_EQ(2, data.Inputs());
  EXPECT_EQ(1, data.Outputs());
  EXPECT_EQ(0, data.First());
  EXPECT_EQ(0, data.Last());
  EXPECT_EQ(0, data.Changes());
  double v = -1.0;
  data.GetInputDatum(2, 1, v);
  EXPECT_EQ(0.0, v);
  data.GetOutputDatum(2, 0, v);
  EXPECT_EQ(0.0, v);
}

TEST(DataTest, SlotAndColumnErrorsLeaveTheSetUnchanged) {
  Data data(3, 2, 1, false);
  double v = 0.0;
  double row[2] = {0.0, 0.0};
  const int bad_column[1] = {2};
  struct Case {
    std::function<void()> call;
    const char* message;
    const char* location;
  };
  const Case cases[] = {
      {[&] { data.GetInputDatum(3, 0, v); }, "Invalid Data Row", "Data::GetInputDatum"},
      {[&] { data.GetInputDatum(-1, 0, v); }, "Invalid Data Row", "Data::GetInputDatum"},
      {[&] { data.GetInputDatum(0, 2, v); }, "Invalid Input Data Column", "Data::GetInputDatum"},
      {[&] { data.GetInputDatum(0, -1, v); }, "Invalid Input Data Column", "Data::GetInputDatum"},
      {[&] { data.GetOutputDatum(0, 1, v); }, "Invalid Output Data Column", "Data::GetOutputDatum"},
      {[&] { data.SetInputDatum(0, 2, 1.0); }, "Invalid Input Data Column", "Data::SetInputDatum"},
      {[&] { data.SetOutputDatum(3, 0, 1.0); }, "Invalid Data Row", "Data::SetOutputDatum"},
      {[&] { data.SetOutputDatum(0, 1, 1.0); }, "Invalid Output Data Column",
       "Data::SetOutputDatum"},
      {[&] { data.SetRow(3, row, nullptr, nullptr); }, "Invalid Data Row", "Data::SetRow"},
      {[&] { data.GetInputRow(3, row); }, "Invalid Data Row", "Data::GetInputRow"},
      {[&] { data.GetInputRow(0, row, 1, bad_column); }, "Invalid Input Data Column",
       "Data::GetInputRow"},
      {[&] { data.GetOutputRow(0, row, 1, bad_column); }, "Invalid Output Data Column",
       "Data::GetOutputRow"},
      {[&] { data.GetOutputRow(-1, row); }, "Invalid Data Row", "Data::GetOutputRow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    ExpectThrow(c.call, c.message, c.location);
  }
  EXPECT_EQ(0, data.Changes());
  EXPECT_EQ(0.0, InputAt(data, 0));
}

TEST(DataTest, SetAndGetByColumnList) {
  Data data(2, 3, 2, false);
  const double in[3] = {1.0, 2.0, 3.0};
  const double out[2] = {4.0, 5.0};
  data.SetRow(1, in, out, nullptr);
  data.SetInputDatum(1, 0, 7.0);
  const int in_cols[3] = {2, 0, 2};
  double got[3] = {};
  data.GetInputRow(1, got, 3, in_cols);
  EXPECT_EQ(std::vector<double>({3.0, 7.0, 3.0}), std::vector<double>(got, got + 3));
  const int out_cols[1] = {1};
  data.GetOutputRow(1, got, 1, out_cols);
  EXPECT_EQ(5.0, got[0]);
  // SetRow counts once; a null side is left alone.
  data.SetRow(1, nullptr, nullptr, nullptr);
  data.GetOutputRow(1, got);
  EXPECT_EQ(4.0, got[0]);
  EXPECT_EQ(3, data.Changes());
  EXPECT_EQ(0, data.DataRows());  // SetRow is not an append
}

TEST(DataTest, RingOverwritesTheOldestRowOnceFull) {
  Data data(3, 2, 1, false);
  AppendNumbered(data, 3);
  EXPECT_EQ(0, data.First());
  EXPECT_EQ(2, data.Last());
  EXPECT_EQ(3, data.DataRows());
  EXPECT_EQ(6, data.Changes());  // two per append

  AppendNumbered(data, 1, 4);
  EXPECT_EQ(1, data.First());
  EXPECT_EQ(0, data.Last());
  EXPECT_EQ(3, data.DataRows());
  EXPECT_EQ(4.0, InputAt(data, 0));
  // Once wrapped, every slot holds a row and stays addressable.
  for (int slot = 0; slot < 3; ++slot) EXPECT_TRUE(data.IsValidRow(slot)) << slot;
  EXPECT_FALSE(data.IsValidRow(3));
  std::vector<double> oldest_first;
  for (int i = 0; i < data.DataRows(); ++i) oldest_first.push_back(InputAt(data, data.RingSlot(i)));
  EXPECT_EQ(std::vector<double>({2.0, 3.0, 4.0}), oldest_first);

  // Several more turns of the ring.
  AppendNumbered(data, 5, 5);
  EXPECT_EQ(0, data.First());
  EXPECT_EQ(2, data.Last());
  EXPECT_EQ(9.0, InputAt(data, 2));
}

TEST(DataTest, PartlyFilledSetKeepsLaterSlotsAtZero) {
  Data data(5, 2, 1, false);
  AppendNumbered(data, 3);
  EXPECT_EQ(3, data.DataRows());
  EXPECT_EQ(0, data.First());
  EXPECT_EQ(2, data.Last());
  EXPECT_TRUE(data.IsValidRow(4));
  EXPECT_EQ(0.0, InputAt(data, 3));
  EXPECT_EQ(0.0, InputAt(data, 4));
  double out = -1.0;
  data.GetOutputDatum(2, 0, out);
  EXPECT_EQ(30.0, out);
}

TEST(DataTest, AppendRowsTakesArraysOfRows) {
  Data data(4, 2, 1, false);
  const double a[2] = {1.0, 2.0}, b[2] = {3.0, 4.0};
  const double* inputs[2] = {a, b};
  data.AppendRows(inputs, nullptr, 2, nullptr);
  EXPECT_EQ(2, data.DataRows());
  double row[2];
  data.GetInputRow(1, row);
  EXPECT_EQ(3.0, row[0]);
  EXPECT_EQ(4.0, row[1]);
  double out = -1.0;
  data.GetOutputDatum(1, 0, out);
  EXPECT_EQ(0.0, out);
}

TEST(DataTest, NoInputColumnsMeansNoInputStorage) {
  Data data(2, 0, 1, false);
  EXPECT_EQ(nullptr, data.InputRowPtr(0));
  double v = 0.0;
  ExpectThrow([&] { data.GetInputDatum(0, 0, v); }, "Invalid Input Data Column",
              "Data::GetInputDatum");
  const double in[1] = {9.0};
  const double out[1] = {5.0};
  data.AppendRow(in, out, nullptr);  // inputs ignored: there are no input columns
  data.GetOutputDatum(0, 0, v);
  EXPECT_EQ(5.0, v);
}

TEST(DataTest, ZeroSlotSetIsLegalButHoldsNoRow) {
  Data data(0, 2, 1, false);
  EXPECT_EQ(0, data.Rows());
  EXPECT_FALSE(data.IsValidRow(0));
  double v = 0.0;
  ExpectThrow([&] { data.GetInputDatum(0, 0, v); }, "Invalid Data Row", "Data::GetInputDatum");
  ExpectThrow([&] { AppendNumbered(data, 1); }, "Invalid Data Row", "Data::AppendRow");
  EXPECT_EQ(0, data.DataRows());
  EXPECT_EQ(0, data.Changes());
}

TEST(DataTest, StorageIsOneContiguousBlockPerSide) {
  Data data(1000000, 10, 2, false);
  EXPECT_EQ(data.InputRowPtr(0) + 999999 * 10, data.InputRowPtr(999999));
  EXPECT_EQ(data.OutputRowPtr(0) + 999999 * 2, data.OutputRowPtr(999999));
  data.MutableInputRowPtr(999999)[9] = 1.5;
  double v = 0.0;
  data.GetInputDatum(999999, 9, v);
  EXPECT_EQ(1.5, v);
  data.GetInputDatum(500000, 3, v);
  EXPECT_EQ(0.0, v);
}

TEST(DataTest, UnallocatableSizesThrowInsteadOfAborting) {
  const int sizes[][3] = {{INT_MAX, INT_MAX, 0}, {INT_MAX, 0, INT_MAX}, {1 << 30, 1 << 10, 1}};
  for (const auto& s : sizes) {
    ExpectThrow([&] { Data data(s[0], s[1], s[2], false); }, "Not enough memory for the data set",
                "Data::Data");
  }
}

TEST(DataTest, GetBlockCopiesUpToTheNewestRow) {
  Data data(5, 2, 1, false);
  AppendNumbered(data, 3);
  double in_rows[5][2] = {};
  double out_rows[5][1] = {};
  double* ins[5] = {in_rows[0], in_rows[1], in_rows[2], in_rows[3], in_rows[4]};
  double* outs[5] = {out_rows[0], out_rows[1], out_rows[2], out_rows[3], out_rows[4]};
  int count = -1;
  data.GetBlock(ins, outs, 1, 10, count);
  EXPECT_EQ(2, count);
  EXPECT_EQ(2.0, in_rows[0][0]);
  EXPECT_EQ(3.0, in_rows[1][0]);
  EXPECT_EQ(30.0, out_rows[1][0]);
  EXPECT_EQ(0.0, in_rows[2][0]);

  data.GetBlock(ins, outs, 2, 1, count);
  EXPECT_EQ(0, count);

  count = -1;
  ExpectThrow([&] { data.GetBlock(ins, outs, 5, 6, count); }, "Data Block Fault", "Data::GetBlock");
  EXPECT_EQ(0, count);
}

TEST(DataTest, CloneOfAWrappedRingIsIndependent) {
  Data data(3, 2, 1, false);
  AppendNumbered(data, 4);
  std::unique_ptr<Data> copy = data.Clone();
  EXPECT_EQ(1, copy->First());
  EXPECT_EQ(0, copy->Last());
  EXPECT_EQ(data.Changes(), copy->Changes());
  EXPECT_EQ(4.0, InputAt(*copy, 0));
  copy->SetInputDatum(0, 0, 99.0);
  EXPECT_EQ(4.0, InputAt(data, 0));
}

#if NUXA_WITH_LABELS

TEST(LabelListTest, AddMergesExactNamesOnly) {
  TLabelList list;
  list.Add("a", 0.5);
  list.Add("a", 0.25);
  ASSERT_EQ(1, list.Count());
  EXPECT_EQ(0.75, list.Label(0).Weight());

  list.Add("A", 1.0);
  list.Add("a ", 1.0);
  ASSERT_EQ(3, list.Count());
  EXPECT_EQ("A", list.Label(1).Name());
  EXPECT_EQ("a ", list.Label(2).Name());

  TLabel unnamed;
  EXPECT_FALSE(unnamed.HasName());
  EXPECT_EQ(0.0, unnamed.Weight());
}

TEST(LabelListTest, CopiesAreDeep) {
  TLabelList one("cat", 1.0);
  TLabelList copy(one);
  copy.Add("cat", 1.0);
  copy.Add("dog", 3.0);
  EXPECT_EQ(1, one.Count());
  EXPECT_EQ(1.0, one.Label(0).Weight());
  one = copy;
  const TLabelList& alias = one;
  one = alias;  // self-assignment keeps the labels
  ASSERT_EQ(2, one.Count());
  EXPECT_EQ(2.0, one.Label(0).Weight());
  EXPECT_EQ("dog", one.Label(1).Name());
}

// Rows of a big labelled set mostly carry one label: such a list must fit in
// the list object itself, and a label must not own a copy of its name.
TEST(LabelListTest, OneLabelLivesInsideTheList) {
  if (sizeof(void*) == 8) {
    EXPECT_EQ(16u, sizeof(TLabel));
    EXPECT_EQ(32u, sizeof(TLabelList));
  }
  const auto inside = [](const TLabelList& list, const TLabel& label) {
    const char* begin = reinterpret_cast<const char*>(&list);
    const char* at = reinterpret_cast<const char*>(&label);
    return at >= begin && at + sizeof(TLabel) <= begin + sizeof(TLabelList);
  };
  TLabelList list("cat", 1.0);
  EXPECT_TRUE(inside(list, list.Label(0)));
  TLabelList empty;
  empty.Add("dog", 2.0);
  EXPECT_TRUE(inside(empty, empty.Label(0)));
  const TLabelList copy(list);
  EXPECT_TRUE(inside(copy, copy.Label(0)));

  // Growing keeps the first label in place and moves the others out.
  const TLabel* first = &list.Label(0);
  for (int i = 0; i < 9; ++i) list.Add("n" + std::to_string(i), 1.0);
  EXPECT_EQ(first, &list.Label(0));
  EXPECT_FALSE(inside(list, list.Label(1)));
}

// Names are shared between labels and dropped by the last one holding them, so
// a long run through many distinct names leaves nothing behind.
TEST(LabelListTest, NamesAreReleasedByTheLastLabelHoldingThem) {
  const std::size_t before = TLabel::NameCount();
  {
    TLabelList a("pool-a", 1.0);
    TLabelList b("pool-a", 2.0);
    EXPECT_EQ(before + 1, TLabel::NameCount());
    b.Add("pool-b", 1.0);
    EXPECT_EQ(before + 2, TLabel::NameCount());

    TLabelList c(b);  // c holds pool-a and pool-b too
    b.Clear();
    a = TLabelList();
    EXPECT_EQ(before + 2, TLabel::NameCount());
    ASSERT_EQ(2, c.Count());
    EXPECT_EQ("pool-a", c.Label(0).Name());
    EXPECT_EQ("pool-b", c.Label(1).Name());

    TLabelList moved(std::move(c));
    EXPECT_TRUE(c.Empty());  // a moved-from list is empty
    const TLabelList& alias = moved;
    moved = alias;
    moved.Label(1) = moved.Label(1);
    moved.Label(0) = TLabel();  // an unnamed label holds no name
    EXPECT_FALSE(moved.Label(0).HasName());
    EXPECT_EQ("", moved.Label(0).Name());
    EXPECT_EQ(before + 1, TLabel::NameCount());
    EXPECT_EQ("pool-b", moved.Label(1).Name());

    for (int i = 0; i < 1000; ++i) {
      TLabelList list("pool-" + std::to_string(i), 1.0);
      list.Add("pool-x" + std::to_string(i), 1.0);
      Data data(1, 1, 0, true);
      data.SetLabels(0, &list);
    }
    EXPECT_EQ(before + 1, TLabel::NameCount());
  }
  EXPECT_EQ(before, TLabel::NameCount());
}

TEST(LabelListTest, ManyLabelsKeepTheirOrderThroughGrowthAndCopies) {
  TLabelList list;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 37; ++i) list.Add("L" + std::to_string(i), i + 1.0);
  }
  ASSERT_EQ(37, list.Count());
  TLabelList copy;
  copy.Add("other", 5.0);
  copy.Add("other2", 5.0);
  copy = list;
  list.Add("L36", 1.0);
  for (int i = 0; i < 37; ++i) {
    EXPECT_EQ("L" + std::to_string(i), copy.Label(i).Name());
    EXPECT_EQ(3.0 * (i + 1), copy.Label(i).Weight());
  }
  EXPECT_EQ(3.0 * 37 + 1.0, list.Label(36).Weight());
  list.Clear();
  EXPECT_TRUE(list.Empty());
  list.Add("L5", 1.0);
  ASSERT_EQ(1, list.Count());
  EXPECT_EQ(1.0, list.Label(0).Weight());
}

// A labelled set holding a list of weight 1.0, one of weight 2.0 and an empty one.
class LabelledDataTest : public ::testing::Test {
 protected:
  LabelledDataTest() : data_(3, 1, 0, true) {
    const TLabelList lists[3] = {TLabelList("cat", 1.0), TLabelList("dog", 2.0), TLabelList()};
    const double a[1] = {1.0}, b[1] = {2.0}, c[1] = {3.0};
    const double* inputs[3] = {a, b, c};
    data_.AppendRows(inputs, nullptr, 3, lists);
  }

  const TLabelList& Labels(int slot) {
    TLabelList* list = nullptr;
    data_.GetLabels(slot, list);
    return *list;
  }

  Data data_;
};

TEST_F(LabelledDataTest, RowsCarryTheirOwnListCopies) {
  EXPECT_EQ("cat", Labels(0).Label(0).Name());
  EXPECT_EQ(2.0, Labels(1).Label(0).Weight());
  EXPECT_EQ(0, Labels(2).Count());

  data_.AppendLabel(1, 0.5, "dog");
  data_.AppendLabel(1, 1.0, "cow");
  EXPECT_EQ(2.5, Labels(1).Label(0).Weight());
  EXPECT_EQ(2, Labels(1).Count());

  // The handed-out list is the slot's own one.
  TLabelList* own = nullptr;
  data_.GetLabels(0, own);
  own->Add("bird", 1.0);
  EXPECT_EQ(2, Labels(0).Count());

  data_.SetLabels(0, nullptr);
  EXPECT_EQ(0, Labels(0).Count());
  data_.SetLabels(2, &Labels(1));
  EXPECT_EQ(2, Labels(2).Count());
  data_.ClearLabels(1);
  EXPECT_EQ(0, Labels(1).Count());
  EXPECT_EQ(2, Labels(2).Count());

  ExpectThrow([&] { data_.ClearLabels(3); }, "Invalid Data Row", "Data::ClearLabels");
}

TEST(DataTest, LabelOperationsOnASetWithoutLabels) {
  Data data(2, 1, 1, false);
  TLabelList sentinel;
  TLabelList* list = &sentinel;
  data.GetLabels(0, list);
  EXPECT_EQ(nullptr, list);
  const TLabelList given("x", 1.0);
  data.SetRow(0, nullptr, nullptr, &given);  // ignored: no label lists
  ExpectThrow([&] { data.SetLabels(0, &given); }, "Data Has No Labels", "Data::SetLabels");
  ExpectThrow([&] { data.ClearLabels(0); }, "Data Has No Labels", "Data::ClearLabels");
  ExpectThrow([&] { data.AppendLabel(0, 1.0, "x"); }, "Data Has No Labels", "Data::AppendLabel");
}

TEST_F(LabelledDataTest, NextRowWrapsFromNewestToOldest) {
  data_.SetCursor(data_.Last());
  std::vector<double> seen;
  for (int i = 0; i < 4; ++i) {
    double in = -1.0;
    TLabelList* list = nullptr;
    data_.GetNextRow(&in, nullptr, &list);
    seen.push_back(in);
    EXPECT_EQ(&Labels(data_.Cursor()), list);
  }
  EXPECT_EQ(std::vector<double>({1.0, 2.0, 3.0, 1.0}), seen);
  double in = -1.0;
  data_.GetPreviousRow(&in, nullptr);
  EXPECT_EQ(3.0, in);  // backwards from the oldest is the newest
  ExpectThrow([&] { data_.SetCursor(3); }, "Invalid Data Row", "Data::SetCursor");
}

// MoveCursor walks the filled rows in ring order, oldest to newest, wrapping at
// both ends. Each case starts the cursor on a slot and moves by step.
struct CursorCase {
  int slots, appended, start, step, expected;
};

class MoveCursorTest : public ::testing::TestWithParam<CursorCase> {};

TEST_P(MoveCursorTest, LandsOnTheExpectedSlot) {
  const CursorCase& c = GetParam();
  Data data(c.slots, 2, 1, false);
  AppendNumbered(data, c.appended);
  data.SetCursor(c.start);
  data.MoveCursor(c.step);
  EXPECT_EQ(c.expected, data.Cursor());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MoveCursorTest,
    ::testing::Values(
        // Three rows in five slots (slots 0..2 filled).
        CursorCase{5, 3, 0, 1, 1}, CursorCase{5, 3, 2, 1, 0}, CursorCase{5, 3, 0, 3, 0},
        CursorCase{5, 3, 0, 4, 1}, CursorCase{5, 3, 0, -1, 2}, CursorCase{5, 3, 1, -4, 0},
        CursorCase{5, 3, 0, INT_MAX, 1}, CursorCase{5, 3, 0, INT_MIN, 1},
        CursorCase{5, 3, 4, 1, 2},  // an unfilled slot counts as row 4 mod 3
        // One row: every move stays on it. No row: the cursor stays.
        CursorCase{5, 1, 0, 7, 0}, CursorCase{5, 0, 3, 2, 3},
        // Wrapped ring of three slots after five appends: oldest slot 2, newest slot 1.
        CursorCase{3, 5, 1, 1, 2}, CursorCase{3, 5, 2, -1, 1}, CursorCase{3, 5, 0, 2, 2},
        CursorCase{3, 5, 2, -4, 1}));

TEST(DataTest, SelectionsPickColumnsAndWithholdLabels) {
  Data data(2, 3, 2, true);
  const double in[3] = {1.0, 2.0, 3.0};
  const double out[2] = {4.0, 5.0};
  const TLabelList labels("x", 1.0);
  data.AppendRow(in, out, &labels);
  const int in_cols[2] = {2, 0};
  const int out_cols[1] = {1};

  double got_in[3] = {}, got_out[2] = {};
  TLabelList sentinel;
  TLabelList* list = &sentinel;
  data.SetSelection(2, in_cols, 1, out_cols);
  data.GetNextRow(got_in, got_out, &list);
  EXPECT_EQ(3.0, got_in[0]);
  EXPECT_EQ(1.0, got_in[1]);
  EXPECT_EQ(5.0, got_out[0]);
  EXPECT_EQ(nullptr, list);
  data.GetCurrentRow(nullptr, nullptr, &list);  // always hands out the list
  ASSERT_NE(nullptr, list);
  EXPECT_EQ("x", list->Label(0).Name());

  // Input selection alone: all outputs.
  data.SetSelection(1, out_cols, 0, nullptr);
  data.GetNextRow(got_in, got_out, nullptr);
  EXPECT_EQ(2.0, got_in[0]);
  EXPECT_EQ(4.0, got_out[0]);
  EXPECT_EQ(5.0, got_out[1]);
  int count = 0;
  std::vector<int> columns;
  data.GetInputSelection(count, columns);
  EXPECT_EQ(1, count);
  EXPECT_EQ(std::vector<int>({1}), columns);

  // Output selection alone is ignored, and labels are handed out again.
  data.SetSelection(0, nullptr, 1, out_cols);
  data.GetNextRow(got_in, got_out, &list);
  EXPECT_EQ(1.0, got_in[0]);
  EXPECT_EQ(4.0, got_out[0]);
  EXPECT_NE(nullptr, list);

  // A column outside the set is refused and the selection stays as it was.
  const int bad[1] = {3};
  ExpectThrow([&] { data.SetInputSelection(1, bad); }, "Invalid Input Data Column",
              "Data::SetInputSelection");
  ExpectThrow([&] { data.SetSelection(1, in_cols, 1, bad); }, "Invalid Output Data Column",
              "Data::SetSelection");
  data.GetInputSelection(count, columns);
  EXPECT_EQ(0, count);
}

TEST_F(LabelledDataTest, CloneCopiesListsCursorAndSelection) {
  const int cols[1] = {0};
  data_.SetInputSelection(1, cols);
  data_.SetCursor(1);
  std::unique_ptr<Data> copy = data_.Clone();
  EXPECT_EQ(data_.Rows(), copy->Rows());
  EXPECT_EQ(data_.DataRows(), copy->DataRows());
  EXPECT_EQ(data_.Last(), copy->Last());
  EXPECT_EQ(data_.Changes(), copy->Changes());
  EXPECT_EQ(1, copy->Cursor());
  EXPECT_TRUE(copy->HasLabels());
  int count = 0;
  std::vector<int> columns;
  copy->GetInputSelection(count, columns);
  EXPECT_EQ(1, count);

  copy->SetInputDatum(0, 0, 99.0);
  copy->AppendLabel(0, 1.0, "cat");
  AppendNumbered(*copy, 1, 7);
  EXPECT_EQ(1.0, InputAt(data_, 0));
  EXPECT_EQ(1.0, Labels(0).Label(0).Weight());
  EXPECT_EQ(0, data_.First());
  EXPECT_EQ(1, copy->First());
}

#else  // label-free build

TEST(DataDeathTest, LabelFreeBuildRefusesLabels) {
  EXPECT_DEATH(Data(1, 1, 0, true), "Assertion failed: !labels");
  Data data(2, 1, 0, false);
  const TLabelList list("x", 1.0);
  EXPECT_DEATH(data.SetRow(0, nullptr, nullptr, &list), "Assertion failed: labels == NULL");
  EXPECT_DEATH(data.AppendRows(nullptr, nullptr, 1, &list), "Assertion failed: labels == NULL");
}

#endif

TEST(DataDeathTest, NegativeRowCountIsAProgrammingError) {
  EXPECT_DEATH(Data(-1, 1, 0, false), "Assertion failed: rows >= 0");
}

}  // namespace
}  // namespace nuxa
