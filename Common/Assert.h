// The fatal internal check. It guards contracts between parts of the library
// (programming errors), never input: every reader rejects bad files with an
// exception long before one of these could fire. It is active in every build
// type, NDEBUG included.
#ifndef NUXA_COMMON_ASSERT_H_
#define NUXA_COMMON_ASSERT_H_

namespace nuxa {

/// Writes "Assertion failed: <expr>, file <file>, line <line>" to stderr and
/// ends the program abnormally. Never returns.
[[noreturn]] void AssertionFailed(const char* expr, const char* file, int line);

}  // namespace nuxa

#define NUXA_ASSERT(expr) \
  ((expr) ? static_cast<void>(0) : ::nuxa::AssertionFailed(#expr, __FILE__, __LINE__))

#endif  // NUXA_COMMON_ASSERT_H_
