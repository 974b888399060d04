// The DataSet reader. It drives the block reader statement by statement; the
// one hot path, the numbers of the rows, is read straight from the stream
// buffer when the next item is a plain token, and handed to the block reader
// whenever anything else (a comment, a bracket, an end tag, the end of the
// input) comes next, so the result is exactly the block reader's.
#include "FileHandler/FilerReader.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ios>
#include <istream>
#include <memory>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "KQmessage/KQML.h"

namespace nuxa {

namespace {

using Traits = std::char_traits<char>;

const char kEndOfFile[] = "Unexpected end of file";
const char kNoRows[] = "[Rows = <integer>] expected";
const char kNegativeCount[] = "No labels in inputs";
const char kIntegerExpected[] = "integer-expected";
const char kLabelListExpected[] = "Label list expected";
const char kNoMemory[] = "Not enough memory for the data set";
const char kBadOffset[] = "Invalid chunk offset";
const char kBadCount[] = "Invalid chunk row count";
const char kCannotPosition[] = "Unable to position the input";
#if !NUXA_WITH_LABELS
const char kLabelsUnsupported[] = "Labels are not supported in this configuration";
#endif

[[noreturn]] void Fail(std::istream& is, const char* message) {
  throw FileTools::Error(message, &is, nullptr);
}

// The byte classes of the block format: every byte below "!" or above "~"
// and the comma separate tokens; "[]/*=<>" are tokens by themselves.
inline bool IsSeparator(int c) {
  return c < '!' || c > '~' || c == ',';
}
inline bool IsSpecial(int c) {
  switch (c) {
    case '[':
    case ']':
    case '/':
    case '*':
    case '=':
    case '<':
    case '>':
      return true;
    default:
      return false;
  }
}

// The buffer to read from, or null when the stream has nothing to give (the
// block reader treats a stream that is not good as empty, and so do we).
inline std::streambuf* Source(std::istream& is) {
  return is.good() ? is.rdbuf() : nullptr;
}

// Bytes from the current position to the end of the input, or -1 when the
// stream cannot tell. The position is left where it was.
std::int64_t RemainingBytes(std::istream& is) {
  std::streambuf* sb = is.rdbuf();
  if (sb == nullptr) return 0;
  if (!is.good()) return 0;
  const std::streampos here = sb->pubseekoff(0, std::ios::cur, std::ios::in);
  if (here == std::streampos(-1)) return -1;
  const std::streampos end = sb->pubseekoff(0, std::ios::end, std::ios::in);
  if (end == std::streampos(-1)) return -1;
  if (sb->pubseekpos(here, std::ios::in) != here) return -1;
  return end >= here ? static_cast<std::int64_t>(end - here) : 0;
}

// A header value: Labels (any case) is -1, anything else a 32-bit integer.
int HeaderValue(FileTools& tools, std::istream& is, const std::string& text) {
  if (strcasecmp(text.c_str(), "Labels") == 0) return -1;
  const long value = tools.ParseInteger(is, text.c_str());
  if (value < INT_MIN || value > INT_MAX) Fail(is, kIntegerExpected);
  return static_cast<int>(value);
}

int NotNegative(std::istream& is, int value) {
  if (value < 0) Fail(is, kNegativeCount);
  return value;
}

// Reads the items of a label list after its "[" into list (the inside of the
// list is read by the block reader in force mode: the first token is a key).
void ReadListItems(FileTools& tools, std::istream& is, TLabelList& list) {
  std::streambuf* sb = Source(is);
  if (sb != nullptr && sb->sgetc() == ']') {
    sb->sbumpc();
    return;
  }
  for (;;) {
    const Statement st = tools.GetStatement(nullptr, is, true);
    if (st.kind == Statement::kBlockStart) {
      list.Add(st.key, 1.0);
    } else if (st.kind == Statement::kKeyValue) {
      list.Add(st.key, tools.ParseNumber(is, st.value.c_str()));
    } else {
      // In force mode only the end of the input comes back as anything else.
      Fail(is, kEndOfFile);
    }
    if (!st.open) return;
  }
}

// Skips separators and comments, requires a "[" and reads the list after it.
void ReadLabelsInto(FileTools& tools, std::istream& is, TLabelList& list) {
  std::streambuf* sb = Source(is);
  int c = sb != nullptr ? sb->sgetc() : Traits::eof();
  for (;;) {
    while (c != Traits::eof() && IsSeparator(c)) c = sb->snextc();
    if (c != '/') break;
    if (sb->snextc() != '*') Fail(is, kLabelListExpected);
    sb->sbumpc();
    tools.SkipComment(is);
    c = sb->sgetc();
  }
  if (c == Traits::eof()) Fail(is, kEndOfFile);
  if (c != '[') Fail(is, kLabelListExpected);
  sb->sbumpc();
  ReadListItems(tools, is, list);
}

// The header as the loaders use it.
struct Layout {
  int inputs = 0;
  int expected = 0;   // >= 0; the first set's labels are in labels1
  int generated = 0;  // >= 0; the second set's labels are in labels2
  int errors = 0;
  int rows = -1;
  bool labels1 = false;
  bool labels2 = false;
  std::string dataSetName;  // the names as the file writes them
  std::string dataName;

  // Bytes a row takes at the least: one per number, two per label list.
  std::int64_t MinRowBytes() const {
    return static_cast<std::int64_t>(inputs) + expected + generated + errors + (labels1 ? 2 : 0) +
           (labels2 ? 2 : 0);
  }
};

// Reads from the start of the file through the "[Data]" block start.
Layout ReadHead(FileTools& tools, std::istream& is) {
  Layout layout;
  Statement st = tools.GetStatement(nullptr, is, false);
  layout.dataSetName = tools.ExpectBlockStart(st, is, "DATASET");
  // A header that stops early leaves the statement it stopped at as the
  // next one, which is then not the Data block start: that is the error.
  Statement last;
  ReadDataSetHeader(tools, is, layout.inputs, layout.expected, layout.generated, layout.errors,
                    layout.rows, last);
  layout.dataName = tools.ExpectBlockStart(last, is, "DATA");
  if (layout.rows < 0) Fail(is, kNoRows);
  layout.labels1 = layout.expected == -1;
  layout.labels2 = layout.generated == -1;
  if (layout.expected < 0) layout.expected = 0;
  if (layout.generated < 0) layout.generated = 0;
  return layout;
}

// Reads rows in the writer's order into sets that have a free slot for each
// (or into no set at all: the values and lists are then read and dropped).
class RowReader {
 public:
  RowReader(FileTools& tools, std::istream& is, const Layout& layout)
      : tools_(tools), is_(is), layout_(layout) {
    token_.reserve(64);
  }

  void ReadRow(Data* first, Data* second) {
    TLabelList* labels = nullptr;
    double* in = nullptr;
    double* out = nullptr;
    Claim(first, in, out, labels);
    Numbers(in, layout_.inputs);
    if (layout_.labels1) List(labels);
    Numbers(out, layout_.expected);

    Claim(second, in, out, labels);
    if (layout_.labels2) List(labels);
    Numbers(in, layout_.generated);
    Numbers(out, layout_.errors);
  }

 private:
  // Appends an empty row to set (values and list are then filled in place)
  // and hands out where its parts go; all null without a set.
  static void Claim(Data* set, double*& in, double*& out, TLabelList*& labels) {
    in = out = nullptr;
    labels = nullptr;
    if (set == nullptr) return;
    set->AppendRow(nullptr, nullptr, nullptr);
    const int slot = set->Last();
    in = set->MutableInputRowPtr(slot);
    out = set->MutableOutputRowPtr(slot);
#if NUXA_WITH_LABELS
    set->GetLabels(slot, labels);
#endif
  }

  void Numbers(double* values, int count) {
    for (int i = 0; i < count; ++i) {
      const double value = Number();
      if (values != nullptr) values[i] = value;
    }
  }

  void List(TLabelList* list) {
    if (list != nullptr) {
      ReadLabelsInto(tools_, is_, *list);
    } else {
      scratch_.Clear();
      ReadLabelsInto(tools_, is_, scratch_);
    }
  }

  // One row value: what GetStatement with the Data block's name followed by
  // GetNumberToken gives.
  double Number() {
    std::streambuf* sb = Source(is_);
    if (sb != nullptr) {
      int c = sb->sgetc();
      while (c != Traits::eof() && IsSeparator(c)) c = sb->snextc();
      if (c != Traits::eof() && !IsSpecial(c)) {
        // A plain token, collected as the block reader collects it: up to a
        // separator (consumed) or a special character (left in the input).
        token_.clear();
        do {
          token_.push_back(static_cast<char>(c));
          c = sb->snextc();
        } while (c != Traits::eof() && !IsSeparator(c) && !IsSpecial(c));
        if (c != Traits::eof() && IsSeparator(c)) sb->sbumpc();
        return Convert();
      }
    }
    Statement st = tools_.GetStatement(layout_.dataName.c_str(), is_, false);
    return tools_.GetNumberToken(st, is_);
  }

  // A plain decimal text (digits, point, signs, exponent) that from_chars
  // reads to its end is read exactly as strtod reads it (both round
  // correctly), only faster; anything else goes to ParseNumber.
  double Convert() {
    const char* begin = token_.data();
    const char* end = begin + token_.size();
    const char lead = *begin;
    if ((lead >= '0' && lead <= '9') || lead == '-' || lead == '.') {
      bool plain = true;
      for (const char* p = begin; p != end && plain; ++p) {
        const char ch = *p;
        plain = (ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '+' || ch == 'e' ||
                ch == 'E';
      }
      double value = 0.0;
      if (plain) {
        const auto result = std::from_chars(begin, end, value);
        if (result.ec == std::errc() && result.ptr == end) return value;
      }
    }
    return tools_.ParseNumber(is_, token_.c_str());
  }

  FileTools& tools_;
  std::istream& is_;
  const Layout& layout_;
  std::string token_;
  TLabelList scratch_;
};

// The label-free build has no label lists to fill.
void RefuseLabels(std::istream& is, bool labels) {
#if !NUXA_WITH_LABELS
  if (labels) Fail(is, kLabelsUnsupported);
#else
  (void)is;
  (void)labels;
#endif
}

// Creates a set, reporting a failed allocation as the reader's error.
std::unique_ptr<Data> MakeSet(std::istream& is, int rows, int inputs, int outputs, bool labels) {
  try {
    return std::make_unique<Data>(rows, inputs, outputs, labels);
  } catch (const TException&) {
    Fail(is, kNoMemory);
  } catch (const std::bad_alloc&) {
    Fail(is, kNoMemory);
  }
}

// Reads count rows into first and second; the values and lists of a null set
// are read and dropped.
void ReadRows(FileTools& tools, std::istream& is, const Layout& layout, int count, Data* first,
              Data* second) {
  if (layout.MinRowBytes() == 0) return;  // no set, nothing in a row
  RowReader reader(tools, is, layout);
  for (int r = 0; r < count; ++r) reader.ReadRow(first, second);
}

// Whether count rows of layout could fit into the rest of the input.
bool RowsCanFit(std::istream& is, const Layout& layout, std::int64_t count) {
  const std::int64_t per_row = layout.MinRowBytes();
  if (per_row == 0 || count == 0) return true;
  const std::int64_t remaining = RemainingBytes(is);
  if (remaining < 0) return true;  // the callers only pass streams that can tell
  return count <= remaining / per_row;
}

// The input is too short for the rows it announces; reading them must fail.
// Should it not, that is still no load.
[[noreturn]] void ReadDoomedRows(FileTools& tools, std::istream& is, const Layout& layout,
                                 int count) {
  ReadRows(tools, is, layout, count, nullptr, nullptr);
  Fail(is, kEndOfFile);
}

// Runs a reader body, reporting the failures of the data sets (TException, a
// failed allocation) as FileTools::Error, which is all the callers catch.
template <class Body>
int Guarded(std::istream& is, Body body) {
  try {
    return body();
  } catch (const TException& e) {
    Fail(is, e.Message() != nullptr ? e.Message() : kNoMemory);
  } catch (const std::bad_alloc&) {
    Fail(is, kNoMemory);
  }
}

// A stream the reader can measure: the caller's when it can be positioned,
// otherwise a copy of the rest of its input.
class Seekable {
 public:
  explicit Seekable(std::istream& is) : stream_(&is) {
    if (RemainingBytes(is) >= 0) return;
    std::ostringstream rest;
    if (is.good()) rest << is.rdbuf();
    copy_ = std::make_unique<std::istringstream>(rest.str());
    stream_ = copy_.get();
  }
  std::istream& stream() { return *stream_; }

 private:
  std::istream* stream_;
  std::unique_ptr<std::istringstream> copy_;
};

// Runs body on an opened file. Errors leave without the stream, which ends
// here.
template <class Body>
int OnFile(const char* name, Body body) {
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) return kDataSetCannotOpen;
  std::vector<char> buffer(1 << 16);  // must outlive the stream that reads into it
  std::ifstream file;
  file.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  file.open(name, std::ios::in | std::ios::binary);
  if (!file.is_open()) return kDataSetCannotOpen;
  try {
    return body(static_cast<std::istream&>(file));
  } catch (FileTools::Error& e) {
    e.input = nullptr;
    throw;
  }
}

// Runs body on a stream the reader can measure; errors name the caller's
// stream.
template <class Body>
int OnStream(std::istream& is, Body body) {
  Seekable source(is);
  try {
    return body(source.stream());
  } catch (FileTools::Error& e) {
    e.input = &is;
    throw;
  }
}

int LoadBody(FileTools& tools, std::istream& is, std::unique_ptr<Data>& first,
             std::unique_ptr<Data>& second) {
  return Guarded(is, [&]() {
    const Layout layout = ReadHead(tools, is);
    const bool has_first = layout.inputs != 0 || layout.expected != 0 || layout.labels1;
    const bool has_second = layout.generated != 0 || layout.errors != 0 || layout.labels2;
    RefuseLabels(is, layout.labels1 || layout.labels2);
    if (!RowsCanFit(is, layout, layout.rows)) ReadDoomedRows(tools, is, layout, layout.rows);

    std::unique_ptr<Data> one;
    std::unique_ptr<Data> two;
    if (has_first) one = MakeSet(is, layout.rows, layout.inputs, layout.expected, layout.labels1);
    if (has_second) {
      two = MakeSet(is, layout.rows, layout.generated, layout.errors, layout.labels2);
    }
    // A new set's cursor already stands on its newest slot (0), where a
    // reader that walks the rows from the oldest starts.
    ReadRows(tools, is, layout, layout.rows, one.get(), two.get());

    Statement st = tools.GetStatement(layout.dataName.c_str(), is, false);
    tools.ExpectEndTag(st, is);
    st = tools.GetStatement(layout.dataSetName.c_str(), is, false);
    tools.ExpectEndTag(st, is);
    st = tools.GetStatement(nullptr, is, false);
    tools.ExpectEndTag(st, is);

    first = std::move(one);
    second = std::move(two);
    return SUCCESS;
  });
}

int ChunkBody(FileTools& tools, std::istream& is, std::int64_t& offset, int count,
              std::unique_ptr<Data>& first, std::unique_ptr<Data>& second) {
  return Guarded(is, [&]() {
    if (offset < 0) Fail(is, kBadOffset);
    if (count < 0) Fail(is, kBadCount);
    const Layout layout = ReadHead(tools, is);
    // Sets of labels alone are not made; their lists are skipped.
    const bool has_first = layout.inputs != 0 || layout.expected != 0;
    const bool has_second = layout.generated != 0 || layout.errors != 0;
    RefuseLabels(is, (has_first && layout.labels1) || (has_second && layout.labels2));

    std::streambuf* sb = is.rdbuf();
    const std::streampos start = sb->pubseekoff(0, std::ios::cur, std::ios::in);
    const std::int64_t remaining = RemainingBytes(is);
    if (start == std::streampos(-1) || remaining < 0) Fail(is, kCannotPosition);
    // A position past the end reads as the end of the input.
    const std::int64_t skip = offset < remaining ? offset : remaining;
    const std::streampos from = start + static_cast<std::streamoff>(skip);
    if (sb->pubseekpos(from, std::ios::in) != from) Fail(is, kCannotPosition);

    if (!RowsCanFit(is, layout, count)) ReadDoomedRows(tools, is, layout, count);
    std::unique_ptr<Data> one;
    std::unique_ptr<Data> two;
    if (has_first) one = MakeSet(is, count, layout.inputs, layout.expected, layout.labels1);
    if (has_second) two = MakeSet(is, count, layout.generated, layout.errors, layout.labels2);
    ReadRows(tools, is, layout, count, one.get(), two.get());

    const std::streampos end = sb->pubseekoff(0, std::ios::cur, std::ios::in);
    if (end == std::streampos(-1)) Fail(is, kCannotPosition);
    offset = static_cast<std::int64_t>(end - start) + (offset - skip);
    first = std::move(one);
    second = std::move(two);
    return SUCCESS;
  });
}

}  // namespace

int ReadDataSetHeader(FileTools& tools, std::istream& is, int& inputs, int& expectedOutputs,
                      int& generatedOutputs, int& errors, int& rows, Statement& last) {
  inputs = expectedOutputs = generatedOutputs = errors = 0;
  rows = -1;
  int code = SUCCESS;
  // Inputs, ExpectedOutputs, GeneratedOutputs and Error in this order, each
  // at most once: position is the number of these places already passed.
  int position = 0;
  Statement st = tools.GetStatement(nullptr, is, false);
  while (st.kind == Statement::kKeyValue) {
    if (st.open) {
      code = kDataSetBadHeader;
      break;
    }
    const int value = HeaderValue(tools, is, st.value);
    const char* key = st.key.c_str();
    if (position < 1 && strcasecmp(key, "INPUTS") == 0) {
      inputs = NotNegative(is, value);
      position = 1;
    } else if (position < 2 && strcasecmp(key, "EXPECTEDOUTPUTS") == 0) {
      expectedOutputs = value;
      position = 2;
    } else if (position < 3 && strcasecmp(key, "GENERATEDOUTPUTS") == 0) {
      generatedOutputs = value;
      position = 3;
    } else if (position < 4 && strcasecmp(key, "ERROR") == 0) {
      errors = NotNegative(is, value);
      position = 4;
    } else if (strcasecmp(key, "ROWS") == 0) {
      rows = NotNegative(is, value);
    } else {
      code = kDataSetBadHeader;
      break;
    }
    st = tools.GetStatement(nullptr, is, false);
  }
  last = std::move(st);
  return code;
}

std::unique_ptr<TLabelList> ReadLabelList(FileTools& tools, std::istream& is) {
  auto list = std::make_unique<TLabelList>();
  ReadLabelsInto(tools, is, *list);
  return list;
}

int LoadDataSet(FileTools& tools, std::istream& is, std::unique_ptr<Data>& first,
                std::unique_ptr<Data>& second) {
  first.reset();
  second.reset();
  return OnStream(is, [&](std::istream& in) { return LoadBody(tools, in, first, second); });
}

int LoadDataSet(FileTools& tools, const char* name, std::unique_ptr<Data>& first,
                std::unique_ptr<Data>& second, TKQstructure* message) {
  delete message;
  first.reset();
  second.reset();
  return OnFile(name, [&](std::istream& in) { return LoadBody(tools, in, first, second); });
}

int LoadDataSet(FileTools& tools, const char* name, std::unique_ptr<Data>& set) {
  std::unique_ptr<Data> second;
  const int code = LoadDataSet(tools, name, set, second, nullptr);
  if (code == SUCCESS && second != nullptr) return kDataSetBadHeader;
  return code;
}

int LoadDataSetChunk(FileTools& tools, std::istream& is, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first, std::unique_ptr<Data>& second) {
  first.reset();
  second.reset();
  return OnStream(
      is, [&](std::istream& in) { return ChunkBody(tools, in, offset, count, first, second); });
}

int LoadDataSetChunk(FileTools& tools, const char* name, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first, std::unique_ptr<Data>& second) {
  first.reset();
  second.reset();
  return OnFile(
      name, [&](std::istream& in) { return ChunkBody(tools, in, offset, count, first, second); });
}

int LoadDataSetChunk(FileTools& tools, const char* name, std::int64_t& offset, int count,
                     std::unique_ptr<Data>& first) {
  std::unique_ptr<Data> second;
  return LoadDataSetChunk(tools, name, offset, count, first, second);
}

std::unique_ptr<TKQstructure> IdentifyFile(FileTools& tools, std::istream& is) {
  Statement st = tools.GetStatement(nullptr, is, false);
  const std::string name = tools.ExpectBlockStart(st, is, nullptr);
  if (strcasecmp(name.c_str(), "DATASET") == 0) {
    int inputs = 0, expected = 0, generated = 0, errors = 0, rows = 0;
    Statement last;
    if (ReadDataSetHeader(tools, is, inputs, expected, generated, errors, rows, last) != SUCCESS) {
      return TKQstructure::MakeError("bad-header");
    }
    auto data = std::make_unique<TKQstructure>("data");
    data->SetLong("rows", rows);
    data->SetLong("inputs", inputs);
    data->SetLong("actual-outputs", expected);
    data->SetLong("calc-outputs", generated);
    data->SetLong("errors", errors);
    return data;
  }
  if (strcasecmp(name.c_str(), "NETWORK") == 0) return std::make_unique<TKQstructure>("network");
  auto unknown = TKQstructure::MakeError("unknown-header");
  unknown->SetText("header", name.c_str());
  return unknown;
}

std::unique_ptr<TKQstructure> IdentifyFile(FileTools& tools, const char* name) {
  std::unique_ptr<TKQstructure> result;
  const int code = OnFile(name, [&](std::istream& in) {
    result = IdentifyFile(tools, in);
    return SUCCESS;
  });
  if (code != SUCCESS) return TKQstructure::MakeError("file-read-error");
  return result;
}

}  // namespace nuxa
