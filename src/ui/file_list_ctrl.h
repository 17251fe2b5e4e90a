// The main window's file list: a virtual report list of seven columns over
// the FileItems it owns, sorted by header clicks, with full-row multiple
// selection that stays visible without the focus. It is the FileListView
// the runs read (rows in their current order, selected rows in list order).
// User-interface thread only.
#pragma once

#include <wx/listctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_item.h"
#include "engine/file_list.h"

namespace sondrel {

enum FileColumn : int {
  kColumnFile,
  kColumnDuration,
  kColumnBitRate,
  kColumnSampleRate,
  kColumnChannels,
  kColumnVolume,
  kColumnOutput,
  kColumnCount
};

// How a column's cells compare when the list is sorted by it.
enum class SortKind {
  Text,      // locale order, case-sensitive
  Number,    // the leading decimal number; an empty cell is 0
  Duration,  // "[h:]mm:ss" as seconds; an empty cell is 0
};

struct ColumnSpec {
  const char* title;
  wxListColumnFormat align;
  int width;
  SortKind sort;
};

// The seven columns in order.
const std::array<ColumnSpec, kColumnCount>& FileColumns();

class FileListCtrl : public wxListCtrl, public FileListView {
 public:
  FileListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
  ~FileListCtrl() override;

  // Appends a row for `item` with its property cells filled and the Volume
  // and Output cells empty, scrolls it into view and returns its index.
  int AddRow(FileItem item);
  // Volume and Output cells (the others follow the item).
  void SetCellText(int row, int column, const std::string& text);
  std::string CellText(int row, int column) const;

  // A header click: ascending, or descending when the same column was last
  // sorted ascending. Selected rows stay selected.
  void SortByColumn(int column);
  int SortColumn() const { return m_sortColumn; }
  bool SortAscending() const { return m_ascending; }

  // Selection, in list order.
  std::vector<int> SelectedRows() const;
  void SelectRow(int row, bool selected = true);
  void SelectAllRows();

  // Deletes rows (indices in any order) and hands back their items.
  std::vector<std::unique_ptr<FileItem>> RemoveRows(std::vector<int> rows);
  void RemoveAllRows();

  int RowCount() const override { return static_cast<int>(m_rows.size()); }
  FileItem* ItemAt(int row) const override { return m_rows[static_cast<size_t>(row)].item.get(); }
  int NextSelected(int after) const override;

 protected:
  wxString OnGetItemText(long item, long column) const override;

 private:
  // The record each row carries: its position at the last sort and its item,
  // with the two cells the runs write.
  struct Row {
    std::unique_ptr<FileItem> item;
    int lastSortPosition = 0;
    std::string volume;
    std::string output;
  };

  void Renumber();
  void ResetSelection(const std::vector<int>& rows);

  std::vector<Row> m_rows;
  int m_sortColumn = -1;
  bool m_ascending = true;
};

}  // namespace sondrel
