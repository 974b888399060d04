// The two activation functions of the FuNN layers, registered as "cog" and
// "FuNN-condition" in the FuNN configuration.
#include "Common/Assert.h"
#include "FuNN/TConditionLayer.h"
#include "NeuralNets/ActFunctions.h"

namespace nuxa {

// The output layer records "cog" for its neurons but defuzzifies in its own
// Recall, so the function itself must never run.
void FnCog(TBasicNeuron&, double) {
  NUXA_ASSERT(false);
}

// Triangular membership: 1 at the neuron's centre, falling linearly to 0 at
// the neighbours' centres; an input's first function is 1 everywhere below
// its centre and its last 1 everywhere above. The tests run in this order and
// exclude each division by a zero width.
void FnFuNNCondition(TBasicNeuron& neuron, double net) {
  // A network file may name this function for a neuron of another layer
  // kind; such a neuron has no membership function and outputs 0.
  auto* condition = dynamic_cast<TConditionNeuron*>(&neuron);
  if (condition == nullptr) {
    neuron.Activation() = 0.0;
    return;
  }
  const double x = net;
  const double c = condition->centre;
  double mu = 0.0;
  if (condition->left == nullptr && x <= c) {
    mu = 1.0;
  } else if (condition->right == nullptr && x >= c) {
    mu = 1.0;
  } else if (condition->right != nullptr && x >= c && x < condition->right->centre) {
    const double r = condition->right->centre;
    mu = 1.0 - (x - c) / (r - c);
  } else if (condition->left != nullptr && x <= c && x > condition->left->centre) {
    const double l = condition->left->centre;
    mu = 1.0 - (c - x) / (c - l);
  }
  neuron.Activation() = mu;
}

}  // namespace nuxa
