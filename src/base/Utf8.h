// Small operations on UTF-8 text that the audit file's rules count in
// characters, not bytes ("the first 60 characters", trimming, upper case).
#ifndef SAFTPT_BASE_UTF8_H_
#define SAFTPT_BASE_UTF8_H_

#include <string>
#include <string_view>

namespace saftpt {

// Decodes the code point at `pos` and advances `pos`. An invalid byte is taken
// as the Latin-1 character of that value, so no input is ever rejected.
char32_t NextCodePoint(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters.
size_t Utf8Length(std::string_view text);
// The first n characters (VB Left).
std::string Utf8Left(std::string_view text, size_t n);
// Without leading and trailing blanks (VB Trim: spaces only).
std::string Trim(std::string_view text);
// Without any space character (VB Replace(text, " ", "")).
std::string RemoveSpaces(std::string_view text);
// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// Upper case, accented Latin letters included ("ç" gives "Ç").
std::string Utf8Upper(std::string_view text);

// The Windows-1252 byte of a code point, or -1 when it has none.
int Windows1252Byte(char32_t cp);
// The code point of a Windows-1252 byte (undefined bytes map to U+0080..9F).
char32_t Windows1252CodePoint(unsigned char byte);

}  // namespace saftpt

#endif  // SAFTPT_BASE_UTF8_H_
