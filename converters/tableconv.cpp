// tableconv: converts a flat file of whitespace-separated numbers into a
// DataSet file, given the numbers of rows, inputs and outputs.
#include <cstdlib>
#include <memory>

#include "Common/Exceptions.h"
#include "Common/Program.h"
#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/ParseTools.h"
#include "QVCompatibility/FileHandlers/Flat/TFlatFiler.h"

namespace {

// The atol rule: leading white space, an optional sign, decimal digits up to
// the first other character; no digits give 0. strtol is atol without its
// undefined behaviour on overflow.
long CountArgument(const char* text) {
  return std::strtol(text, nullptr, 10);
}

const char* Text(const char* field) {
  return field != nullptr ? field : "";
}

int Convert(int argc, char** argv) {
  if (argc != 6) {
    nuxa::ReportLine(
        "Usage: tableconv source_file.flat destination_file.nuxa #rows #inputs #outputs");
    return 1;
  }
  const long rows = CountArgument(argv[3]);
  const long inputs = CountArgument(argv[4]);
  const long outputs = CountArgument(argv[5]);
  if (rows < 1) {
    nuxa::ReportLine("Number of rows must be > 0");
    return 1;
  }
  // A negative count would give a DataSet file that its own reader rejects.
  if (inputs < 0) {
    nuxa::ReportLine("Number of inputs must be >= 0");
    return 1;
  }
  if (outputs < 0) {
    nuxa::ReportLine("Number of outputs must be >= 0");
    return 1;
  }

  // The loader hands the set over as soon as it exists, also when it fails.
  nuxa::Data* loaded = nullptr;
  std::unique_ptr<nuxa::Data> data;
  try {
    nuxa::TFlatFiler::LoadData(argv[1], loaded, rows, inputs, outputs);
    data.reset(loaded);
  } catch (const nuxa::TException& e) {
    data.reset(loaded);
    nuxa::ReportLine(Text(e.Message()));
    nuxa::ReportLine(Text(e.Category()));
    nuxa::ReportLine(Text(e.Location()));
    return 1;
  }

  nuxa::FileTools tools;
  try {
    nuxa::SaveDataSet(tools, argv[2], data.get(), nullptr, nullptr);
  } catch (const nuxa::FileTools::Error& e) {
    nuxa::ReportLine(e.message.c_str());
    return 1;
  }
  data.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return nuxa::RunProgram(Convert, argc, argv);
}
