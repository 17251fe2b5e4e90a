// An in-memory engine seam for tests: records every text, bar move, question
// and shell call, and answers questions and the save dialog from a script.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/frontend.h"

namespace sondrel::test {

struct MemoryProgress {
  std::string upperText;
  std::string lowerText;
  int upperRange = 100, lowerRange = 100;
  int upperPos = 0, lowerPos = 0;
  int barWidth = 200;
  bool cancel = false;
  bool closed = false;
  std::vector<std::string> upperTexts;  // every text shown on the upper line
  int upperMoves = 0;                   // SetPosition calls on the upper bar
};

class MemoryFrontend : public Frontend {
 public:
  void SetRowText(int row, ListColumn column, const std::string& text) override;
  void EnsureRowVisible(int row) override { visibleRows.push_back(row); }
  int OutputColumnWidth() override { return outputColumnWidth; }
  void SetOutputColumnWidth(int pixels) override { outputColumnWidth = pixels; }
  void SetBusy(bool busy) override { busyCalls.push_back(busy); }
  std::unique_ptr<ProgressWindow> CreateConvertProgress() override;
  std::unique_ptr<ProgressWindow> CreateAddProgress() override;
  void PumpMessages() override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& text) override;
  std::string AskSaveFile(const std::string& extension) override;
  void OpenDocument(const std::string& pathOrUrl) override { opened.push_back(pathOrUrl); }
  void ShowInFolder(const std::string& path) override { shownInFolder.push_back(path); }

  // The text of a row's column, empty when never set.
  std::string Row(int row, ListColumn column) const;

  std::map<std::pair<int, ListColumn>, std::string> rows;
  std::vector<int> visibleRows;
  int outputColumnWidth = 200;
  std::vector<bool> busyCalls;
  std::vector<MemoryProgress> progress;  // every window created, in order
  int pumps = 0;
  // Called on every pump; e.g. to press Cancel after some pumps.
  std::function<void(MemoryFrontend&)> onPump;
  std::vector<std::pair<std::string, MessageIcon>> messages;
  std::vector<std::string> questions;
  bool answerYes = false;
  std::string saveAnswer;
  std::vector<std::string> saveRequests;
  std::vector<std::string> opened;
  std::vector<std::string> shownInFolder;
};

}  // namespace sondrel::test
