#include "NeuralNets/TErrorObj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "KQmessage/KQML.h"

namespace nuxa {
namespace {

std::unique_ptr<TKQstructure> Params(const char* text) {
  return TKQstructure::ParseMessage(text);
}

TEST(TErrorRMSObjTest, RootMeanSquareOverPatternsAndOutputs) {
  TErrorRMSObj rms(1);
  const double targets[] = {1.0, 0.0};
  const double outputs[] = {0.5, 0.5};
  for (int repeat = 0; repeat < 2; ++repeat) {  // Reset gives a fresh measure
    rms.Accumulate(&targets[0], &outputs[0]);
    rms.Accumulate(&targets[1], &outputs[1]);
    EXPECT_EQ(rms.NumPatterns(), 2);
    EXPECT_DOUBLE_EQ(rms.GetError(), 0.5);
    rms.Reset();
    EXPECT_EQ(rms.NumPatterns(), 0);
  }

  TErrorRMSObj two(2);
  const double target[] = {1.0, 3.0};
  const double output[] = {0.0, 1.0};
  two.Accumulate(target, output);  // (1 + 4) / 2 outputs / 1 pattern
  EXPECT_DOUBLE_EQ(two.GetError(), std::sqrt(2.5));
}

TEST(TErrorRMSObjTest, PenaltyJoinsTheSumBeforeTheRoot) {
  TErrorRMSObj rms(1);
  const double targets[] = {1.0, 0.0};
  const double outputs[] = {0.5, 0.5};
  rms.Accumulate(&targets[0], &outputs[0]);
  rms.Accumulate(&targets[1], &outputs[1]);
  const double weights[] = {1.0, -2.0};
  rms.AddPenalty(2, weights, Params("(QUADPENALTY :EPSILON2 0.5)").get());
  EXPECT_DOUBLE_EQ(rms.GetError(), std::sqrt((0.5 + 2.5) / 1 / 2));
}

TEST(TErrorCrossEntropyObjTest, SumsTermsWithFixedPenaltyForCertainWrongOutput) {
  TErrorCrossEntropyObj ce(3);
  const double target[] = {1.0, 0.0, 1.0};
  const double output[] = {0.5, 1.0, 1.0};  // ln 2, 1000000, 0
  ce.Accumulate(target, output);
  EXPECT_EQ(ce.NumPatterns(), 1);
  EXPECT_DOUBLE_EQ(ce.GetError(), std::log(2.0) + 1000000.0);
  const double t2[] = {0.0, 0.0, 0.0};
  const double y2[] = {0.5, 0.5, 0.5};  // 3 ln 2
  ce.Accumulate(t2, y2);
  EXPECT_DOUBLE_EQ(ce.GetError(), 4 * std::log(2.0) + 1000000.0);
  const double weights[] = {1.0, -2.0};
  ce.AddPenalty(2, weights, Params("(LWF :LEARNINGRATE 0.1 :FORGETTINGRATE 0.01)").get());
  EXPECT_DOUBLE_EQ(ce.GetError(), 4 * std::log(2.0) + 1000000.0 + 0.003);
  ce.Reset();
  EXPECT_EQ(ce.GetError(), 0.0);
  EXPECT_EQ(ce.NumPatterns(), 0);
}

TEST(TErrorObjTest, PenaltyKinds) {
  const TErrorRMSObj measure(1);
  const double weights[] = {1.0, -2.0};
  const double one[] = {1.0};
  const struct {
    const char* params;  // null for no message
    int n;
    const double* weights;
    double scale;
    double expected;
  } cases[] = {
      {nullptr, 2, weights, 1.0, 0.0},
      {"NONE", 2, weights, 1.0, 0.0},
      {"(none :EPSILON2 5)", 2, weights, 1.0, 0.0},
      {"(QUADPENALTY :EPSILON2 0.5)", 2, weights, 1.0, 2.5},
      {"(QUADPENALTY :EPSILON1 1 :BETA 1 :EPSILON2 0)", 1, one, 1.0, 0.5},
      {"(QUADPENALTY :EPSILON1 1 :BETA 3)", 1, one, 1.0, 0.75},  // 3 / (3 + 1)
      {"(quadpenalty :epsilon2 0.5)", 2, weights, 1.0, 2.5},
      {"(QUADPENALTY :EPSILON2 0.5)", 2, weights, 2.0, 5.0},
      {"QUADPENALTY", 2, weights, 1.0, 0.0},  // every default: no penalty
      {"(QUADPENALTY :EPSILON2 0.5)", 0, weights, 1.0, 0.0},
      {"(LWF :LEARNINGRATE 0.1 :FORGETTINGRATE 0.01)", 2, weights, 1.0, 0.003},
      {"(lwf :learningrate 0.1 :forgettingrate 0.01)", 2, weights, 5.0, 0.003},  // no scale
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params ? c.params : "null");
    const std::unique_ptr<TKQstructure> params = c.params ? Params(c.params) : nullptr;
    EXPECT_NEAR(measure.Penalty(c.n, c.weights, params.get(), c.scale), c.expected, 1e-12);
  }
}

TEST(TErrorObjTest, BadParameterMessagesThrowTheMessageError) {
  TErrorRMSObj rms(1);
  const double weights[] = {1.0};
  const struct {
    const char* params;
    const char* error;
  } cases[] = {
      {"(QUADPENALTY :BETA abc)", "(error :type invalid-message :number-expected abc)"},
      {"(LWF :FORGETTINGRATE 0.01)", "(error :type invalid-message :expected LEARNINGRATE)"},
      {"(LWF :LEARNINGRATE 0.1)", "(error :type invalid-message :expected FORGETTINGRATE)"},
      {"LWF", "(error :type invalid-message :expected LEARNINGRATE)"},
      {"(LWF :LEARNINGRATE x :FORGETTINGRATE 1)",
       "(error :type invalid-message :number-expected x)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    const std::unique_ptr<TKQstructure> params = Params(c.params);
    try {
      rms.AddPenalty(1, weights, params.get());
      ADD_FAILURE() << "nothing thrown";
    } catch (const TKQstructure::Error& e) {
      EXPECT_EQ(e.Message().ToString(), c.error);
    }
  }
  // Nothing was added by the failed calls.
  const double target[] = {1.0};
  const double output[] = {0.0};
  rms.Accumulate(target, output);
  EXPECT_DOUBLE_EQ(rms.GetError(), 1.0);
}

TEST(TErrorObjDeathTest, UnknownPenaltyKindIsFatal) {
  const TErrorRMSObj measure(1);
  const double weights[] = {1.0};
  const std::unique_ptr<TKQstructure> params = Params("(DECAY :RATE 1)");
  EXPECT_DEATH(measure.Penalty(1, weights, params.get(), 1.0), "Assertion failed: false");
}

}  // namespace
}  // namespace nuxa
