// Reading network files back into networks.
//
// The reader accepts everything the network file writer (NetworkFile.h)
// writes and some freedom beyond it: statements of a block in any order,
// keywords in any letter case, a layer statement either closed on its own
// ("[LayerType = Gain]") or inside an ALL bracket ("[All LayerType=Gain ]"),
// neuron lines in any order, weights as a matrix or as a weight list.
//
// The network type decides the class of the result: "Basic" a TBasicNetwork,
// "Connected" a TConnectedNetwork and, by configuration, "FuNN" a TFuNN (six
// layers) or "MLP" a TMLPNetwork. Layers, neurons, functions, parameters and
// connection sets all come from the file; a set that is not fully connected
// holds exactly the arcs the file names.
//
// Every failure is thrown as FileTools::Error; the partly built network is
// released before the exception leaves the reader.
#ifndef NUXA_FILEHANDLER_NETWORKFILEREADER_H_
#define NUXA_FILEHANDLER_NETWORKFILEREADER_H_

#include <iosfwd>
#include <memory>

#include "FileHandler/ParseTools.h"
#include "KQmessage/KQML.h"

namespace nuxa {

class TBasicNetwork;

/// Size limits of a network read from a file. A few bytes of text can ask for
/// any number of layers, neurons and arcs; beyond these the reader refuses the
/// file ("Network too large") instead of trying to allocate it. Neurons and
/// arcs are counted over the whole network; a connection set counts all
/// possible arcs of its pair (from-layer neurons times to-layer neurons).
constexpr long kMaxNetworkLayers = 1024;
constexpr long kMaxNetworkNeurons = 1L << 22;
constexpr long kMaxNetworkArcs = 1L << 24;

/// Reads the network file named name and returns the new network; the caller
/// owns it. Throws FileTools::Error "Error on File Open" when the file cannot
/// be opened, and whatever ReadNetwork throws; the exceptions carry no stream
/// (the file's stream is gone when they arrive). The message structure is
/// deleted unread.
std::unique_ptr<TBasicNetwork> LoadNetwork(FileTools& tools, const char* name,
                                           std::unique_ptr<TKQstructure> message = nullptr);

/// Reads a network file from is and returns the new network; the caller owns
/// it. The whole input must be one file: after the NeuralNetwork block only
/// separators and comments may follow. The message structure is deleted
/// unread.
///
/// Throws FileTools::Error with &is: the block reader's messages
/// ("Unexpected end of file", "[NeuralNetwork] expected", "End Tag expected",
/// "integer-expected", ...), those of the membership blocks (SaveFuNN.h) and:
///
/// - the network information: "Too complicated statement", "Unknown
///   keyword", "Must specify number of layers", "Input layer out of range",
///   "Output layer out of range", "Unknown network type", "FuNN network must
///   have 6 layers", "Network too large";
/// - a layer block: "Layer index out of range", "[ALL] is incomplete
///   statment", "Required syntax is [ALL <keyword>=<val>]", "Too complicated
///   statement", "Illegal number of neurons", "Conflicting layer statement"
///   (LayerType or NumberOfNeurons changed after the layer was built),
///   "Parameter before LayerType and NumberOfNeurons", "Unknown neuron
///   parameter", "LayerType and NumberOfNeurons required", "wrong number
///   inputs in header", "wrong number outputs in header", "Unknown layer
///   type", "Network too large", "Unknown activation function", "Activation
///   function needs gain neurons", "membership array missing in condition
///   layer", "membership array missing in output layer", "Incomplete Layer
///   information", "Neuron index out of range", "repeated neuron", "Equals
///   clause expected in neuron parameter", "No activation function defined",
///   "Neuron not defined", "Illegal number of bias nodes";
/// - after the layer blocks: "Layer not defined" (a layer index without a
///   block), "MF counts do not match the number of action neurons" (a
///   Defuzzify layer whose counts do not add up to the layer below it); for
///   the type MLP, whose bias flag follows the BiasLayer statement, "BiasLayer
///   is not a bias layer" and "Bias layer without BiasLayer statement" (a
///   bias layer is a layer of one neuron computing "bias");
/// - a connection block: "Too complicated statement", "Unknown keyword in
///   connections", "Insufficient information to construct layer", "Layer
///   index out of range", "Network too large", "Connections already defined",
///   "Keyword expected in matrix parameter", "Unknown matrix attribute", "Too
///   many matrix attributes" (ten or more columns), "Token Expected",
///   "Trainable information must be T or F", "Unknown keyword in weights
///   list" (an unknown keyword is also echoed to the standard output),
///   "Insufficient information in weights list", "Neuron index out of range
///   in weights list", "No such arc in connections" (a weight for an arc the
///   set cannot hold), "Arcs of a FullyConnected set cannot be removed",
///   "Arcs of a FullyConnected set cannot be frozen";
/// - at the end, for the type FuNN: "Invalid network structure" when the
///   layers and sets do not form a FuNN network (TFuNN::IsWellFormed).
std::unique_ptr<TBasicNetwork> ReadNetwork(FileTools& tools, std::istream& is,
                                           std::unique_ptr<TKQstructure> message = nullptr);

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_NETWORKFILEREADER_H_
