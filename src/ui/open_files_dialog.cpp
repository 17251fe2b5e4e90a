#include "ui/open_files_dialog.h"

#include <gtk/gtk.h>
#include <wx/filedlg.h>

#include "platform/c_handle.h"
#include "platform/text.h"

namespace sondrel {

namespace {

// The filter list as the dialog shows it; each pattern is the text inside
// the parentheses.
const char* const kFilterTexts[] = {
    "All Files (*.*)",
    "3GPP Files (*.3gp;*.3gpp)",
    "3GPP2 Files (*.3g2;*.3gp2)",
    "Adobe Flash Files (*.swf)",
    "Advanced Audio Coding (*.aac)",
    "AIFF Files (*.aiff;*.aif;*.aifc;*.afc)",
    "AMR Files (*.amr;*.awb)",
    "AU Files (*.au;*.snd)",
    "AVI Files (*.avi)",
    "CD Audio (*.cda)",
    "Creative Voice Files (*.voc)",
    "CRI ADX Files (*.adx)",
    "Dolby Digital AC-3 (*.ac3)",
    "DTS Files (*.dts)",
    "DV Video Files (*.dv;*.dif)",
    "DVD Video Files (*.vob;*.dvd)",
    "Electronic Arts CDATA Files (*.cdata)",
    "Flash Video Files (*.flv)",
    "Free Lossless Audio Codec (*.flac;*.fla)",
    "H.264/MPEG4 AVC Video (*.m2ts;*.mts)",
    "Matroska Files (*.mkv;*.mka)",
    "Microsoft Digital Video Recording (*.dvr-ms)",
    "MIDI Files (*.midi;*.mid;*.rmi;*.kar)",
    "MJPEG Video Files (*.mjpg;*.mjpeg)",
    "MMF Files (*.mmf)",
    "MOD Musics (*.mod;*.xm;*.it;*.s3m;*.mtm;*.umx;*.mo3)",
    "Monkey's Audio (*.ape;*.mac)",
    "MP3 Files (*.mp3)",
    "MPEG Audio Files (*.mpa;*.mpga;*.m2a)",
    "MPEG Video Files (*.mpg;*.mpe;*.mpeg;*.m1v;*.mp2;*.m2v;*.mp1;*.mlv)",
    "MPEG-4 Audio Files (*.m4a;*.m4b;*.mp4)",
    "MPEG4 TS HD Video (*.ts)",
    "MPEG-4 Video Files (*.mp4;*.m4v;*.mpv;*.psp)",
    "Musepack (*.mpc;*.mp+;*.mpp)",
    "Nullsoft Audio/Video Files (*.nsv;*.nsa)",
    "NUT Files (*.nut)",
    "OGG Files (*.ogg;*.oga;*.ogm;*.ogv;*.ogx)",
    "QuickTime Files (*.mov;*.qt)",
    "Raw h261 Files (*.h261)",
    "Raw h263 Files (*.h263)",
    "Raw h264 Video Files (*.h264;*.264)",
    "Real Audio Files (*.ra;*.ram)",
    "Real Media Files (*.rm;*.rmvb)",
    "Speex (*.spx)",
    "The True Audio (*.tta)",
    "VCD Video Files (*.dat)",
    "WAV Files (*.wav;*.wave)",
    "WavPack (*.wv)",
    "Windows Media Files (*.wma;*.asf;*.wmv;*.wm;*.wmd;*.xwmv)",
    "YUV Video Files (*.yuv)",
};

FileTypeFilter MakeFilter(const std::string& text) {
  FileTypeFilter filter;
  filter.text = text;
  const size_t open = text.rfind('(');
  const size_t close = text.rfind(')');
  std::string pattern = text.substr(open + 1, close - open - 1);
  pattern += ';';
  for (size_t start = 0, end; (end = pattern.find(';', start)) != std::string::npos;
       start = end + 1) {
    const std::string one = pattern.substr(start, end - start);
    if (one == "*.*") {
      filter.matchesAll = true;
    } else if (one.rfind("*.", 0) == 0) {
      filter.extensions.push_back(AsciiLower(one.substr(2)));
    }
  }
  return filter;
}

OpenFilesHandler& Handler() {
  static OpenFilesHandler handler;
  return handler;
}

// GTK matches a filter's glob patterns with regard to case, so "*.mp3"
// would hide "SONG.MP3". Each filter is therefore a custom GTK filter that
// asks FileTypeFilter::Matches about the name, which ignores case.
gboolean MatchFilter(const GtkFileFilterInfo* info, gpointer data) {
  const auto* filter = static_cast<const FileTypeFilter*>(data);
  return info->display_name != nullptr && filter->Matches(info->display_name);
}

void InstallFilters(GtkFileChooser* chooser) {
  GSList* old = gtk_file_chooser_list_filters(chooser);
  for (GSList* item = old; item; item = item->next) {
    gtk_file_chooser_remove_filter(chooser, GTK_FILE_FILTER(item->data));
  }
  g_slist_free(old);
  GtkFileFilter* first = nullptr;
  for (const FileTypeFilter& entry : OpenDialogFilters()) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, entry.text.c_str());
    // The filters live as long as the program: no data to free.
    gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, MatchFilter,
                               const_cast<FileTypeFilter*>(&entry), nullptr);
    gtk_file_chooser_add_filter(chooser, filter);
    if (!first) first = filter;
  }
  if (first) gtk_file_chooser_set_filter(chooser, first);
}

void FreeNames(GSList* names) { g_slist_free_full(names, g_free); }
using NameList = CHandle<GSList, FreeNames>;

}  // namespace

bool FileTypeFilter::Matches(std::string_view name) const {
  if (matchesAll) return true;
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = AsciiLower(name.substr(dot + 1));
  for (const std::string& listed : extensions) {
    if (listed == extension) return true;
  }
  return false;
}

const std::vector<FileTypeFilter>& OpenDialogFilters() {
  static const std::vector<FileTypeFilter> filters = [] {
    std::vector<FileTypeFilter> list;
    for (const char* text : kFilterTexts) list.push_back(MakeFilter(text));
    return list;
  }();
  return filters;
}

FileChoice ChooseFilesToAdd(wxWindow* owner) {
  if (Handler()) return Handler()();
  wxFileDialog dialog(owner, wxString(), wxString(), wxString(), "*",
                      wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
  GtkWidget* widget = dialog.GetHandle();
  if (!widget || !GTK_IS_FILE_CHOOSER(widget)) return {{}, kDialogFailure};
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(widget);
  InstallFilters(chooser);
  FileChoice choice;
  if (dialog.ShowModal() != wxID_OK) return choice;
  // Asked of GTK rather than of wx: wx hands names over as Unicode text, and a
  // name that is not UTF-8 would be lost on the way.
  const NameList names(gtk_file_chooser_get_filenames(chooser));
  for (GSList* item = names.get(); item; item = item->next) {
    if (item->data) choice.paths.emplace_back(static_cast<const char*>(item->data));
  }
  return choice;
}

OpenFilesHandler SetOpenFilesHandler(OpenFilesHandler handler) {
  OpenFilesHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

}  // namespace sondrel
