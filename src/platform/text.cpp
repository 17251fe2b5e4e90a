#include "platform/text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdint>
#include <memory>

namespace sondrel {

namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

struct LocaleFreer {
  void operator()(locale_t l) const { freelocale(l); }
};

// "utf8", "UTF-8" and "Utf-8" name the same charset.
std::string Normalised(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c != '-' && c != '_') out += c;
  }
  return AsciiLower(out);
}

bool IsUtf8(const std::string& charset) { return Normalised(charset) == "utf8"; }

}  // namespace

std::string LocaleCharset() {
  std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFreer> loc(
      newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr)));
  std::string charset;
  if (loc) {
    if (const char* codeset = nl_langinfo_l(CODESET, loc.get())) charset = codeset;
  }
  // The C/POSIX locale reports plain ASCII.
  const std::string n = Normalised(charset);
  if (n.empty() || n == "ansix3.41968" || n == "ascii" || n == "usascii") return "UTF-8";
  return charset;
}

std::optional<std::string> ConvertCharset(std::string_view text, const std::string& from,
                                          const std::string& to) {
  if (text.empty()) return std::nullopt;
  if (Normalised(from) == Normalised(to)) return std::string(text);
  Iconv cd(iconv_open((to + "//TRANSLIT").c_str(), from.c_str()));
  if (cd.get() == reinterpret_cast<void*>(-1)) {
    cd.release();
    return std::nullopt;
  }
  std::string out(text.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  size_t used = 0;
  while (inLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    const size_t rc = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else if (errno == EILSEQ || errno == EINVAL) {
      // An invalid (or cut-off) input sequence: show '?' and go on after it.
      if (out.size() - used < 1) out.resize(out.size() * 2);
      out[used++] = '?';
      ++in;
      --inLeft;
    } else {
      return std::nullopt;
    }
  }
  // Stateful charsets end with a shift back to their initial state.
  for (;;) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    if (iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, &dst, &dstLeft) !=
        static_cast<size_t>(-1)) {
      used = out.size() - dstLeft;
      break;
    }
    if (errno != E2BIG) break;
    out.resize(out.size() * 2);
  }
  out.resize(used);
  if (out.empty()) return std::nullopt;
  return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view text) {
  const std::string charset = LocaleCharset();
  if (IsUtf8(charset)) {
    if (text.empty()) return std::nullopt;
    return std::string(text);
  }
  return ConvertCharset(text, "UTF-8", charset);
}

std::optional<std::string> AnsiToUtf8(std::string_view text) {
  const std::string charset = LocaleCharset();
  if (IsUtf8(charset)) {
    if (text.empty()) return std::nullopt;
    return std::string(text);
  }
  return ConvertCharset(text, charset, "UTF-8");
}

bool NameFitsCharset(std::string_view name) {
  const auto* s = reinterpret_cast<const unsigned char*>(name.data());
  const size_t n = name.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int more = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<size_t>(more) >= n) return false;
    for (int k = 1; k <= more; ++k) {
      const unsigned char t = s[i + static_cast<size_t>(k)];
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (more == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += static_cast<size_t>(more) + 1;
  }
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace sondrel
