// The engine seam on a terminal, for the command-line front end.
//
// Row texts are kept for the result lines printed at the end. Progress goes
// to one rewritten line on the error stream when that is a terminal.
// Questions are answered No and, like every message, printed on the error
// stream. The save dialog answers with the path given on the command line.
// An interrupt (Ctrl+C) is the Cancel button.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "engine/frontend.h"

namespace sondrel {

class TerminalFrontend : public Frontend {
 public:
  // `err` receives messages, questions and (with `progressLine`) progress.
  TerminalFrontend(std::FILE* err, bool progressLine);

  // Makes an interrupt (SIGINT, SIGTERM) request Cancel; a second one ends
  // the program at once, removing the temporaries being written.
  static void InstallInterruptHandler();
  static bool Interrupted();

  // The answer of the save dialog.
  void SetSaveAnswer(std::string path) { m_saveAnswer = std::move(path); }
  // A row's column text; empty when never set.
  std::string RowText(int row, ListColumn column) const;

  void SetRowText(int row, ListColumn column, const std::string& text) override;
  void EnsureRowVisible(int) override {}
  int OutputColumnWidth() override { return m_outputColumnWidth; }
  void SetOutputColumnWidth(int pixels) override { m_outputColumnWidth = pixels; }
  void SetBusy(bool) override {}
  std::unique_ptr<ProgressWindow> CreateConvertProgress() override;
  std::unique_ptr<ProgressWindow> CreateAddProgress() override;
  void PumpMessages() override {}
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& text) override;
  std::string AskSaveFile(const std::string& extension) override;
  // A terminal opens no windows: the shell requests are dropped.
  void OpenDocument(const std::string&) override {}
  void ShowInFolder(const std::string&) override {}

 private:
  std::FILE* m_err;
  bool m_progressLine;
  std::map<std::pair<int, ListColumn>, std::string> m_rows;
  int m_outputColumnWidth = 200;
  std::string m_saveAnswer;
};

}  // namespace sondrel
