#include "engine/parallel_items.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>

namespace sondrel {

namespace {

// How long the calling thread waits for a worker's call before it pumps the
// window's messages again.
constexpr std::chrono::milliseconds kPumpInterval(20);

// Calls that workers hand to the calling thread, carried out there in the
// order they were made.
class CallQueue {
 public:
  // Any thread.
  void Post(std::function<void()> call) {
    {
      std::lock_guard lock(m_mutex);
      m_calls.push_back(std::move(call));
    }
    m_wake.notify_one();
  }

  // A worker: carries out `call` on the calling thread and waits for its result.
  template <typename Call>
  auto Ask(Call call) -> decltype(call()) {
    using Result = decltype(call());
    std::promise<Result> answer;
    std::future<Result> future = answer.get_future();
    Post([&] {
      if constexpr (std::is_void_v<Result>) {
        call();
        answer.set_value();
      } else {
        answer.set_value(call());
      }
    });
    return future.get();
  }

  // The calling thread: waits up to `wait` for a call, then carries out
  // every call queued so far.
  void Drain(std::chrono::milliseconds wait) {
    std::deque<std::function<void()>> calls;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait_for(lock, wait, [this] { return !m_calls.empty(); });
      calls.swap(m_calls);
    }
    for (std::function<void()>& call : calls) call();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_calls;
};

// A window no one sees: workers open none, but the port promises one.
class NoWindow : public ProgressWindow {
 public:
  void SetText(ProgressPart, const std::string&) override {}
  void SetRange(ProgressPart, int) override {}
  void SetPosition(ProgressPart, int) override {}
  void Step(ProgressPart) override {}
  int BarWidth(ProgressPart) override { return 1; }
  bool CancelRequested() const override { return false; }
  void RequestClose() override {}
};

// The Frontend as the workers see it: every call is carried out by the
// calling thread; those with an answer (or a dialog) wait for it.
class WorkerPort : public Frontend {
 public:
  WorkerPort(Frontend& target, CallQueue& queue) : m_target(target), m_queue(queue) {}

  void SetRowText(int row, ListColumn column, const std::string& text) override {
    m_queue.Post([this, row, column, text] { m_target.SetRowText(row, column, text); });
  }
  void EnsureRowVisible(int row) override {
    m_queue.Post([this, row] { m_target.EnsureRowVisible(row); });
  }
  int OutputColumnWidth() override {
    return m_queue.Ask([this] { return m_target.OutputColumnWidth(); });
  }
  void SetOutputColumnWidth(int pixels) override {
    m_queue.Post([this, pixels] { m_target.SetOutputColumnWidth(pixels); });
  }
  void SetBusy(bool busy) override {
    m_queue.Post([this, busy] { m_target.SetBusy(busy); });
  }
  std::unique_ptr<ProgressWindow> CreateConvertProgress() override {
    return std::make_unique<NoWindow>();
  }
  std::unique_ptr<ProgressWindow> CreateAddProgress() override {
    return std::make_unique<NoWindow>();
  }
  // The calling thread pumps while it drains the queue.
  void PumpMessages() override {}
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    m_queue.Ask([&] { m_target.ShowMessage(text, icon); });
  }
  bool AskYesNo(const std::string& text) override {
    return m_queue.Ask([&] { return m_target.AskYesNo(text); });
  }
  void OpenDocument(const std::string& pathOrUrl) override {
    m_queue.Post([this, pathOrUrl] { m_target.OpenDocument(pathOrUrl); });
  }
  std::string AskSaveFile(const std::string& extension) override {
    return m_queue.Ask([&] { return m_target.AskSaveFile(extension); });
  }
  void ShowInFolder(const std::string& path) override {
    m_queue.Post([this, path] { m_target.ShowInFolder(path); });
  }

 private:
  Frontend& m_target;
  CallQueue& m_queue;
};

// The run's progress window as the calling thread fills it from the items'
// reports: the run line as the last started item set it, the run bar at
// the number of finished items, the file line and bar of the oldest
// unfinished item (replayed when it becomes the oldest).
class ProgressBoard {
 public:
  explicit ProgressBoard(ProgressWindow& window) : m_window(window) {}

  // Workers report in any order: the oldest unfinished item and the latest
  // started one are worked out here.
  void Begin(int position) {
    m_files[position] = FileLine{};
    m_reached = std::max(m_reached, position);
    if (m_shown == 0 || position < m_shown) m_shown = position;
  }
  void End(int position) {
    m_files.erase(position);
    m_window.SetPosition(ProgressPart::Lower, ++m_finished);
    if (position != m_shown) return;
    m_shown = m_files.empty() ? 0 : m_files.begin()->first;
    if (m_shown != 0) Replay(m_files.begin()->second);
  }
  void RunLine(int position, const std::string& text) {
    if (position < m_runLine) return;
    m_runLine = position;
    m_window.SetText(ProgressPart::Lower, text);
  }

  void FileText(int position, const std::string& text) {
    FileLine& line = m_files[position];
    line.text = text;
    if (position == m_shown) m_window.SetText(ProgressPart::Upper, text);
  }
  void FileRange(int position, int high) {
    FileLine& line = m_files[position];
    line.range = high;
    if (position == m_shown) m_window.SetRange(ProgressPart::Upper, high);
  }
  void FilePosition(int position, int pos) {
    FileLine& line = m_files[position];
    line.position = pos;
    if (position == m_shown) m_window.SetPosition(ProgressPart::Upper, pos);
  }
  void FileStep(int position) {
    FileLine& line = m_files[position];
    line.position = line.range > 0 ? std::min(line.position + 1, line.range) : line.position + 1;
    if (position == m_shown) m_window.Step(ProgressPart::Upper);
  }

  int Reached() const { return m_reached; }

 private:
  struct FileLine {
    std::string text;  // empty: none shown yet
    int range = 0;     // 0: not set yet
    int position = 0;
  };

  void Replay(const FileLine& line) {
    if (line.range > 0) m_window.SetRange(ProgressPart::Upper, line.range);
    m_window.SetPosition(ProgressPart::Upper, line.position);
    if (!line.text.empty()) m_window.SetText(ProgressPart::Upper, line.text);
  }

  ProgressWindow& m_window;
  std::map<int, FileLine> m_files;  // the unfinished items, by position
  int m_shown = 0;                  // whose file line the window shows; 0: none
  int m_finished = 0;
  int m_reached = 0;
  int m_runLine = 0;  // whose run line is shown
};

// One worker's view of the progress window: what it shows is reported to
// the board for the worker's current item; Cancel is the run's flag.
class WorkerProgress : public ProgressWindow {
 public:
  WorkerProgress(CallQueue& queue, ProgressBoard& board, const std::atomic<bool>& cancel,
                 int barWidth)
      : m_queue(queue), m_board(board), m_cancel(cancel), m_barWidth(barWidth) {}

  void Use(int position) { m_position = position; }

  // The calls capture the board, never this object: they may run after the
  // worker has ended.
  void SetText(ProgressPart line, const std::string& text) override {
    ProgressBoard& board = m_board;
    if (line == ProgressPart::Lower) {
      m_queue.Post([&board, p = m_position, text] { board.RunLine(p, text); });
    } else {
      m_queue.Post([&board, p = m_position, text] { board.FileText(p, text); });
    }
  }
  // The run bar counts finished items; the items do not move it.
  void SetRange(ProgressPart bar, int high) override {
    ProgressBoard& board = m_board;
    if (bar == ProgressPart::Upper) {
      m_queue.Post([&board, p = m_position, high] { board.FileRange(p, high); });
    }
  }
  void SetPosition(ProgressPart bar, int pos) override {
    ProgressBoard& board = m_board;
    if (bar == ProgressPart::Upper) {
      m_queue.Post([&board, p = m_position, pos] { board.FilePosition(p, pos); });
    }
  }
  void Step(ProgressPart bar) override {
    ProgressBoard& board = m_board;
    if (bar == ProgressPart::Upper) m_queue.Post([&board, p = m_position] { board.FileStep(p); });
  }
  int BarWidth(ProgressPart) override { return m_barWidth; }
  bool CancelRequested() const override { return m_cancel.load(); }
  void RequestClose() override {}

 private:
  CallQueue& m_queue;
  ProgressBoard& m_board;
  const std::atomic<bool>& m_cancel;
  const int m_barWidth;
  int m_position = 0;
};

// Lets the items choose their targets in list order, so that two items of
// one name get the same names whichever worker gets there first. Every item
// passes once: when it chooses its target, or at the end of a turn that
// ended before.
class ListOrder {
 public:
  // Waits until the items before `position` have passed.
  void Wait(int position) {
    std::unique_lock lock(m_mutex);
    m_turn.wait(lock, [&] { return m_passed >= position - 1; });
  }
  void Pass() {
    {
      std::lock_guard lock(m_mutex);
      ++m_passed;
    }
    m_turn.notify_all();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_turn;
  int m_passed = 0;
};

// What the workers of one run share. The calling thread owns it; workers
// only post to `queue`, take item numbers from `next` and read `cancel`.
struct Crew {
  Crew(const RunContext& run, const std::vector<FileItem*>& items, const std::vector<int>& rows,
       const ItemHandler& handler, ProgressWindow& progress)
      : run(run),
        items(items),
        rows(rows),
        handler(handler),
        port(run.frontend, queue),
        board(progress),
        barWidth(std::max(1, progress.BarWidth(ProgressPart::Upper))) {}

  const RunContext& run;
  std::shared_ptr<const OpenerSetup> setup;
  const std::vector<FileItem*>& items;
  const std::vector<int>& rows;
  const ItemHandler& handler;
  CallQueue queue;
  WorkerPort port;
  ProgressBoard board;
  ListOrder order;
  std::atomic<int> next{0};
  std::atomic<bool> cancel{false};
  const int barWidth;
  int running = 0;  // workers not yet done; the calling thread's only
};

// A worker: takes the next item until none is left or Cancel was pressed.
void Work(Crew& crew) {
  SourceOpener opener(crew.setup);
  WorkerProgress progress(crew.queue, crew.board, crew.cancel, crew.barWidth);
  const RunContext& run = crew.run;
  const RunContext own{crew.port,      run.settings,  run.format,    run.writers,
                       run.wmaFormats, run.soundFont, run.renderRate};
  int position = 0;
  bool passed = false;
  ItemHandler handler = crew.handler;
  handler.prepare = [&](FileItem& item, std::unique_ptr<ReservedTarget>& target,
                        std::string& status) {
    crew.order.Wait(position);
    const bool prepared = crew.handler.prepare(item, target, status);
    crew.order.Pass();
    passed = true;
    return prepared;
  };
  const int count = static_cast<int>(crew.items.size());
  for (;;) {
    if (crew.cancel.load()) break;
    const int i = crew.next.fetch_add(1);
    if (i >= count) break;
    position = i + 1;
    passed = false;
    progress.Use(position);
    crew.queue.Post([&crew, position] { crew.board.Begin(position); });
    TakeTurn(own, opener, *crew.items[static_cast<size_t>(i)], crew.rows[static_cast<size_t>(i)],
             position, count, progress, handler);
    if (!passed) {
      crew.order.Wait(position);
      crew.order.Pass();
    }
    crew.queue.Post([&crew, position] { crew.board.End(position); });
  }
  crew.queue.Post([&crew] { --crew.running; });
}

// A copy of `setup` whose runtime offer and load report reach the calling
// thread through `port`.
std::shared_ptr<OpenerSetup> WorkerSetup(const OpenerSetup& setup, WorkerPort& port,
                                         CallQueue& queue) {
  auto own = std::make_shared<OpenerSetup>(setup);
  if (setup.prompts) own->prompts = &port;
  if (setup.onMediaRuntimeLoaded) {
    own->onMediaRuntimeLoaded = [&queue, loaded = setup.onMediaRuntimeLoaded] {
      queue.Ask(loaded);
    };
  }
  return own;
}

}  // namespace

int JobCount(int jobs, int items) {
  const int wanted =
      jobs > 0 ? std::min(jobs, kMaxJobs) : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(std::min(wanted, items), 1, kMaxJobs);
}

ItemsResult RunItemsAtOnce(const RunContext& run, const std::shared_ptr<OpenerSetup>& setup,
                           const std::vector<FileItem*>& items, const std::vector<int>& rows,
                           ProgressWindow& progress, const ItemHandler& handler, int workers) {
  Crew crew(run, items, rows, handler, progress);
  crew.setup = WorkerSetup(*setup, crew.port, crew.queue);

  std::vector<std::thread> threads;
  for (int w = 0; w < workers; ++w) {
    try {
      threads.emplace_back(Work, std::ref(crew));
    } catch (const std::system_error&) {
      break;  // fewer workers, or the calling thread alone
    }
    ++crew.running;
  }
  if (threads.empty()) {
    SourceOpener opener(setup);
    return RunItems(run, opener, items, rows, progress, handler);
  }
  while (crew.running > 0) {
    crew.queue.Drain(kPumpInterval);
    run.frontend.PumpMessages();
    if (progress.CancelRequested()) crew.cancel = true;
  }
  for (std::thread& thread : threads) thread.join();

  ItemsResult result;
  result.reached = crew.board.Reached();
  result.cancelled = crew.cancel.load() || progress.CancelRequested();
  return result;
}

}  // namespace sondrel
