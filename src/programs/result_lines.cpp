// Escaping of sondrel-cli's result lines and JSON objects.
#include "programs/result_lines.h"

#include <cstdint>
#include <cstdio>

namespace sondrel {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, 0 if none.
size_t Utf8SequenceLength(std::string_view s) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint32_t min = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i) & 0x3F);
  }
  // Overlong forms, surrogates and values above U+10FFFF are not valid.
  if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

}  // namespace

std::string EscapeField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  char escape[8];
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const size_t length = Utf8SequenceLength(text.substr(i));
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\udc%02x", static_cast<uint8_t>(c));
      out += escape;
      ++i;
      continue;
    }
    if (length > 1) {
      out.append(text, i, length);
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<uint8_t>(c));
      out += escape;
    } else {
      out += c;
    }
    i += length;
  }
  return out + "\"";
}

std::string JsonLine(const std::vector<JsonField>& fields) {
  std::string line = "{";
  for (const JsonField& field : fields) {
    if (line.size() > 1) line += ", ";
    line += JsonString(field.name);
    line += ": ";
    line += field.literal ? field.value : JsonString(field.value);
  }
  return line + "}";
}

}  // namespace sondrel
