#include "FuNN/TFuNN.h"

#include <algorithm>

#include "Common/Assert.h"
#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "FuNN/TToConditionConnections.h"
#include "FuNN/TToOutputConnections.h"
#include "NeuralNets/TErrorObj.h"
#include "NeuralNets/TPrunedConnections.h"

namespace nuxa {

namespace {

constexpr int kInput = 1;
constexpr int kCondition = 2;
constexpr int kRule = 3;
constexpr int kAction = 4;
constexpr int kOutput = 5;

void BadParameter(const char* message, const char* location) {
  ThrowException(message, "Bad Parameter", location);
}

void RequireWeightLayer(int weightLayer, const char* location) {
  if (weightLayer < 1 || weightLayer > 4) BadParameter("Invalid weight layer", location);
}

}  // namespace

// The layers and sets the weight-layer operations work on, with their sizes.
struct TFuNN::Parts {
  TConditionLayer* condition = nullptr;
  TFuNNOutputLayer* output = nullptr;
  TToConditionConnections* toCondition = nullptr;
  TPrunedConnections* toRules = nullptr;
  TPrunedConnections* toActions = nullptr;
  TToOutputConnections* toOutput = nullptr;
  int inputs = 0;      // n
  int conditions = 0;  // C
  int rules = 0;       // r
  int actions = 0;     // A
  int outputs = 0;     // p

  TPrunedConnections* Pruned(int weightLayer) const {
    return weightLayer == 2 ? toRules : toActions;
  }

  // The stored value of an arc of weight layer 1 to 4 (checked by the caller).
  double& Weight(int weightLayer, int from, int to) const {
    switch (weightLayer) {
      case 1:
        return toCondition->Weight(from, to);
      case 4:
        return toOutput->Weight(from, to);
      default:
        return Pruned(weightLayer)->Weight(from, to);
    }
  }

  // Calls visit(from, to, k) for each weight of the layer in its canonical
  // order, k counting from 0.
  template <typename Visit>
  void ForEachWeight(int weightLayer, Visit visit) const {
    switch (weightLayer) {
      case 1:
        for (int k = 0; k < conditions; ++k)
          visit(condition->inputOf[static_cast<size_t>(k)], k, k);
        break;
      case 2:
      case 3: {
        const int nFrom = weightLayer == 2 ? conditions : rules;
        const int nTo = weightLayer == 2 ? rules : actions;
        for (int from = 0; from < nFrom; ++from) {
          for (int to = 0; to < nTo; ++to) visit(from, to, from * nTo + to);
        }
        break;
      }
      default:
        for (int a = 0; a < actions; ++a) visit(a, output->outputOf[static_cast<size_t>(a)], a);
    }
  }

  // The number of weights ForEachWeight visits.
  size_t WeightCount(int weightLayer) const {
    switch (weightLayer) {
      case 1:
        return static_cast<size_t>(conditions);
      case 2:
        return static_cast<size_t>(conditions) * static_cast<size_t>(rules);
      case 3:
        return static_cast<size_t>(rules) * static_cast<size_t>(actions);
      default:
        return static_cast<size_t>(actions);
    }
  }
};

TFuNN::TFuNN() {
  SetNumLayers(6);
}

TFuNN::TFuNN(int inputs, const int* inputMFs, int rules, const int* outputMFs, int outputs) {
  SetNumLayers(6);
  // Counts are checked before any layer exists, so a refused network leaves
  // nothing behind.
  int conditions = 0;
  for (int i = 0; i < inputs; ++i) {
    if (inputMFs[i] < 2) BadParameter("Must be >= 2 MF per input", "TFuNN::TFuNN");
    conditions += inputMFs[i];
  }
  int actions = 0;
  for (int o = 0; o < outputs; ++o) {
    if (outputMFs[o] < 2) BadParameter("Must be >= 2 MF per output", "TFuNN::TFuNN");
    actions += outputMFs[o];
  }

  SetLayer(0, new TSimpleLayer(this, 0, 0));
  SetLayer(kInput, new TSimpleInputLayer(this, kInput, inputs));
  auto* condition = new TConditionLayer(this, kCondition, conditions);
  SetLayer(kCondition, condition);
  condition->SetMembership(inputs, inputMFs);
  SetLayer(kRule, new TSimpleLayer(this, kRule, rules));
  SetLayer(kAction, new TSimpleLayer(this, kAction, actions));
  auto* output = new TFuNNOutputLayer(this, kOutput, outputs);
  SetLayer(kOutput, output);
  output->SetMembership(actions, outputMFs);

  layers[kInput]->SetActivationFunction(FnLinear);
  layers[kCondition]->SetActivationFunction(FnFuNNCondition);
  layers[kRule]->SetActivationFunction(FnSigmoid);
  layers[kAction]->SetActivationFunction(FnSigmoid);
  layers[kOutput]->SetActivationFunction(FnCog);

  // Through the virtual slot, so that the override picks the classes.
  Connect(kInput, kCondition);
  Connect(kCondition, kRule);
  Connect(kRule, kAction);
  Connect(kAction, kOutput);
}

TFuNN::~TFuNN() = default;

void TFuNN::Connect(int fromLayer, int toLayer) {
  if (GetConnections(fromLayer, toLayer)->IsConnected()) return;
  TBasicConnections* set;
  if (fromLayer == kInput && toLayer == kCondition) {
    set = new TToConditionConnections(this, fromLayer, toLayer);
  } else if (fromLayer == kAction && toLayer == kOutput) {
    set = new TToOutputConnections(this, fromLayer, toLayer);
  } else {
    set = new TPrunedConnections(this, fromLayer, toLayer);
  }
  SetConnections(fromLayer, toLayer, set);
}

const char* TFuNN::GetNetworkType() const {
  return "FuNN";
}

// ---- Structure.

bool TFuNN::FindParts(Parts& parts) const {
  if (numLayers != 6 || !IsPopulated()) return false;
  parts.condition = dynamic_cast<TConditionLayer*>(layers[kCondition]);
  parts.output = dynamic_cast<TFuNNOutputLayer*>(layers[kOutput]);
  parts.toCondition = dynamic_cast<TToConditionConnections*>(GetConnections(kInput, kCondition));
  parts.toRules = dynamic_cast<TPrunedConnections*>(GetConnections(kCondition, kRule));
  parts.toActions = dynamic_cast<TPrunedConnections*>(GetConnections(kRule, kAction));
  parts.toOutput = dynamic_cast<TToOutputConnections*>(GetConnections(kAction, kOutput));
  if (parts.condition == nullptr || parts.output == nullptr || parts.toCondition == nullptr ||
      parts.toRules == nullptr || parts.toActions == nullptr || parts.toOutput == nullptr) {
    return false;
  }
  parts.inputs = layers[kInput]->numNeurons;
  parts.conditions = parts.condition->numNeurons;
  parts.rules = layers[kRule]->numNeurons;
  parts.actions = layers[kAction]->numNeurons;
  parts.outputs = parts.output->numNeurons;
  // The membership maps and the sets' storage must cover the layers exactly,
  // or the maps would lead outside them.
  return parts.condition->numInputs == parts.inputs &&
         static_cast<int>(parts.condition->inputOf.size()) == parts.conditions &&
         static_cast<int>(parts.toCondition->masks.size()) == parts.conditions &&
         parts.toRules->Columns() == parts.conditions && parts.toRules->Rows() == parts.rules &&
         parts.toActions->Columns() == parts.rules && parts.toActions->Rows() == parts.actions &&
         parts.output->numActions == parts.actions &&
         static_cast<int>(parts.output->outputOf.size()) == parts.actions &&
         static_cast<int>(parts.toOutput->centres.size()) == parts.actions &&
         static_cast<int>(parts.toOutput->masks.size()) == parts.actions;
}

TFuNN::Parts TFuNN::RequireParts(const char* location) const {
  Parts parts;
  if (!FindParts(parts)) BadParameter("Invalid network structure", location);
  return parts;
}

bool TFuNN::IsWellFormed() const {
  Parts parts;
  return FindParts(parts);
}

TConditionLayer* TFuNN::GetConditionLayer() const {
  Parts parts;
  return FindParts(parts) ? parts.condition : nullptr;
}

TFuNNOutputLayer* TFuNN::GetOutputLayer() const {
  Parts parts;
  return FindParts(parts) ? parts.output : nullptr;
}

TToConditionConnections* TFuNN::GetConditionConnections() const {
  Parts parts;
  return FindParts(parts) ? parts.toCondition : nullptr;
}

TToOutputConnections* TFuNN::GetOutputConnections() const {
  Parts parts;
  return FindParts(parts) ? parts.toOutput : nullptr;
}

TPrunedConnections* TFuNN::GetRuleConnections(int weightLayer) const {
  Parts parts;
  if (!FindParts(parts) || (weightLayer != 2 && weightLayer != 3)) return nullptr;
  return parts.Pruned(weightLayer);
}

// ---- Weight layers.

// Weight layers 1 and 4 hold one weight per membership function, on the arc
// the maps give; 2 and 3 a weight for every pair, present in the set or not.
bool TFuNN::IsWeight(const Parts& parts, int weightLayer, int from, int to) {
  switch (weightLayer) {
    case 1:
      return to >= 0 && to < parts.conditions &&
             parts.condition->inputOf[static_cast<size_t>(to)] == from;
    case 2:
      return from >= 0 && from < parts.conditions && to >= 0 && to < parts.rules;
    case 3:
      return from >= 0 && from < parts.rules && to >= 0 && to < parts.actions;
    default:
      return from >= 0 && from < parts.actions &&
             parts.output->outputOf[static_cast<size_t>(from)] == to;
  }
}

void TFuNN::GetWeightValue(int weightLayer, int from, int to, double& value) {
  static const char* const kLocation = "TFuNN::GetWeightValue";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  if (!IsWeight(parts, weightLayer, from, to)) BadParameter("Invalid weight number", kLocation);
  value = parts.Weight(weightLayer, from, to);
}

void TFuNN::SetWeightValue(int weightLayer, int from, int to, double value) {
  static const char* const kLocation = "TFuNN::SetWeightValue";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  if (!IsWeight(parts, weightLayer, from, to)) BadParameter("Invalid weight number", kLocation);
  parts.Weight(weightLayer, from, to) = value;
}

// The structure is looked up once per call, not once per weight: a loader
// sets layers of close to a million weights.
void TFuNN::GetWeightLayer(int weightLayer, int& count, std::vector<double>& values) {
  static const char* const kLocation = "TFuNN::GetWeightLayer";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  std::vector<double> out(parts.WeightCount(weightLayer));
  parts.ForEachWeight(weightLayer, [&](int from, int to, int k) {
    if (!IsWeight(parts, weightLayer, from, to)) {
      BadParameter("Invalid weight number", "TFuNN::GetWeightValue");
    }
    out[static_cast<size_t>(k)] = parts.Weight(weightLayer, from, to);
  });
  count = static_cast<int>(out.size());
  values = std::move(out);
}

void TFuNN::SetWeightLayer(int weightLayer, const double* values) {
  static const char* const kLocation = "TFuNN::SetWeightLayer";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  parts.ForEachWeight(weightLayer, [&](int from, int to, int k) {
    if (!IsWeight(parts, weightLayer, from, to)) {
      BadParameter("Invalid weight number", "TFuNN::SetWeightValue");
    }
    parts.Weight(weightLayer, from, to) = values[k];
  });
}

void TFuNN::FreezeWeight(int weightLayer, int to, int from) {
  static const char* const kLocation = "TFuNN::FreezeWeight";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  if (!IsWeight(parts, weightLayer, from, to)) BadParameter("Invalid weight number", kLocation);
  switch (weightLayer) {
    case 1:
      parts.condition->GetConditionNeuron(to).trainable = false;
      break;
    case 4:
      parts.toOutput->FreezeWeight(from, to);
      break;
    default:
      parts.Pruned(weightLayer)->FreezeWeight(from, to);
  }
}

void TFuNN::UnfreezeWeight(int weightLayer, int to, int from) {
  static const char* const kLocation = "TFuNN::UnfreezeWeight";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  if (!IsWeight(parts, weightLayer, from, to)) BadParameter("Invalid weight number", kLocation);
  switch (weightLayer) {
    case 1:
      parts.condition->GetConditionNeuron(to).trainable = true;
      break;
    case 4:
      parts.toOutput->UnfreezeWeight(from, to);
      break;
    default:
      parts.Pruned(weightLayer)->UnfreezeWeight(from, to);
  }
}

void TFuNN::WeightExists(int weightLayer, int from, int to, bool& exists) {
  static const char* const kLocation = "TFuNN::WeightExists";
  RequireWeightLayer(weightLayer, kLocation);
  const Parts parts = RequireParts(kLocation);
  // Weight layer k joins layer k to layer k + 1.
  const int nFrom = layers[static_cast<size_t>(weightLayer)]->numNeurons;
  const int nTo = layers[static_cast<size_t>(weightLayer + 1)]->numNeurons;
  if (from < 0 || from >= nFrom || to < 0 || to >= nTo) {
    BadParameter("Invalid node number", kLocation);
  }
  if (weightLayer == 2 || weightLayer == 3) {
    exists = parts.Pruned(weightLayer)->IsValid(from, to);
  } else {
    exists = IsWeight(parts, weightLayer, from, to);
  }
}

void TFuNN::GetActivationValue(int layer, int neuron, double& value) {
  static const char* const kLocation = "TFuNN::GetActivationValue";
  if (layer < 0 || layer > 5 || layer >= numLayers) BadParameter("Invalid node layer", kLocation);
  const TBasicLayer* target = layers[static_cast<size_t>(layer)];
  if (target == nullptr || neuron < 0 || neuron >= target->numNeurons) {
    BadParameter("Invalid node number", kLocation);
  }
  value = target->activations[static_cast<size_t>(neuron)];
}

// ---- Structure and initialisation.

void TFuNN::GetStructure(int& inputs, int& conditions, std::vector<int>& inputMFs, int& rules,
                         int& actions, std::vector<int>& outputMFs, int& outputs) {
  const Parts parts = RequireParts("TFuNN::GetStructure");
  inputs = parts.inputs;
  conditions = parts.conditions;
  inputMFs.assign(parts.condition->membershipCounts.begin(),
                  parts.condition->membershipCounts.end());
  rules = parts.rules;
  actions = parts.actions;
  outputMFs.assign(parts.output->membershipCounts.begin(), parts.output->membershipCounts.end());
  outputs = parts.outputs;
}

void TFuNN::InitWeights(double Minimum, double Maximum) {
  NUXA_ASSERT(Minimum <= Maximum);
  const Parts parts = RequireParts("TFuNN::InitWeights");
  parts.condition->ResetCentres(parts.condition->numInputs);
  parts.toRules->Randomize(Minimum, Maximum);
  parts.toActions->Randomize(Minimum, Maximum);
  parts.toOutput->ResetCentres();
}

// ---- Recall over a data set.

void TFuNN::RecallRows(Data* data, const RowFunction& each) {
  const int n = layers[kInput]->numNeurons;
  const int p = layers[kOutput]->numNeurons;
  // GetNextRow copies every input column of the set, or every selected one;
  // the buffer holds at least that many, and columns the set lacks stay 0.0.
  int selected = 0;
  std::vector<int> selection;
  data->GetInputSelection(selected, selection);
  std::vector<double> input(static_cast<size_t>(std::max({n, data->Inputs(), selected, 1})), 0.0);
  std::vector<double> answer(static_cast<size_t>(std::max(p, 1)), 0.0);

  const int rows = data->DataRows();
  // The row after the newest is the oldest.
  if (data->Rows() > 0) data->SetCursor(data->Last());
  for (int i = 0; i < rows; ++i) {
    data->GetNextRow(input.data(), nullptr, nullptr);
    TBasicNetwork::Recall(input.data(), answer.data());
    each(input.data(), answer.data(), data->Cursor());
  }
}

void TFuNN::Recall(Data* data, std::unique_ptr<Data>& result) {
  static const char* const kLocation = "TFuNN::Recall";
  if (data == nullptr) ThrowException("Null data pointer", "Null Pointer Parameter", kLocation);
  RequireParts(kLocation);
  auto out = std::make_unique<Data>(data->DataRows(), layers[kInput]->numNeurons,
                                    layers[kOutput]->numNeurons, false);
  RecallRows(data, [&](const double* input, const double* answer, int) {
    out->AppendRow(input, answer, nullptr);
  });
  result = std::move(out);
}

void TFuNN::RecallOutputOnly(Data* data, std::unique_ptr<Data>& result) {
  static const char* const kLocation = "TFuNN::RecallOutputOnly";
  if (data == nullptr) ThrowException("Null data pointer", "Null Pointer Parameter", kLocation);
  RequireParts(kLocation);
  auto out = std::make_unique<Data>(data->DataRows(), 0, layers[kOutput]->numNeurons, false);
  RecallRows(data, [&](const double*, const double* answer, int) {
    out->AppendRow(nullptr, answer, nullptr);
  });
  result = std::move(out);
}

void TFuNN::GetRMSError(Data* data, double& error) {
  // The same location as RecallOutputOnly, the operation this one extends.
  static const char* const kLocation = "TFuNN::RecallOutputOnly";
  if (data == nullptr) ThrowException("Null data pointer", "Null Pointer Parameter", kLocation);
  const Parts parts = RequireParts("TFuNN::GetRMSError");
  const int p = parts.outputs;
  // The targets are the first p output values of the row just recalled;
  // values the set lacks count as 0.0.
  const int known = std::max(std::min(p, data->Outputs()), 0);
  std::vector<double> target(static_cast<size_t>(std::max(p, 1)), 0.0);
  TErrorRMSObj measure(p);
  RecallRows(data, [&](const double*, const double* answer, int slot) {
    const double* row = data->OutputRowPtr(slot);
    if (row != nullptr) std::copy(row, row + known, target.begin());
    measure.Accumulate(target.data(), answer);
  });
  error = measure.GetError();
}

}  // namespace nuxa
