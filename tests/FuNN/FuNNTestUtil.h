// Shared pieces of the FuNN tests.
#ifndef NUXA_TESTS_FUNN_FUNNTESTUTIL_H_
#define NUXA_TESTS_FUNN_FUNNTESTUTIL_H_

#include <gtest/gtest.h>

#include <string>

#include "Common/Exceptions.h"
#include "FuNN/TFuNN.h"

namespace nuxa {
namespace funn_test {

/// The network most tests use: inputs with 3 and 2 membership functions,
/// 4 rules, one output with 3 membership functions.
inline TFuNN MakeFuNN32() {
  const int inputMFs[] = {3, 2};
  const int outputMFs[] = {3};
  return TFuNN(2, inputMFs, 4, outputMFs, 1);
}

/// Runs call and expects a TException with exactly these texts.
template <class Call>
void ExpectException(Call call, const std::string& message, const std::string& category,
                     const std::string& location) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected \"" << message << "\"";
  } catch (const TException& e) {
    auto text = [](const char* s) { return std::string(s != nullptr ? s : "(null)"); };
    EXPECT_EQ(text(e.Message()), message);
    EXPECT_EQ(text(e.Category()), category);
    EXPECT_EQ(text(e.Location()), location);
  }
}

}  // namespace funn_test
}  // namespace nuxa

#endif  // NUXA_TESTS_FUNN_FUNNTESTUTIL_H_
