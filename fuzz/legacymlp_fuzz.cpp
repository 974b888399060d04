// Reads arbitrary bytes as a legacy MLP network file.
//
// LoadMLP may only fail with TException. A network it loads must be writable
// as a network file (FileTools::Error is the writer's only exception), and
// its canonical legacy layout must load back without error into the same
// weights as far as the layout's six significant digits keep them. Anything
// else traps.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "Common/Exceptions.h"
#include "FileHandler/NetworkFile.h"
#include "FileHandler/ParseTools.h"
#include "NeuralNets/MLP/TMLPNetwork.h"
#include "NeuralNets/TConnections.h"
#include "QVCompatibility/FileHandlers/MLP/TQVMLPFiler.h"

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

void ExpectSameWeights(nuxa::TMLPNetwork& a, nuxa::TMLPNetwork& b) {
  const int pairs[4][2] = {{1, 2}, {2, 3}, {0, 2}, {0, 3}};
  for (const auto& pair : pairs) {
    nuxa::TBasicConnections& x = *a.GetConnections(pair[0], pair[1]);
    nuxa::TBasicConnections& y = *b.GetConnections(pair[0], pair[1]);
    if (x.GetNumFrom() != y.GetNumFrom() || x.GetNumTo() != y.GetNumTo()) __builtin_trap();
    for (int i = 0; i < x.GetNumFrom(); ++i) {
      for (int j = 0; j < x.GetNumTo(); ++j) {
        if (!Same(x.Weight(i, j), y.Weight(i, j))) __builtin_trap();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<nuxa::TMLPNetwork> net;
  std::unique_ptr<nuxa::TQVMLPFileInfo> info;
  try {
    nuxa::TQVMLPFiler::LoadMLP(in, "fuzz.wts", net, info);
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
  nuxa::TQVMLPFiler::SaveMLP(legacy, *net, *info);
  std::istringstream again(legacy.str());
  std::unique_ptr<nuxa::TMLPNetwork> reloaded;
  std::unique_ptr<nuxa::TQVMLPFileInfo> reloadedInfo;
  nuxa::TQVMLPFiler::LoadMLP(again, "again.wts", reloaded, reloadedInfo);
  ExpectSameWeights(*net, *reloaded);
  return 0;
}
