#include "engine/file_list.h"

namespace sondrel {

int FileList::Add(FileItem item) {
  m_items.push_back(std::make_unique<FileItem>(std::move(item)));
  m_selected.push_back(false);
  return RowCount() - 1;
}

void FileList::Select(int row, bool selected) {
  if (row >= 0 && row < RowCount()) m_selected[static_cast<size_t>(row)] = selected;
}

int FileList::NextSelected(int after) const {
  for (int row = after < 0 ? 0 : after + 1; row < RowCount(); ++row) {
    if (m_selected[static_cast<size_t>(row)]) return row;
  }
  return -1;
}

}  // namespace sondrel
