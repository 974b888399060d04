#include "Common/Exceptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

#include "Common/Assert.h"
#include "KQmessage/KQML.h"

namespace nuxa {
namespace {

TEST(StrCaseCmp, ComparesUpperCasedUnsignedBytes) {
  const struct {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"]", "]", 0},
      {"a", "B", -1},
      {"b", "A", 1},
      {"abc", "ab", 1},
      {"ab", "abc", -1},
      {"", "", 0},
      {"DataSet", "DATASET", 0},
      {"dataset", "DataSet", 0},
      {"_", "a", 1},     // upper-cased: '_' (95) sorts above 'A' (65)
      {"\xe9", "z", 1},  // bytes from 128 up sort above ASCII
      {"\x80", "\x7f", 1},
      {"\xff", "\xfe", 1},
      {"a\xe9", "A\xe9", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(nuxa::strcasecmp(c.a, c.b), c.expected);
  }
}

TEST(TExceptionTest, NullFieldsStayNull) {
  const TException empty;
  EXPECT_EQ(empty.Message(), nullptr);
  EXPECT_EQ(empty.Category(), nullptr);
  EXPECT_EQ(empty.Location(), nullptr);
  EXPECT_EQ(empty.Structure(), nullptr);

  const TException two("Null data pointer", nullptr);
  EXPECT_STREQ(two.Message(), "Null data pointer");
  EXPECT_EQ(two.Category(), nullptr);
  EXPECT_EQ(two.Location(), nullptr);
  EXPECT_EQ(two.Structure(), nullptr);
}

TEST(TExceptionTest, HoldsPrivateCopiesThatOutliveTheThrower) {
  std::unique_ptr<TException> caught;
  try {
    std::string message = "Invalid Data Row";
    std::string category = "Bad Parameter";
    std::string location = "Data::GetInputDatum";
    TException thrown(message.c_str(), category.c_str(), location.c_str(), nullptr);
    message.assign(message.size(), 'x');  // the thrower's buffers change and go away
    category.clear();
    location.clear();
    throw thrown;
  } catch (const TException& e) {
    caught = std::make_unique<TException>(e);
  }
  const TException copy = *caught;
  caught.reset();
  EXPECT_STREQ(copy.Message(), "Invalid Data Row");
  EXPECT_STREQ(copy.Category(), "Bad Parameter");
  EXPECT_STREQ(copy.Location(), "Data::GetInputDatum");
  EXPECT_EQ(copy.Structure(), nullptr);
}

TEST(TExceptionTest, ThrowExceptionCarriesTheThreeTexts) {
  try {
    ThrowException("Invalid Data Row", "Bad Parameter", "Data::GetInputDatum");
  } catch (const TException& e) {
    EXPECT_STREQ(e.Message(), "Invalid Data Row");
    EXPECT_STREQ(e.Category(), "Bad Parameter");
    EXPECT_STREQ(e.Location(), "Data::GetInputDatum");
    return;
  }
  FAIL() << "nothing thrown";
}

// The structure is shared between copies and freed once, with the last copy
// (the sanitizer build reports a double free or a leak).
TEST(TExceptionTest, CopiesShareTheStructure) {
  auto* structure = new TKQstructure("error");
  structure->SetText("type", "file-read-error");
  auto original = std::make_unique<TException>("m", "c", "l", structure);
  const TException copy = *original;
  TException assigned;
  assigned = copy;
  original.reset();
  EXPECT_EQ(copy.Structure(), structure);
  EXPECT_EQ(assigned.Structure(), structure);
  EXPECT_EQ(copy.Structure()->ToString(), "(error :type file-read-error)");
}

// Matches text literally in a death-test regular expression.
std::string Literal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

TEST(AssertDeathTest, PrintsExpressionFileAndLineThenAborts) {
  const int one = 1;
  const int line = __LINE__ + 1;
  auto fail = [&] { NUXA_ASSERT(one + 1 == 3); };
  const std::string expected =
      "Assertion failed: one + 1 == 3, file " __FILE__ ", line " + std::to_string(line);
  EXPECT_DEATH(fail(), "^" + Literal(expected) + "\n$");
  EXPECT_EXIT(NUXA_ASSERT(one == 2), testing::KilledBySignal(SIGABRT),
              "Assertion failed: one == 2");
  NUXA_ASSERT(one == 1);  // a holding check does nothing
}

}  // namespace
}  // namespace nuxa
