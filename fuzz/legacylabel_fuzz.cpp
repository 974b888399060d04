// Reads arbitrary bytes as a legacy Kohonen label file, from memory.
// LoadData may only fail with TException. A loaded set must be consistent
// with itself (one label of weight 1 per row), and is written back as a label
// file (to memory) when its rows are short enough to do quickly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "QVCompatibility/FileHandlers/Data/TQVLabelFiler.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
  std::unique_ptr<nuxa::Data> data;
  std::unique_ptr<nuxa::TQVLabelFileInfo> info;
  try {
    nuxa::TQVLabelFiler::LoadData(in, "fuzz.lab", data, info);
  } catch (const nuxa::TException&) {
    return 0;
  }
  if (!data || !info || data->DataRows() != data->Rows() || data->Inputs() < 1 ||
      data->Outputs() != 0 || !data->HasLabels()) {
    __builtin_trap();
  }
  for (int r = 0; r < data->Rows(); ++r) {
    const nuxa::TLabelList* labels = nullptr;
    data->GetLabels(r, labels);
    if (labels == nullptr || labels->Count() != 1 || labels->Label(0).Weight() != 1.0) {
      __builtin_trap();
    }
  }
  if (data->Inputs() <= 4096) {
    std::ostringstream out;
    nuxa::TQVLabelFiler::SaveData(out, *data, *info);
  }
  return 0;
}
