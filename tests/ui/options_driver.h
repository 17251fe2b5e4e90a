// Driving the Options sheet in window tests: showing it through ShowOptions,
// acting on its controls as a user would (each action sends the event the
// control sends), and recording the message boxes it shows.
#pragma once

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/settings.h"
#include "ui/message_box.h"
#include "ui/options_page.h"
#include "ui/options_sheet.h"

namespace sondrel::test {

// Message boxes shown while it lives, answered at once.
class MessageLog {
 public:
  MessageLog() {
    m_old = SetMessageBoxHandler([this](const std::string& text, MessageIcon) {
      texts.push_back(text);
      return true;
    });
  }
  ~MessageLog() { SetMessageBoxHandler(m_old); }
  std::vector<std::string> texts;

 private:
  MessageBoxHandler m_old;
};

// Shows the sheet on `settings` and `rows` and runs `drive` once it is up. A
// sheet the driver leaves open is cancelled. Returns ShowOptions' result.
bool RunSheet(ConvertSettings& settings, std::vector<FormatRow>& rows, SettingsStore& store,
              const std::function<void(COptSheet&)>& drive, WmaFormatsLoader loader = nullptr);

// The index of the page titled `title`; -1 when there is none.
int PageIndex(const COptSheet& sheet, const std::string& title);
// Switches to the page titled `title` as a click on its tab does; false
// when the sheet stayed on its page.
bool ShowPage(COptSheet& sheet, const std::string& title);
// The control `id` of the active page.
template <typename T>
T* Control(COptSheet& sheet, int id) {
  T* control = dynamic_cast<T*>(sheet.Page(sheet.ActivePage())->FindWindow(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return control;
}

void Press(COptSheet& sheet, int buttonId);  // wxID_OK, wxID_CANCEL or a page's button
void Click(COptSheet& sheet, int checkOrRadioId, bool on = true);
void Choose(COptSheet& sheet, int choiceId, const std::string& label);
void Type(COptSheet& sheet, int editId, const std::string& text);

// The labels of a drop-down, and its selected label ("(none)" without one).
std::vector<std::string> Labels(const wxChoice* choice);
std::string Selected(const wxChoice* choice);

}  // namespace sondrel::test
