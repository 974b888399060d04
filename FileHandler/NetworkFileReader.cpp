// The network file reader. It drives the block reader statement by statement
// and builds the network as it goes: the network as soon as the information
// block is read, each layer as soon as its type and neuron count are known,
// each connection set when its block names the pair and the type. The network
// is held by a unique_ptr throughout, so a failure anywhere releases whatever
// was built.
#include "FileHandler/NetworkFileReader.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "NeuralNets/TBasicNetwork.h"
#include "NeuralNets/TConnectedConnections.h"
#include "NeuralNets/TPrunedConnections.h"

#if NUXA_CONFIG_FUNN
#include "FileHandler/SaveFuNN.h"
#include "FuNN/TConditionLayer.h"
#include "FuNN/TFuNN.h"
#include "FuNN/TFuNNOutputLayer.h"
#include "FuNN/TToConditionConnections.h"
#include "FuNN/TToOutputConnections.h"
#endif
#if NUXA_CONFIG_MLP
#include "NeuralNets/MLP/TMLPNetwork.h"
#endif

namespace nuxa {

namespace {

bool Is(const std::string& text, const char* name) {
  return strcasecmp(text.c_str(), name) == 0;
}

// The gain functions read the gain of a TGainNeuron; given to any other
// neuron they would read memory that is not there.
bool NeedsGain(TActFunction function) {
  return function == FnLinearGain || function == FnSigmoidGain || function == FnTanhGain;
}

// The values of the network information block.
struct Information {
  long numLayers = -1;
  long inputLayer = 1;
  long outputLayer = -1;
  long numInputs = -1;
  bool inputsGiven = false;
  long numOutputs = -1;
  bool outputsGiven = false;
  long biasLayer = -1;
};

class NetworkReader {
 public:
  NetworkReader(FileTools& tools, std::istream& is) : tools_(tools), is_(is) {}

  std::unique_ptr<TBasicNetwork> Read();

 private:
  [[noreturn]] void Fail(const char* message) { throw FileTools::Error(message, &is_, nullptr); }
  Statement Next(const std::string& block, bool force = false) {
    return tools_.GetStatement(block.c_str(), is_, force);
  }
  long Integer(const std::string& text) { return tools_.ParseInteger(is_, text.c_str()); }
  double Number(const std::string& text) { return tools_.ParseNumber(is_, text.c_str()); }

  void ReadInformation();
  void CreateNetwork(const std::string& type);
  // Reads the layer block opened by st ("Layer = L"); st ends as the
  // statement after the block.
  void ReadLayer(Statement& st);
  TBasicLayer* CreateLayer(int L, const std::string& type, long count);
  TActFunction LookUpFunction(const std::string& name);
  void SetLayerFunction(TBasicLayer& layer, TActFunction function);
  void SetNeuronFunction(TBasicNeuron& neuron, TActFunction function);
  int FindParameter(const TBasicNeuron& neuron, const std::string& key);
  void CheckLayers();
  // Reads the connection block opened by st; st ends as the statement after
  // the block.
  void ReadConnections(Statement& st);
  TBasicConnections* CreateConnections(long from, long to, const std::string& type);
  void ReadMatrix(Statement& st, TBasicConnections& set, bool fullyConnected);
  void ReadWeightList(Statement& st, TBasicConnections& set, bool fullyConnected);
  void RemoveArc(TBasicConnections& set, int from, int to, bool fullyConnected);
  void SetWeight(TBasicConnections& set, int from, int to, double weight);
  void SetTrainable(TBasicConnections& set, int from, int to, bool trainable, bool fullyConnected);

  FileTools& tools_;
  std::istream& is_;
  std::string outer_;  // the NeuralNetwork block's name as the file spells it
  Information info_;
  std::string networkType_;
  std::unique_ptr<TBasicNetwork> net_;
  std::vector<long> layerNeurons_;  // neuron count of each layer built so far
  long arcs_ = 0;                   // possible arcs of the sets built so far
};

std::unique_ptr<TBasicNetwork> NetworkReader::Read() {
  Statement st = tools_.GetStatement(nullptr, is_, false);
  outer_ = tools_.ExpectBlockStart(st, is_, "NeuralNetwork");
  st = Next(outer_);
  networkType_ = tools_.GetStringStatement(st, is_, "NetworkType", nullptr);

  ReadInformation();

  st = Next(outer_);
  while (st.kind == Statement::kKeyValue && Is(st.key, "Layer")) ReadLayer(st);
  CheckLayers();

  while (st.kind == Statement::kBlockStart && Is(st.key, "ConnectionLayer")) ReadConnections(st);

  tools_.ExpectEndTag(st, is_);
  st = tools_.GetStatement(nullptr, is_, false);
  tools_.ExpectEndTag(st, is_);

#if NUXA_CONFIG_FUNN
  // The FuNN operations work on the six layers and four sets of a FuNN; a
  // file that names the type must describe them.
  if (auto* funn = dynamic_cast<TFuNN*>(net_.get()); funn != nullptr && !funn->IsWellFormed()) {
    Fail("Invalid network structure");
  }
#endif
  return std::move(net_);
}

void NetworkReader::ReadInformation() {
  Statement st = Next(outer_);
  const std::string block = tools_.ExpectBlockStart(st, is_, "NetworkInformation");
  for (st = Next(block); st.kind == Statement::kKeyValue; st = Next(block)) {
    if (st.open) Fail("Too complicated statement");
    const long value = Integer(st.value);
    if (Is(st.key, "NumberOfLayers")) {
      info_.numLayers = value;
    } else if (Is(st.key, "InputLayer")) {
      info_.inputLayer = value;
    } else if (Is(st.key, "OutputLayer")) {
      info_.outputLayer = value;
    } else if (Is(st.key, "NumberOfInputs")) {
      info_.numInputs = value;
      info_.inputsGiven = true;
    } else if (Is(st.key, "NumberOfOutputs")) {
      info_.numOutputs = value;
      info_.outputsGiven = true;
    } else if (Is(st.key, "BiasLayer")) {
      info_.biasLayer = value;
    } else {
      Fail("Unknown keyword");
    }
  }
  tools_.ExpectEndTag(st, is_);

  const long n = info_.numLayers;
  if (n < 0) Fail("Must specify number of layers");
  if (info_.outputLayer < 0) info_.outputLayer = n - 1;
  if (info_.inputLayer < 0 || info_.inputLayer >= n) Fail("Input layer out of range");
  if (info_.outputLayer >= n) Fail("Output layer out of range");
  if (n > kMaxNetworkLayers) Fail("Network too large");
  CreateNetwork(networkType_);
}

void NetworkReader::CreateNetwork(const std::string& type) {
  const int n = static_cast<int>(info_.numLayers);
  if (Is(type, "Basic")) {
    net_ = std::make_unique<TBasicNetwork>(n);
  } else if (Is(type, "Connected")) {
    net_ = std::make_unique<TConnectedNetwork>(n);
#if NUXA_CONFIG_FUNN
  } else if (Is(type, "FuNN")) {
    if (n != 6) Fail("FuNN network must have 6 layers");
    net_ = std::make_unique<TFuNN>();
#endif
#if NUXA_CONFIG_MLP
  } else if (Is(type, "MLP")) {
    // The bias layer of an MLP stands at position 0, so 0 counts as given.
    net_ = std::make_unique<TMLPNetwork>(n - 1, info_.biasLayer >= 0);
#endif
  } else {
    Fail("Unknown network type");
  }
  net_->inLayer = static_cast<int>(info_.inputLayer);
  net_->outLayer = static_cast<int>(info_.outputLayer);
  layerNeurons_.assign(static_cast<size_t>(n), 0);
}

void NetworkReader::ReadLayer(Statement& st) {
  if (st.open) Fail("Too complicated statement");
  const long index = Integer(st.value);
  if (index < 0 || index >= net_->numLayers) Fail("Layer index out of range");
  const int L = static_cast<int>(index);
  const std::string block = st.key;

  std::string type;
  long count = -1;
  TActFunction shared = nullptr;
  TBasicLayer* layer = nullptr;
  // One value per parameter position, and whether the layer statements gave
  // it. Neuron lines update the same list (see below).
  std::vector<double> values;
  std::vector<char> given;

  for (st = Next(block);; st = Next(block)) {
    if (st.kind == Statement::kBlockStart && Is(st.key, "ALL")) {
      if (!st.open) Fail("[ALL] is incomplete statment");
      st = Next(block, true);
      if (st.kind != Statement::kKeyValue) Fail("Required syntax is [ALL <keyword>=<val>]");
    } else if (st.kind != Statement::kKeyValue) {
      break;
    }
    if (st.open) Fail("Too complicated statement");

    if (Is(st.key, "LayerType")) {
      if (layer != nullptr && !Is(st.value, type.c_str())) Fail("Conflicting layer statement");
      type = st.value;
    } else if (Is(st.key, "NumberOfNeurons")) {
      const long value = Integer(st.value);
      if (value < 0) Fail("Illegal number of neurons");
      if (layer != nullptr && value != count) Fail("Conflicting layer statement");
      count = value;
    } else if (Is(st.key, "ActivationFunction")) {
      shared = LookUpFunction(st.value);
    } else {
      if (layer == nullptr) Fail("Parameter before LayerType and NumberOfNeurons");
      if (layer->numNeurons == 0) Fail("Unknown neuron parameter");
      const size_t p = static_cast<size_t>(FindParameter(layer->GetNeuron(0), st.key));
      values[p] = Number(st.value);
      given[p] = 1;
    }

    if (layer == nullptr && count >= 0 && !type.empty()) {
      layer = CreateLayer(L, type, count);
      int P = 0;
      for (int i = 0; i < layer->numNeurons; ++i) {
        P = std::max(P, layer->GetNeuron(i).GetNumParameters());
      }
      values.assign(static_cast<size_t>(P), 0.0);
      given.assign(static_cast<size_t>(P), 0);
    }
  }
  if (layer == nullptr) Fail("LayerType and NumberOfNeurons required");
  if (shared != nullptr) SetLayerFunction(*layer, shared);

#if NUXA_CONFIG_FUNN
  if (Is(type, "FuzzyCondition")) {
    if (st.kind != Statement::kBlockStart || !Is(st.key, "InputMF")) {
      Fail("membership array missing in condition layer");
    }
    ReadMFBlock(is_, *layer, st.key.c_str());
    st = Next(block);
  } else if (Is(type, "Defuzzify")) {
    if (st.kind != Statement::kBlockStart || !Is(st.key, "OutputMF")) {
      Fail("membership array missing in output layer");
    }
    ReadMFBlock(is_, *layer, st.key.c_str());
    st = Next(block);
  }
#endif

  const int neurons = layer->numNeurons;
  if (st.kind == Statement::kBlockStart && Is(st.key, "Neurons")) {
    const std::string neuronsBlock = st.key;
    std::vector<char> defined(static_cast<size_t>(neurons), 0);
    // The first statement is read as one of the layer block, as files have
    // always been read: an empty neurons block ends with an unexpected end
    // tag.
    for (st = Next(block); st.kind == Statement::kKeyValue && Is(st.key, "Neuron");
         st = Next(neuronsBlock)) {
      const long i = Integer(st.value);
      if (i < 0 || i >= neurons) Fail("Neuron index out of range");
      if (defined[static_cast<size_t>(i)] != 0) Fail("repeated neuron");
      TBasicNeuron& neuron = layer->GetNeuron(static_cast<int>(i));
      TActFunction function = nullptr;
      while (st.open) {
        st = Next(neuronsBlock, true);
        if (st.kind != Statement::kKeyValue) Fail("Equals clause expected in neuron parameter");
        if (Is(st.key, "ActivationFunction")) {
          function = LookUpFunction(st.value);
        } else {
          values[static_cast<size_t>(FindParameter(neuron, st.key))] = Number(st.value);
        }
      }
      // The list is not reset between neurons: a value given on one line
      // stays for the lines after it until given again.
      neuron.SetParameters(values.data());
      // With a shared function a neuron's own one is read and ignored.
      if (shared == nullptr) {
        if (function == nullptr) Fail("No activation function defined");
        SetNeuronFunction(neuron, function);
      }
      defined[static_cast<size_t>(i)] = 1;
    }
    tools_.ExpectEndTag(st, is_);
    st = Next(block);
    for (char d : defined) {
      if (d == 0) Fail("Neuron not defined");
    }
  } else {
    for (char g : given) {
      if (g == 0) Fail("Incomplete Layer information");
    }
    for (int i = 0; i < neurons; ++i) layer->GetNeuron(i).SetParameters(values.data());
  }

  // The writer refuses a bias layer of more than one neuron; so does the
  // reader, so that every network it returns can be written again.
  if (neurons > 1 && layer->GetActivationFunction() == FnBias) {
    Fail("Illegal number of bias nodes");
  }

  tools_.ExpectEndTag(st, is_);
  st = Next(outer_);
}

TBasicLayer* NetworkReader::CreateLayer(int L, const std::string& type, long count) {
  if (L == net_->inLayer && info_.inputsGiven && count != info_.numInputs) {
    Fail("wrong number inputs in header");
  }
  if (L == net_->outLayer && info_.outputsGiven && count != info_.numOutputs) {
    Fail("wrong number outputs in header");
  }
  const bool simple = Is(type, "Simple");
  const bool input = Is(type, "Input");
  const bool gain = Is(type, "Gain");
#if NUXA_CONFIG_FUNN
  const bool condition = Is(type, "FuzzyCondition");
  const bool output = Is(type, "Defuzzify");
#else
  const bool condition = false;
  const bool output = false;
#endif
  if (!simple && !input && !gain && !condition && !output) Fail("Unknown layer type");

  // A second block for the same index replaces the layer it built before.
  long total = count;
  for (size_t i = 0; i < layerNeurons_.size(); ++i) {
    if (static_cast<int>(i) != L) total += layerNeurons_[i];
  }
  if (count > kMaxNetworkNeurons || total > kMaxNetworkNeurons) Fail("Network too large");
  layerNeurons_[static_cast<size_t>(L)] = count;

  TBasicNetwork* net = net_.get();
  const int n = static_cast<int>(count);
  TBasicLayer* layer = nullptr;
  if (simple) {
    layer = new TSimpleLayer(net, L, n);
  } else if (input) {
    layer = new TSimpleInputLayer(net, L, n);
  } else if (gain) {
    layer = new TGainLayer(net, L, n, 1.0);
#if NUXA_CONFIG_FUNN
  } else if (condition) {
    layer = new TConditionLayer(net, L, n);
  } else {
    layer = new TFuNNOutputLayer(net, L, n);
#endif
  }
  net_->SetLayer(L, layer);
  return layer;
}

TActFunction NetworkReader::LookUpFunction(const std::string& name) {
  const TActFunction function = net_->GetRegistry().GetFunction(name.c_str());
  if (function == nullptr) Fail("Unknown activation function");
  return function;
}

void NetworkReader::SetLayerFunction(TBasicLayer& layer, TActFunction function) {
  // All neurons of a layer are of one class: the first stands for all.
  if (NeedsGain(function) && layer.numNeurons > 0 &&
      dynamic_cast<TGainNeuron*>(&layer.GetNeuron(0)) == nullptr) {
    Fail("Activation function needs gain neurons");
  }
  layer.SetActivationFunction(function);
}

void NetworkReader::SetNeuronFunction(TBasicNeuron& neuron, TActFunction function) {
  if (NeedsGain(function) && dynamic_cast<TGainNeuron*>(&neuron) == nullptr) {
    Fail("Activation function needs gain neurons");
  }
  neuron.SetActivationFunction(function);
}

int NetworkReader::FindParameter(const TBasicNeuron& neuron, const std::string& key) {
  const int P = neuron.GetNumParameters();
  for (int p = 0; p < P; ++p) {
    if (Is(key, neuron.GetParameterName(p))) return p;
  }
  Fail("Unknown neuron parameter");
}

void NetworkReader::CheckLayers() {
  for (int L = 0; L < net_->numLayers; ++L) {
    if (net_->GetLayer(L) == nullptr) Fail("Layer not defined");
  }
#if NUXA_CONFIG_MLP
  // The bias flag of an MLP follows its BiasLayer statement; the writer
  // writes that statement for every bias layer (one "bias" neuron) and for
  // nothing else. A file must say the same, or the flag would not survive
  // writing.
  if (dynamic_cast<TMLPNetwork*>(net_.get()) != nullptr) {
    auto isBias = [this](long L) {
      TBasicLayer& layer = *net_->GetLayer(static_cast<int>(L));
      return layer.numNeurons == 1 && layer.GetActivationFunction() == FnBias;
    };
    if (info_.biasLayer >= 0) {
      if (info_.biasLayer >= net_->numLayers || !isBias(info_.biasLayer)) {
        Fail("BiasLayer is not a bias layer");
      }
    } else {
      for (int L = 0; L < net_->numLayers; ++L) {
        if (isBias(L)) Fail("Bias layer without BiasLayer statement");
      }
    }
  }
#endif
#if NUXA_CONFIG_FUNN
  // The membership block of an output layer is checked against the layer
  // below when that one is already built; layer blocks in another order, or
  // a layer built twice, are caught here.
  for (int L = 1; L < net_->numLayers; ++L) {
    const auto* output = dynamic_cast<const TFuNNOutputLayer*>(net_->GetLayer(L));
    if (output != nullptr && output->numActions != net_->GetLayer(L - 1)->numNeurons) {
      Fail("MF counts do not match the number of action neurons");
    }
  }
#endif
}

void NetworkReader::ReadConnections(Statement& st) {
  const std::string block = st.key;
  long from = -1;
  long to = -1;
  std::string type;
  // The first statement is read as one of the enclosing block, as files
  // have always been read: an empty connection block ends with an
  // unexpected end tag.
  for (st = Next(outer_);; st = Next(block)) {
    if (st.kind == Statement::kBlockStart && Is(st.key, "Attributes")) {
      // The attributes follow from the type; they are read over.
      while (st.open) st = Next(block, true);
    } else if (st.kind == Statement::kKeyValue) {
      if (st.open) Fail("Too complicated statement");
      if (Is(st.key, "LayerFrom")) {
        from = Integer(st.value);
      } else if (Is(st.key, "LayerTo")) {
        to = Integer(st.value);
      } else if (Is(st.key, "ConnectionType")) {
        type = st.value;
      } else {
        Fail("Unknown keyword in connections");
      }
    } else {
      break;
    }
  }

  TBasicConnections& set = *CreateConnections(from, to, type);
  const bool fullyConnected = Is(type, "FullyConnected");
  if (!fullyConnected) {
    // Only the arcs the file names exist.
    const int nFrom = set.GetNumFrom();
    const int nTo = set.GetNumTo();
    for (int s = 0; s < nFrom; ++s) {
      for (int t = 0; t < nTo; ++t) set.PruneWeight(s, t);
    }
  }

  while (st.kind == Statement::kBlockStart && (Is(st.key, "Matrix") || Is(st.key, "WeightList"))) {
    if (Is(st.key, "Matrix")) {
      ReadMatrix(st, set, fullyConnected);
    } else {
      ReadWeightList(st, set, fullyConnected);
    }
    st = Next(block);
  }
  tools_.ExpectEndTag(st, is_);
  st = Next(outer_);
}

TBasicConnections* NetworkReader::CreateConnections(long from, long to, const std::string& type) {
  if (from < 0 || to < 0 || type.empty()) Fail("Insufficient information to construct layer");
  const bool full = Is(type, "FullyConnected");
  const bool pruneable = Is(type, "Pruneable");
#if NUXA_CONFIG_FUNN
  const bool toCondition = Is(type, "ToConditionConnections");
  const bool toOutput = Is(type, "ToOutputConnections");
#else
  const bool toCondition = false;
  const bool toOutput = false;
#endif
  if (!full && !pruneable && !toCondition && !toOutput) {
    Fail("Insufficient information to construct layer");
  }
  if (from >= net_->numLayers || to >= net_->numLayers) Fail("Layer index out of range");
  const int f = static_cast<int>(from);
  const int t = static_cast<int>(to);
  if (net_->GetConnections(f, t)->IsConnected()) Fail("Connections already defined");

  arcs_ += static_cast<long>(net_->GetLayer(f)->numNeurons) * net_->GetLayer(t)->numNeurons;
  if (arcs_ > kMaxNetworkArcs) Fail("Network too large");

  TBasicNetwork* net = net_.get();
  TBasicConnections* set = nullptr;
  if (full) {
    set = new TConnectedConnections(net, f, t);
  } else if (pruneable) {
    set = new TPrunedConnections(net, f, t);
#if NUXA_CONFIG_FUNN
  } else if (toCondition) {
    set = new TToConditionConnections(net, f, t);
  } else {
    set = new TToOutputConnections(net, f, t);
#endif
  }
  net_->SetConnections(f, t, set);
  return set;
}

void NetworkReader::ReadMatrix(Statement& st, TBasicConnections& set, bool fullyConnected) {
  const std::string block = st.key;
  // The columns of a cell: true for Weights, false for TrainableInfo.
  std::vector<bool> columns;
  while (st.open) {
    st = Next(block, true);
    if (st.kind != Statement::kBlockStart) Fail("Keyword expected in matrix parameter");
    const bool weights = Is(st.key, "Weights");
    if (!weights && !Is(st.key, "TrainableInfo")) Fail("Unknown matrix attribute");
    if (columns.size() >= 9) Fail("Too many matrix attributes");
    columns.push_back(weights);
  }

  const int nFrom = set.GetNumFrom();
  const int nTo = set.GetNumTo();
  std::vector<std::string> trainable;
  st = Next(block);
  for (int s = 0; s < nFrom; ++s) {
    for (int t = 0; t < nTo; ++t) {
      // A cell's weights decide whether the arc exists; its trainable
      // information is applied after them, whatever the column order.
      trainable.clear();
      for (const bool weights : columns) {
        if (st.kind != Statement::kToken) Fail("Token Expected");
        if (!weights) {
          trainable.push_back(st.key);
        } else if (st.key == "-") {
          RemoveArc(set, s, t, fullyConnected);
        } else {
          const double weight = Number(st.key);
          SetWeight(set, s, t, weight);
        }
        st = Next(block);
      }
      for (const std::string& token : trainable) {
        const bool isT = Is(token, "T");
        if (isT || Is(token, "F")) {
          SetTrainable(set, s, t, isT, fullyConnected);
        } else if (set.IsValid(s, t)) {
          Fail("Trainable information must be T or F");
        }
      }
    }
  }
  tools_.ExpectEndTag(st, is_);
}

void NetworkReader::ReadWeightList(Statement& st, TBasicConnections& set, bool fullyConnected) {
  const std::string block = st.key;
  const long nFrom = set.GetNumFrom();
  const long nTo = set.GetNumTo();
  for (st = Next(block); st.kind == Statement::kKeyValue || st.kind == Statement::kBlockStart;
       st = Next(block)) {
    long from = -1;
    long to = -1;
    double weight = 0.0;
    bool trainable = true;
    for (;;) {
      if (st.kind == Statement::kKeyValue) {
        if (Is(st.key, "From")) {
          from = Integer(st.value);
        } else if (Is(st.key, "To")) {
          to = Integer(st.value);
        } else if (Is(st.key, "Weight")) {
          weight = Number(st.value);
        } else {
          Fail("Unknown keyword in weights list");
        }
      } else if (Is(st.key, "Trainable")) {
        trainable = true;
      } else if (Is(st.key, "UnTrainable")) {
        trainable = false;
      } else {
        std::cout << st.key << std::endl;
        Fail("Unknown keyword in weights list");
      }
      if (!st.open) break;
      st = Next(block, true);
    }
    if (from < 0 || to < 0) Fail("Insufficient information in weights list");
    if (from >= nFrom || to >= nTo) Fail("Neuron index out of range in weights list");
    const int f = static_cast<int>(from);
    const int t = static_cast<int>(to);
    SetWeight(set, f, t, weight);
    SetTrainable(set, f, t, trainable, fullyConnected);
  }
  tools_.ExpectEndTag(st, is_);
}

void NetworkReader::RemoveArc(TBasicConnections& set, int from, int to, bool fullyConnected) {
  if (fullyConnected) Fail("Arcs of a FullyConnected set cannot be removed");
  set.PruneWeight(from, to);
}

void NetworkReader::SetWeight(TBasicConnections& set, int from, int to, double weight) {
  set.AddWeight(from, to);
  // The FuNN sets hold only the arcs their layers' membership maps give;
  // their weight slots are shared per neuron, so a weight for any other pair
  // would land on a real arc.
  if (!set.IsValid(from, to)) Fail("No such arc in connections");
  set.Weight(from, to) = weight;
}

void NetworkReader::SetTrainable(TBasicConnections& set, int from, int to, bool trainable,
                                 bool fullyConnected) {
  // Flags of absent arcs mean nothing; on the FuNN sets they would reach the
  // mask of a real arc.
  if (!set.IsValid(from, to)) return;
  if (trainable) {
    set.UnfreezeWeight(from, to);
  } else {
    if (fullyConnected) Fail("Arcs of a FullyConnected set cannot be frozen");
    set.FreezeWeight(from, to);
  }
}

}  // namespace

std::unique_ptr<TBasicNetwork> ReadNetwork(FileTools& tools, std::istream& is,
                                           std::unique_ptr<TKQstructure> message) {
  message.reset();  // nothing is reported through it
  NetworkReader reader(tools, is);
  return reader.Read();
}

std::unique_ptr<TBasicNetwork> LoadNetwork(FileTools& tools, const char* name,
                                           std::unique_ptr<TKQstructure> message) {
  message.reset();
  std::ifstream file(name);
  if (!file.is_open()) throw FileTools::Error("Error on File Open", nullptr, nullptr);
  try {
    return ReadNetwork(tools, file);
  } catch (FileTools::Error& error) {
    error.input = nullptr;  // the stream ends with this function
    throw;
  }
}

}  // namespace nuxa
