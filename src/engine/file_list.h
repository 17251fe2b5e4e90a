// The file list as the runs read it, and a plain in-memory list for the
// command-line front end and tests. The main window's list control offers
// the same view over its own rows.
#pragma once

#include <memory>
#include <vector>

#include "engine/file_item.h"

namespace sondrel {

class FileListView {
 public:
  virtual ~FileListView() = default;
  virtual int RowCount() const = 0;
  // The item shown in a row (0 <= row < RowCount), never null.
  virtual FileItem* ItemAt(int row) const = 0;
  // The first selected row after `after` (-1: from the top); -1 when none.
  virtual int NextSelected(int after) const = 0;
};

class FileList : public FileListView {
 public:
  // Appends a row and returns its index.
  int Add(FileItem item);
  void Select(int row, bool selected = true);

  int RowCount() const override { return static_cast<int>(m_items.size()); }
  FileItem* ItemAt(int row) const override { return m_items[static_cast<size_t>(row)].get(); }
  int NextSelected(int after) const override;

 private:
  std::vector<std::unique_ptr<FileItem>> m_items;
  std::vector<bool> m_selected;
};

}  // namespace sondrel
