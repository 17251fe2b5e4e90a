// How sondrel-cli writes one result per file on stdout: a tab-separated line
// whose fields escape what would break it, or one JSON object per line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// A field of a tab-separated line: backslash, tab, newline and carriage
// return become "\\", "\t", "\n" and "\r"; every other byte stays as it is.
std::string EscapeField(std::string_view text);

// `text` as a JSON string, quotes included. Control characters are escaped;
// a byte that is not part of valid UTF-8 (file names may hold any byte) is
// written as "\udcXX", the escape that Python reads back with
// os.fsencode() into the same byte.
std::string JsonString(std::string_view text);

// One JSON object on one line from name/value pairs; a value is either text
// (made a JSON string) or a literal such as true or 2000.
struct JsonField {
  const char* name;
  std::string value;
  bool literal = false;
};
std::string JsonLine(const std::vector<JsonField>& fields);

}  // namespace sondrel
