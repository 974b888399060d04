// What the five converter programs share around their own steps: writing a
// message line to stderr, and a last-resort guard so that nothing thrown, not
// even an exhausted heap, ends a program with a bare terminate.
#ifndef NUXA_COMMON_PROGRAM_H_
#define NUXA_COMMON_PROGRAM_H_

namespace nuxa {

/// Writes text and a newline to stderr and flushes.
void ReportLine(const char* text);

/// Runs body(argc, argv) and returns its status. An exception that escapes
/// body is reported on stderr (its message where it has one) and gives
/// status 1.
int RunProgram(int (*body)(int, char**), int argc, char** argv);

}  // namespace nuxa

#endif  // NUXA_COMMON_PROGRAM_H_
