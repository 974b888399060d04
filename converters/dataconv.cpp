// dataconv: converts a legacy BP, FuNN or Kohonen data file into a DataSet file.
#include "Common/Program.h"

namespace {

int Convert(int argc, char** /*argv*/) {
  if (argc != 3) {
    nuxa::ReportLine("Usage: dataconv OldFileName NewFileName");
    return 1;
  }
  nuxa::ReportLine("dataconv: conversion not available yet");
  return 1;
}

}  // namespace

int main(int argc, char** argv) { return nuxa::RunProgram(Convert, argc, argv); }
