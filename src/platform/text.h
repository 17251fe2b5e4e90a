// Text helpers every layer shares: conversions between the program's UTF-8
// text and the locale's charset (the "ANSI" text of the tag record), through
// iconv, the check of a file name against that charset, and ASCII case
// mapping. Under a UTF-8 locale, and under the plain C/POSIX locale (treated
// as UTF-8 so that a session without a configured locale keeps non-ASCII
// tags), both conversions are the identity.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sondrel {

// The charset of the user's locale as iconv names it ("UTF-8",
// "ISO-8859-1", ...), read from the environment (LC_ALL, LC_CTYPE, LANG),
// so it does not depend on whether the program called setlocale.
std::string LocaleCharset();

// UTF-8 to the locale's charset. Characters the charset cannot show become
// its nearest equivalent or '?'; invalid UTF-8 bytes become '?'. No value
// when the result would be empty (empty input included).
std::optional<std::string> Utf8ToAnsi(std::string_view text);

// The locale's charset to UTF-8; the same rules.
std::optional<std::string> AnsiToUtf8(std::string_view text);

// The conversion both of the above use, between two named charsets.
std::optional<std::string> ConvertCharset(std::string_view text, const std::string& from,
                                          const std::string& to);

// Whether a file name can be shown in the locale's charset (UTF-8 here):
// strict UTF-8, without overlong forms, surrogates or values above U+10FFFF.
// '?' is an ordinary character.
bool NameFitsCharset(std::string_view name);

// The text with A-Z (or a-z) mapped to the other case; every other byte,
// UTF-8 sequences included, unchanged, whatever the locale.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

}  // namespace sondrel
