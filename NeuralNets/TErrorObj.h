// Error measures: how far a network's outputs are from the targets,
// accumulated pattern by pattern and reported as one figure. A measure may
// also add a weight penalty chosen by a parameter message:
//
//   none (null) or (NONE)                  no penalty
//   (QUADPENALTY :EPSILON1 e1 :EPSILON2 e2 :BETA b)
//       sum over w of scale * (e1 * b * w^2 / (b * w^2 + 1) + e2 * w^2);
//       an absent keyword keeps its default: e1 = 0, e2 = 0, b = 1
//   (LWF :LEARNINGRATE lr :FORGETTINGRATE fr)
//       lr * fr * (sum over w of |w|); scale is not used; both keywords are
//       required
//
// Kinds and keywords compare without regard to case.
#ifndef NUXA_NEURALNETS_TERROROBJ_H_
#define NUXA_NEURALNETS_TERROROBJ_H_

#include "KQmessage/KQML.h"

namespace nuxa {

/// The interface of an error measure over numOutputs values per pattern.
class TErrorObj {
 public:
  explicit TErrorObj(int numOutputs) : numOutputs(numOutputs), numPatterns(0) {}
  virtual ~TErrorObj() = default;

  /// Forgets every pattern and penalty accumulated so far.
  virtual void Reset() = 0;
  /// Adds one pattern: numOutputs target values and the network's outputs.
  virtual void Accumulate(const double* target, const double* output) = 0;
  /// The error so far; changes nothing.
  virtual double GetError() const = 0;
  /// Adds Penalty(n, weights, params, 1.0) to the running total. Throws
  /// TKQstructure::Error as Penalty does.
  virtual void AddPenalty(int n, const double* weights, const TKQstructure* params) = 0;

  /// The weight penalty of the n weights as chosen by params (see the top of
  /// this file). A keyword whose value is no number throws
  /// TKQstructure::Error (error :type invalid-message :number-expected T);
  /// "LWF" without "LEARNINGRATE" or "FORGETTINGRATE" throws
  /// (error :type invalid-message :expected K). Any other kind is a
  /// programming error (fatal check "false").
  double Penalty(int n, const double* weights, const TKQstructure* params, double scale) const;

  int NumOutputs() const { return numOutputs; }
  int NumPatterns() const { return numPatterns; }

 protected:
  int numOutputs;   // values per pattern, fixed at construction
  int numPatterns;  // patterns since construction or the last Reset
};

/// Root-mean-square error: sqrt(sum / numOutputs / numPatterns), where sum
/// holds the squared differences and any penalty added. With no pattern
/// accumulated the quotient is IEEE's (NaN, or infinity after a penalty).
class TErrorRMSObj : public TErrorObj {
 public:
  explicit TErrorRMSObj(int numOutputs) : TErrorObj(numOutputs), sum(0.0) {}

  void Reset() override;
  void Accumulate(const double* target, const double* output) override;
  double GetError() const override;
  void AddPenalty(int n, const double* weights, const TKQstructure* params) override;

 protected:
  double sum;
};

/// Cross-entropy error: the sum over all pairs of -t ln(y) - (1 - t) ln(1 - y),
/// with a fixed 1000000 in place of the infinite term when y is 1 and t is
/// not. Outputs are expected in (0, 1].
class TErrorCrossEntropyObj : public TErrorObj {
 public:
  explicit TErrorCrossEntropyObj(int numOutputs) : TErrorObj(numOutputs), sum(0.0) {}

  void Reset() override;
  void Accumulate(const double* target, const double* output) override;
  double GetError() const override;
  void AddPenalty(int n, const double* weights, const TKQstructure* params) override;

 protected:
  double sum;
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_TERROROBJ_H_
