// The fuzzy neural network: a connected network of exactly six layers that
// fuzzifies its inputs with triangular membership functions, combines them in
// a layer of rule neurons, activates one action neuron per output membership
// function and defuzzifies by centre of gravity.
//
//   layer 0  TSimpleLayer, no neurons (the network has no bias)
//   layer 1  TSimpleInputLayer, one neuron per input        "linear"
//   layer 2  TConditionLayer, one neuron per input MF       "FuNN-condition"
//   layer 3  TSimpleLayer, one neuron per rule              "sigmoid"
//   layer 4  TSimpleLayer, one neuron per output MF         "sigmoid"
//   layer 5  TFuNNOutputLayer, one neuron per output        "cog"
//
// The network's trainable values are addressed as four weight layers, 1 to
// 4, whatever they are physically:
//
//   1  1 -> 2  TToConditionConnections  the centre of condition neuron `to`;
//                                       exists only for from = its input
//   2  2 -> 3  TPrunedConnections       arc weight condition -> rule
//   3  3 -> 4  TPrunedConnections       arc weight rule -> action
//   4  4 -> 5  TToOutputConnections     the output centre of action neuron
//                                       `from`; exists only for to = its output
//
// Every other pair keeps its empty set.
#ifndef NUXA_FUNN_TFUNN_H_
#define NUXA_FUNN_TFUNN_H_

#include <functional>
#include <memory>
#include <vector>

#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {

class Data;
class TConditionLayer;
class TFuNNOutputLayer;
class TPrunedConnections;
class TToConditionConnections;
class TToOutputConnections;

/// The FuNN network. All its state lives in its layers and connection sets.
///
/// The weight-layer operations throw TException with category "Bad
/// Parameter" and the operation's location ("TFuNN::GetWeightValue", ...):
/// "Invalid weight layer" for a weight layer other than 1 to 4 (always tested
/// first), "Invalid weight number" for a (from, to) that is no weight of the
/// weight layer. They also throw "Invalid network structure" when the
/// network does not have the layers and sets above (IsWellFormed), which
/// only a network assembled piece by piece can lack. A failed call changes
/// nothing.
class TFuNN : public TConnectedNetwork {
 public:
  /// The skeleton: six empty layer slots, every pair empty, inLayer 1,
  /// outLayer 5. The builder installs all six layers and the sets of weight
  /// layers 1 to 4 itself.
  TFuNN();
  /// The network of the table above for `inputs` inputs with inputMFs[i]
  /// membership functions each, `rules` rule neurons and `outputs` outputs
  /// with outputMFs[o] membership functions each. The count arrays are read,
  /// not kept. Input centres start evenly spaced over 0 to 1, output centres
  /// at 0.0, arc weights at 0.0.
  /// Throws TException "Must be >= 2 MF per input" / "Must be >= 2 MF per
  /// output", "Bad Parameter", "TFuNN::TFuNN" for the first count below 2,
  /// input counts before output counts.
  TFuNN(int inputs, const int* inputMFs, int rules, const int* outputMFs, int outputs);
  TFuNN(const TFuNN& x) = default;
  TFuNN& operator=(const TFuNN& x) = default;
  ~TFuNN() override;

  /// A real set stays as it is; an empty pair gets a TToConditionConnections
  /// for 1 -> 2, a TToOutputConnections for 4 -> 5 and a TPrunedConnections
  /// for any other pair.
  void Connect(int fromLayer, int toLayer) override;
  /// "FuNN".
  const char* GetNetworkType() const override;

  /// Whether the network has the six layers and four sets above with
  /// matching sizes: layer 2 a condition layer whose inputs are layer 1's
  /// neurons, layer 5 an output layer whose action neurons are layer 4's,
  /// the sets of weight layers 1 to 4 of the classes above. A builder that
  /// assembles a network from a file can refuse it when this is false.
  bool IsWellFormed() const;

  // ---- Weight layers. from and to are neuron numbers of the weight layer's
  // from-layer and to-layer.

  /// Reads one weight into value.
  void GetWeightValue(int weightLayer, int from, int to, double& value);
  /// Stores one weight. Centres are stored as given, not re-sorted.
  void SetWeightValue(int weightLayer, int from, int to, double value);
  /// All weights of the weight layer, in its canonical order, into values;
  /// count is their number:
  ///   1: C values, the centre of condition neuron k
  ///   2: C * r values, k = c * r + j: condition neuron c -> rule neuron j
  ///   3: r * A values, k = j * A + a: rule neuron j -> action neuron a
  ///   4: A values, the output centre of action neuron k
  void GetWeightLayer(int weightLayer, int& count, std::vector<double>& values);
  /// Stores all weights of the weight layer from values, which holds as many
  /// as GetWeightLayer gives, in the same order.
  void SetWeightLayer(int weightLayer, const double* values);
  /// Marks one weight not trainable. Note the order: to before from.
  /// Weight layer 1 clears the condition neuron's trainable flag (the set's
  /// masks are not touched); 2 to 4 freeze the arc in the set.
  void FreezeWeight(int weightLayer, int to, int from);
  /// Marks one weight trainable; to before from, as FreezeWeight.
  void UnfreezeWeight(int weightLayer, int to, int from);
  /// Whether the arc exists: for weight layers 1 and 4 by the membership
  /// maps, for 2 and 3 by the arc's exists bit. Throws "Invalid node number"
  /// when from or to is outside its layer.
  void WeightExists(int weightLayer, int from, int to, bool& exists);
  /// The activation of a neuron of layer 0 to 5 from the last recall (0.0
  /// before any). Throws "Invalid node layer" for another layer, "Invalid
  /// node number" for a neuron outside the layer.
  void GetActivationValue(int layer, int neuron, double& value);

  /// The layer sizes (inputs n, condition neurons C, rules r, action neurons
  /// A, outputs p) and copies of the membership-function counts of the
  /// inputs and of the outputs.
  void GetStructure(int& inputs, int& conditions, std::vector<int>& inputMFs, int& rules,
                    int& actions, std::vector<int>& outputMFs, int& outputs);
  /// Spreads the input centres and the output centres evenly over 0 to 1 and
  /// draws the trainable arc weights of weight layers 2 and 3 in [minimum,
  /// maximum). minimum must not exceed maximum (fatal).
  void InitWeights(double minimum, double maximum);

  // ---- Recall.

  /// Single-pattern recall, inherited.
  using TConnectedNetwork::Recall;
  /// Runs every row of data, oldest first, through the network and hands
  /// out a new set (no labels) with one row per row of data: the inputs fed
  /// to the network and its answers. Rows are read with data's cursor
  /// (GetNextRow, honouring an input selection); afterwards the cursor is
  /// back on the newest row. Throws TException "Null data pointer", "Null
  /// Pointer Parameter", "TFuNN::Recall" when data is null.
  void Recall(Data* data, std::unique_ptr<Data>& result);
  /// As Recall, but the result holds only the answers (no input columns).
  /// Location "TFuNN::RecallOutputOnly".
  void RecallOutputOnly(Data* data, std::unique_ptr<Data>& result);
  /// The root-mean-square error (TErrorRMSObj) of the network's answers
  /// against the first p output values of every row of data; NaN for a set
  /// without rows. Null data throws as RecallOutputOnly does, with its
  /// location.
  void GetRMSError(Data* data, double& error);

  // ---- The parts, for writers and readers. Each is null when the network
  // is not well formed.

  TConditionLayer* GetConditionLayer() const;
  TFuNNOutputLayer* GetOutputLayer() const;
  TToConditionConnections* GetConditionConnections() const;
  TToOutputConnections* GetOutputConnections() const;
  /// The set of weight layer 2 (weightLayer 2) or 3 (weightLayer 3).
  TPrunedConnections* GetRuleConnections(int weightLayer) const;

 private:
  struct Parts;
  bool FindParts(Parts& parts) const;
  Parts RequireParts(const char* location) const;
  static bool IsWeight(const Parts& parts, int weightLayer, int from, int to);
  // Called per row with the inputs fed to the network, its answers and the
  // row's slot in the data set.
  using RowFunction = std::function<void(const double* input, const double* answer, int slot)>;
  // Runs every row of data, oldest first, through the network.
  void RecallRows(Data* data, const RowFunction& each);
};

}  // namespace nuxa

#endif  // NUXA_FUNN_TFUNN_H_
