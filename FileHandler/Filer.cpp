// The DataSet writer. SaveDataSet writes the whole file through one
// OutputFile; the three part operations each open the file on their own (the
// first replaces it, the other two append), as callers that write a file in
// pieces expect.
#include "FileHandler/Filer.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <ostream>
#include <string>

#include "Common/Assert.h"
#include "DataObject/Data.h"
#include "FileHandler/OutputFile.h"
#include "KQmessage/KQML.h"

namespace nuxa {

namespace {

// The longest "%.15g" text of a double, "-1.23456789012345e-308", is 22
// characters; one blank follows each value.
constexpr size_t kMaxValueText = 32;

// What the header says of the sets, and whether they can be written at all.
struct Layout {
  long rows = -1;
  long inputs = 0;
  long expected = 0;   // -1: labels
  long generated = 0;  // -1: labels
  long errors = 0;
};

// Works out the header of a file holding first and second. Returns
// kDataSetBadSets when there is no set or the row counts differ.
int Describe(const Data* first, const Data* second, Layout& layout) {
  layout = Layout();
  if (first != nullptr) {
    layout.rows = first->Rows();
    layout.inputs = first->Inputs();
    long LngExpectedOutputs = first->Outputs();
    if (first->HasLabels()) {
      NUXA_ASSERT(LngExpectedOutputs == 0);
      LngExpectedOutputs = -1;
    }
    layout.expected = LngExpectedOutputs;
  }
  if (second != nullptr) {
    if (first == nullptr) {
      layout.rows = second->Rows();
    } else if (second->Rows() != layout.rows) {
      return kDataSetBadSets;
    }
    long LngCalculatedOutputs = second->Inputs();
    if (second->HasLabels()) {
      NUXA_ASSERT(LngCalculatedOutputs == 0);
      LngCalculatedOutputs = -1;
    }
    layout.generated = LngCalculatedOutputs;
    layout.errors = second->Outputs();
  }
  if (layout.rows < 0) return kDataSetBadSets;
  return SUCCESS;
}

void OpenOrThrow(OutputFile& file, const char* name, bool append) {
  const bool opened = append ? file.OpenAppend(name) : file.Open(name);
  if (!opened) throw FileTools::Error("Unable to open file for output", nullptr, nullptr);
}

void WriteCount(FileTools& tools, std::ostream& os, const char* key, long value) {
  if (value == -1) {
    tools.WriteStringStatement(os, key, "Labels", true);
  } else {
    tools.WriteIntegerStatement(os, key, value, true);
  }
}

void WriteHeaderTo(FileTools& tools, std::ostream& os, const Layout& layout) {
  tools.WriteFormatVersion(os);
  tools.BeginBlock(os, "DataSet", true);
  tools.WriteIntegerStatement(os, "Rows", layout.rows, true);
  tools.WriteIntegerStatement(os, "Inputs", layout.inputs, true);
  WriteCount(tools, os, "ExpectedOutputs", layout.expected);
  WriteCount(tools, os, "GeneratedOutputs", layout.generated);
  tools.WriteIntegerStatement(os, "Error", layout.errors, true);
  tools.WriteNewLine(os);
  tools.BeginBlock(os, "Data", true);
}

void WriteEndTo(FileTools& tools, std::ostream& os) {
  tools.EndBlock(os, "Data");
  tools.WriteNewLine(os);
  tools.EndBlock(os, "DataSet");
}

// Builds one row line in memory, so that a row costs one write to the stream
// (two more around each label list).
class RowLine {
 public:
  RowLine(const Data* first, const Data* second) {
    size_t values = 0;
    for (const Data* set : {first, second}) {
      if (set == nullptr) continue;
      values += static_cast<size_t>(std::max(set->Inputs(), 0));
      values += static_cast<size_t>(std::max(set->Outputs(), 0));
    }
    text_.reserve(values * kMaxValueText + 8);
  }

  void Values(const double* values, int count) {
    for (int c = 0; c < count; ++c) {
      char digits[kMaxValueText];
      const auto result =
          std::to_chars(digits, digits + sizeof digits, values[c], std::chars_format::general, 15);
      *result.ptr = ' ';
      text_.append(digits, static_cast<size_t>(result.ptr + 1 - digits));
    }
  }
  void Gap() { text_.append("  ", 2); }
  void LineEnd() { text_.append("\r\n", 2); }

  void WriteTo(std::ostream& os) {
    os.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }

 private:
  std::string text_;
};

// Writes the labels of slot, or, for a set without labels, its output values.
void LabelsOrOutputs(FileTools& tools, std::ostream& os, RowLine& line, const Data& set, int slot,
                     const double* outputs, int count) {
#if NUXA_WITH_LABELS
  if (set.HasLabels()) {
    const TLabelList* labels = nullptr;
    set.GetLabels(slot, labels);
    line.WriteTo(os);
    WriteLabelList(tools, os, *labels);
    return;
  }
#else
  (void)tools;
  (void)os;
  (void)set;
  (void)slot;
#endif
  line.Values(outputs, count);
}

void WriteRowsTo(FileTools& tools, std::ostream& os, const Data* first, const Data* second,
                 long rows) {
  RowLine line(first, second);
  for (int slot = 0; slot < rows; ++slot) {
    if (first != nullptr) {
      line.Values(first->InputRowPtr(slot), first->Inputs());
      line.Gap();
      LabelsOrOutputs(tools, os, line, *first, slot, first->OutputRowPtr(slot), first->Outputs());
    }
    if (second != nullptr) {
      line.Gap();
      // The second set's generated outputs stand in its input columns, where
      // a labelled set has no values.
      LabelsOrOutputs(tools, os, line, *second, slot, second->InputRowPtr(slot), second->Inputs());
      line.Gap();
      line.Values(second->OutputRowPtr(slot), second->Outputs());
    }
    line.LineEnd();
    line.WriteTo(os);
  }
}

}  // namespace

int SaveDataSet(FileTools& tools, const char* name, const Data* first, const Data* second,
                TKQstructure* message) {
  std::unique_ptr<TKQstructure> owned(message);
  Layout layout;
  if (Describe(first, second, layout) != SUCCESS) return kDataSetBadSets;
  owned.reset();

  OutputFile file;
  OpenOrThrow(file, name, false);
  WriteHeaderTo(tools, file.stream(), layout);
  WriteRowsTo(tools, file.stream(), first, second, layout.rows);
  WriteEndTo(tools, file.stream());
  file.Commit();
  return SUCCESS;
}

int WriteDataSetHeader(FileTools& tools, const char* name, long inputs, long expectedOutputs,
                       long generatedOutputs, long errors, long rows) {
  if (rows < 0) return kDataSetBadSets;
  Layout layout;
  layout.rows = rows;
  layout.inputs = inputs;
  layout.expected = expectedOutputs;
  layout.generated = generatedOutputs;
  layout.errors = errors;
  OutputFile file;
  OpenOrThrow(file, name, false);
  WriteHeaderTo(tools, file.stream(), layout);
  file.Commit();
  return SUCCESS;
}

int WriteDataSetRows(FileTools& tools, const char* name, const Data* first, const Data* second,
                     TKQstructure* message) {
  delete message;
  Layout layout;
  if (Describe(first, second, layout) != SUCCESS) return kDataSetBadSets;
  OutputFile file;
  OpenOrThrow(file, name, true);
  WriteRowsTo(tools, file.stream(), first, second, layout.rows);
  file.Commit();
  return SUCCESS;
}

int WriteDataSetEnd(FileTools& tools, const char* name) {
  OutputFile file;
  OpenOrThrow(file, name, true);
  WriteEndTo(tools, file.stream());
  file.Commit();
  return SUCCESS;
}

void WriteLabelList(FileTools& tools, std::ostream& os, const TLabelList& list) {
  tools.OpenBracket(os, true);
  for (int i = 0; i < list.Count(); ++i) {
    const TLabel& label = list.Label(i);
    if (label.Weight() == 1.0) {
      tools.BeginBlock(os, label.Name().c_str(), false);
    } else {
      tools.WriteNumberStatement(os, label.Name().c_str(), label.Weight(), 9, false);
    }
  }
  tools.CloseBracket(os, true, false);
  os << ' ';
}

}  // namespace nuxa
