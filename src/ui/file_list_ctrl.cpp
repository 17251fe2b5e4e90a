// The file list: rows over owned FileItems, their cell texts, sorting and
// selection on a virtual list control, so that big batches stay quick.
#include "ui/file_list_ctrl.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "engine/list_columns.h"

namespace sondrel {

namespace {

// The text after the last separator.
std::string FileNamePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The leading decimal number of a cell ("128 kbps" is 128); 0 when none.
long long NumberKey(const std::string& text) {
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), 1LL << 40);
  }
  return value;
}

// A duration cell in seconds: every ':'-separated field is one place of base
// 60, so "1:02:05" is 3725 and "00:59" is 59.
long long DurationKey(const std::string& text) {
  constexpr long long kCap = 1LL << 40;
  long long total = 0;
  long long field = 0;
  for (const char c : text) {
    if (c == ':') {
      total = std::min(total * 60 + field, kCap);
      field = 0;
    } else if (c >= '0' && c <= '9') {
      field = std::min(field * 10 + (c - '0'), kCap);
    } else {
      break;
    }
  }
  return std::min(total * 60 + field, kCap * 60);
}

wxString ToWx(const std::string& text) {
  wxString converted = wxString::FromUTF8(text);
  // Text that is not UTF-8 still shows, byte by byte as Latin-1.
  if (converted.empty() && !text.empty()) converted = wxString(text.data(), wxConvISO8859_1);
  return converted;
}

}  // namespace

const std::array<ColumnSpec, kColumnCount>& FileColumns() {
  static const std::array<ColumnSpec, kColumnCount> kColumns = {{
      {"File", wxLIST_FORMAT_LEFT, 206, SortKind::Text},
      {"Duration", wxLIST_FORMAT_RIGHT, 70, SortKind::Duration},
      {"Bit Rate", wxLIST_FORMAT_RIGHT, 80, SortKind::Number},
      {"Sample Rate", wxLIST_FORMAT_RIGHT, 85, SortKind::Number},
      {"Channels", wxLIST_FORMAT_RIGHT, 75, SortKind::Text},
      {"Volume", wxLIST_FORMAT_RIGHT, 70, SortKind::Text},
      {"Output", wxLIST_FORMAT_LEFT, 200, SortKind::Text},
  }};
  return kColumns;
}

FileListCtrl::FileListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxListCtrl(parent, id, pos, size, wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SIMPLE) {
  for (int column = 0; column < kColumnCount; ++column) {
    const ColumnSpec& spec = FileColumns()[static_cast<size_t>(column)];
    AppendColumn(spec.title, spec.align, spec.width);
  }
  Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) { SortByColumn(event.GetColumn()); });
}

FileListCtrl::~FileListCtrl() = default;

int FileListCtrl::AddRow(FileItem item) {
  Row row;
  row.item = std::make_unique<FileItem>(std::move(item));
  row.lastSortPosition = RowCount();
  m_rows.push_back(std::move(row));
  SetItemCount(RowCount());
  const int index = RowCount() - 1;
  EnsureVisible(index);
  return index;
}

void FileListCtrl::SetCellText(int row, int column, const std::string& text) {
  if (row < 0 || row >= RowCount()) return;
  Row& r = m_rows[static_cast<size_t>(row)];
  if (column == kColumnVolume) {
    r.volume = text;
  } else if (column == kColumnOutput) {
    r.output = text;
  } else {
    return;
  }
  RefreshItem(row);
}

std::string FileListCtrl::CellText(int row, int column) const {
  if (row < 0 || row >= RowCount()) return {};
  const Row& r = m_rows[static_cast<size_t>(row)];
  const FileItem& item = *r.item;
  switch (column) {
    case kColumnFile:
      return FileNamePart(item.sourcePath);
    case kColumnDuration:
      return DurationText(item.duration);
    case kColumnBitRate:
      return BitRateText(item.bitRate);
    case kColumnSampleRate:
      return SampleRateText(item.sampleRate);
    case kColumnChannels:
      return ChannelsText(item.channels);
    case kColumnVolume:
      return r.volume;
    case kColumnOutput:
      return r.output;
    default:
      return {};
  }
}

wxString FileListCtrl::OnGetItemText(long item, long column) const {
  return ToWx(CellText(static_cast<int>(item), static_cast<int>(column)));
}

void FileListCtrl::SortByColumn(int column) {
  if (column < 0 || column >= kColumnCount) return;
  m_ascending = !(column == m_sortColumn && m_ascending);
  m_sortColumn = column;
  Renumber();
  const size_t count = m_rows.size();
  std::vector<char> selected(count, 0);
  for (const int row : SelectedRows()) selected[static_cast<size_t>(row)] = 1;

  // Each cell's key is made once; a stable sort keeps equal rows in the
  // order they had.
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  const int sign = m_ascending ? 1 : -1;
  if (FileColumns()[static_cast<size_t>(column)].sort == SortKind::Text) {
    std::vector<std::string> keys(count);
    for (size_t i = 0; i < count; ++i) keys[i] = CellText(static_cast<int>(i), column);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return sign * std::strcoll(keys[static_cast<size_t>(a)].c_str(),
                                 keys[static_cast<size_t>(b)].c_str()) <
             0;
    });
  } else {
    const bool duration = FileColumns()[static_cast<size_t>(column)].sort == SortKind::Duration;
    std::vector<long long> keys(count);
    for (size_t i = 0; i < count; ++i) {
      const std::string text = CellText(static_cast<int>(i), column);
      keys[i] = duration ? DurationKey(text) : NumberKey(text);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const long long ka = keys[static_cast<size_t>(a)];
      const long long kb = keys[static_cast<size_t>(b)];
      return m_ascending ? ka < kb : kb < ka;
    });
  }

  std::vector<Row> sorted;
  sorted.reserve(count);
  std::vector<int> nowSelected;
  for (size_t i = 0; i < count; ++i) {
    const size_t from = static_cast<size_t>(order[i]);
    if (selected[from]) nowSelected.push_back(static_cast<int>(i));
    sorted.push_back(std::move(m_rows[from]));
  }
  m_rows = std::move(sorted);
  ResetSelection(nowSelected);
  ShowSortIndicator(column, m_ascending);
  Refresh();
}

void FileListCtrl::Renumber() {
  for (size_t i = 0; i < m_rows.size(); ++i) m_rows[i].lastSortPosition = static_cast<int>(i);
}

std::vector<int> FileListCtrl::SelectedRows() const {
  std::vector<int> rows;
  for (long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    rows.push_back(static_cast<int>(row));
  }
  return rows;
}

int FileListCtrl::NextSelected(int after) const {
  if (after >= RowCount() - 1) return -1;
  return static_cast<int>(
      GetNextItem(after < 0 ? -1 : after, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void FileListCtrl::SelectRow(int row, bool selected) {
  if (row < 0 || row >= RowCount()) return;
  SetItemState(row, selected ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

void FileListCtrl::SelectAllRows() {
  if (RowCount() > 0) SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void FileListCtrl::ResetSelection(const std::vector<int>& rows) {
  if (RowCount() > 0) SetItemState(-1, 0, wxLIST_STATE_SELECTED);
  for (const int row : rows) SelectRow(row);
}

std::vector<std::unique_ptr<FileItem>> FileListCtrl::RemoveRows(std::vector<int> rows) {
  std::vector<std::unique_ptr<FileItem>> removed;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<char> gone(m_rows.size(), 0);
  for (const int row : rows) {
    if (row < 0 || row >= RowCount()) continue;
    gone[static_cast<size_t>(row)] = 1;
    removed.push_back(std::move(m_rows[static_cast<size_t>(row)].item));
  }
  if (removed.empty()) return removed;
  SetItemState(-1, 0, wxLIST_STATE_SELECTED);
  size_t kept = 0;
  for (size_t i = 0; i < m_rows.size(); ++i) {
    if (!gone[i]) m_rows[kept++] = std::move(m_rows[i]);
  }
  m_rows.resize(kept);
  SetItemCount(RowCount());
  Refresh();
  return removed;
}

void FileListCtrl::RemoveAllRows() {
  if (RowCount() > 0) SetItemState(-1, 0, wxLIST_STATE_SELECTED);
  m_rows.clear();
  SetItemCount(0);
  Refresh();
}

}  // namespace sondrel
