// The settings store on wxConfig: a file under the XDG config folder here,
// the registry on Windows.
#include "ui/wx_config_store.h"

#include <wx/debug.h>
#include <wx/fileconf.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/sstream.h>
#include <wx/string.h>
#ifdef __WXMSW__
#include <wx/msw/regconf.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include <unistd.h>

namespace sondrel {
namespace fs = std::filesystem;
namespace {

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

std::string FromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

// A group and value name as a wxConfig key: "/Options/ID3/Title".
wxString Key(const std::string& group, const std::string& name = std::string()) {
  std::string key = "/" + group;
  if (!name.empty()) key += "/" + name;
  return ToWx(key);
}

// The file's text. A line that is not UTF-8 is taken as Latin-1, so that a
// file edited by hand in another encoding still loads.
wxString DecodeFile(const std::string& bytes) {
  wxString text;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end + 1;
    const char* line = bytes.data() + start;
    const size_t length = end - start;
    wxString decoded = wxString::FromUTF8(line, length);
    if (decoded.empty()) decoded = wxString(line, wxConvISO8859_1, length);
    text += decoded;
    start = end;
  }
  return text;
}

// A settings file is a few kilobytes; one far larger is not ours to parse.
constexpr std::uintmax_t kMaxFileSize = 64 * 1024 * 1024;

// The file's bytes; false when it exists but cannot be read whole.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::error_code error;
  if (!fs::exists(path, error)) return !error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > kMaxFileSize) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// While it lives, wx's logging and assertion messages are suppressed. A
// hand-edited file (a value without a name, a group header given twice) makes
// wxFileConfig log and assert while parsing, then go on with what it could
// read; the user should see neither.
class QuietWx {
 public:
  QuietWx() : m_oldHandler(wxSetAssertHandler(&Ignore)) {}
  ~QuietWx() { wxSetAssertHandler(m_oldHandler); }
  QuietWx(const QuietWx&) = delete;
  QuietWx& operator=(const QuietWx&) = delete;

 private:
  static void Ignore(const wxString&, int, const wxString&, const wxString&, const wxString&) {}
  wxLogNull m_noLog;
  wxAssertHandler_t m_oldHandler;
};

std::unique_ptr<wxFileConfig> LoadFileConfig(const std::string& path, bool& readable) {
  QuietWx quiet;
  std::string bytes;
  readable = ReadWholeFile(path, bytes);
  wxStringInputStream input(DecodeFile(bytes));
  auto config = std::make_unique<wxFileConfig>(input, wxConvUTF8);
  return config;
}

}  // namespace

WxConfigStore::WxConfigStore()
#ifdef __WXMSW__
    : m_config(std::make_unique<wxRegConfig>("Sondrel 3", wxEmptyString)) {
  m_config->SetExpandEnvVars(false);
}
#else
    : WxConfigStore(DefaultFilePath()) {
}
#endif

WxConfigStore::WxConfigStore(const std::string& filePath) : m_path(filePath) {
  bool readable = true;
  m_config = LoadFileConfig(filePath, readable);
  // A file that exists but cannot be read is never replaced by what little
  // this store knows.
  m_readOnly = !readable;
  m_config->SetExpandEnvVars(false);
}

WxConfigStore::~WxConfigStore() { Flush(); }

std::string WxConfigStore::DefaultFilePath() {
  std::string folder;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    folder = std::string(home) + "/.config";
  } else {
    return std::string();
  }
  return folder + "/sondrel/sondrel.conf";
}

bool WxConfigStore::HasGroup(const std::string& group) const {
  return m_config->HasGroup(Key(group));
}

bool WxConfigStore::CreateGroup(const std::string& group) {
  (void)group;  // wxConfig creates groups with their first value
  return CanWrite();
}

bool WxConfigStore::HasValue(const std::string& group, const std::string& name) const {
  return m_config->HasEntry(Key(group, name));
}

bool WxConfigStore::ReadNumber(const std::string& group, const std::string& name,
                               int32_t& value) const {
  wxString text;
  if (!m_config->Read(Key(group, name), &text)) return false;
  long long number = 0;
  if (!text.Strip(wxString::both).ToLongLong(&number)) return false;
  if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
    return false;
  value = static_cast<int32_t>(number);
  return true;
}

bool WxConfigStore::ReadText(const std::string& group, const std::string& name,
                             std::string& value) const {
  wxString text;
  if (!m_config->Read(Key(group, name), &text)) return false;
  value = FromWx(text);
  return true;
}

bool WxConfigStore::WriteNumber(const std::string& group, const std::string& name, int32_t value) {
  if (!m_config->Write(Key(group, name), static_cast<long>(value))) return false;
  m_dirty = true;
  return true;
}

bool WxConfigStore::WriteText(const std::string& group, const std::string& name,
                              const std::string& value) {
  if (!m_config->Write(Key(group, name), ToWx(value))) return false;
  m_dirty = true;
  return true;
}

bool WxConfigStore::CanWrite() const {
#ifdef __WXMSW__
  if (m_path.empty()) return true;  // the registry
#endif
  if (m_path.empty() || m_readOnly) return false;  // no home folder, or a file not ours
  std::error_code error;
  const fs::path file(m_path);
  fs::create_directories(file.parent_path(), error);
  if (!fs::is_directory(file.parent_path(), error)) return false;
  if (fs::exists(file, error)) return access(m_path.c_str(), W_OK) == 0;
  return access(file.parent_path().c_str(), W_OK) == 0;
}

bool WxConfigStore::Flush() {
  if (!m_dirty) return true;
#ifdef __WXMSW__
  if (m_path.empty()) {
    m_dirty = !m_config->Flush();
    return !m_dirty;
  }
#endif
  if (!CanWrite()) return false;
  QuietWx quiet;
  wxMemoryOutputStream output;
  auto* fileConfig = static_cast<wxFileConfig*>(m_config.get());
  if (!fileConfig->Save(output, wxConvUTF8)) return false;
  std::string bytes(output.GetLength(), '\0');
  output.CopyTo(bytes.data(), bytes.size());
  // Write a sibling file and rename it over the old one, so that a failed
  // write never leaves a half-written store.
  const std::string temporary = m_path + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    if (!file) {
      file.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, m_path, error);
  if (error) {
    std::remove(temporary.c_str());
    return false;
  }
  m_dirty = false;
  return true;
}

}  // namespace sondrel
