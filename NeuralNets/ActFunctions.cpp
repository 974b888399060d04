#include "NeuralNets/ActFunctions.h"

#include <cmath>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "NeuralNets/TBasicLayer.h"

namespace nuxa {

namespace {

double GainOf(const TBasicNeuron& neuron) {
  return static_cast<const TGainNeuron&>(neuron).gain;
}

}  // namespace

void FnError(TBasicNeuron&, double) {
  NUXA_ASSERT(false);
}

void FnNull(TBasicNeuron&, double) {
  NUXA_ASSERT(false);
}

void FnBias(TBasicNeuron& neuron, double) {
  neuron.Activation() = 1.0;
}

void FnLinear(TBasicNeuron& neuron, double net) {
  neuron.Activation() = net;
}

void FnSaturatedLinear(TBasicNeuron& neuron, double net) {
  double out;
  if (net <= 0.0) {
    out = 0.0;
  } else if (net >= 1.0) {
    out = 1.0;
  } else {
    out = net;
  }
  neuron.Activation() = out;
}

void FnSigmoid(TBasicNeuron& neuron, double net) {
  // Far below the cut-off the exponential would overflow; the fixed tiny
  // value keeps the output positive.
  if (net < -500.0) {
    neuron.Activation() = 1e-300;
  } else {
    neuron.Activation() = 1.0 / (1.0 + std::exp(-net));
  }
}

void FnTanh(TBasicNeuron& neuron, double net) {
  neuron.Activation() = std::tanh(net);
}

void FnLinearGain(TBasicNeuron& neuron, double net) {
  neuron.Activation() = GainOf(neuron) * net;
}

void FnSigmoidGain(TBasicNeuron& neuron, double net) {
  neuron.Activation() = 1.0 / (1.0 + std::exp(-GainOf(neuron) * net));
}

void FnTanhGain(TBasicNeuron& neuron, double net) {
  neuron.Activation() = std::tanh(GainOf(neuron) * net);
}

TFnRegistry::TFnRegistry() : capacity(16), count(0) {
  items.reserve(static_cast<size_t>(capacity));
}

TFnRegistry::~TFnRegistry() = default;

void TFnRegistry::RegisterDefaults() {
  Register(FnError, "error");
  Register(FnNull, "null");
  Register(FnBias, "bias");
  Register(FnLinear, "linear");
  Register(FnSaturatedLinear, "saturated-linear");
  Register(FnSigmoid, "sigmoid");
  Register(FnTanh, "tanh");
  Register(FnLinearGain, "linear-gain");
  Register(FnSigmoidGain, "sigmoid-gain");
  Register(FnTanhGain, "tanh-gain");
#if NUXA_CONFIG_FUNN
  Register(FnCog, "cog");
  Register(FnFuNNCondition, "FuNN-condition");
#endif
}

int TFnRegistry::Find(const char* name) const {
  for (int i = count - 1; i >= 0; --i) {
    if (strcasecmp(name, items[static_cast<size_t>(i)].name.c_str()) == 0) return i;
  }
  return -1;
}

void TFnRegistry::Append(const char* name, TActFunction function) {
  if (count == capacity) {
    capacity *= 2;
    items.reserve(static_cast<size_t>(capacity));
  }
  items.push_back(Entry{name, function});
  ++count;
}

void TFnRegistry::Register(TActFunction function, const char* name) {
  struct NameRef {
    const char* name;
  };
  const char* p = name;
  for (int i = count - 1; i >= 0; --i) {
    const NameRef entry{items[static_cast<size_t>(i)].name.c_str()};
    const NameRef* pp = &entry;
    // clang-format off
    NUXA_ASSERT(strcasecmp(p,pp->name)!=0);
    // clang-format on
  }
  Append(name, function);
}

TActFunction TFnRegistry::GetFunction(const char* name) const {
  int i = Find(name);
  return i < 0 ? nullptr : items[static_cast<size_t>(i)].function;
}

bool TFnRegistry::HasName(const char* name) const {
  return Find(name) >= 0;
}

const char* TFnRegistry::GetName(TActFunction function) const {
  for (int i = count - 1; i >= 0; --i) {
    if (items[static_cast<size_t>(i)].function == function) {
      return items[static_cast<size_t>(i)].name.c_str();
    }
  }
  NUXA_ASSERT(false);
  return nullptr;
}

bool TFnRegistry::HasFunction(TActFunction function) const {
  for (const Entry& e : items) {
    if (e.function == function) return true;
  }
  return false;
}

TActFunction& TFnRegistry::FindOrAdd(const char* name) {
  int i = Find(name);
  if (i < 0) {
    Append(name, nullptr);
    i = count - 1;
  }
  return items[static_cast<size_t>(i)].function;
}

}  // namespace nuxa
