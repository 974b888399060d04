// Reshaping of the row-major matrices of the matrix connection sets: nTo rows
// of nFrom entries, entry (from, to) at to * nFrom + from. Internal to the
// network model.
#ifndef NUXA_NEURALNETS_DENSEMATRIX_H_
#define NUXA_NEURALNETS_DENSEMATRIX_H_

#include <cstddef>
#include <vector>

namespace nuxa {
namespace dense {

/// Row pointers into data, one per row of nFrom entries.
template <class T>
std::vector<T*> RowIndex(std::vector<T>& data, int nFrom, int nTo) {
  std::vector<T*> rows(static_cast<size_t>(nTo));
  for (int to = 0; to < nTo; ++to) rows[static_cast<size_t>(to)] = data.data() + to * nFrom;
  return rows;
}

/// The matrix without column node.
template <class T>
std::vector<T> WithoutColumn(const std::vector<T>& old, int nFrom, int nTo, int node) {
  std::vector<T> out(static_cast<size_t>((nFrom - 1) * nTo));
  for (int to = 0; to < nTo; ++to) {
    for (int from = 0; from < nFrom - 1; ++from) {
      out[static_cast<size_t>(to * (nFrom - 1) + from)] =
          old[static_cast<size_t>(to * nFrom + from + (from >= node))];
    }
  }
  return out;
}

/// The matrix without row node.
template <class T>
std::vector<T> WithoutRow(const std::vector<T>& old, int nFrom, int nTo, int node) {
  std::vector<T> out(static_cast<size_t>(nFrom * (nTo - 1)));
  for (int to = 0; to < nTo - 1; ++to) {
    for (int from = 0; from < nFrom; ++from) {
      out[static_cast<size_t>(to * nFrom + from)] =
          old[static_cast<size_t>((to + (to >= node)) * nFrom + from)];
    }
  }
  return out;
}

/// The matrix with a new column at node whose entries (rows in order) come
/// from fill(row).
template <class T, class Fill>
std::vector<T> WithColumn(const std::vector<T>& old, int nFrom, int nTo, int node, Fill fill) {
  const int width = nFrom + 1;
  std::vector<T> out(static_cast<size_t>(width * nTo));
  for (int to = 0; to < nTo; ++to) {
    for (int from = 0; from < nFrom; ++from) {
      out[static_cast<size_t>(to * width + from + (from >= node))] =
          old[static_cast<size_t>(to * nFrom + from)];
    }
  }
  for (int to = 0; to < nTo; ++to) out[static_cast<size_t>(to * width + node)] = fill(to);
  return out;
}

/// The matrix with a new row at node whose entries (columns in order) come
/// from fill(column).
template <class T, class Fill>
std::vector<T> WithRow(const std::vector<T>& old, int nFrom, int nTo, int node, Fill fill) {
  std::vector<T> out(static_cast<size_t>(nFrom * (nTo + 1)));
  for (int to = 0; to < nTo; ++to) {
    for (int from = 0; from < nFrom; ++from) {
      out[static_cast<size_t>((to + (to >= node)) * nFrom + from)] =
          old[static_cast<size_t>(to * nFrom + from)];
    }
  }
  for (int from = 0; from < nFrom; ++from)
    out[static_cast<size_t>(node * nFrom + from)] = fill(from);
  return out;
}

}  // namespace dense
}  // namespace nuxa

#endif  // NUXA_NEURALNETS_DENSEMATRIX_H_
