// labelconv: converts a legacy Kohonen label file into a DataSet file whose
// rows carry label lists. It takes a third argument that it never reads, and
// prints dataconv's usage text: both are kept as users know them.
#include "Common/Program.h"

namespace {

int Convert(int argc, char** /*argv*/) {
  if (argc != 4) {
    nuxa::ReportLine("Usage: dataconv OldFileName NewFileName");
    return 1;
  }
  nuxa::ReportLine("labelconv: conversion not available yet");
  return 1;
}

}  // namespace

int main(int argc, char** argv) { return nuxa::RunProgram(Convert, argc, argv); }
