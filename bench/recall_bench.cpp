// Recall of a fully connected network of 1000 inputs, 1000 hidden and 100
// output neurons (1.1 million weights), next to the same computation written
// by hand as two dense matrix-vector products. Both report weights per second
// (items_per_second).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "NeuralNets/TBasicNetwork.h"

namespace {

constexpr int kInputs = 1000;
constexpr int kHidden = 1000;
constexpr int kOutputs = 100;
constexpr long kWeights =
    static_cast<long>(kInputs) * kHidden + static_cast<long>(kHidden) * kOutputs;

std::vector<double> Input() {
  std::vector<double> input(kInputs);
  for (int i = 0; i < kInputs; ++i) input[static_cast<size_t>(i)] = (i % 17) / 17.0 - 0.5;
  return input;
}

void BM_NetworkRecall(benchmark::State& state) {
  const int sizes[4] = {0, kInputs, kHidden, kOutputs};
  nuxa::TConnectedNetwork net(4, sizes);
  net.layers[2]->SetActivationFunction(nuxa::FnSigmoid);
  net.layers[3]->SetActivationFunction(nuxa::FnSigmoid);
  net.Connect(1, 2);
  net.Connect(2, 3);
  std::srand(1);
  net.Randomize(-0.1, 0.1);
  const std::vector<double> input = Input();
  std::vector<double> output(kOutputs);
  for (auto _ : state) {
    net.Recall(input.data(), output.data());
    benchmark::DoNotOptimize(output.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWeights);
}
BENCHMARK(BM_NetworkRecall)->Unit(benchmark::kMicrosecond);

// y = sigmoid(W x), W row-major with one row per output neuron.
void Layer(const std::vector<double>& w, const double* x, int n_in, int n_out, double* y) {
  const double* row = w.data();
  for (int o = 0; o < n_out; ++o, row += n_in) {
    double sum = 0.0;
    for (int i = 0; i < n_in; ++i) sum += row[i] * x[i];
    y[o] = 1.0 / (1.0 + std::exp(-sum));
  }
}

void BM_HandWrittenDense(benchmark::State& state) {
  std::vector<double> w1(static_cast<size_t>(kInputs) * kHidden);
  std::vector<double> w2(static_cast<size_t>(kHidden) * kOutputs);
  std::srand(1);
  for (double& w : w1) w = -0.1 + (std::rand() % 32767) * 0.2 / 32767;
  for (double& w : w2) w = -0.1 + (std::rand() % 32767) * 0.2 / 32767;
  const std::vector<double> input = Input();
  std::vector<double> hidden(kHidden);
  std::vector<double> output(kOutputs);
  for (auto _ : state) {
    Layer(w1, input.data(), kInputs, kHidden, hidden.data());
    Layer(w2, hidden.data(), kHidden, kOutputs, output.data());
    benchmark::DoNotOptimize(output.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWeights);
}
BENCHMARK(BM_HandWrittenDense)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
