// The engine's port: the one seam between the engine and whatever shows it
// to a person.
//
// The engine reaches the window only through `Frontend`: list row texts,
// progress windows, questions and messages, the save dialog of merge mode and
// the shell. The main window implements it with wx, tests with an in-memory
// recorder, the command-line front end on a terminal. The decode layer sees
// only the part it needs, `UserPrompts`. Nothing here may include a wx header.
#pragma once

#include <memory>
#include <string>

#include "decode/user_prompts.h"

namespace sondrel {

// Columns of the file list that a run writes.
enum class ListColumn { Output, Volume };

// The two text lines and two bars of a progress window. The one-bar window
// used while adding files has only the upper line and bar.
enum class ProgressPart { Upper, Lower };

// A progress window as the worker sees it. Created shown and with
// `CancelRequested` false. After `RequestClose` the window destroys itself;
// the object stays valid but inert until it is destroyed, and destroying it
// without `RequestClose` closes the window too.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void SetText(ProgressPart line, const std::string& text) = 0;
  // Bar requests: range 0..high, position, one step of the step size 1.
  virtual void SetRange(ProgressPart bar, int high) = 0;
  virtual void SetPosition(ProgressPart bar, int pos) = 0;
  virtual void Step(ProgressPart bar) = 0;
  // Width of a bar's window in pixels (never less than 1).
  virtual int BarWidth(ProgressPart bar) = 0;
  // Set by the Cancel button; read by the worker after each PumpMessages.
  virtual bool CancelRequested() const = 0;
  virtual void RequestClose() = 0;
};

// Message boxes, Yes/No questions and opening a document come from
// UserPrompts.
class Frontend : public UserPrompts {
 public:
  // The file list. `row` is the row index the run was given.
  virtual void SetRowText(int row, ListColumn column, const std::string& text) = 0;
  virtual void EnsureRowVisible(int row) = 0;
  virtual int OutputColumnWidth() = 0;
  virtual void SetOutputColumnWidth(int pixels) = 0;

  // Long work: the main window is disabled with a wait cursor while busy.
  virtual void SetBusy(bool busy) = 0;
  // The two-bar conversion window and the one-bar adding window; never null.
  virtual std::unique_ptr<ProgressWindow> CreateConvertProgress() = 0;
  virtual std::unique_ptr<ProgressWindow> CreateAddProgress() = 0;
  // Dispatches every pending event and returns without waiting.
  virtual void PumpMessages() = 0;

  // Save dialog of merge mode for a format's extension (lower case, no dot).
  // Asks before overwriting. Returns the chosen path, or empty when cancelled.
  virtual std::string AskSaveFile(const std::string& extension) = 0;

  // Shell: show a file selected in the file manager.
  virtual void ShowInFolder(const std::string& path) = 0;
};

// Keeps the main window busy (disabled, with a wait cursor) for its lifetime:
// SetBusy(true) when made, SetBusy(false) when it ends, on every path.
class BusyScope {
 public:
  explicit BusyScope(Frontend& frontend) : m_frontend(frontend) { m_frontend.SetBusy(true); }
  ~BusyScope() { m_frontend.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Frontend& m_frontend;
};

}  // namespace sondrel
