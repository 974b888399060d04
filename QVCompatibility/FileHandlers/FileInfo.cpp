#include "QVCompatibility/FileHandlers/FileInfo.h"

#include <algorithm>

#include "Common/Assert.h"

namespace nuxa {

namespace {

// Copies count values (none when count <= 0) into a new array.
template <class T>
std::vector<T> CopyOf(const T* values, std::int32_t count) {
  if (count <= 0) return {};
  NUXA_ASSERT(values != nullptr);
  return std::vector<T>(values, values + count);
}

// The stored array resized to count: positions it does not cover read as
// default values (zeros).
template <class T>
void ReadOut(const std::vector<T>& stored, std::int32_t count, std::vector<T>& out) {
  out.assign(count > 0 ? static_cast<size_t>(count) : 0, T());
  std::copy_n(stored.begin(), std::min(stored.size(), out.size()), out.begin());
}

}  // namespace

void TOptionalText::Set(const char* text) {
  if (text == nullptr) {
    text_.reset();
  } else {
    text_ = text;
  }
}

TFileInfo::TFileInfo(const char* fileName, const char* fileType) {
  file_name_.Set(fileName);
  file_type_.Set(fileType);
}

TFileInfo::~TFileInfo() = default;

TQVFileInfo::TQVFileInfo(const char* fileName, const char* fileType)
    : TFileInfo(fileName, fileType) {}

TQVFileInfo::~TQVFileInfo() = default;

// ---- FuNN network file --------------------------------------------------

TQVFuNNFileInfo::TQVFuNNFileInfo(const char* fileName) : TQVFileInfo(fileName, kQVFuNNFileType) {}

TQVFuNNFileInfo::~TQVFuNNFileInfo() = default;

double TQVFuNNFileInfo::Parameter(int row, int column) const {
  NUXA_ASSERT(row >= 0 && row < kParameterRows && column >= 0 && column < kParameterColumns);
  return parameters_[row][column];
}

void TQVFuNNFileInfo::SetParameter(int row, int column, double value) {
  NUXA_ASSERT(row >= 0 && row < kParameterRows && column >= 0 && column < kParameterColumns);
  parameters_[row][column] = value;
}

void TQVFuNNFileInfo::SetInputMF(const TFuzzifiedRow* rows) {
  input_mf_ = CopyOf(rows, inputs_);
}

void TQVFuNNFileInfo::GetInputMF(std::vector<TFuzzifiedRow>& rows) const {
  NUXA_ASSERT(input_mf_.has_value());
  ReadOut(*input_mf_, inputs_, rows);
}

void TQVFuNNFileInfo::SetOutputMF(const TFuzzifiedRow* rows) {
  output_mf_ = CopyOf(rows, outputs_);
}

void TQVFuNNFileInfo::GetOutputMF(std::vector<TFuzzifiedRow>& rows) const {
  NUXA_ASSERT(output_mf_.has_value());
  ReadOut(*output_mf_, outputs_, rows);
}

// ---- MLP network file ---------------------------------------------------

TQVMLPFileInfo::TQVMLPFileInfo(const char* fileName) : TQVFileInfo(fileName, kQVMLPFileType) {}

TQVMLPFileInfo::~TQVMLPFileInfo() = default;

// ---- Data and label files -----------------------------------------------

TQVDataFileInfo::TQVDataFileInfo(const char* fileName)
    : TQVDataFileInfo(fileName, kQVBPDataFileType, kQVBPDataKind) {}

TQVDataFileInfo::TQVDataFileInfo(const char* fileName, const char* fileType, std::int32_t kind)
    : TQVFileInfo(fileName, fileType), kind_(kind) {}

TQVDataFileInfo::~TQVDataFileInfo() = default;

TQVKohDataFileInfo::TQVKohDataFileInfo(const char* fileName)
    : TQVDataFileInfo(fileName, kQVKohDataFileType, kQVKohDataKind) {}

TQVKohDataFileInfo::~TQVKohDataFileInfo() = default;

TQVFuNNDataFileInfo::TQVFuNNDataFileInfo(const char* fileName)
    : TQVDataFileInfo(fileName, kQVFuNNDataFileType, kQVFuNNDataKind) {}

TQVFuNNDataFileInfo::~TQVFuNNDataFileInfo() = default;

void TQVFuNNDataFileInfo::SetInputMax(const double* values) {
  input_max_ = CopyOf(values, inputs_);
}
void TQVFuNNDataFileInfo::SetInputMin(const double* values) {
  input_min_ = CopyOf(values, inputs_);
}
void TQVFuNNDataFileInfo::SetOutputMax(const double* values) {
  output_max_ = CopyOf(values, outputs_);
}
void TQVFuNNDataFileInfo::SetOutputMin(const double* values) {
  output_min_ = CopyOf(values, outputs_);
}
void TQVFuNNDataFileInfo::GetInputMax(std::vector<double>& values) const {
  ReadOut(input_max_, inputs_, values);
}
void TQVFuNNDataFileInfo::GetInputMin(std::vector<double>& values) const {
  ReadOut(input_min_, inputs_, values);
}
void TQVFuNNDataFileInfo::GetOutputMax(std::vector<double>& values) const {
  ReadOut(output_max_, outputs_, values);
}
void TQVFuNNDataFileInfo::GetOutputMin(std::vector<double>& values) const {
  ReadOut(output_min_, outputs_, values);
}

TQVLabelFileInfo::TQVLabelFileInfo(const char* fileName)
    : TQVDataFileInfo(fileName, kQVLabelFileType, kQVLabelFileKind) {}

TQVLabelFileInfo::~TQVLabelFileInfo() = default;

}  // namespace nuxa
