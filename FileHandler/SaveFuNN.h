// The membership blocks of a network file. Two FuNN layers are not described
// by a neuron count alone: the condition layer also needs the number of its
// inputs and each input's number of membership functions, the output layer
// each output's number of membership functions. These travel in two small
// blocks inside the layer's block of the network file:
//
//   [InputMF]                    [OutputMF]
//   [Input=0 MF=3 ]              [Output=0 MF=3 ]
//   [Input=1 MF=2 ]              [~OutputMF]
//   [~InputMF]
//
// Each operation runs on a FileTools of its own.
#ifndef NUXA_FILEHANDLER_SAVEFUNN_H_
#define NUXA_FILEHANDLER_SAVEFUNN_H_

#include <iosfwd>

namespace nuxa {

class TBasicLayer;
class TConditionLayer;
class TFuNNOutputLayer;

/// Writes the InputMF block of layer: one line per input with its count.
/// The stream's state is not tested.
void WriteInputMF(std::ostream& os, const TConditionLayer& layer);

/// Writes the OutputMF block of layer: one line per output neuron with its
/// count. The stream's state is not tested.
void WriteOutputMF(std::ostream& os, const TFuNNOutputLayer& layer);

/// Reads an InputMF or OutputMF block from is, positioned just after its
/// block start, up to and including its end tag, and installs the counts in
/// layer with SetMembership. tag is the block's name ("INPUTMF" or
/// "OUTPUTMF" in any letter case) and decides the kind of layer: a
/// TConditionLayer or a TFuNNOutputLayer. Any other tag, or a layer of the
/// other kind, is a programming error (fatal).
///
/// Every line must give an index of the layer (0 to its neuron count - 1)
/// and a count of at least 2; an InputMF block gives each input from 0 to
/// the largest once, with counts adding up to the layer's neuron count; an
/// OutputMF block gives each output neuron once, with counts adding up to
/// the neuron count of the action layer below the layer (when that layer is
/// in place). The counts are installed before the end tag is checked.
/// Throws FileTools::Error (with &is): the block reader's messages
/// ("integer-expected", "End Tag expected", "Unexpected End Tag", ...);
/// "invalid tag in membership1" for a line not starting with Input/Output;
/// "invalid tag in membership2" for a second item other than a closing MF
/// statement; "membership index out of range", "repeated membership index",
/// "membership index missing"; "Must be >= 2 MF per input" / "Must be >= 2
/// MF per output"; "MF counts do not match the layer size" / "MF counts do
/// not match the number of action neurons".
void ReadMFBlock(std::istream& is, TBasicLayer& layer, const char* tag);

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_SAVEFUNN_H_
