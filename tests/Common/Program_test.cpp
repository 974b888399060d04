// The last-resort guard of the programs: whatever escapes a converter's own
// handlers still ends it with a message and status 1.
#include "Common/Program.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "Common/Exceptions.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {
namespace {

int ThrowBadAlloc(int, char**) { throw std::bad_alloc(); }
int ThrowTException(int, char**) { ThrowException("Invalid Data Row", "Bad Parameter", "X::Y"); }
int ThrowFileError(int, char**) { throw FileTools::Error("Error writing file", nullptr, nullptr); }
int ThrowRuntime(int, char**) { throw std::runtime_error("boom"); }
int ThrowInt(int, char**) { throw 42; }
int ReturnSeven(int, char**) { return 7; }

TEST(RunProgramTest, EscapingExceptionsEndWithAMessageAndStatus1) {
  struct Case {
    int (*body)(int, char**);
    const char* err;
  } cases[] = {{ThrowBadAlloc, "Out of memory\n"},
               {ThrowTException, "Invalid Data Row\n"},
               {ThrowFileError, "Error writing file\n"},
               {ThrowRuntime, "boom\n"},
               {ThrowInt, "Unexpected error\n"}};
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunProgram(c.body, 0, nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
  }
}

TEST(RunProgramTest, PassesTheBodysStatusThrough) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(ReturnSeven, 0, nullptr), 7);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace nuxa
