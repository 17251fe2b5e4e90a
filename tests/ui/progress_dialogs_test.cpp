#include "ui/progress_dialogs.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <gtest/gtest.h>

#include "settle.h"
#include "ui/wx_frontend.h"

namespace sondrel {
namespace {

using test::Settle;

void ClickCancel(wxDialog* dialog) {
  auto* cancel = wxDynamicCast(dialog->FindWindow(1033), wxButton);
  ASSERT_NE(cancel, nullptr);
  wxCommandEvent click(wxEVT_BUTTON, 1033);
  click.SetEventObject(cancel);
  // Queued like a real click: seen only at the next pump.
  cancel->GetEventHandler()->AddPendingEvent(click);
}

TEST(ConvertProgressDialog, HasTheControlsOfItsTemplate) {
  ConvertProgressDialog* d = ConvertProgressDialog::Create();
  wxWeakRef<wxDialog> ref(d);
  for (int id : {1032, 1013, 1035, 1038, 1033}) EXPECT_NE(d->FindWindow(id), nullptr) << id;
  EXPECT_EQ(d->FindWindow(1033)->GetLabel(), "Cancel");
  EXPECT_FALSE(d->HasFlag(wxCAPTION));
  EXPECT_TRUE(d->IsShown());
  EXPECT_FALSE(d->IsModal());
  EXPECT_EQ(d->cancelRequested, 0);
  // 418 x 94 dialog units, the bars 404 units wide.
  EXPECT_EQ(d->GetClientSize(), d->ConvertDialogToPixels(wxSize(418, 94)));
  EXPECT_EQ(d->upperBar->GetSize().GetWidth(),
            d->ConvertDialogToPixels(wxSize(404, 13)).GetWidth());
  d->Close(true);
  Settle(3);
  EXPECT_FALSE(ref);  // destroyed and freed after the close request

  AddProgressDialog* a = AddProgressDialog::Create();
  wxWeakRef<wxDialog> aref(a);
  for (int id : {1068, 1010, 1033}) EXPECT_NE(a->FindWindow(id), nullptr) << id;
  EXPECT_EQ(a->GetClientSize(), a->ConvertDialogToPixels(wxSize(418, 62)));
  a->Close(true);
  Settle(3);
  EXPECT_FALSE(aref);
}

TEST(ConvertProgressDialog, WorkerLoopSeesCancelAtTheNextPumpAndClosesTheWindow) {
  WxFrontend frontend;
  std::unique_ptr<ProgressWindow> progress = frontend.CreateConvertProgress();
  ConvertProgressDialog* dialog = nullptr;
  for (wxWindow* w : wxTopLevelWindows) {
    if (auto* d = dynamic_cast<ConvertProgressDialog*>(w)) dialog = d;
  }
  ASSERT_NE(dialog, nullptr);
  wxWeakRef<wxDialog> ref(dialog);
  progress->SetRange(ProgressPart::Lower, 3);
  progress->SetRange(ProgressPart::Upper, progress->BarWidth(ProgressPart::Upper));
  int blocks = 0;
  for (; blocks < 1000; ++blocks) {
    const std::string percent = std::to_string(blocks);
    progress->SetText(ProgressPart::Upper, "[" + percent + "%] Converting a.wav...");
    progress->SetPosition(ProgressPart::Upper, blocks);
    if (blocks == 0) progress->Step(ProgressPart::Lower);
    if (blocks == 5) ClickCancel(dialog);
    EXPECT_FALSE(progress->CancelRequested()) << "seen before a pump";
    frontend.PumpMessages();
    if (progress->CancelRequested()) break;
  }
  EXPECT_EQ(blocks, 5);
  EXPECT_EQ(dialog->upperText->GetLabel(), "[5%] Converting a.wav...");
  EXPECT_EQ(dialog->upperBar->GetValue(), 5);
  EXPECT_EQ(dialog->lowerBar->GetValue(), 1);
  EXPECT_TRUE(dialog->IsShown());  // Cancel alone does not close it
  progress->RequestClose();
  Settle(3);
  EXPECT_FALSE(ref);
  // The handle stays safe to use after the window is gone.
  progress->SetText(ProgressPart::Upper, "ignored");
  EXPECT_TRUE(progress->CancelRequested());
}

TEST(ConvertProgressDialog, EnterAndEscapeNeitherCancelNorClose) {
  ConvertProgressDialog* d = ConvertProgressDialog::Create();
  wxWeakRef<wxDialog> ref(d);
  Settle();
  for (int key : {WXK_RETURN, WXK_ESCAPE, WXK_NUMPAD_ENTER}) {
    wxKeyEvent down(wxEVT_CHAR_HOOK);
    down.m_keyCode = key;
    down.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(down);
    wxKeyEvent ch(wxEVT_CHAR);
    ch.m_keyCode = key;
    ch.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(ch);
  }
  Settle(3);
  ASSERT_TRUE(ref);
  EXPECT_TRUE(d->IsShown());
  EXPECT_EQ(d->cancelRequested, 0);
  d->Close(true);
  Settle(3);
}

TEST(ConvertProgressDialog, DraggingTheBodyMovesTheWindow) {
  ConvertProgressDialog* d = ConvertProgressDialog::Create();
  Settle();
  const wxPoint before = d->GetPosition();
  const wxPoint inBody = d->upperText->GetPosition() + wxPoint(5, 5);
  wxMouseEvent down(wxEVT_LEFT_DOWN);
  down.SetPosition(inBody);
  down.SetEventObject(d);
  down.m_leftDown = true;
  d->GetEventHandler()->ProcessEvent(down);
  wxMouseEvent move(wxEVT_MOTION);
  move.SetPosition(inBody + wxPoint(40, 30));
  move.SetEventObject(d);
  move.m_leftDown = true;
  d->GetEventHandler()->ProcessEvent(move);
  wxMouseEvent up(wxEVT_LEFT_UP);
  up.SetPosition(inBody + wxPoint(40, 30));
  up.SetEventObject(d);
  d->GetEventHandler()->ProcessEvent(up);
  Settle();
  // The window follows the pointer by (40, 30).
  EXPECT_EQ(d->GetPosition(), before + wxPoint(40, 30));
  d->Close(true);
  Settle(3);
}

TEST(ConvertProgressDialog, ClosingWhileTheBodyIsHeldReleasesTheMouse) {
  ConvertProgressDialog* d = ConvertProgressDialog::Create();
  wxWeakRef<wxDialog> ref(d);
  Settle();
  // The button is still down (a drag under way) when the run ends.
  wxMouseEvent down(wxEVT_LEFT_DOWN);
  down.SetPosition(d->upperText->GetPosition() + wxPoint(5, 5));
  down.SetEventObject(d);
  down.m_leftDown = true;
  d->GetEventHandler()->ProcessEvent(down);
  d->Close(true);
  Settle(3);
  EXPECT_FALSE(ref);
  EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

}  // namespace
}  // namespace sondrel
