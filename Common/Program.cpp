#include "Common/Program.h"

#include <cstdio>
#include <exception>
#include <new>

#include "Common/Exceptions.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {

void ReportLine(const char* text) {
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

int RunProgram(int (*body)(int, char**), int argc, char** argv) {
  try {
    return body(argc, argv);
  } catch (const std::bad_alloc&) {
    ReportLine("Out of memory");
  } catch (const TException& e) {
    ReportLine(e.Message() ? e.Message() : "Unexpected error");
  } catch (const FileTools::Error& e) {
    ReportLine(e.message.c_str());
  } catch (const std::exception& e) {
    ReportLine(e.what());
  } catch (...) {
    ReportLine("Unexpected error");
  }
  return 1;
}

}  // namespace nuxa
