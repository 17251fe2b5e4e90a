#include "support/memory_frontend.h"

#include <algorithm>

namespace sondrel::test {

namespace {

class MemoryProgressWindow : public ProgressWindow {
 public:
  MemoryProgressWindow(std::vector<MemoryProgress>& all, size_t index) : m_all(all), m_index(index) {}
  void SetText(ProgressPart line, const std::string& text) override {
    if (line == ProgressPart::Upper) {
      P().upperText = text;
      P().upperTexts.push_back(text);
    } else {
      P().lowerText = text;
    }
  }
  void SetRange(ProgressPart bar, int high) override {
    (bar == ProgressPart::Upper ? P().upperRange : P().lowerRange) = high;
  }
  void SetPosition(ProgressPart bar, int pos) override {
    if (bar == ProgressPart::Upper) {
      P().upperPos = pos;
      ++P().upperMoves;
    } else {
      P().lowerPos = pos;
    }
  }
  void Step(ProgressPart bar) override {
    int& pos = bar == ProgressPart::Upper ? P().upperPos : P().lowerPos;
    const int range = bar == ProgressPart::Upper ? P().upperRange : P().lowerRange;
    pos = std::min(pos + 1, range);
  }
  int BarWidth(ProgressPart) override { return P().barWidth; }
  bool CancelRequested() const override { return m_all[m_index].cancel; }
  void RequestClose() override { P().closed = true; }

 private:
  MemoryProgress& P() { return m_all[m_index]; }
  std::vector<MemoryProgress>& m_all;
  size_t m_index;
};

}  // namespace

void MemoryFrontend::SetRowText(int row, ListColumn column, const std::string& text) {
  rows[{row, column}] = text;
}

std::string MemoryFrontend::Row(int row, ListColumn column) const {
  auto it = rows.find({row, column});
  return it == rows.end() ? std::string() : it->second;
}

std::unique_ptr<ProgressWindow> MemoryFrontend::CreateConvertProgress() {
  progress.emplace_back();
  return std::make_unique<MemoryProgressWindow>(progress, progress.size() - 1);
}

std::unique_ptr<ProgressWindow> MemoryFrontend::CreateAddProgress() {
  return CreateConvertProgress();
}

void MemoryFrontend::PumpMessages() {
  ++pumps;
  if (onPump) onPump(*this);
}

void MemoryFrontend::ShowMessage(const std::string& text, MessageIcon icon) {
  messages.emplace_back(text, icon);
}

bool MemoryFrontend::AskYesNo(const std::string& text) {
  questions.push_back(text);
  return answerYes;
}

std::string MemoryFrontend::AskSaveFile(const std::string& extension) {
  saveRequests.push_back(extension);
  return saveAnswer;
}

}  // namespace sondrel::test
