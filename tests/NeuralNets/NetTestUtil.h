// Small builders shared by the network model tests.
#ifndef NUXA_TESTS_NEURALNETS_NETTESTUTIL_H_
#define NUXA_TESTS_NEURALNETS_NETTESTUTIL_H_

#include <vector>

#include "NeuralNets/TBasicNetwork.h"

namespace nuxa {
namespace testing_util {

/// Forms net for sizes.size() layers and fills every slot: the input position
/// a TSimpleInputLayer, every other a TSimpleLayer with the "linear" function.
inline void Populate(TBasicNetwork& net, const std::vector<int>& sizes) {
  net.SetNumLayers(static_cast<int>(sizes.size()));
  for (int i = 0; i < net.numLayers; ++i) {
    const int n = sizes[static_cast<size_t>(i)];
    if (i == net.inLayer) {
      net.SetLayer(i, new TSimpleInputLayer(&net, i, n));
    } else {
      auto* layer = new TSimpleLayer(&net, i, n);
      layer->SetActivationFunction(FnLinear);
      net.SetLayer(i, layer);
    }
  }
}

/// Every weight of a matrix set as (from, to) -> 10 * from + to.
inline void NumberWeights(TBasicConnections& set) {
  for (int from = 0; from < set.GetNumFrom(); ++from) {
    for (int to = 0; to < set.GetNumTo(); ++to) set.Weight(from, to) = 10.0 * from + to;
  }
}

}  // namespace testing_util
}  // namespace nuxa

#endif  // NUXA_TESTS_NEURALNETS_NETTESTUTIL_H_
