// The in-memory data set and the label lists its rows may carry.
//
// A Data set is a fixed number of row slots forming a ring: rows are appended
// in order, and once every slot is used a further append overwrites the oldest
// row. Each row holds one value per input column and either one value per
// output column or a list of labels (TLabelList). Loaders fill a set row by
// row, writers read it back by slot or, in the labelled build, sequentially
// through a cursor that wraps around and can be restricted to chosen columns.
//
// The library is built twice from this header: with NUXA_WITH_LABELS=1 the set
// has label lists, the cursor and the column selections; with
// NUXA_WITH_LABELS=0 (the MLP build) it has none of these, and callers that
// use them must be guarded with `#if NUXA_WITH_LABELS`. TLabel and TLabelList
// exist in both builds.
//
// Storage: all input values of all slots live in one contiguous vector
// (slot-major, `Inputs()` values per slot), the output values likewise, so a
// set costs about 8 bytes per value and no allocation per row. A labelled set
// adds one 32-byte label list per slot, which allocates only for a second
// label; the label names are shared (see TLabel).
#ifndef NUXA_DATAOBJECT_DATA_H_
#define NUXA_DATAOBJECT_DATA_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace nuxa {

/// One label of a row: a name with a weight. A default-constructed label has
/// weight 0 and no name (HasName() false, Name() empty).
///
/// Rows of a large set mostly repeat a few names, so a label does not own its
/// text: every distinct name is kept once in a process-wide pool with a count
/// of the labels holding it, and a label is the weight and a pointer to its
/// pool entry (16 bytes). Copies share the entry; the last label to let go of a
/// name removes it from the pool, so names that no label holds cost nothing.
/// The pool is not synchronised: labels are for one thread.
class TLabel {
 public:
  TLabel() = default;
  /// Copies name (into the pool when no label holds it yet).
  TLabel(const std::string& name, double weight);
  TLabel(const TLabel& other) noexcept;
  TLabel(TLabel&& other) noexcept;
  TLabel& operator=(const TLabel& other) noexcept;
  TLabel& operator=(TLabel&& other) noexcept;
  ~TLabel();

  double Weight() const { return weight_; }
  void SetWeight(double weight) { weight_ = weight; }
  /// The name; empty when the label has none. The reference stays valid while
  /// this label keeps its name.
  const std::string& Name() const;
  bool HasName() const { return name_ != nullptr; }

  /// The number of distinct names held by the labels alive now.
  static std::size_t NameCount();

 private:
  // A pool entry: the name and the number of labels holding it.
  using NameEntry = std::pair<const std::string, std::size_t>;
  static NameEntry* Acquire(const std::string& name);
  static void Release(NameEntry* entry) noexcept;

  double weight_ = 0.0;
  NameEntry* name_ = nullptr;
};

/// The labels of one row, in the order they were first added. Copies are deep.
/// The first label is kept inside the list, so a list of at most one label
/// takes no memory beyond its own 32 bytes; further labels go to an array on
/// the heap.
class TLabelList {
 public:
  /// An empty list.
  TLabelList() = default;
  /// A list of one label.
  TLabelList(const std::string& name, double weight);
  TLabelList(const TLabelList& other);
  /// Leaves other empty.
  TLabelList(TLabelList&& other) noexcept;
  TLabelList& operator=(const TLabelList& other);
  TLabelList& operator=(TLabelList&& other) noexcept;
  ~TLabelList() = default;

  int Count() const { return static_cast<int>(count_); }
  bool Empty() const { return count_ == 0; }
  /// The index-th label, 0 <= index < Count() (fatal assertion otherwise).
  /// Adding a label may move every label but the first.
  const TLabel& Label(int index) const;
  TLabel& Label(int index);

  /// Adds weight to the label whose name equals name exactly (case-sensitive
  /// byte comparison); appends a new label (a copy of name) when none does.
  void Add(const std::string& name, double weight);
  /// Removes every label.
  void Clear() noexcept;

 private:
  void Swap(TLabelList& other) noexcept;
  TLabel& At(std::int32_t index) { return index == 0 ? first_ : rest_[index - 1]; }

  TLabel first_;                    // label 0 when count_ > 0
  std::unique_ptr<TLabel[]> rest_;  // labels 1 to count_ - 1, room for capacity_
  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
};

/// The data set. Slots are numbered 0 to Rows() - 1. Every slot is readable
/// from construction on: a new set is empty (DataRows() 0) but every slot
/// reads as zeros (and an empty label list). Operations on a slot throw
/// TException "Invalid Data Row" / "Bad Parameter" / "Data::<operation>" when
/// the slot is outside 0 to Rows() - 1; a failed call leaves the set unchanged.
class Data {
 public:
  /// A set of rows slots with inputs input and outputs output columns;
  /// inputs or outputs <= 0 means no storage for that side (every column
  /// number is then invalid). rows may be 0 (an empty set with no slot);
  /// rows < 0 is a programming error (fatal assertion). labels gives every
  /// row a label list; in the label-free build labels must be false (fatal
  /// assertion "!labels").
  /// Throws TException "Not enough memory for the data set" / "Bad Parameter"
  /// / "Data::Data" when the storage cannot be allocated.
  Data(int rows, int inputs, int outputs, bool labels);
  virtual ~Data();

  Data(const Data&) = delete;
  Data& operator=(const Data&) = delete;

  /// A deep copy: same dimensions, values, label lists, counters, cursor and
  /// selections. The caller owns the result. Throws TException "Not enough
  /// memory for the data set" / "Bad Parameter" / "Data::Clone".
  std::unique_ptr<Data> Clone() const;

  // --- Counters -----------------------------------------------------------
  int Rows() const { return MbrNdxRows; }          ///< number of slots
  int DataRows() const { return MbrNdxDataRows; }  ///< slots filled by appends
  /// Column counts as given to the constructor (possibly <= 0: no storage).
  int Inputs() const { return MbrNdxInputs; }
  int Outputs() const { return MbrNdxOutputs; }
  bool HasLabels() const { return MbrBlnLabels; }
  int First() const { return MbrNdxFirst; }  ///< slot of the oldest row
  int Last() const { return MbrNdxLast; }    ///< slot of the newest row (0 when empty)
  /// Modification counter (wraps around; nothing relies on its value).
  std::int32_t Changes() const { return MbrLngChanges; }

  /// True for slots 0 to Rows() - 1. Before the ring wraps, slots not yet
  /// filled by an append read as zeros or whatever SetRow stored there; once
  /// it has wrapped every slot holds a row.
  bool IsValidRow(int row) const { return row >= 0 && row < MbrNdxRows; }
  /// The slot of the index-th row counted from the oldest, for
  /// 0 <= index < DataRows(): (First() + index) modulo Rows().
  int RingSlot(int index) const;

  // --- Fast row access (no copies) -----------------------------------------
  // The slot must be valid (fatal assertion otherwise). Null when the side
  // has no columns. Writes through the mutable pointers do not count as
  // changes. Pointers stay valid for the life of the set.
  const double* InputRowPtr(int slot) const;
  double* MutableInputRowPtr(int slot);
  const double* OutputRowPtr(int slot) const;
  double* MutableOutputRowPtr(int slot);

  // --- Access by slot ------------------------------------------------------
  /// One input value. Throws "Invalid Data Row", or "Invalid Input Data
  /// Column" for a column outside 0 to Inputs() - 1; location
  /// "Data::GetInputDatum".
  void GetInputDatum(int row, int column, double& value) const;
  /// One output value; "Invalid Output Data Column" for a bad column.
  void GetOutputDatum(int row, int column, double& value) const;
  void SetInputDatum(int row, int column, double value);
  void SetOutputDatum(int row, int column, double value);

  /// Stores a row in a slot: Inputs() values from inputs when not null,
  /// Outputs() values from outputs when not null, and, when the set has
  /// labels, SetLabels(row, labels). A set without labels ignores labels;
  /// in the label-free build labels must be null (fatal assertion
  /// "labels == NULL"). Location "Data::SetRow".
  void SetRow(int row, const double* inputs, const double* outputs, const TLabelList* labels);

  /// Copies all Inputs() values of the slot into values.
  void GetInputRow(int row, double* values) const;
  /// Copies the count listed columns, in list order. A listed column outside
  /// the set throws "Invalid Input Data Column" (location "Data::GetInputRow").
  void GetInputRow(int row, double* values, int count, const int* columns) const;
  void GetOutputRow(int row, double* values) const;
  void GetOutputRow(int row, double* values, int count, const int* columns) const;

  /// Copies slots from to min(to, Last()) into inputRows[k] and outputRows[k],
  /// k from 0, and sets count to the number of slots copied (0 when to < from).
  /// Either buffer array may be null to skip that side. An invalid from sets
  /// count to 0 and throws "Data Block Fault" / "Bad Parameter" /
  /// "Data::GetBlock".
  void GetBlock(double* const* inputRows, double* const* outputRows, int from, int to,
                int& count) const;

  // --- Appending -----------------------------------------------------------
  /// Stores the row as the newest row of the ring (overwriting the oldest when
  /// every slot is filled). Does not move the cursor. Arguments as SetRow.
  /// A set of 0 slots throws "Invalid Data Row" / "Data::AppendRow".
  void AppendRow(const double* inputs, const double* outputs, const TLabelList* labels);
  /// AppendRow(inputs[i], outputs[i], labels ? &labels[i] : nullptr) for i
  /// from 0 to n - 1; inputs or outputs may be null (no values for that side).
  /// In the label-free build labels must be null (fatal "labels == NULL").
  void AppendRows(const double* const* inputs, const double* const* outputs, int n,
                  const TLabelList* labels);

#if NUXA_WITH_LABELS
  // --- Labels --------------------------------------------------------------
  /// Hands out the slot's own list (not a copy; valid for the life of the
  /// set), or null when the set has no labels. Location "Data::GetLabels".
  void GetLabels(int row, TLabelList*& list);
  void GetLabels(int row, const TLabelList*& list) const;
  /// Replaces the slot's list by a copy of list; null empties it.
  /// The three label setters throw "Data Has No Labels" / "Bad Parameter" /
  /// their location on a set without labels.
  void SetLabels(int row, const TLabelList* list);
  void ClearLabels(int row);
  /// TLabelList::Add(name, weight) on the slot's list.
  void AppendLabel(int row, double weight, const std::string& name);

  // --- Column selections for sequential reading ----------------------------
  // A selection is in force when its column array is not null. Column numbers
  // are checked when stored: one outside the set throws "Invalid Input Data
  // Column" / "Invalid Output Data Column" with the operation's location, and
  // nothing is changed.
  void SetSelection(int inputCount, const int* inputColumns, int outputCount,
                    const int* outputColumns);
  void SetInputSelection(int count, const int* columns);
  /// The input selection (count 0 and no columns when none is in force).
  void GetInputSelection(int& count, std::vector<int>& columns) const;

  // --- Sequential reading --------------------------------------------------
  int Cursor() const {
    return MbrNdxCursor;
  }
  /// Puts the cursor on a slot. Throws "Invalid Data Row" / "Data::SetCursor".
  /// To read every row from the oldest: SetCursor(Last()), then DataRows()
  /// calls of GetNextRow.
  void SetCursor(int slot);
  /// Moves the cursor by step rows (negative: backwards) through the filled
  /// rows in ring order, oldest to newest, wrapping around at both ends: the
  /// row after the newest is the oldest and the row before the oldest is the
  /// newest. A cursor on a slot not yet filled counts as row (slot - First())
  /// modulo DataRows(). An empty set leaves the cursor where it is.
  void MoveCursor(int step);
  /// Copies the cursor slot's values (see the selection rules below) into the
  /// buffers given, and hands out the slot's label list through labels when it
  /// is not null (null on a set without labels). Throws "Invalid Data Row" /
  /// "Data::GetCurrentRow" on a set of 0 slots.
  ///
  /// Copied: without an input selection, all inputs and all outputs; with an
  /// input and an output selection, the selected columns of each, in list
  /// order; with an input selection only, the selected inputs and all
  /// outputs. An output selection alone is ignored.
  void GetCurrentRow(double* inputs, double* outputs, TLabelList** labels);
  /// MoveCursor(+1), then as GetCurrentRow, except that while a selection is
  /// in force the label list handed out is null.
  virtual void GetNextRow(double* inputs, double* outputs, TLabelList** labels);
  /// MoveCursor(-1), then as GetCurrentRow without labels.
  void GetPreviousRow(double* inputs, double* outputs);
#endif

 private:
  void Touch();
#if NUXA_WITH_LABELS
  // Copies a slot's values under the selection rules of sequential reading.
  void CopyOut(int slot, double* inputs, double* outputs) const;
#endif

  // Hands out zeroed memory from calloc, whose large blocks come from the
  // system already zero, and skips the value-initialisation of the elements:
  // the slots of a new set read as zeros, yet a page costs memory only once a
  // row is written there. A set sized from a file header thus does not commit
  // its whole storage before the rows arrive.
  template <class T>
  struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>&) {}
    T* allocate(std::size_t n) {
      void* p = std::calloc(n, sizeof(T));
      if (p == nullptr) throw std::bad_alloc();
      return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { std::free(p); }
    template <class U>
    void construct(U*) noexcept {}  // already zero
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const ZeroedAllocator<U>&) const {
      return true;
    }
    template <class U>
    bool operator!=(const ZeroedAllocator<U>&) const {
      return false;
    }
  };
  using Values = std::vector<double, ZeroedAllocator<double>>;
  static Values AllocateValues(int rows, int columns, const char* location);

  // One vector each for all slots, MbrNdxInputs / MbrNdxOutputs values per
  // slot; empty when that side has no columns.
  Values MbrDyaRtpInputs;
  Values MbrDyaRtpOutputs;
#if NUXA_WITH_LABELS
  std::vector<TLabelList> MbrDyaLabels;  // one per slot when MbrBlnLabels
#endif
  int MbrNdxRows = 0;
  int MbrNdxDataRows = 0;
  int MbrNdxInputs = 0;
  int MbrNdxOutputs = 0;
  bool MbrBlnLabels = false;
  int MbrNdxFirst = 0;
  int MbrNdxLast = 0;
  std::int32_t MbrLngChanges = 0;
#if NUXA_WITH_LABELS
  int MbrNdxCursor = 0;
  // A selection is in force when its flag is set; the vector may then be empty.
  bool MbrBlnInputSelection = false;
  std::vector<int> MbrDyaInputSelection;
  bool MbrBlnOutputSelection = false;
  std::vector<int> MbrDyaOutputSelection;
#endif
};

}  // namespace nuxa

#endif  // NUXA_DATAOBJECT_DATA_H_
