// funnconv: converts a legacy FuNN network file into a network file.
#include "Common/Program.h"

namespace {

int Convert(int argc, char** /*argv*/) {
  if (argc != 3) {
    nuxa::ReportLine("Usage: funnconv OldFileName NewFileName");
    return 1;
  }
  nuxa::ReportLine("funnconv: conversion not available yet");
  return 1;
}

}  // namespace

int main(int argc, char** argv) { return nuxa::RunProgram(Convert, argc, argv); }
