// sondrel-cli: the conversions of the window, scripted from a terminal.
//
// The files are probed like Add Files fills the list, then converted by the
// same run as the window's "Convert All" or "Convert All to One", with the
// options of the same settings store. This program only implements the seam.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <wx/init.h>

#include "decode/audio_engine.h"
#include "decode/source_type.h"
#include "encode/format_catalogue.h"
#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/list_columns.h"
#include "engine/settings.h"
#include "platform/file_tags.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "programs/override_store.h"
#include "programs/result_lines.h"
#include "programs/terminal_frontend.h"
#include "ui/wx_config_store.h"

namespace sondrel {
namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kHelp =
    R"(Usage: sondrel-cli [options] FILE...
  or:  sondrel-cli --list-formats
  or:  sondrel-cli --probe FILE...

Converts each FILE to the chosen output format, as the window's "Convert All"
does, using the options stored by the window (the file sondrel/sondrel.conf
in $XDG_CONFIG_HOME, by default ~/.config). A FILE that is a folder stands
for every file in it and in its subfolders. The files are taken as the
window takes files dropped on it: the General options "Do not load hidden
files" and the extension filter apply, and a Windows shortcut (.lnk) that
they would leave out is followed to its target.

Options:
  --format ID|EXT    output format by catalogue id (1000) or extension (mp3);
                     an extension several formats share names the first of
                     them in catalogue order (see --list-formats). Default:
                     the stored OutputFormat.
  --merge OUTPUT     convert all files, one after the other, into the single
                     file OUTPUT ("Convert All to One").
  --jobs N           convert at most N files at the same time, 0 to 64;
                     0: one per processor core. Default: the stored Jobs.
                     --merge converts one file at a time.
  --set NAME=VALUE   override one stored option for this run, by its stored
                     name: VolumeType=0, DestOutputFolderOpt=399,
                     DestSpecifiedFolder=/tmp/out, MP3BitRate=192000,
                     ID3/Artist=Someone (the custom tag's values take "ID3/").
                     May be given many times.
  --save             store the --set values; without FILEs only stores them.
  --list-formats     print one line per output format: id, extension, label,
                     settings prefix, codec names (tab-separated).
  --probe            print for each FILE: path, source type, duration,
                     bit rate, sample rate, channels (tab-separated, as the
                     file list shows them), and "Cover" or "No cover" (whether
                     its tag holds a picture); converts nothing.
  --json             print each result as one JSON object per line instead
                     of a tab-separated line (see Output).
  -h, --help         show this text.
      --version      show the version.
  --                 the arguments that follow are files.

Output:
  While converting, a progress line on stderr when stderr is a terminal.
  At the end one line per file on stdout: source path, the Output column
  text (the output's name or the reason of a failure), the Volume column
  text, tab-separated. In these fields and in --probe's, a backslash, tab,
  newline or carriage return of a name is written \\, \t, \n, \r.
  With --json, one object per file instead:
    {"source": ..., "target": ..., "status": ..., "volume": ...,
     "converted": true|false}
  where target is the output's path ("" when none) and status and volume
  are the Output and Volume texts; with --probe: source, type, duration,
  bitrate, samplerate, channels, cover (true|false). Bytes of a name that are not UTF-8 are
  written \udcXX (Python's os.fsencode() turns them back into the bytes).
  Files that cannot be read are listed on stderr.
  Questions (MIDI soundfont, Windows Media runtime) are answered No and
  printed on stderr, like every message.
  Each output is written under a hidden name beside it, ".NAME.sondrel-XXXXXX",
  and renamed to NAME only when it is complete, so a failed or interrupted
  conversion leaves nothing under NAME (and an overwritten file stays as it
  was). Ctrl+C or SIGTERM cancels the run and removes the file being
  written; a second one ends the program at once. Only a program killed
  outright (SIGKILL, power loss) can leave such a hidden file.

Exit status:
  0  every file converted
  1  a file failed, was skipped, could not be read, or the run was cancelled
  2  usage error: unknown option, unknown format or setting, no files
)";

struct Options {
  std::string format;
  bool hasFormat = false;
  std::string merge;
  bool hasMerge = false;
  int jobs = -1;  // -1: the stored Jobs
  std::vector<std::string> sets;
  bool save = false;
  bool listFormats = false;
  bool probe = false;
  bool help = false;
  bool version = false;
  bool json = false;
  std::vector<std::string> files;
};

int Usage(const std::string& message) {
  std::fprintf(stderr, "sondrel-cli: %s\nTry 'sondrel-cli --help'.\n", message.c_str());
  return kExitUsage;
}

// Parses the arguments; returns -1 to go on, or an exit status.
int ParseArguments(int argc, char** argv, Options& o) {
  bool filesOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (filesOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      o.files.push_back(arg);
      continue;
    }
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    // "--name=value" is accepted for the options that take a value.
    std::string name = arg, inlineValue;
    bool hasInline = false;
    if (arg.rfind("--", 0) == 0) {
      const size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
        hasInline = true;
      }
    }
    auto take = [&](std::string& out) {
      if (hasInline) {
        out = inlineValue;
        return true;
      }
      return value(out);
    };
    if (name == "--") {
      filesOnly = true;
    } else if (name == "-h" || name == "--help") {
      o.help = true;
    } else if (name == "--format") {
      if (!take(o.format)) return Usage("--format needs a format id or extension");
      o.hasFormat = true;
    } else if (name == "--merge") {
      if (!take(o.merge) || o.merge.empty()) return Usage("--merge needs an output file");
      o.hasMerge = true;
    } else if (name == "--jobs") {
      std::string text;
      int32_t jobs = 0;
      if (!take(text) || !OverrideStore::ParseNumber(text, jobs) || jobs < 0 || jobs > 64)
        return Usage("--jobs needs a number from 0 to 64");
      o.jobs = jobs;
    } else if (name == "--set") {
      std::string assignment;
      if (!take(assignment)) return Usage("--set needs NAME=VALUE");
      o.sets.push_back(assignment);
    } else if (name == "--save" && !hasInline) {
      o.save = true;
    } else if (name == "--version" && !hasInline) {
      o.version = true;
    } else if (name == "--json" && !hasInline) {
      o.json = true;
    } else if (name == "--list-formats" && !hasInline) {
      o.listFormats = true;
    } else if (name == "--probe" && !hasInline) {
      o.probe = true;
    } else {
      return Usage("unknown option '" + arg + "'");
    }
  }
  return -1;
}

// The row named by a catalogue id or an extension; null when none.
const FormatRow* FindFormat(const std::vector<FormatRow>& rows, const std::string& text) {
  int32_t id = 0;
  if (OverrideStore::ParseNumber(text, id)) return FindFormatRow(rows, id);
  std::string ext = AsciiLower(text);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (const FormatRow& row : rows) {
    if (row.extension == ext) return &row;
  }
  return nullptr;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

void ListFormats(const std::vector<FormatRow>& rows) {
  for (const FormatRow& row : rows) {
    std::string codecs;
    for (const CodecEntry* entry : row.codecs) {
      if (!codecs.empty()) codecs += ", ";
      codecs += entry->displayName;
    }
    std::printf("%d\t%s\t%s\t%s\t%s\n", row.id, row.extension.c_str(), FormatLabel(row).c_str(),
                HasFormatSettings(row) ? SettingsPrefix(row).c_str() : "", codecs.c_str());
  }
}

std::vector<std::string> AbsolutePaths(const std::vector<std::string>& paths) {
  std::vector<std::string> result;
  for (const std::string& path : paths) result.push_back(AbsolutePath(path));
  return result;
}

// Loads the stored options with the overrides laid over them; an override
// must name a stored option and give a number where the option is one.
// Returns -1 to go on, or an exit status.
int LoadOptions(const Options& o, OverrideStore& overlay, ConvertSettings& settings,
                std::vector<FormatRow>& rows) {
  for (const std::string& set : o.sets) {
    OverrideStore::Override value;
    if (!OverrideStore::ParseAssignment(set, value))
      return Usage("--set needs NAME=VALUE, not '" + set + "'");
    const std::string shown =
        (value.group == kCustomTagGroup ? std::string("ID3/") : std::string()) + value.name;
    const std::optional<SettingKind> kind = FindSetting(value.group, value.name, rows);
    if (!kind) return Usage("unknown setting '" + shown + "'");
    value.number = *kind == SettingKind::Number;
    int32_t number = 0;
    if (value.number && !OverrideStore::ParseNumber(value.value, number))
      return Usage("setting '" + shown + "' needs a number, not '" + value.value + "'");
    overlay.Add(std::move(value));
  }
  LoadSettings(overlay, settings, rows);
  return -1;
}

int Run(int argc, char** argv) {
  Options o;
  if (const int status = ParseArguments(argc, argv, o); status >= 0) return status;
  if (o.help) {
    std::fputs(kHelp, stdout);
    return kExitConverted;
  }
  if (o.version) {
    std::fputs("sondrel-cli " SONDREL_VERSION "\n", stdout);
    return kExitConverted;
  }

  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  if (o.listFormats) {
    ListFormats(rows);
    return kExitConverted;
  }
  if (o.files.empty() && !(o.save && !o.sets.empty())) return Usage("no files given");

  WxConfigStore store;
  OverrideStore overlay(store);
  ConvertSettings settings = ConvertSettings::ForCurrentUser();
  if (const int status = LoadOptions(o, overlay, settings, rows); status >= 0) return status;
  if (o.jobs >= 0) settings.Jobs = o.jobs;

  const FormatRow* format = nullptr;
  if (o.hasFormat) {
    format = FindFormat(rows, o.format);
    if (!format) return Usage("unknown format '" + o.format + "'");
  } else {
    format = FindFormatRow(rows, settings.OutputFormat);
    if (!format) format = &rows.front();
  }

  if (o.save) {
    if (!overlay.SaveOverrides()) {
      std::fprintf(stderr, "sondrel-cli: could not store the settings in %s\n",
                   store.FilePath().c_str());
      return kExitFailed;
    }
    if (o.files.empty()) return kExitConverted;
  }

  TerminalFrontend frontend(stderr, isatty(STDERR_FILENO) == 1);
  if (!StartAudioEngine(frontend)) return kExitFailed;
  struct EngineStopper {
    ~EngineStopper() { StopAudioEngine(); }
  } engineStopper;
  EngineState state(frontend);
  state.loadDefaultSoundfont = [] {
    int soundFont = 0;
    LoadDefaultSoundfont(soundFont);
    return soundFont;
  };

  // The list, filled like files dropped on the window: folders are searched
  // and the filters of the General page applied. The arguments are made
  // absolute so that one file named two ways is listed once. ".." is kept:
  // through a link it names another folder than the text suggests.
  FileList list;
  DuplicateIndex listed;
  AddTarget target{listed, [&list](FileItem item) { return list.Add(std::move(item)); }};
  const AddResult added =
      AddDroppedPaths(state, target, SearchFilters::From(settings), AbsolutePaths(o.files));
  const bool allAdded = added.failed == 0;

  if (o.probe) {
    for (int row = 0; row < list.RowCount(); ++row) {
      const FileItem& item = *list.ItemAt(row);
      const bool cover = ReadCoverPicture(item.sourcePath) != nullptr;
      if (o.json) {
        PrintLine(JsonLine({{"source", item.sourcePath},
                            {"type", std::to_string(item.sourceType), true},
                            {"duration", DurationText(item.duration)},
                            {"bitrate", BitRateText(item.bitRate)},
                            {"samplerate", SampleRateText(item.sampleRate)},
                            {"channels", ChannelsText(item.channels)},
                            {"cover", cover ? "true" : "false", true}}));
      } else {
        PrintLine(EscapeField(item.sourcePath) + "\t" + std::to_string(item.sourceType) + "\t" +
                  DurationText(item.duration) + "\t" + BitRateText(item.bitRate) + "\t" +
                  SampleRateText(item.sampleRate) + "\t" + ChannelsText(item.channels) +
                  (cover ? "\tCover" : "\tNo cover"));
      }
    }
    return allAdded ? kExitConverted : kExitFailed;
  }
  if (list.RowCount() == 0) return kExitFailed;

  if (o.hasMerge) frontend.SetSaveAnswer(AbsolutePath(o.merge));
  TerminalFrontend::InstallInterruptHandler();
  StartConversion(state, settings, format, list, ItemSelection::All,
                  o.hasMerge ? RunOutput::OneFile : RunOutput::FilePerItem);

  bool allConverted = allAdded && !TerminalFrontend::Interrupted();
  for (int row = 0; row < list.RowCount(); ++row) {
    const FileItem& item = *list.ItemAt(row);
    const bool converted = !item.targetPath.empty();
    if (!converted) allConverted = false;
    const std::string output = frontend.RowText(row, ListColumn::Output);
    const std::string volume = frontend.RowText(row, ListColumn::Volume);
    if (o.json) {
      PrintLine(JsonLine({{"source", item.sourcePath},
                          {"target", item.targetPath},
                          {"status", output},
                          {"volume", volume},
                          {"converted", converted ? "true" : "false", true}}));
    } else {
      PrintLine(EscapeField(item.sourcePath) + "\t" + EscapeField(output) + "\t" +
                EscapeField(volume));
    }
  }
  std::fflush(stdout);
  return allConverted ? kExitConverted : kExitFailed;
}

}  // namespace
}  // namespace sondrel

int main(int argc, char** argv) {
  // wxBase only: the settings store needs no display.
  wxInitializer wx;
  if (!wx.IsOk()) {
    std::fprintf(stderr, "sondrel-cli: failed to initialise\n");
    return 1;
  }
  return sondrel::Run(argc, argv);
}
