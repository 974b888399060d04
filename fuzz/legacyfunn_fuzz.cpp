// Reads arbitrary bytes as a legacy FuNN network file.
//
// LoadFuNN may only fail with TException. A network it loads must be
// writable as a network file (FileTools::Error is the writer's only
// exception), and its canonical legacy layout must load back without error
// into the same weights as far as the layout's six significant digits keep
// them. Anything else traps.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "FileHandler/NetworkFile.h"
#include "FileHandler/ParseTools.h"
#include "FuNN/TFuNN.h"
#include "QVCompatibility/FileHandlers/FuNN/TQVFuNNFiler.h"

namespace {

// Whether read is what the layout keeps of written: its six significant
// digits, read back. A NaN keeps only its sign.
bool Same(double written, double read) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", written);
  const double a = std::strtod(text, nullptr), b = read;
  if (std::isnan(a) || std::isnan(b)) {
    return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
  }
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameWeights(nuxa::TFuNN& a, nuxa::TFuNN& b) {
  for (int layer = 1; layer <= 4; ++layer) {
    int countA = 0, countB = 0;
    std::vector<double> x, y;
    a.GetWeightLayer(layer, countA, x);
    b.GetWeightLayer(layer, countB, y);
    if (countA != countB || x.size() != y.size()) __builtin_trap();
    for (size_t k = 0; k < x.size(); ++k) {
      if (!Same(x[k], y[k])) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<nuxa::TFuNN> net;
  std::unique_ptr<nuxa::TQVFuNNFileInfo> info;
  try {
    nuxa::TQVFuNNFiler::LoadFuNN(in, "fuzz.wts", net, info);
  } catch (const nuxa::TException&) {
    return 0;
  }
  if (net == nullptr || info == nullptr) __builtin_trap();

  nuxa::FileTools tools;
  std::ostringstream network;
  try {
    nuxa::WriteNetwork(tools, network, *net);
  } catch (const nuxa::FileTools::Error&) {
  }

  std::ostringstream legacy;
  nuxa::TQVFuNNFiler::SaveFuNN(legacy, *net, *info);
  std::istringstream again(legacy.str());
  std::unique_ptr<nuxa::TFuNN> reloaded;
  std::unique_ptr<nuxa::TQVFuNNFileInfo> reloadedInfo;
  nuxa::TQVFuNNFiler::LoadFuNN(again, "again.wts", reloaded, reloadedInfo);
  ExpectSameWeights(*net, *reloaded);
  return 0;
}
