// Reads arbitrary bytes as a DataSet file: as a whole, as a chunk and to
// identify it. The reader may only fail with FileTools::Error. Sets it
// accepts are written back with SaveDataSet and must read again into the same
// sets, up to what the writer's text keeps (values to 15 significant digits,
// label weights to 9 decimals).
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/FilerReader.h"
#include "FileHandler/ParseTools.h"

namespace {

using nuxa::Data;
using nuxa::FileTools;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "dataset round trip: %s\n", what);
  std::abort();
}

// One file for the whole run, removed at exit.
const char* ScratchPath() {
  static std::string path;
  if (path.empty()) {
    std::string name = "/tmp/nuxa-dataset-fuzz-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) Finding("no scratch file");
    ::close(fd);
    path = name;
    std::atexit([] { ::unlink(path.c_str()); });
  }
  return path.c_str();
}

double Through(double value, std::chars_format format, int precision) {
  char text[400];
  const auto r = std::to_chars(text, text + sizeof text - 1, value, format, precision);
  *r.ptr = '\0';
  return std::strtod(text, nullptr);
}

bool Same(double expected, double actual) {
  return expected == actual || (std::isnan(expected) && std::isnan(actual));
}

void Compare(const Data* original, const Data* reread) {
  if ((original == nullptr) != (reread == nullptr)) Finding("a set appeared or vanished");
  if (original == nullptr) return;
  if (original->Rows() != reread->Rows() || original->Inputs() != reread->Inputs() ||
      original->Outputs() != reread->Outputs() || original->HasLabels() != reread->HasLabels() ||
      original->DataRows() != reread->DataRows()) {
    Finding("shape differs");
  }
  for (int slot = 0; slot < original->Rows(); ++slot) {
    const double* a = original->InputRowPtr(slot);
    const double* b = reread->InputRowPtr(slot);
    for (int c = 0; c < original->Inputs(); ++c) {
      if (!Same(Through(a[c], std::chars_format::general, 15), b[c])) Finding("input differs");
    }
    a = original->OutputRowPtr(slot);
    b = reread->OutputRowPtr(slot);
    for (int c = 0; c < original->Outputs(); ++c) {
      if (!Same(Through(a[c], std::chars_format::general, 15), b[c])) Finding("output differs");
    }
#if NUXA_WITH_LABELS
    if (!original->HasLabels()) continue;
    const nuxa::TLabelList* x = nullptr;
    const nuxa::TLabelList* y = nullptr;
    original->GetLabels(slot, x);
    reread->GetLabels(slot, y);
    if (x->Count() != y->Count()) Finding("label count differs");
    for (int i = 0; i < x->Count(); ++i) {
      const double w = x->Label(i).Weight();
      const double want = w == 1.0 ? 1.0 : Through(w, std::chars_format::fixed, 9);
      if (x->Label(i).Name() != y->Label(i).Name()) Finding("label name differs");
      if (!Same(want, y->Label(i).Weight())) Finding("label weight differs");
    }
#endif
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FileTools tools;

  {
    std::istringstream in(text);
    try {
      nuxa::IdentifyFile(tools, in);
    } catch (const FileTools::Error&) {
    }
  }
  {
    std::istringstream in(text);
    std::unique_ptr<Data> first, second;
    std::int64_t offset = static_cast<std::int64_t>(size % 5);
    try {
      nuxa::LoadDataSetChunk(tools, in, offset, static_cast<int>(size % 4), first, second);
    } catch (const FileTools::Error&) {
    }
  }

  std::unique_ptr<Data> first, second;
  {
    std::istringstream in(text);
    try {
      if (nuxa::LoadDataSet(tools, in, first, second) != nuxa::SUCCESS) Finding("bad status");
    } catch (const FileTools::Error&) {
      if (first != nullptr || second != nullptr) Finding("a failed load handed out a set");
      return 0;
    }
  }
  if (first == nullptr && second == nullptr) return 0;  // nothing the writer could write

  const char* path = ScratchPath();
  if (nuxa::SaveDataSet(tools, path, first.get(), second.get(), nullptr) != nuxa::SUCCESS) {
    Finding("the writer refused the sets");
  }
  std::unique_ptr<Data> one, two;
  try {
    if (nuxa::LoadDataSet(tools, path, one, two, nullptr) != nuxa::SUCCESS) {
      Finding("the written file does not open");
    }
  } catch (const FileTools::Error& e) {
    std::fprintf(stderr, "%s\n", e.message.c_str());
    Finding("the written file does not read");
  }
  Compare(first.get(), one.get());
  Compare(second.get(), two.get());
  return 0;
}
