#include "programs/terminal_frontend.h"

#include <csignal>

#include "platform/atomic_output.h"

namespace sondrel {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// The first interrupt (SIGINT or SIGTERM) is Cancel: the run stops at its
// next block and removes what it was writing. A second one ends the program
// at once, after removing the hidden temporaries being written.
extern "C" void OnInterrupt(int signal) {
  if (!g_interrupted) {
    g_interrupted = 1;
    return;
  }
  RemovePendingOutputs();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

// One line on the terminal, rewritten in place: "<lower> <upper>".
class TerminalProgress : public ProgressWindow {
 public:
  TerminalProgress(std::FILE* err, bool show) : m_err(err), m_show(show) {}
  ~TerminalProgress() override { RequestClose(); }

  void SetText(ProgressPart line, const std::string& text) override {
    (line == ProgressPart::Upper ? m_upper : m_lower) = text;
    Draw();
  }
  void SetRange(ProgressPart, int) override {}
  void SetPosition(ProgressPart, int) override {}
  void Step(ProgressPart) override {}
  int BarWidth(ProgressPart) override { return 100; }
  bool CancelRequested() const override { return g_interrupted != 0; }
  void RequestClose() override {
    if (m_show && m_drawn) std::fputs("\r\x1b[K", m_err);
    m_drawn = false;
    m_show = false;
  }

 private:
  void Draw() {
    if (!m_show) return;
    std::fprintf(m_err, "\r\x1b[K%s %s", m_lower.c_str(), m_upper.c_str());
    std::fflush(m_err);
    m_drawn = true;
  }

  std::FILE* m_err;
  bool m_show;
  bool m_drawn = false;
  std::string m_upper, m_lower;
};

}  // namespace

TerminalFrontend::TerminalFrontend(std::FILE* err, bool progressLine)
    : m_err(err), m_progressLine(progressLine) {}

void TerminalFrontend::InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TerminalFrontend::Interrupted() { return g_interrupted != 0; }

std::string TerminalFrontend::RowText(int row, ListColumn column) const {
  auto it = m_rows.find({row, column});
  return it == m_rows.end() ? std::string() : it->second;
}

void TerminalFrontend::SetRowText(int row, ListColumn column, const std::string& text) {
  m_rows[{row, column}] = text;
}

std::unique_ptr<ProgressWindow> TerminalFrontend::CreateConvertProgress() {
  return std::make_unique<TerminalProgress>(m_err, m_progressLine);
}

std::unique_ptr<ProgressWindow> TerminalFrontend::CreateAddProgress() {
  return std::make_unique<TerminalProgress>(m_err, m_progressLine);
}

void TerminalFrontend::ShowMessage(const std::string& text, MessageIcon) {
  std::fprintf(m_err, "%s\n", text.c_str());
}

bool TerminalFrontend::AskYesNo(const std::string& text) {
  std::fprintf(m_err, "%s\n[answered No]\n", text.c_str());
  return false;
}

std::string TerminalFrontend::AskSaveFile(const std::string&) { return m_saveAnswer; }

}  // namespace sondrel
