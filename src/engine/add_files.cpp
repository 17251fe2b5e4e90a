#include "engine/add_files.h"

#include <functional>
#include <memory>

#include "decode/source_type.h"
#include "engine/messages.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace sondrel {

namespace {

// The failed paths a report names; later ones are summed up in one line.
constexpr int kListedFailures = 30;

}  // namespace

bool ProbeFile(SourceOpener& opener, const std::string& path, FileItem& item) {
  const int sourceType = ClassifySource(path);
  opener.SetFfmpegRetry(0);
  int hasAudio = 1;
  std::unique_ptr<Decoder> reader =
      opener.OpenSource(path, sourceType, 0, OpenPurpose::Probe, hasAudio);
  if (!reader) {
    if (sourceType == kSourceCdTrack && opener.SourceProblem().empty()) {
      opener.SetNote(kCdTrackNote);
    }
    return false;
  }
  item = FileItem{};
  item.sourcePath = path;
  item.duration = reader->GetDuration();
  item.sampleRate = reader->GetSampleRate();
  item.bitRate = reader->GetBitRate();
  item.channels = reader->GetChannels();
  item.sourceType = sourceType;
  reader->Close();
  return true;
}

int AddOneFile(SourceOpener& opener, AddTarget& target, const std::string& path) {
  if (target.listed.Contains(path)) return 0;
  FileItem item;
  if (!ProbeFile(opener, path, item)) return -1;
  const int row = target.addRow(std::move(item));
  target.listed.Insert(path);
  return row;
}

namespace {

// Adds a batch into the window `progress` and closes it; the caller keeps
// the main window busy and reports `failures` afterwards.
AddResult AddBatch(EngineState& state, AddTarget& target, const std::vector<std::string>& paths,
                   ProgressWindow& progress, AddFailureReport& failures) {
  Frontend& frontend = state.frontend;
  AddResult result;
  const int count = static_cast<int>(paths.size());
  progress.SetRange(ProgressPart::Upper, count);
  progress.SetPosition(ProgressPart::Upper, 0);
  frontend.PumpMessages();
  // The note of the failures that give no reason of their own (the CD hint).
  std::string note;
  for (int i = 0; i < count; ++i) {
    const std::string& path = paths[static_cast<size_t>(i)];
    progress.SetText(ProgressPart::Upper, AddingFileText(i + 1, count, FileNameOf(path)));
    progress.Step(ProgressPart::Upper);
    state.opener.SetNote(std::string());
    if (!NameFitsCharset(path)) {
      failures.Add(path, true);
    } else if (AddOneFile(state.opener, target, path) == -1) {
      const std::string& problem = state.opener.SourceProblem();
      failures.Add(path, false, problem);
      if (problem.empty() && !state.opener.Note().empty()) note = state.opener.Note();
    }
    frontend.PumpMessages();
    if (progress.CancelRequested()) {
      result.cancelled = true;
      break;
    }
  }
  progress.RequestClose();
  state.opener.SetNote(note);
  result.failed = failures.Count();
  return result;
}

void ReportFailures(EngineState& state, const AddFailureReport& failures) {
  if (failures.Empty()) return;
  state.frontend.ShowMessage(failures.Message(state.opener.Note()), MessageIcon::Exclamation);
}

// Gathers a batch with the search window up, then adds it.
using CollectStep = std::function<bool(std::vector<std::string>& batch, const SearchProgress&)>;

AddResult SearchAndAdd(EngineState& state, AddTarget& target, const CollectStep& collect) {
  Frontend& frontend = state.frontend;
  AddFailureReport failures;
  AddResult result;
  {
    BusyScope busy(frontend);
    frontend.PumpMessages();
    std::unique_ptr<ProgressWindow> progress = frontend.CreateAddProgress();
    progress->SetText(ProgressPart::Upper, kSearchingFilesText);
    frontend.PumpMessages();
    std::vector<std::string> batch;
    const bool searched = collect(batch, [&] {
      frontend.PumpMessages();
      return !progress->CancelRequested();
    });
    if (!searched || batch.empty()) {
      result.cancelled = !searched;
      progress->RequestClose();
      return result;
    }
    result = AddBatch(state, target, batch, *progress, failures);
  }
  ReportFailures(state, failures);
  return result;
}

}  // namespace

AddResult AddPaths(EngineState& state, AddTarget& target, const std::vector<std::string>& paths,
                   std::unique_ptr<ProgressWindow> progress) {
  AddFailureReport failures;
  AddResult result;
  {
    BusyScope busy(state.frontend);
    if (!progress) progress = state.frontend.CreateAddProgress();
    result = AddBatch(state, target, paths, *progress, failures);
  }
  ReportFailures(state, failures);
  return result;
}

AddResult AddFolderPath(EngineState& state, AddTarget& target, const SearchFilters& filters,
                        const std::string& folder) {
  return SearchAndAdd(state, target,
                      [&](std::vector<std::string>& batch, const SearchProgress& progress) {
                        return CollectFiles(folder, filters, batch, progress);
                      });
}

AddResult AddDroppedPaths(EngineState& state, AddTarget& target, const SearchFilters& filters,
                          const std::vector<std::string>& paths) {
  return SearchAndAdd(state, target,
                      [&](std::vector<std::string>& batch, const SearchProgress& progress) {
                        return CollectPaths(paths, filters, batch, progress);
                      });
}

void AddFailureReport::Clear() {
  m_list.clear();
  m_count = 0;
  m_unexplained = 0;
  m_charset = false;
}

void AddFailureReport::Add(const std::string& path, bool charset, const std::string& reason) {
  if (charset) m_charset = true;
  if (!charset && reason.empty()) ++m_unexplained;
  ++m_count;
  if (m_count <= kListedFailures) {
    m_list += reason.empty() ? path + "\n" : path + " (" + reason + ")\n";
  } else if (m_count == kListedFailures + 1) {
    m_list += kMoreFilesLine;
  }
}

std::string AddFailureReport::Message(const std::string& note) const {
  std::string text = kAddFailedHeading + m_list;
  if (m_charset) {
    text += kCharsetHint;
  } else if (!note.empty()) {
    text += "\n" + note;
  } else if (m_unexplained > 0) {
    text += SendFilesRequest();
  } else {
    text.pop_back();  // every line gave its reason: nothing follows the list
  }
  return text;
}

}  // namespace sondrel
