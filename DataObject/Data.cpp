#include "DataObject/Data.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "Common/Assert.h"
#include "Common/Exceptions.h"

namespace nuxa {

namespace {

const char kBadParameter[] = "Bad Parameter";
const char kInvalidRow[] = "Invalid Data Row";
const char kInvalidInputColumn[] = "Invalid Input Data Column";
const char kInvalidOutputColumn[] = "Invalid Output Data Column";
const char kNoMemory[] = "Not enough memory for the data set";
#if NUXA_WITH_LABELS
const char kNoLabels[] = "Data Has No Labels";
#endif

[[noreturn]] void Fail(const char* message, const char* location) {
  ThrowException(message, kBadParameter, location);
}

// No single block of values may exceed this many bytes: far beyond any real
// data set, and below the point where the sanitizers' allocators abort instead
// of failing the allocation.
constexpr std::size_t kMaxBlockBytes = std::size_t{1} << 40;

}  // namespace

// rows * columns zeros, or an exception when that many cannot be held.
Data::Values Data::AllocateValues(int rows, int columns, const char* location) {
  if (columns <= 0 || rows <= 0) return {};
  const std::size_t n = static_cast<std::size_t>(rows);
  const std::size_t m = static_cast<std::size_t>(columns);
  if (n > kMaxBlockBytes / sizeof(double) / m) Fail(kNoMemory, location);
  try {
    return Values(n * m);  // zeroed by the allocator, not touched
  } catch (const std::bad_alloc&) {
    Fail(kNoMemory, location);
  } catch (const std::length_error&) {
    Fail(kNoMemory, location);
  }
}

// ---------------------------------------------------------------------------
// TLabel, TLabelList

namespace {

using NamePool = std::unordered_map<std::string, std::size_t>;

// Never destroyed: a label in an object of static storage may be destroyed
// after every ordinary static, and must still find its pool then.
NamePool& Pool() {
  static NamePool* const pool = new NamePool();
  return *pool;
}

}  // namespace

TLabel::NameEntry* TLabel::Acquire(const std::string& name) {
  static_assert(std::is_same<NameEntry, NamePool::value_type>::value, "pool entry type");
  // Entries of an unordered_map stay where they are until erased.
  NameEntry& entry = *Pool().try_emplace(name, 0).first;
  ++entry.second;
  return &entry;
}

void TLabel::Release(NameEntry* entry) noexcept {
  if (entry == nullptr || --entry->second > 0) return;
  NamePool& pool = Pool();
  pool.erase(pool.find(entry->first));
}

std::size_t TLabel::NameCount() {
  return Pool().size();
}

TLabel::TLabel(const std::string& name, double weight) : weight_(weight), name_(Acquire(name)) {}

TLabel::TLabel(const TLabel& other) noexcept : weight_(other.weight_), name_(other.name_) {
  if (name_ != nullptr) ++name_->second;
}

TLabel::TLabel(TLabel&& other) noexcept : weight_(other.weight_), name_(other.name_) {
  other.name_ = nullptr;
}

TLabel& TLabel::operator=(const TLabel& other) noexcept {
  // Taking the new name before letting go of the old one keeps a
  // self-assignment from erasing the entry.
  if (other.name_ != nullptr) ++other.name_->second;
  Release(name_);
  name_ = other.name_;
  weight_ = other.weight_;
  return *this;
}

TLabel& TLabel::operator=(TLabel&& other) noexcept {
  if (this != &other) {
    Release(name_);
    name_ = other.name_;
    other.name_ = nullptr;
  }
  weight_ = other.weight_;
  return *this;
}

TLabel::~TLabel() {
  Release(name_);
}

const std::string& TLabel::Name() const {
  // Never destroyed, like the pool.
  static const std::string* const empty = new std::string();
  return name_ != nullptr ? name_->first : *empty;
}

TLabelList::TLabelList(const std::string& name, double weight) : first_(name, weight), count_(1) {}

TLabelList::TLabelList(const TLabelList& other) : first_(other.first_), count_(other.count_) {
  if (count_ > 1) {
    capacity_ = count_ - 1;
    rest_.reset(new TLabel[static_cast<std::size_t>(capacity_)]);
    std::copy_n(other.rest_.get(), capacity_, rest_.get());
  }
}

TLabelList::TLabelList(TLabelList&& other) noexcept {
  Swap(other);
}

TLabelList& TLabelList::operator=(const TLabelList& other) {
  if (this != &other) {
    TLabelList copy(other);
    Swap(copy);
  }
  return *this;
}

TLabelList& TLabelList::operator=(TLabelList&& other) noexcept {
  if (this != &other) {
    TLabelList taken(std::move(other));
    Swap(taken);
  }
  return *this;
}

void TLabelList::Swap(TLabelList& other) noexcept {
  std::swap(first_, other.first_);
  rest_.swap(other.rest_);
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
}

const TLabel& TLabelList::Label(int index) const {
  NUXA_ASSERT(index >= 0 && index < Count());
  return index == 0 ? first_ : rest_[static_cast<std::size_t>(index) - 1];
}

TLabel& TLabelList::Label(int index) {
  NUXA_ASSERT(index >= 0 && index < Count());
  return At(index);
}

void TLabelList::Add(const std::string& name, double weight) {
  for (std::int32_t i = 0; i < count_; ++i) {
    TLabel& label = At(i);
    if (label.HasName() && label.Name() == name) {
      label.SetWeight(label.Weight() + weight);
      return;
    }
  }
  if (count_ == std::numeric_limits<std::int32_t>::max()) throw std::length_error("TLabelList");
  // Everything that may throw happens before the list changes.
  TLabel label(name, weight);
  if (count_ == 0) {
    first_ = std::move(label);
  } else {
    if (count_ - 1 == capacity_) {
      const std::int32_t grown = capacity_ == 0 ? 1
                                 : capacity_ > std::numeric_limits<std::int32_t>::max() / 2
                                     ? std::numeric_limits<std::int32_t>::max()
                                     : capacity_ * 2;
      std::unique_ptr<TLabel[]> larger(new TLabel[static_cast<std::size_t>(grown)]);
      std::move(rest_.get(), rest_.get() + capacity_, larger.get());
      rest_ = std::move(larger);
      capacity_ = grown;
    }
    rest_[static_cast<std::size_t>(count_) - 1] = std::move(label);
  }
  ++count_;
}

void TLabelList::Clear() noexcept {
  first_ = TLabel();
  rest_.reset();
  count_ = 0;
  capacity_ = 0;
}

// ---------------------------------------------------------------------------
// Data: construction

Data::Data(int rows, int inputs, int outputs, bool labels)
    : MbrNdxRows(rows), MbrNdxInputs(inputs), MbrNdxOutputs(outputs), MbrBlnLabels(labels) {
  NUXA_ASSERT(rows >= 0);
#if !NUXA_WITH_LABELS
  NUXA_ASSERT(!labels);
#endif
  MbrDyaRtpInputs = AllocateValues(rows, inputs, "Data::Data");
  MbrDyaRtpOutputs = AllocateValues(rows, outputs, "Data::Data");
#if NUXA_WITH_LABELS
  if (labels) {
    try {
      MbrDyaLabels.resize(static_cast<std::size_t>(rows));
    } catch (const std::bad_alloc&) {
      Fail(kNoMemory, "Data::Data");
    } catch (const std::length_error&) {
      Fail(kNoMemory, "Data::Data");
    }
  }
#endif
}

Data::~Data() = default;

std::unique_ptr<Data> Data::Clone() const {
  std::unique_ptr<Data> copy;
  try {
    copy.reset(new Data(0, MbrNdxInputs, MbrNdxOutputs, MbrBlnLabels));
    copy->MbrNdxRows = MbrNdxRows;
    copy->MbrDyaRtpInputs = MbrDyaRtpInputs;
    copy->MbrDyaRtpOutputs = MbrDyaRtpOutputs;
#if NUXA_WITH_LABELS
    copy->MbrDyaLabels = MbrDyaLabels;
    copy->MbrBlnInputSelection = MbrBlnInputSelection;
    copy->MbrDyaInputSelection = MbrDyaInputSelection;
    copy->MbrBlnOutputSelection = MbrBlnOutputSelection;
    copy->MbrDyaOutputSelection = MbrDyaOutputSelection;
#endif
  } catch (const std::bad_alloc&) {
    Fail(kNoMemory, "Data::Clone");
  }
  copy->MbrNdxDataRows = MbrNdxDataRows;
  copy->MbrNdxFirst = MbrNdxFirst;
  copy->MbrNdxLast = MbrNdxLast;
  copy->MbrLngChanges = MbrLngChanges;
#if NUXA_WITH_LABELS
  copy->MbrNdxCursor = MbrNdxCursor;
#endif
  return copy;
}

void Data::Touch() {
  // The counter wraps instead of overflowing; nothing reads its value.
  MbrLngChanges = static_cast<std::int32_t>(static_cast<std::uint32_t>(MbrLngChanges) + 1u);
}

int Data::RingSlot(int index) const {
  NUXA_ASSERT(index >= 0 && index < MbrNdxDataRows);
  const long long slot = static_cast<long long>(MbrNdxFirst) + index;
  return static_cast<int>(slot % MbrNdxRows);
}

// ---------------------------------------------------------------------------
// Fast row access

const double* Data::InputRowPtr(int slot) const {
  NUXA_ASSERT(IsValidRow(slot));
  if (MbrDyaRtpInputs.empty()) return nullptr;
  return MbrDyaRtpInputs.data() + static_cast<std::size_t>(slot) * MbrNdxInputs;
}

double* Data::MutableInputRowPtr(int slot) {
  return const_cast<double*>(static_cast<const Data*>(this)->InputRowPtr(slot));
}

const double* Data::OutputRowPtr(int slot) const {
  NUXA_ASSERT(IsValidRow(slot));
  if (MbrDyaRtpOutputs.empty()) return nullptr;
  return MbrDyaRtpOutputs.data() + static_cast<std::size_t>(slot) * MbrNdxOutputs;
}

double* Data::MutableOutputRowPtr(int slot) {
  return const_cast<double*>(static_cast<const Data*>(this)->OutputRowPtr(slot));
}

// ---------------------------------------------------------------------------
// Access by slot

void Data::GetInputDatum(int row, int column, double& value) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetInputDatum");
  if (column < 0 || column >= MbrNdxInputs) Fail(kInvalidInputColumn, "Data::GetInputDatum");
  value = InputRowPtr(row)[column];
}

void Data::GetOutputDatum(int row, int column, double& value) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetOutputDatum");
  if (column < 0 || column >= MbrNdxOutputs) Fail(kInvalidOutputColumn, "Data::GetOutputDatum");
  value = OutputRowPtr(row)[column];
}

void Data::SetInputDatum(int row, int column, double value) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::SetInputDatum");
  if (column < 0 || column >= MbrNdxInputs) Fail(kInvalidInputColumn, "Data::SetInputDatum");
  MutableInputRowPtr(row)[column] = value;
  Touch();
}

void Data::SetOutputDatum(int row, int column, double value) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::SetOutputDatum");
  if (column < 0 || column >= MbrNdxOutputs) Fail(kInvalidOutputColumn, "Data::SetOutputDatum");
  MutableOutputRowPtr(row)[column] = value;
  Touch();
}

void Data::SetRow(int row, const double* inputs, const double* outputs, const TLabelList* labels) {
#if !NUXA_WITH_LABELS
  NUXA_ASSERT(labels == NULL);
#endif
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::SetRow");
  Touch();
  if (inputs != nullptr && MbrNdxInputs > 0) {
    std::copy(inputs, inputs + MbrNdxInputs, MutableInputRowPtr(row));
  }
  if (outputs != nullptr && MbrNdxOutputs > 0) {
    std::copy(outputs, outputs + MbrNdxOutputs, MutableOutputRowPtr(row));
  }
#if NUXA_WITH_LABELS
  if (MbrBlnLabels) SetLabels(row, labels);
#endif
}

void Data::GetInputRow(int row, double* values) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetInputRow");
  if (MbrNdxInputs > 0) std::copy_n(InputRowPtr(row), MbrNdxInputs, values);
}

void Data::GetInputRow(int row, double* values, int count, const int* columns) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetInputRow");
  for (int i = 0; i < count; ++i) {
    if (columns[i] < 0 || columns[i] >= MbrNdxInputs) {
      Fail(kInvalidInputColumn, "Data::GetInputRow");
    }
  }
  const double* source = InputRowPtr(row);
  for (int i = 0; i < count; ++i) values[i] = source[columns[i]];
}

void Data::GetOutputRow(int row, double* values) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetOutputRow");
  if (MbrNdxOutputs > 0) std::copy_n(OutputRowPtr(row), MbrNdxOutputs, values);
}

void Data::GetOutputRow(int row, double* values, int count, const int* columns) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetOutputRow");
  for (int i = 0; i < count; ++i) {
    if (columns[i] < 0 || columns[i] >= MbrNdxOutputs) {
      Fail(kInvalidOutputColumn, "Data::GetOutputRow");
    }
  }
  const double* source = OutputRowPtr(row);
  for (int i = 0; i < count; ++i) values[i] = source[columns[i]];
}

void Data::GetBlock(double* const* inputRows, double* const* outputRows, int from, int to,
                    int& count) const {
  if (!IsValidRow(from)) {
    count = 0;
    Fail("Data Block Fault", "Data::GetBlock");
  }
  to = std::min(to, MbrNdxLast);
  int k = 0;
  for (int slot = from; slot <= to; ++slot, ++k) {
    if (inputRows != nullptr) GetInputRow(slot, inputRows[k]);
    if (outputRows != nullptr) GetOutputRow(slot, outputRows[k]);
  }
  count = k;
}

// ---------------------------------------------------------------------------
// Appending

void Data::AppendRow(const double* inputs, const double* outputs, const TLabelList* labels) {
  NUXA_ASSERT(MbrNdxDataRows <= MbrNdxRows);
  if (MbrNdxRows == 0) Fail(kInvalidRow, "Data::AppendRow");
  if (MbrNdxDataRows < MbrNdxRows) {
    const int slot = MbrNdxDataRows;
    SetRow(slot, inputs, outputs, labels);
    MbrNdxLast = slot;
    ++MbrNdxDataRows;
  } else {
    // Every slot is filled: the newest row replaces the oldest.
    const int first = MbrNdxFirst + 1 == MbrNdxRows ? 0 : MbrNdxFirst + 1;
    const int last = MbrNdxLast + 1 == MbrNdxRows ? 0 : MbrNdxLast + 1;
    SetRow(last, inputs, outputs, labels);
    MbrNdxFirst = first;
    MbrNdxLast = last;
  }
  Touch();
}

void Data::AppendRows(const double* const* inputs, const double* const* outputs, int n,
                      const TLabelList* labels) {
#if !NUXA_WITH_LABELS
  NUXA_ASSERT(labels == NULL);
#endif
  for (int i = 0; i < n; ++i) {
    AppendRow(inputs != nullptr ? inputs[i] : nullptr, outputs != nullptr ? outputs[i] : nullptr,
              labels != nullptr ? &labels[i] : nullptr);
  }
}

#if NUXA_WITH_LABELS
// ---------------------------------------------------------------------------
// Labels

void Data::GetLabels(int row, TLabelList*& list) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetLabels");
  list = MbrBlnLabels ? &MbrDyaLabels[static_cast<std::size_t>(row)] : nullptr;
}

void Data::GetLabels(int row, const TLabelList*& list) const {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::GetLabels");
  list = MbrBlnLabels ? &MbrDyaLabels[static_cast<std::size_t>(row)] : nullptr;
}

void Data::SetLabels(int row, const TLabelList* list) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::SetLabels");
  if (!MbrBlnLabels) Fail(kNoLabels, "Data::SetLabels");
  TLabelList& target = MbrDyaLabels[static_cast<std::size_t>(row)];
  if (list == nullptr) {
    target.Clear();
  } else if (list != &target) {
    target = *list;
  }
  Touch();
}

void Data::ClearLabels(int row) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::ClearLabels");
  if (!MbrBlnLabels) Fail(kNoLabels, "Data::ClearLabels");
  MbrDyaLabels[static_cast<std::size_t>(row)].Clear();
  Touch();
}

void Data::AppendLabel(int row, double weight, const std::string& name) {
  if (!IsValidRow(row)) Fail(kInvalidRow, "Data::AppendLabel");
  if (!MbrBlnLabels) Fail(kNoLabels, "Data::AppendLabel");
  MbrDyaLabels[static_cast<std::size_t>(row)].Add(name, weight);
  Touch();
}

// ---------------------------------------------------------------------------
// Selections

namespace {

// Checks a column list against the column count; throws before anything changes.
void CheckColumns(int count, const int* columns, int limit, const char* message,
                  const char* location) {
  if (columns == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (columns[i] < 0 || columns[i] >= limit) Fail(message, location);
  }
}

void StoreSelection(int count, const int* columns, bool& inForce, std::vector<int>& target) {
  inForce = columns != nullptr;
  if (inForce && count > 0) {
    target.assign(columns, columns + count);
  } else {
    target.clear();
  }
}

}  // namespace

void Data::SetSelection(int inputCount, const int* inputColumns, int outputCount,
                        const int* outputColumns) {
  CheckColumns(inputCount, inputColumns, MbrNdxInputs, kInvalidInputColumn, "Data::SetSelection");
  CheckColumns(outputCount, outputColumns, MbrNdxOutputs, kInvalidOutputColumn,
               "Data::SetSelection");
  StoreSelection(inputCount, inputColumns, MbrBlnInputSelection, MbrDyaInputSelection);
  StoreSelection(outputCount, outputColumns, MbrBlnOutputSelection, MbrDyaOutputSelection);
}

void Data::SetInputSelection(int count, const int* columns) {
  CheckColumns(count, columns, MbrNdxInputs, kInvalidInputColumn, "Data::SetInputSelection");
  StoreSelection(count, columns, MbrBlnInputSelection, MbrDyaInputSelection);
}

void Data::GetInputSelection(int& count, std::vector<int>& columns) const {
  columns = MbrDyaInputSelection;
  count = static_cast<int>(columns.size());
}

// ---------------------------------------------------------------------------
// Sequential reading

void Data::SetCursor(int slot) {
  if (!IsValidRow(slot)) Fail(kInvalidRow, "Data::SetCursor");
  MbrNdxCursor = slot;
}

void Data::MoveCursor(int step) {
  const long long n = MbrNdxDataRows;
  if (n == 0) return;
  // Position of the cursor among the filled rows, counted from the oldest.
  // Before the ring wraps the oldest row is slot 0; after, every slot is
  // filled and positions run round from MbrNdxFirst.
  long long position = (static_cast<long long>(MbrNdxCursor) - MbrNdxFirst) % MbrNdxRows;
  if (position < 0) position += MbrNdxRows;
  position = ((position + step) % n + n) % n;
  MbrNdxCursor = static_cast<int>((MbrNdxFirst + position) % MbrNdxRows);
}

void Data::CopyOut(int slot, double* inputs, double* outputs) const {
  if (!MbrBlnInputSelection) {
    if (inputs != nullptr) GetInputRow(slot, inputs);
    if (outputs != nullptr) GetOutputRow(slot, outputs);
    return;
  }
  if (inputs != nullptr) {
    const double* source = InputRowPtr(slot);
    for (std::size_t i = 0; i < MbrDyaInputSelection.size(); ++i) {
      inputs[i] = source[MbrDyaInputSelection[i]];
    }
  }
  if (outputs == nullptr) return;
  if (MbrBlnOutputSelection) {
    const double* source = OutputRowPtr(slot);
    for (std::size_t i = 0; i < MbrDyaOutputSelection.size(); ++i) {
      outputs[i] = source[MbrDyaOutputSelection[i]];
    }
  } else {
    GetOutputRow(slot, outputs);
  }
}

void Data::GetCurrentRow(double* inputs, double* outputs, TLabelList** labels) {
  if (!IsValidRow(MbrNdxCursor)) Fail(kInvalidRow, "Data::GetCurrentRow");
  CopyOut(MbrNdxCursor, inputs, outputs);
  if (labels != nullptr) GetLabels(MbrNdxCursor, *labels);
}

void Data::GetNextRow(double* inputs, double* outputs, TLabelList** labels) {
  if (!IsValidRow(MbrNdxCursor)) Fail(kInvalidRow, "Data::GetNextRow");
  MoveCursor(1);
  CopyOut(MbrNdxCursor, inputs, outputs);
  if (labels == nullptr) return;
  if (MbrBlnInputSelection) {
    *labels = nullptr;
  } else {
    GetLabels(MbrNdxCursor, *labels);
  }
}

void Data::GetPreviousRow(double* inputs, double* outputs) {
  if (!IsValidRow(MbrNdxCursor)) Fail(kInvalidRow, "Data::GetPreviousRow");
  MoveCursor(-1);
  CopyOut(MbrNdxCursor, inputs, outputs);
}
#endif  // NUXA_WITH_LABELS

}  // namespace nuxa
