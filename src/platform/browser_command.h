// Opening a document without wx: the desktop's default handler through GIO,
// and the last resort, the default web browser's command line cut at its
// target placeholder and started with the target as one argument, never
// through a shell. No wx here; called on the user-interface
// thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sondrel {

// The default web browser's command line: the first command of $BROWSER
// (a ':'-separated list) when set, else the Exec line of the desktop's
// handler for "http" URIs. Empty when there is neither.
std::string DefaultBrowserCommandLine();

// The command line up to its target placeholder: everything from the first
// placeholder that stands in double quotes on ("%1", quotes included) is
// cut; when no placeholder is quoted, everything from the first one on; a
// line without one is kept whole. Placeholders are "%1", the desktop-entry
// field codes %u, %U, %f and %F, and the "%s" of $BROWSER; "%%" is a
// literal percent sign.
std::string CutAtTargetPlaceholder(const std::string& commandLine);

// Splits a command line into arguments by the desktop-entry rules: blanks
// and tabs separate; double quotes group, and inside them a backslash
// escapes the next character. Other field codes (%i, %c, %k, ...) are
// dropped, an argument that held only one disappears, and "%%" becomes "%".
// No value when a double quote is not closed.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& commandLine);

// The argument vector that opens `target`: the line cut and split, then the
// target as one argument. No value when the cut line holds no program.
std::optional<std::vector<std::string>> BrowserArguments(const std::string& commandLine,
                                                         const std::string& target);

// Starts arguments[0] (looked up on PATH) with these arguments, detached and
// without a shell; does not wait. False when it cannot be started.
bool StartDetached(const std::vector<std::string>& arguments);

// Opens a web address (or, as a file:// URI, a local path) with the default
// browser's command line. False when there is no browser or it cannot start.
bool OpenWithDefaultBrowser(const std::string& target);

// Opens a web address, or a local path as its file:// URI, with the
// desktop's default handler for it (GIO's; any bytes of a path survive).
bool LaunchDefaultHandler(const std::string& target);

// Whether `target` begins with a URI scheme ("https:", "mailto:"); a drive
// letter ("C:") is not one.
bool HasUriScheme(const std::string& target);

}  // namespace sondrel
