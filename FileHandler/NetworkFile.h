// The network file: a network of any type (Basic, Connected, FuNN, MLP) as
// block-structured text. After the "[FormatVersion = 1.0]" header comes one
// NeuralNetwork block holding, in this order, the network type, a
// NetworkInformation block (layer count, input and output layer with their
// neuron counts, the bias layer), one Layer block per layer (type, neuron
// count, shared activation function, membership blocks of the FuNN layers,
// neuron parameters) and one ConnectionLayer block per connected pair of
// layers, whose weights are a matrix or, for a sparse set, a weight list.
//
// Lines end in CR LF. Parameter values and weight-list weights carry 15
// decimals, matrix weights 15 significant digits.
#ifndef NUXA_FILEHANDLER_NETWORKFILE_H_
#define NUXA_FILEHANDLER_NETWORKFILE_H_

#include <iosfwd>
#include <memory>

#include "FileHandler/ParseTools.h"
#include "KQmessage/KQML.h"

namespace nuxa {

class TBasicNetwork;

/// Writes net as a network file named name, replacing the file. The file is
/// written to a temporary beside it and put in place only when complete, so
/// on any failure a file that existed keeps its old content.
/// Throws FileTools::Error: "Unable to open file for output" when the file
/// cannot be created, "Error writing file" when a write fails, and whatever
/// WriteNetwork throws. The message structure is deleted unread. The network
/// stays the caller's.
void SaveNetwork(FileTools& tools, const char* name, TBasicNetwork& net,
                 std::unique_ptr<TKQstructure> message = nullptr);

/// Writes net as a network file to os and leaves the stream's floating-point
/// precision at 15. Throws FileTools::Error("Illegal number of bias nodes")
/// for a layer of more than one neuron whose shared function is "bias"; it is
/// detected before anything is written. The stream's own state is not tested.
/// The message structure is deleted unread.
void WriteNetwork(FileTools& tools, std::ostream& os, TBasicNetwork& net,
                  std::unique_ptr<TKQstructure> message = nullptr);

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_NETWORKFILE_H_
