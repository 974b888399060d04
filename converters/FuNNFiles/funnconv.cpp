// funnconv: converts a legacy FuNN network file into a network file.
#include <memory>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "Common/Program.h"
#include "FileHandler/NetworkFile.h"
#include "FileHandler/ParseTools.h"
#include "FuNN/TFuNN.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"
#include "QVCompatibility/FileHandlers/FuNN/TQVFuNNFiler.h"

namespace {

int Convert(int argc, char** argv) {
  if (argc != 3) {
    nuxa::ReportLine("Usage: funnconv OldFileName NewFileName");
    return 1;
  }
  std::unique_ptr<nuxa::TFuNN> PtrFunLoaded = nullptr;
  std::unique_ptr<nuxa::TQVFuNNFileInfo> PtrFinLoaded = nullptr;
  try {
    nuxa::TQVFuNNFiler::LoadFuNN(argv[1], PtrFunLoaded, PtrFinLoaded);
  } catch (const nuxa::TException& e) {
    nuxa::ReportLine(e.Message() != nullptr ? e.Message() : "");
    return 1;
  }
  // The loader hands out both or throws.
  NUXA_ASSERT(PtrFunLoaded != 0);
  NUXA_ASSERT(PtrFinLoaded != 0);
  nuxa::FileTools tools;
  try {
    nuxa::SaveNetwork(tools, argv[2], *PtrFunLoaded);
  } catch (const nuxa::FileTools::Error& e) {
    nuxa::ReportLine(e.message.c_str());
    return 1;
  }
  // The header record is only deleted: nothing of it goes into the network file.
  PtrFunLoaded.reset();
  PtrFinLoaded.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return nuxa::RunProgram(Convert, argc, argv);
}
