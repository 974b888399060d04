#include "QVCompatibility/FileHandlers/Flat/TFlatFiler.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "Common/Exceptions.h"
#include "DataObject/Data.h"
#include "FileHandler/OutputFile.h"
#include "FileHandler/ParseTools.h"

namespace nuxa {

namespace {

constexpr char kLoad[] = "TFlatFiler::LoadData";
constexpr char kSave[] = "TFlatFiler::SaveData";
constexpr char kFileError[] = "File Error";

constexpr size_t kChunkSize = size_t{1} << 20;

// A small file is read in one chunk of its own size.
size_t ChunkFor(const struct stat& st) {
  if (!S_ISREG(st.st_mode) || st.st_size >= static_cast<off_t>(kChunkSize)) return kChunkSize;
  return static_cast<size_t>(st.st_size) + 1;
}

// The white space that `is >> value` skips in the classic locale.
inline bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// How `is >> value` turns the text it gathered into a double: the whole text
// must convert; an overflow fails, an underflow gives the rounded value. The
// fast conversion decides every case but a value out of range, for which the
// C library's own conversion gives the exact answer.
bool Convert(const char* first, const char* last, double& value) {
  if (first != last && *first == '+') ++first;  // from_chars takes no plus sign
  const auto result = std::from_chars(first, last, value);
  if (result.ptr != last) return false;
  if (result.ec == std::errc()) return true;
  if (result.ec != std::errc::result_out_of_range) return false;
  const std::string text(first, last);
  const double converted = std::strtod(text.c_str(), nullptr);
  if (converted == HUGE_VAL || converted == -HUGE_VAL) return false;
  value = converted;
  return true;
}

[[noreturn]] void ThrowReadFailure(TFlatFiler::NumberReader::Result result) {
  ThrowException(
      result == TFlatFiler::NumberReader::kEnd ? "Unexpected end of file" : "Invalid number",
      kFileError, kLoad);
}

void ReadValues(TFlatFiler::NumberReader& reader, std::vector<double>& values) {
  for (double& value : values) {
    const TFlatFiler::NumberReader::Result result = reader.Next(value);
    if (result != TFlatFiler::NumberReader::kNumber) ThrowReadFailure(result);
  }
}

size_t Columns(long count) {
  return count > 0 ? static_cast<size_t>(count) : 0;
}

}  // namespace

TFlatFiler::NumberReader::NumberReader(std::istream& is, size_t chunk)
    : source_(is.rdbuf()), chunk_(std::max<size_t>(chunk, 1)) {}

// Keeps the unread bytes, moved to the front, and appends what the source has
// next. The chunk grows only for a single word longer than itself.
bool TFlatFiler::NumberReader::Refill() {
  if (source_ == nullptr) return false;
  if (pos_ > 0) {
    std::memmove(chunk_.data(), chunk_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == chunk_.size()) chunk_.resize(chunk_.size() * 2);
  const std::streamsize got =
      source_->sgetn(chunk_.data() + end_, static_cast<std::streamsize>(chunk_.size() - end_));
  if (got <= 0) {
    source_ = nullptr;  // the end of the input is final
    return false;
  }
  end_ += static_cast<size_t>(got);
  return true;
}

TFlatFiler::NumberReader::Result TFlatFiler::NumberReader::Next(double& value) {
  for (;;) {
    while (pos_ < end_ && IsSpace(chunk_[pos_])) ++pos_;
    if (pos_ < end_) break;
    if (!Refill()) return kEnd;
  }

  // Gather the text the extraction would take: an optional sign, digits with
  // at most one decimal point, then, once a digit was seen, an "e" or "E"
  // with an optional sign and more digits. It stops at the first byte that
  // does not fit, which the next number starts from.
  size_t length = 0;
  bool signAllowed = true;  // at the start, and directly after the "e"
  bool mantissa = false;
  bool point = false;
  bool exponent = false;
  for (;;) {
    bool stopped = false;
    while (pos_ + length < end_) {
      const char c = chunk_[pos_ + length];
      if (signAllowed && (c == '+' || c == '-')) {
        signAllowed = false;
      } else if (IsDigit(c)) {
        signAllowed = false;
        mantissa = true;
      } else if (c == '.' && !point && !exponent) {
        signAllowed = false;
        point = true;
      } else if ((c == 'e' || c == 'E') && mantissa && !exponent) {
        signAllowed = true;
        exponent = true;
      } else {
        stopped = true;
        break;
      }
      ++length;
    }
    if (stopped || !Refill()) break;
  }

  const char* first = chunk_.data() + pos_;
  pos_ += length;
  return Convert(first, first + length, value) ? kNumber : kInvalid;
}

void TFlatFiler::LoadData(const char* name, Data*& data, long rows, long inputs, long outputs) {
  std::ifstream file(name, std::ios::in | std::ios::binary);
  struct stat st;
  if (!file.is_open() || ::stat(name, &st) != 0 || S_ISDIR(st.st_mode)) {
    ThrowException("Unable to open file for input", kFileError, kLoad);
  }
  if (rows < 0 || rows > INT_MAX || inputs < INT_MIN || inputs > INT_MAX || outputs < INT_MIN ||
      outputs > INT_MAX) {
    ThrowException("Count out of range", "Bad Parameter", kLoad);
  }

  // Below 2^63: rows and each count are below 2^31.
  const uint64_t needed = static_cast<uint64_t>(rows) * (Columns(inputs) + Columns(outputs));
  // Every number but the last takes at least two bytes (two numbers touch
  // only when the second begins with a byte the first cannot hold, such as a
  // sign), so a shorter file cannot hold them: find out how reading fails
  // before a set of that size is allocated.
  if (S_ISREG(st.st_mode) && needed > (static_cast<uint64_t>(st.st_size) + 1) / 2) {
    NumberReader reader(file, ChunkFor(st));
    double value;
    for (uint64_t i = 0; i < needed; ++i) {
      const NumberReader::Result result = reader.Next(value);
      if (result != NumberReader::kNumber) ThrowReadFailure(result);
    }
    // Not reached; should it be, read the file again as usual.
    file.clear();
    file.seekg(0);
  }

  data =
      new Data(static_cast<int>(rows), static_cast<int>(inputs), static_cast<int>(outputs), false);
  std::vector<double> in(Columns(inputs));
  std::vector<double> out(Columns(outputs));
  NumberReader reader(file, ChunkFor(st));
  for (long r = 0; r < rows; ++r) {
    ReadValues(reader, in);
    ReadValues(reader, out);
    data->AppendRow(in.empty() ? nullptr : in.data(), out.empty() ? nullptr : out.data(), nullptr);
  }
}

void TFlatFiler::SaveData(const char* name, const Data& data) {
  OutputFile file;
  if (!file.Open(name)) ThrowException("Unable to open file", kFileError, kSave);
  std::ostream& os = file.stream();
  const int inputs = data.Inputs();
  const int outputs = data.Outputs();
  std::string line;
  line.reserve((Columns(inputs) + Columns(outputs)) * 24 + 2);
  const auto append = [&line](const double* values, int count) {
    for (int c = 0; c < count; ++c) {
      char text[32];
      const auto result =
          std::to_chars(text, text + sizeof text, values[c], std::chars_format::general, 9);
      *result.ptr = ' ';
      line.append(text, static_cast<size_t>(result.ptr + 1 - text));
    }
  };
  for (int i = 0; i < data.DataRows(); ++i) {
    const int slot = data.RingSlot(i);
    line.clear();
    append(data.InputRowPtr(slot), inputs);
    append(data.OutputRowPtr(slot), outputs);
    line.append("\r\n", 2);
    os.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
  try {
    file.Commit();
  } catch (const FileTools::Error&) {
    ThrowException("Error writing file", kFileError, kSave);
  }
}

}  // namespace nuxa
