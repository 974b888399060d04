// labelconv: converts a legacy Kohonen label file into a DataSet file whose
// rows carry label lists. It takes a third argument that it never reads, and
// prints dataconv's usage text: both are kept as users know them.
#include <memory>

#include "Common/Exceptions.h"
#include "Common/Program.h"
#include "DataObject/Data.h"
#include "FileHandler/Filer.h"
#include "FileHandler/ParseTools.h"
#include "QVCompatibility/FileHandlers/Data/TQVLabelFiler.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace {

int Convert(int argc, char** argv) {
  if (argc != 4) {
    nuxa::ReportLine("Usage: dataconv OldFileName NewFileName");
    return 1;
  }
  std::unique_ptr<nuxa::Data> data;
  std::unique_ptr<nuxa::TQVLabelFileInfo> info;
  try {
    nuxa::TQVLabelFiler::LoadData(argv[1], data, info);
  } catch (const nuxa::TException& e) {
    nuxa::ReportLine(e.Message() != nullptr ? e.Message() : "");
    return 1;
  }
  nuxa::FileTools tools;
  try {
    nuxa::SaveDataSet(tools, argv[2], data.get(), nullptr, nullptr);
  } catch (const nuxa::FileTools::Error& e) {
    nuxa::ReportLine(e.message.c_str());
    return 1;
  }
  // The header record is only deleted: nothing of it goes into the DataSet file.
  data.reset();
  info.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return nuxa::RunProgram(Convert, argc, argv);
}
