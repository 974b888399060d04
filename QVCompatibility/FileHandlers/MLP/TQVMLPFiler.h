// The reader and writer of the legacy MLP network file: a three-layer
// perceptron with a bias neuron. The file is read word by word (see
// TQVNetworkReader.h), apart from the title and description lines:
//
//   TITLE:  xor                        header: keywords in any order up to
//   DESCRIPTION:  two-two-one          "RMS_ERROR:" and its number; a keyword
//   INPUTS:       2                    given twice takes its later value,
//   HIDDEN:       2                    other words are skipped
//   OUTPUTS:      1
//   EPOCHS:       500                  (optional)
//   RMS_ERROR:    0.01
//    Input        Hidden layer         four matrices: input to hidden (n x h,
//   (0)           0.5          -0.5    input-major), hidden to output (h x p,
//   (1)          0.25         -0.25    hidden-major), hidden bias (h), output
//    Hidden        Output layer        bias (p)
//   ...
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_MLP_TQVMLPFILER_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_MLP_TQVMLPFILER_H_

#include <iosfwd>
#include <memory>

#include "NeuralNets/MLP/TMLPNetwork.h"
#include "QVCompatibility/FileHandlers/FileInfo.h"

namespace nuxa {

class TQVMLPFiler {
 public:
  /// Reads the legacy MLP network file fileName into a new TMLPNetwork of
  /// three layers with bias and a new header record named fileName. Throws
  /// TException, category "File Error", location "TQVMMLPFiler::LoadMLP":
  /// - "Unable to open file": the file cannot be opened (or is a folder);
  /// - "Unexpected end of file": the file ends before "RMS_ERROR:" and its
  ///   number, a count's number, a matrix's "(" or the last value of any
  ///   matrix;
  /// - "Bad File Format": a number of the header that cannot be read (where
  ///   it is read), then, once "RMS_ERROR:" and its number have been read, a
  ///   missing, negative or zero count of INPUTS:, HIDDEN: or OUTPUTS:, or a
  ///   matrix too large to hold;
  /// - "Error reading file": the file cannot be read to its end.
  /// net and info are reset first. info is handed out as soon as the file is
  /// open, so it may hold a record after a throw; net only on success.
  static void LoadMLP(const char* fileName, std::unique_ptr<TMLPNetwork>& net,
                      std::unique_ptr<TQVMLPFileInfo>& info);
  /// As above, reading in from its current position. fileName only names the
  /// record.
  static void LoadMLP(std::istream& in, const char* fileName, std::unique_ptr<TMLPNetwork>& net,
                      std::unique_ptr<TQVMLPFileInfo>& info);

  /// Writes net, which must be of the loader's shape, with the header fields
  /// of info in the layout above (CR LF line ends, numbers with six
  /// significant digits, matrix values in fields of 14). The file is replaced
  /// only once written completely. Throws TException, location
  /// "TQVMLPFiler::SaveMLP": "Not a three-layer network with bias" / "Bad
  /// Parameter" for another shape (nothing is opened), "Unable to open file"
  /// / "File Error", "Error writing file" / "File Error".
  static void SaveMLP(const char* fileName, TMLPNetwork& net, const TQVMLPFileInfo& info);
  /// As above, writing to os; reports nothing about the stream.
  static void SaveMLP(std::ostream& os, TMLPNetwork& net, const TQVMLPFileInfo& info);
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_MLP_TQVMLPFILER_H_
