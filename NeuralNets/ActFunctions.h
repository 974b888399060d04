// Activation functions and the registry that names them.
//
// An activation function is a plain function, not an object: it takes a
// neuron and the neuron's net input and stores the neuron's output through
// the neuron's activation slot. Neurons and layers hold the function itself
// and compare functions by identity; files name them by text. TFnRegistry is
// the table between the two: each network owns one, filled with the standard
// functions when the network is formed.
#ifndef NUXA_NEURALNETS_ACTFUNCTIONS_H_
#define NUXA_NEURALNETS_ACTFUNCTIONS_H_

#include <string>
#include <vector>

namespace nuxa {

class TBasicNeuron;

/// An activation function: computes the output for the net input and stores
/// it in the neuron's activation slot.
using TActFunction = void (*)(TBasicNeuron& neuron, double net);

// ---- The standard functions, in registration order. x is the net input,
// g the neuron's gain. The gain functions read TGainNeuron::gain and may only
// be given to gain neurons.

/// "error": the function of every new neuron (none chosen yet). Evaluating it
/// is a programming error (fatal).
void FnError(TBasicNeuron& neuron, double net);
/// "null": the function a layer without neurons reports. Evaluating it is a
/// programming error (fatal).
void FnNull(TBasicNeuron& neuron, double net);
/// "bias": 1.0 whatever the input.
void FnBias(TBasicNeuron& neuron, double net);
/// "linear": x.
void FnLinear(TBasicNeuron& neuron, double net);
/// "saturated-linear": 0 for x <= 0, x for 0 < x < 1, 1 for x >= 1.
void FnSaturatedLinear(TBasicNeuron& neuron, double net);
/// "sigmoid": 1 / (1 + e^-x); exactly 1e-300 for x < -500, without computing
/// the exponential.
void FnSigmoid(TBasicNeuron& neuron, double net);
/// "tanh": tanh(x).
void FnTanh(TBasicNeuron& neuron, double net);
/// "linear-gain": g * x.
void FnLinearGain(TBasicNeuron& neuron, double net);
/// "sigmoid-gain": 1 / (1 + e^(-g*x)), no cut-off (IEEE arithmetic gives 0
/// when the exponential overflows).
void FnSigmoidGain(TBasicNeuron& neuron, double net);
/// "tanh-gain": tanh(g * x).
void FnTanhGain(TBasicNeuron& neuron, double net);

#if NUXA_CONFIG_FUNN
// The two functions of the FuNN layers; defined with those layers in FuNN/.
/// "cog": recorded by the FuNN output layer, which defuzzifies by itself;
/// evaluating it is a programming error (fatal).
void FnCog(TBasicNeuron& neuron, double net);
/// "FuNN-condition": the triangular membership of a condition neuron.
void FnFuNNCondition(TBasicNeuron& neuron, double net);
#endif

/// Names of activation functions, unique without regard to letter case, in
/// registration order.
class TFnRegistry {
 public:
  /// One registered name with its function (null for a slot that FindOrAdd
  /// created and nobody filled in).
  struct Entry {
    std::string name;
    TActFunction function;
  };

  /// Empty, with room for 16 entries.
  TFnRegistry();
  virtual ~TFnRegistry();
  TFnRegistry(const TFnRegistry&) = delete;
  TFnRegistry& operator=(const TFnRegistry&) = delete;

  /// Registers the standard functions in their order: "error", "null",
  /// "bias", "linear", "saturated-linear", "sigmoid", "tanh", "linear-gain",
  /// "sigmoid-gain", "tanh-gain" and, in the FuNN configuration, "cog" and
  /// "FuNN-condition" (12 in all; 10 in the MLP configuration).
  virtual void RegisterDefaults();

  /// Appends (a copy of name, function). A name already present in any letter
  /// case is a programming error (fatal); test with HasName first when the
  /// name comes from input.
  void Register(TActFunction function, const char* name);

  /// The function registered under name (any letter case), searching from the
  /// last entry. Returns nullptr when the name is not registered (or its slot
  /// was never filled in): the caller must treat that as a failed lookup.
  TActFunction GetFunction(const char* name) const;

  /// Whether name (any letter case) is registered.
  bool HasName(const char* name) const;

  /// The registry's own name of function, searching from the last entry; the
  /// text stays owned by the registry. An unregistered function is a
  /// programming error (fatal); test with HasFunction first when unsure.
  const char* GetName(TActFunction function) const;

  /// Whether function is registered under some name.
  bool HasFunction(TActFunction function) const;

  /// The function slot of the entry named name (any letter case); when there
  /// is none, appends (name, null) and returns the new slot. The reference is
  /// valid until the next Register or FindOrAdd.
  TActFunction& FindOrAdd(const char* name);

  /// Number of entries in use.
  int GetCount() const { return count; }
  /// Entry i, 0 <= i < GetCount(), in registration order.
  const Entry& GetEntry(int i) const { return items[static_cast<size_t>(i)]; }

 protected:
  int capacity;  // slots reserved in items; doubles when full
  int count;     // entries in use (items.size())
  std::vector<Entry> items;

 private:
  int Find(const char* name) const;  // index of name, last to first; -1 if none
  void Append(const char* name, TActFunction function);
};

}  // namespace nuxa

#endif  // NUXA_NEURALNETS_ACTFUNCTIONS_H_
