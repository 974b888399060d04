#include "KQmessage/KQML.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>

namespace nuxa {
namespace {

// The printed error message of what fn throws, or "no error".
std::string ErrorText(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const TKQstructure::Error& e) {
    return e.Message().ToString();
  }
  return "no error";
}

std::string Reprint(const char* text) {
  return TKQstructure::ParseMessage(text)->ToString();
}

TEST(KQMLParse, ReadsMessageStructure) {
  const char* text = "(error :type invalid-message :expected tag)";
  std::unique_ptr<TKQstructure> m = TKQstructure::ParseMessage(text);
  EXPECT_STREQ(m->Performative(), "error");
  ASSERT_EQ(m->Count(), 2);
  EXPECT_STREQ(m->Keyword(0), "type");
  EXPECT_STREQ(m->Value(0)->Performative(), "invalid-message");
  EXPECT_EQ(m->Value(0)->Count(), 0);
  EXPECT_STREQ(m->Keyword(1), "expected");
  EXPECT_STREQ(m->Value(1)->Performative(), "tag");
  EXPECT_EQ(m->ToString(), text);

  std::unique_ptr<TKQstructure> colon = TKQstructure::ParseMessage("(x :a:b c)");
  ASSERT_EQ(colon->Count(), 1);
  EXPECT_STREQ(colon->Keyword(0), "a:b");
  EXPECT_STREQ(colon->Value(0)->Performative(), "c");
}

TEST(KQMLParse, PrintsWhatItReads) {
  const struct {
    const char* text;
    const char* printed;
  } cases[] = {
      {"(error :type invalid-message :expected tag)",
       "(error :type invalid-message :expected tag)"},
      {"(error)", "error"},
      {"( error )", "error"},
      {"word", "word"},
      {"a:b", "a:b"},
      {"(x :a:b c)", "(x :a:b c)"},
      {"\t(data\r\n:rows 3\n:inputs\t2 )\n", "(data :rows 3 :inputs 2)"},
      {"(a :b (c :d e) :f (g))", "(a :b (c :d e) :f g)"},
      {"(a\001:k\177\377v)", "(a :k v)"},       // control bytes, DEL, high bytes separate
      {"(a :k 1 :K 2 :j 3)", "(a :k 2 :j 3)"},  // a repeated keyword keeps its place
      {"(a : k v)", "(a :k v)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Reprint(c.text), c.printed);
    EXPECT_EQ(Reprint(c.printed), c.printed);
  }
}

TEST(KQMLParse, AdvancesCursorPastOneMessage) {
  const char* text = "(a :b c) rest";
  const char* cursor = text;
  EXPECT_EQ(TKQstructure::Parse(cursor)->ToString(), "(a :b c)");
  EXPECT_STREQ(cursor, " rest");
  EXPECT_EQ(TKQstructure::Parse(cursor)->ToString(), "rest");
  EXPECT_STREQ(cursor, "");
}

TEST(KQMLParse, RejectsMalformedText) {
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {"", "(error :type syntax-error :expected performative)"},
      {" \r\n\t", "(error :type syntax-error :expected performative)"},
      {")", "(error :type syntax-error :expected performative)"},
      {":", "(error :type syntax-error :expected performative)"},
      {"(", "(error :type syntax-error :expected performative)"},
      {"(()", "(error :type syntax-error :expected performative)"},
      {"(:a b)", "(error :type syntax-error :expected performative)"},
      {"(a :k)", "(error :type syntax-error :expected performative)"},
      {"(a :k", "(error :type syntax-error :expected performative)"},
      {"(a :k :j v)", "(error :type syntax-error :expected performative)"},
      {std::string(100000, '('), "(error :type syntax-error :expected performative)"},
      {"(a", "(error :type syntax-error :expected pair-or-close)"},
      {"(a b)", "(error :type syntax-error :expected pair-or-close)"},
      {"(a :k v", "(error :type syntax-error :expected pair-or-close)"},
      {"(a :k v w)", "(error :type syntax-error :expected pair-or-close)"},
      {"(a :k v (b))", "(error :type syntax-error :expected pair-or-close)"},
      {"(a :)", "(error :type syntax-error :expected keyword)"},
      {"(a ::k v)", "(error :type syntax-error :expected keyword)"},
      {"(a :(k) v)", "(error :type syntax-error :expected keyword)"},
      {"a b", "(error :type syntax-error :expected end-of-text)"},
      {"(a) )", "(error :type syntax-error :expected end-of-text)"},
      {"(a :k v))", "(error :type syntax-error :expected end-of-text)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    EXPECT_EQ(ErrorText([&] { TKQstructure::ParseMessage(c.text.c_str()); }), c.error);
  }
}

// "(a :k (a :k ... v))" with depth nested values.
std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "(a :k ";
  text += "v";
  text += std::string(depth, ')');
  return text;
}

TEST(KQMLParse, BoundsNestingDepth) {
  const std::string deepest = Nested(TKQstructure::kMaxDepth);
  EXPECT_EQ(Reprint(deepest.c_str()), deepest);
  const std::string deeper = Nested(TKQstructure::kMaxDepth + 1);
  EXPECT_EQ(ErrorText([&] { TKQstructure::ParseMessage(deeper.c_str()); }),
            "(error :type syntax-error :max-depth 1000)");
  const std::string far_deeper = Nested(200000);
  EXPECT_EQ(ErrorText([&] { TKQstructure::ParseMessage(far_deeper.c_str()); }),
            "(error :type syntax-error :max-depth 1000)");
}

TEST(KQMLPairs, KeywordsAreCaseInsensitiveAndKeepFirstPosition) {
  TKQstructure m("data");
  m.SetText("type", "one");
  m.SetLong("rows", 3);
  m.SetText("TYPE", "two");
  ASSERT_EQ(m.Count(), 2);
  EXPECT_EQ(m.ToString(), "(data :type two :rows 3)");
  ASSERT_NE(m.Find("Rows"), nullptr);
  EXPECT_STREQ(m.Find("ROWS")->Performative(), "3");
  EXPECT_EQ(m.Find("row"), nullptr);
  EXPECT_STREQ(m.Get("tYpE")->Performative(), "two");
  EXPECT_STREQ(m.Require("type")->Performative(), "two");
}

TEST(KQMLPairs, RemoveMovesLastPairIntoGap) {
  TKQstructure m("m");
  m.SetText("a", "1");
  m.SetText("b", "2");
  m.SetText("c", "3");
  m.Remove("A");
  EXPECT_EQ(m.ToString(), "(m :c 3 :b 2)");
  m.Remove("nothing");
  EXPECT_EQ(m.ToString(), "(m :c 3 :b 2)");
  m.SetText("C", "4");  // the moved pair is still found under its keyword
  m.SetText("a", "5");  // a removed keyword comes back at the end
  EXPECT_EQ(m.ToString(), "(m :c 4 :b 2 :a 5)");
  m.Remove("a");
  m.Remove("b");
  m.Remove("c");
  EXPECT_EQ(m.Count(), 0);
  EXPECT_EQ(m.ToString(), "m");
}

TEST(KQMLPairs, SetFormatsNumbersAndBooleans) {
  TKQstructure m;
  EXPECT_STREQ(m.Performative(), "unknown");
  m.SetDouble("half", 0.5);
  m.SetDouble("neg", -2.25);
  m.SetLong("long", -42);
  m.SetBool("yes", true);
  m.SetBool("no", false);
  EXPECT_EQ(m.ToString(), "(unknown :half 0.500000 :neg -2.250000 :long -42 :yes true :no false)");
  m.SetDouble("huge", 1e300);  // "%f" writes all 301 integer digits
  EXPECT_EQ(std::string(m.Find("huge")->Performative()).size(), 301u + 7u);
}

TEST(KQMLPairs, CapacityGrowsByDoublingAndCopiesAreDeep) {
  TKQstructure m("m");
  EXPECT_EQ(m.Capacity(), 16);
  for (int i = 0; i < 17; ++i) m.SetLong(("k" + std::to_string(i)).c_str(), i);
  EXPECT_EQ(m.Count(), 17);
  EXPECT_EQ(m.Capacity(), 32);
  m.Set("nested", TKQstructure::ParseMessage("(x :y z)"));

  TKQstructure copy(m);
  EXPECT_EQ(copy.Capacity(), 18);
  EXPECT_EQ(copy.ToString(), m.ToString());
  copy.Get("nested")->SetText("y", "changed");
  copy.SetText("new", "pair");  // full copy: doubles to 36
  EXPECT_EQ(copy.Capacity(), 36);
  EXPECT_STREQ(m.Get("nested")->Find("y")->Performative(), "z");
  EXPECT_EQ(m.Find("new"), nullptr);

  TKQstructure small("s");
  small.SetText("a", "b");
  small = m;
  EXPECT_EQ(small.ToString(), m.ToString());
  EXPECT_STREQ(small.Performative(), "m");
  small = *small.Get("nested");  // assigning a part of itself
  EXPECT_EQ(small.ToString(), "(x :y z)");
  const TKQstructure leaf("leaf");
  TKQstructure empty(leaf);
  EXPECT_EQ(empty.Capacity(), 0);
  empty.SetText("a", "b");
  EXPECT_EQ(empty.Capacity(), 16);
}

TEST(KQMLErrors, MessagesOfTheChecksAndConversions) {
  std::unique_ptr<TKQstructure> m = TKQstructure::ParseMessage("(error :type invalid-message)");
  const struct {
    std::function<void()> fn;
    const char* error;
  } cases[] = {
      {[&] { m->Require("tag"); }, "(error :type invalid-message :expected tag)"},
      {[&] { m->CheckValue("tag", "x"); }, "(error :type invalid-message :expected tag)"},
      {[&] { m->CheckValue("type", "data"); },
       "(error :type invalid-message :tag type :expected-value data)"},
      {[&] { m->CheckValue("TYPE", "Invalid-Message"); }, "no error"},
      {[&] { m->CheckValue("type", ""); }, "no error"},
      {[] { TKQstructure::ParseBool("yes"); }, "(error :type type-error :expected boolean)"},
      {[] { TKQstructure::ParseBool(""); }, "(error :type type-error :expected boolean)"},
      {[] { TKQstructure::ParseLong("abc"); },
       "(error :type invalid-message :integer-expected abc)"},
      {[] { TKQstructure::ParseLong(" -"); }, "(error :type invalid-message :integer-expected  -)"},
      {[] { TKQstructure::ParseDouble("x1"); },
       "(error :type invalid-message :number-expected x1)"},
      {[] { TKQstructure::ParseDouble(""); }, "(error :type invalid-message :number-expected )"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorText(c.fn), c.error);
  }
  EXPECT_EQ(TKQstructure::MakeError("file-read-error")->ToString(),
            "(error :type file-read-error)");
}

TEST(KQMLErrors, ErrorMessageOutlivesTheError) {
  std::shared_ptr<TKQstructure> kept;
  try {
    TKQstructure m;
    m.Require("k");
  } catch (TKQstructure::Error e) {
    TKQstructure::Error copy = e;
    EXPECT_EQ(&copy.Message(), &e.Message());
    kept = copy.Shared();
  }
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept.use_count(), 1);
  EXPECT_EQ(kept->ToString(), "(error :type invalid-message :expected k)");
}

TEST(KQMLConversions, AcceptTheScanfForms) {
  EXPECT_EQ(TKQstructure::ParseLong(" 12x"), 12);
  EXPECT_EQ(TKQstructure::ParseLong("-7"), -7);
  EXPECT_EQ(TKQstructure::ParseLong("99999999999999999999999"), LONG_MAX);
  EXPECT_DOUBLE_EQ(TKQstructure::ParseDouble("2.5e1"), 25.0);
  EXPECT_DOUBLE_EQ(TKQstructure::ParseDouble("0.01"), 0.01);
  EXPECT_TRUE(TKQstructure::ParseBool("true"));
  EXPECT_TRUE(TKQstructure::ParseBool("TRUE"));
  EXPECT_FALSE(TKQstructure::ParseBool("FaLsE"));
  EXPECT_EQ(TKQstructure::ToLong("5"), 5);
  EXPECT_DOUBLE_EQ(TKQstructure::ToDouble("1.5"), 1.5);
}

TEST(KQMLText, PrintWritesToStandardOutput) {
  std::unique_ptr<TKQstructure> m = TKQstructure::ParseMessage("(a :b (c :d e))");
  testing::internal::CaptureStdout();
  m->Print();
  m->PrintLine();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "(a :b (c :d e))(a :b (c :d e))\n");
}

TEST(KQMLText, JoinArguments) {
  const char* words[] = {"prog", "a", "bc"};
  EXPECT_EQ(TKQstructure::JoinArguments(3, words), "a bc ");
  EXPECT_EQ(TKQstructure::JoinArguments(1, words), "");
}

TEST(KQMLDeathTest, ProgrammingErrorsAreFatal) {
  TKQstructure m;
  EXPECT_DEATH(m.Get("absent"), "Assertion failed: value != NULL");
  EXPECT_DEATH(m.Set("k", nullptr), "Assertion failed: newval != NULL");
  EXPECT_DEATH(TKQstructure::ToLong("x"), "Assertion failed: err == 1");
  EXPECT_DEATH(TKQstructure::ToDouble("x"), "Assertion failed: err == 1");
}

}  // namespace
}  // namespace nuxa
