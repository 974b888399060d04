#include "NeuralNets/TErrorObj.h"

#include <cmath>

#include "Common/Assert.h"
#include "Common/Exceptions.h"

namespace nuxa {

namespace {

// The number under keyword, or fallback when the keyword is absent.
double NumberOr(const TKQstructure& params, const char* keyword, double fallback) {
  const TKQstructure* value = params.Find(keyword);
  return value != nullptr ? TKQstructure::ParseDouble(value->Performative()) : fallback;
}

// The number under keyword, which must be present.
double RequiredNumber(const TKQstructure& params, const char* keyword) {
  return TKQstructure::ParseDouble(params.Require(keyword)->Performative());
}

}  // namespace

double TErrorObj::Penalty(int n, const double* weights, const TKQstructure* params,
                          double scale) const {
  if (params == nullptr || nuxa::strcasecmp(params->Performative(), "NONE") == 0) return 0.0;

  if (nuxa::strcasecmp(params->Performative(), "QUADPENALTY") == 0) {
    const double epsilon1 = NumberOr(*params, "EPSILON1", 0.0);
    const double epsilon2 = NumberOr(*params, "EPSILON2", 0.0);
    const double beta = NumberOr(*params, "BETA", 1.0);
    double result = 0.0;
    for (int i = 0; i < n; ++i) {
      // Stored to a double before use, so no wider intermediate is kept.
      const double w2 = weights[i] * weights[i];
      result += scale * (epsilon1 * beta * w2 / (beta * w2 + 1.0) + epsilon2 * w2);
    }
    return result;
  }

  if (nuxa::strcasecmp(params->Performative(), "LWF") == 0) {
    // No default would make sense for either rate: a message without them is
    // refused like any message that lacks a required keyword.
    const double learningRate = RequiredNumber(*params, "LEARNINGRATE");
    const double forgettingRate = RequiredNumber(*params, "FORGETTINGRATE");
    double total = 0.0;
    for (int i = 0; i < n; ++i) total += std::fabs(weights[i]);
    return learningRate * forgettingRate * total;
  }

  NUXA_ASSERT(false);
  return 0.0;
}

void TErrorRMSObj::Reset() {
  numPatterns = 0;
  sum = 0.0;
}

void TErrorRMSObj::Accumulate(const double* target, const double* output) {
  for (int i = 0; i < numOutputs; ++i) {
    const double difference = target[i] - output[i];
    sum += difference * difference;
  }
  ++numPatterns;
}

double TErrorRMSObj::GetError() const {
  return std::sqrt(sum / numOutputs / numPatterns);
}

void TErrorRMSObj::AddPenalty(int n, const double* weights, const TKQstructure* params) {
  sum += Penalty(n, weights, params, 1.0);
}

void TErrorCrossEntropyObj::Reset() {
  numPatterns = 0;
  sum = 0.0;
}

void TErrorCrossEntropyObj::Accumulate(const double* target, const double* output) {
  for (int i = 0; i < numOutputs; ++i) {
    const double t = target[i];
    const double y = output[i];
    if (y != 1.0) {
      sum += -t * std::log(y) - (1.0 - t) * std::log(1.0 - y);
    } else if (t != 1.0) {
      sum += 1000000.0;  // in place of the infinite term
    }
  }
  ++numPatterns;
}

double TErrorCrossEntropyObj::GetError() const {
  return sum;
}

void TErrorCrossEntropyObj::AddPenalty(int n, const double* weights, const TKQstructure* params) {
  sum += Penalty(n, weights, params, 1.0);
}

}  // namespace nuxa
