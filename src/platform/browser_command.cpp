#include "platform/browser_command.h"

#include <gio/gio.h>

#include <cctype>
#include <cstdlib>
#include <memory>

#include "platform/c_handle.h"
#include "platform/file_manager.h"

namespace sondrel {
namespace {

bool IsTargetCode(char c) {
  return c == '1' || c == 'u' || c == 'U' || c == 'f' || c == 'F' || c == 's';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Field codes in unquoted text: "%%" is a percent sign, any other code goes
// (`dropped` tells that one did).
void ExpandFieldCodes(std::string& text, bool& dropped) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      if (text[++i] == '%') {
        out += '%';
      } else {
        dropped = true;
      }
      continue;
    }
    out += text[i];
  }
  text = std::move(out);
}

}  // namespace

std::string DefaultBrowserCommandLine() {
  if (const char* browser = std::getenv("BROWSER"); browser && *browser) {
    const std::string list(browser);
    return list.substr(0, list.find(':'));
  }
  CHandle<GAppInfo, g_object_unref> app(g_app_info_get_default_for_uri_scheme("http"));
  if (!app) return std::string();
  const char* line = g_app_info_get_commandline(app.get());
  return line ? std::string(line) : std::string();
}

std::string CutAtTargetPlaceholder(const std::string& commandLine) {
  const std::string& s = commandLine;
  size_t bare = std::string::npos;
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '%') continue;
    if (s[i + 1] == '%') {
      ++i;
      continue;
    }
    if (!IsTargetCode(s[i + 1])) continue;
    if (i > 0 && i + 2 < s.size() && s[i - 1] == '"' && s[i + 2] == '"') return s.substr(0, i - 1);
    if (bare == std::string::npos) bare = i;
  }
  return bare == std::string::npos ? s : s.substr(0, bare);
}

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  const std::string& s = commandLine;
  size_t i = 0;
  for (;;) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == s.size()) break;
    std::string argument;
    bool quotedPart = false;
    bool fieldCode = false;
    while (i < s.size() && !IsBlank(s[i])) {
      if (s[i] != '"') {
        std::string plain;
        while (i < s.size() && !IsBlank(s[i]) && s[i] != '"') plain += s[i++];
        ExpandFieldCodes(plain, fieldCode);
        argument += plain;
        continue;
      }
      quotedPart = true;
      for (++i;; ++i) {
        if (i == s.size()) return std::nullopt;
        if (s[i] == '"') break;
        if (s[i] == '\\' && i + 1 < s.size()) ++i;
        argument += s[i];
      }
      ++i;
    }
    if (argument.empty() && fieldCode && !quotedPart) continue;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::optional<std::vector<std::string>> BrowserArguments(const std::string& commandLine,
                                                         const std::string& target) {
  std::optional<std::vector<std::string>> arguments =
      SplitCommandLine(CutAtTargetPlaceholder(commandLine));
  if (!arguments || arguments->empty() || arguments->front().empty()) return std::nullopt;
  arguments->push_back(target);
  return arguments;
}

bool StartDetached(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  std::vector<std::string> copy = arguments;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the program through an
  // intermediate child that it reaps, so no zombie is left behind.
  return g_spawn_async(nullptr, argv.data(), nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL),
                       nullptr, nullptr, nullptr, nullptr);
}

bool LaunchDefaultHandler(const std::string& target) {
  const std::string uri = HasUriScheme(target) ? target : FileUri(target);
  return !uri.empty() && g_app_info_launch_default_for_uri(uri.c_str(), nullptr, nullptr);
}

bool HasUriScheme(const std::string& target) {
  // scheme = letter *(letter / digit / "+" / "-" / "."), then ':'.
  if (target.empty() || !std::isalpha(static_cast<unsigned char>(target[0]))) return false;
  size_t i = 1;
  while (i < target.size() && (std::isalnum(static_cast<unsigned char>(target[i])) ||
                               target[i] == '+' || target[i] == '-' || target[i] == '.')) {
    ++i;
  }
  return i >= 2 && i < target.size() && target[i] == ':';
}

bool OpenWithDefaultBrowser(const std::string& target) {
  // A path goes as a file:// URI, which no browser takes for an option.
  const std::string argument = HasUriScheme(target) ? target : FileUri(target);
  const std::optional<std::vector<std::string>> arguments =
      BrowserArguments(DefaultBrowserCommandLine(), argument);
  return arguments && StartDetached(*arguments);
}

}  // namespace sondrel
