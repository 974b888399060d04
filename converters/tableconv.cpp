// tableconv: converts a flat file of whitespace-separated numbers into a
// DataSet file, given the numbers of rows, inputs and outputs.
#include <cstdlib>

#include "Common/Program.h"

namespace {

// The atol rule: leading white space, an optional sign, decimal digits up to
// the first other character; no digits give 0. strtol is atol without its
// undefined behaviour on overflow.
long CountArgument(const char* text) { return std::strtol(text, nullptr, 10); }

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
  nuxa::ReportLine("tableconv: conversion not available yet");
  return 1;
}

}  // namespace

int main(int argc, char** argv) { return nuxa::RunProgram(Convert, argc, argv); }
