// The header records of the legacy files. Every legacy loader hands its
// caller the object it loaded (a network or a Data set) together with one of
// these records, which tells what kind of file it came from and carries the
// header fields of that file: title, description, training parameters,
// normalisation bounds. The converters delete the record without writing it
// anywhere; the legacy savers read it back to write a file's header.
//
//   TFileInfo                  file name, file type text
//   └ TQVFileInfo              title, description
//     ├ TQVFuNNFileInfo        legacy FuNN network file
//     ├ TQVMLPFileInfo         legacy MLP network file
//     └ TQVDataFileInfo        legacy data file, kind 101 (BP data)
//       ├ TQVKohDataFileInfo   kind 102 (Kohonen data)
//       ├ TQVFuNNDataFileInfo  kind 103 (FuNN data)
//       └ TQVLabelFileInfo     kind 104 (Kohonen label file)
//
// The records are plain holders: loaders and savers set and read the fields
// through the accessors below, and nothing computes with the values. Texts are
// copied in and handed out as NUL-terminated strings that stay valid until the
// field is set again or the record is destroyed; a text field that was never
// set reads as null. Records are deleted through a pointer to their own class
// or to TFileInfo.
#ifndef NUXA_QVCOMPATIBILITY_FILEHANDLERS_FILEINFO_H_
#define NUXA_QVCOMPATIBILITY_FILEHANDLERS_FILEINFO_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nuxa {

/// Kind codes of the legacy data and label files (TQVDataFileInfo::Kind).
constexpr std::int32_t kQVBPDataKind = 101;
constexpr std::int32_t kQVKohDataKind = 102;
constexpr std::int32_t kQVFuNNDataKind = 103;
constexpr std::int32_t kQVLabelFileKind = 104;

/// The file type texts the records are constructed with. They name the kind of
/// legacy file and are never read from the file itself.
inline constexpr char kQVFuNNFileType[] = "Quorvatel FuNN File";
inline constexpr char kQVMLPFileType[] = "Quorvatel MLP File";
inline constexpr char kQVBPDataFileType[] = "Quorvatel BP Data File";
inline constexpr char kQVKohDataFileType[] = "Quorvatel Kohonen Data File";
inline constexpr char kQVFuNNDataFileType[] = "Quorvatel FuNN Data File";
inline constexpr char kQVLabelFileType[] = "Quorvatel Kohonen LabelFile";

/// A text field that may be unset (null), as opposed to set to the empty text.
class TOptionalText {
 public:
  /// Null when unset.
  const char* Get() const { return text_ ? text_->c_str() : nullptr; }
  /// Copies text; null unsets the field.
  void Set(const char* text);
  void Set(const std::string& text) { text_ = text; }
  bool operator==(const TOptionalText& other) const { return text_ == other.text_; }
  bool operator!=(const TOptionalText& other) const { return !(*this == other); }

 private:
  std::optional<std::string> text_;
};

/// The root of the chain: where the record came from.
class TFileInfo {
 public:
  /// Copies both texts (either may be null).
  TFileInfo(const char* fileName, const char* fileType);
  virtual ~TFileInfo();

  /// The path that was passed to the loader.
  const char* FileName() const { return file_name_.Get(); }
  void SetFileName(const char* name) { file_name_.Set(name); }
  /// The fixed text naming the kind of legacy file (kQV...FileType).
  const char* FileType() const { return file_type_.Get(); }
  void SetFileType(const char* type) { file_type_.Set(type); }

 private:
  TOptionalText file_name_;
  TOptionalText file_type_;
};

/// Adds the title and the description every legacy file may carry. Both are
/// null until set.
class TQVFileInfo : public TFileInfo {
 public:
  TQVFileInfo(const char* fileName, const char* fileType);
  ~TQVFileInfo() override;

  /// The text after "TITLE:" (the blanks after the keyword included).
  const char* Title() const { return title_.Get(); }
  void SetTitle(const char* title) { title_.Set(title); }
  void SetTitle(const std::string& title) { title_.Set(title); }
  /// The text after "DESCRIPTION:".
  const char* Description() const { return description_.Get(); }
  void SetDescription(const char* description) { description_.Set(description); }
  void SetDescription(const std::string& description) { description_.Set(description); }

 private:
  TOptionalText title_;
  TOptionalText description_;
};

/// One input or output variable of a legacy FuNN network: how many membership
/// functions it has and the range and width the legacy file states. Only
/// Members builds the network; the rest is carried for the saver.
struct TFuzzifiedRow {
  std::int32_t Members = 0;
  double Min = 0.0;
  double Max = 0.0;
  double Width = 0.0;
};

/// The header of a legacy FuNN network file.
class TQVFuNNFileInfo : public TQVFileInfo {
 public:
  /// Rows of the parameter table: one per network layer 2, 3, 4 and 5.
  static constexpr int kParameterRows = 4;
  /// Columns of the parameter table: learning rate, momentum, gain term.
  static constexpr int kParameterColumns = 3;

  /// File type kQVFuNNFileType; counts, epochs, error and parameters 0, no
  /// title, no description, no membership tables.
  explicit TQVFuNNFileInfo(const char* fileName);
  ~TQVFuNNFileInfo() override;

  /// The number after "INPUTS:": the length of the input membership table.
  std::int32_t Inputs() const { return inputs_; }
  void SetInputs(std::int32_t inputs) { inputs_ = inputs; }
  /// The number after "OUTPUTS:": the length of the output membership table.
  std::int32_t Outputs() const { return outputs_; }
  void SetOutputs(std::int32_t outputs) { outputs_ = outputs; }
  /// Training epochs run so far ("EPOCHS:"); carried, never interpreted.
  std::int32_t Epochs() const { return epochs_; }
  void SetEpochs(std::int32_t epochs) { epochs_ = epochs; }
  /// The last training error ("RMS_ERROR:"); carried, never interpreted.
  double RMSError() const { return rms_error_; }
  void SetRMSError(double error) { rms_error_ = error; }

  /// One value of the parameter table: row 0 to 3 for layers 2 to 5, column 0
  /// to 2 for learning rate, momentum and gain term. Other indexes are a
  /// programming error (fatal).
  double Parameter(int row, int column) const;
  void SetParameter(int row, int column, double value);

  /// Replaces the input membership table by a copy of Inputs() rows of rows
  /// (none when Inputs() <= 0), so Inputs() must be set first. The caller
  /// keeps rows.
  void SetInputMF(const TFuzzifiedRow* rows);
  /// Fills rows with a copy of the input table, Inputs() rows long (rows
  /// beyond the stored table read as default rows). The table must have been
  /// set (fatal otherwise).
  void GetInputMF(std::vector<TFuzzifiedRow>& rows) const;
  bool HasInputMF() const { return input_mf_.has_value(); }
  /// The same for the output table, with Outputs() as its length.
  void SetOutputMF(const TFuzzifiedRow* rows);
  void GetOutputMF(std::vector<TFuzzifiedRow>& rows) const;
  bool HasOutputMF() const { return output_mf_.has_value(); }

 private:
  std::int32_t inputs_ = 0;
  std::int32_t outputs_ = 0;
  std::int32_t epochs_ = 0;
  double rms_error_ = 0.0;
  double parameters_[kParameterRows][kParameterColumns] = {};
  std::optional<std::vector<TFuzzifiedRow>> input_mf_;
  std::optional<std::vector<TFuzzifiedRow>> output_mf_;
};

/// The header of a legacy MLP network file.
class TQVMLPFileInfo : public TQVFileInfo {
 public:
  /// File type kQVMLPFileType; epochs 0, error 0.0, no title, no description.
  explicit TQVMLPFileInfo(const char* fileName);
  ~TQVMLPFileInfo() override;

  std::int32_t Epochs() const { return epochs_; }
  void SetEpochs(std::int32_t epochs) { epochs_ = epochs; }
  double RMSError() const { return rms_error_; }
  void SetRMSError(double error) { rms_error_ = error; }

 private:
  std::int32_t epochs_ = 0;
  double rms_error_ = 0.0;
};

/// The header of a legacy data file: BP data (inputs and outputs) unless it is
/// one of the subclasses. The kind code follows the class.
class TQVDataFileInfo : public TQVFileInfo {
 public:
  /// File type kQVBPDataFileType, kind kQVBPDataKind.
  explicit TQVDataFileInfo(const char* fileName);
  ~TQVDataFileInfo() override;

  /// 101 BP data, 102 Kohonen data, 103 FuNN data, 104 Kohonen label file.
  std::int32_t Kind() const { return kind_; }

 protected:
  TQVDataFileInfo(const char* fileName, const char* fileType, std::int32_t kind);

 private:
  std::int32_t kind_;
};

/// Kohonen data: inputs only, marked as normalised.
class TQVKohDataFileInfo : public TQVDataFileInfo {
 public:
  /// File type kQVKohDataFileType, kind kQVKohDataKind, no normalised word.
  explicit TQVKohDataFileInfo(const char* fileName);
  ~TQVKohDataFileInfo() override;

  /// The word after "NORMALISED:", not interpreted.
  const char* NormalisedWord() const { return normalised_word_.Get(); }
  void SetNormalisedWord(const char* word) { normalised_word_.Set(word); }
  void SetNormalisedWord(const std::string& word) { normalised_word_.Set(word); }

 private:
  TOptionalText normalised_word_;
};

/// FuNN data: inputs and outputs with a minimum and a maximum per column.
class TQVFuNNDataFileInfo : public TQVDataFileInfo {
 public:
  /// File type kQVFuNNDataFileType, kind kQVFuNNDataKind, counts 0, no word,
  /// no bounds.
  explicit TQVFuNNDataFileInfo(const char* fileName);
  ~TQVFuNNDataFileInfo() override;

  /// The word after "NORMALISATION:", not interpreted.
  const char* NormalisationWord() const { return normalisation_word_.Get(); }
  void SetNormalisationWord(const char* word) { normalisation_word_.Set(word); }
  void SetNormalisationWord(const std::string& word) { normalisation_word_.Set(word); }

  /// The lengths of the input and of the output bound arrays.
  std::int32_t Inputs() const { return inputs_; }
  void SetInputs(std::int32_t inputs) { inputs_ = inputs; }
  std::int32_t Outputs() const { return outputs_; }
  void SetOutputs(std::int32_t outputs) { outputs_ = outputs; }

  // The four bound arrays. Each setter replaces its array by a copy of
  // Inputs() (input arrays) or Outputs() (output arrays) values of values, so
  // the counts must be set first; the caller keeps values. Each getter fills
  // values with that many values. An array that was never set reads as zeros,
  // as do positions beyond a shorter array stored before the count grew.
  void SetInputMax(const double* values);
  void SetInputMin(const double* values);
  void SetOutputMax(const double* values);
  void SetOutputMin(const double* values);
  void GetInputMax(std::vector<double>& values) const;
  void GetInputMin(std::vector<double>& values) const;
  void GetOutputMax(std::vector<double>& values) const;
  void GetOutputMin(std::vector<double>& values) const;

 private:
  TOptionalText normalisation_word_;
  std::int32_t inputs_ = 0;
  std::int32_t outputs_ = 0;
  std::vector<double> input_max_;
  std::vector<double> input_min_;
  std::vector<double> output_max_;
  std::vector<double> output_min_;
};

/// The header of a legacy Kohonen label file.
class TQVLabelFileInfo : public TQVDataFileInfo {
 public:
  /// File type kQVLabelFileType, kind kQVLabelFileKind, no remark.
  explicit TQVLabelFileInfo(const char* fileName);
  ~TQVLabelFileInfo() override;

  /// A free text of the record; the label file reader and writer neither set
  /// nor read it, so it stays null unless a caller sets it.
  const char* Remark() const { return remark_.Get(); }
  void SetRemark(const char* remark) { remark_.Set(remark); }

 private:
  TOptionalText remark_;
};

}  // namespace nuxa

#endif  // NUXA_QVCOMPATIBILITY_FILEHANDLERS_FILEINFO_H_
