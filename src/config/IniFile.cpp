// The settings file's reader and writer.
//
// They are our own: SimpleIni rewrites the whole file on saving (spacing,
// blank lines, comments), and the host product's file must keep every line
// we do not touch.
#include "config/IniFile.h"

#include <sys/stat.h>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/Error.h"
#include "base/FileReplace.h"
#include "base/PrivateFiles.h"
#include "base/Utf8.h"

namespace saftpt {

namespace {

// The profile functions return at most 499 characters (a 500 buffer).
constexpr size_t kMaxValue = 499;

struct Line {
  std::string text;  // without its line ending
  std::string end;   // "\r\n", "\n" or "" for a last line without one
};

bool ReadFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) return false;
  content = out.str();
  return true;
}

std::vector<Line> SplitLines(const std::string& content) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t nl = content.find('\n', pos);
    Line line;
    if (nl == std::string::npos) {
      line.text = content.substr(pos);
      pos = content.size();
    } else {
      size_t stop = nl;
      line.end = "\n";
      if (stop > pos && content[stop - 1] == '\r') {
        --stop;
        line.end = "\r\n";
      }
      line.text = content.substr(pos, stop - pos);
      pos = nl + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t pos = 0; pos < s.size();) {
    size_t start = pos;
    char32_t cp = NextCodePoint(s, pos);
    // A decoded multi-byte character advances by more than one byte; a byte
    // taken as Latin-1 advances by one although it is not ASCII.
    if (pos - start == 1 && cp >= 0x80) return false;
  }
  return true;
}

// Text of the file as UTF-8: valid UTF-8 stays, anything else is the
// Windows-1252 the host product writes.
std::string ToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  for (unsigned char b : bytes) AppendUtf8(out, Windows1252CodePoint(b));
  return out;
}

bool HasNonAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return true;
  return false;
}

// A value in the encoding of the file it goes into: a file already in UTF-8
// gets UTF-8; otherwise Windows-1252 when the text has it, as the host
// product reads its file in that code page.
std::string FromUtf8(std::string_view text, bool fileIsUtf8) {
  if (fileIsUtf8) return std::string(text);
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    int b = Windows1252Byte(NextCodePoint(text, pos));
    if (b < 0) return std::string(text);
    out += static_cast<char>(b);
  }
  return out;
}

std::string Fold(std::string_view name) {
  return Utf8Upper(ToUtf8(TrimBlanks(name)));
}

// "[name]" gives the folded name; other lines give nothing.
bool SectionOf(const std::string& text, std::string& name) {
  std::string_view t = TrimBlanks(text);
  if (t.empty() || t.front() != '[') return false;
  t.remove_prefix(1);
  size_t close = t.find(']');
  name = Fold(close == std::string_view::npos ? t : t.substr(0, close));
  return true;
}

// "key=value" gives the folded key and the raw value; comments do not.
bool KeyOf(const std::string& text, std::string& key, std::string_view& value) {
  std::string_view t = TrimBlanks(text);
  if (t.empty() || t.front() == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = Fold(t.substr(0, eq));
  value = TrimBlanks(t.substr(eq + 1));
  return true;
}

// Index of the first line of the section's body and one past its last line,
// or false when the file has no such section. Only the first section of a
// name counts, as with the profile functions.
bool FindSection(const std::vector<Line>& lines, const std::string& section, size_t& begin,
                 size_t& end) {
  std::string wanted = Fold(section);
  std::string name;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!SectionOf(lines[i].text, name) || name != wanted) continue;
    begin = i + 1;
    end = begin;
    while (end < lines.size() && !SectionOf(lines[end].text, name)) ++end;
    return true;
  }
  return false;
}

// Replaces the file's content through a file beside it, so a failure never
// leaves half a settings file; the file keeps its permissions.
bool ReplaceContent(const std::string& path, const std::string& content) {
  std::string target = ResolvedPath(path);  // write through a link
  std::string temp;
  int fd = CreateTempBeside(target, temp, 0600);
  if (fd < 0) {
    // A folder we cannot create files in: write the file in place.
    return WriteInPlace(target, content);
  }
  KeepAccess(target, temp, fd);
  bool ok = WriteAll(fd, content.data(), content.size());
  ok = FlushAndClose(fd) == 0 && ok;
  if (!ok || MoveOver(temp, target) != 0) {
    RemoveFile(temp);
    return false;
  }
  return true;
}

}  // namespace

bool ReadIni(const std::string& path, const std::string& section, const std::string& key,
             std::string& value) {
  std::string content;
  if (!ReadFile(path, content)) return false;
  if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
  std::vector<Line> lines = SplitLines(content);
  size_t begin, end;
  if (!FindSection(lines, section, begin, end)) return false;
  std::string wanted = Fold(key);
  std::string name;
  std::string_view raw;
  for (size_t i = begin; i < end; ++i) {
    if (!KeyOf(lines[i].text, name, raw) || name != wanted) continue;
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
      raw = raw.substr(1, raw.size() - 2);
    std::string text = Utf8Left(ToUtf8(raw), kMaxValue);
    if (text.empty()) return false;
    value = text;
    return true;
  }
  return false;
}

void WriteIni(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value) {
  const std::string prefix = "Ficheiro " + path + " não existe ou inválido";
  try {
    // Names the file format cannot hold, and a value that would split into
    // lines of its own, are refused rather than written.
    std::string_view trimmedKey = TrimBlanks(key);
    bool usable = !TrimBlanks(section).empty() && !trimmedKey.empty() &&
                  trimmedKey.front() != ';' &&
                  section.find_first_of("]\r\n") == std::string::npos &&
                  key.find_first_of("=[\r\n") == std::string::npos &&
                  value.find_first_of("\r\n") == std::string::npos;
    std::string content;
    bool exists = ReadFile(path, content);
    std::string bom;
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      bom = content.substr(0, 3);
      content.erase(0, 3);
    }
    if (!exists) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0) usable = false;  // there but unreadable
    }
    if (usable) {
      std::vector<Line> lines = SplitLines(content);
      std::string eol = content.find("\r\n") != std::string::npos ? "\r\n"
                        : content.find('\n') != std::string::npos ? "\n"
                                                                  : "\r\n";
      bool fileIsUtf8 = (!bom.empty() || HasNonAscii(content)) && IsValidUtf8(content);
      std::string written = FromUtf8(value, fileIsUtf8);
      size_t begin, end;
      if (FindSection(lines, section, begin, end)) {
        std::string wanted = Fold(key);
        std::string name;
        std::string_view raw;
        size_t insertAt = begin;
        bool replaced = false;
        for (size_t i = begin; i < end; ++i) {
          if (!KeyOf(lines[i].text, name, raw)) continue;
          insertAt = i + 1;
          if (name != wanted) continue;
          // The key keeps the spelling it has in the file.
          std::string_view t = TrimBlanks(lines[i].text);
          lines[i].text = std::string(TrimBlanks(t.substr(0, t.find('=')))) + "=" + written;
          replaced = true;
          break;
        }
        if (!replaced) {
          if (insertAt > 0 && lines[insertAt - 1].end.empty()) lines[insertAt - 1].end = eol;
          lines.insert(lines.begin() + static_cast<long>(insertAt),
                       Line{std::string(trimmedKey) + "=" + written, eol});
        }
      } else {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = eol;
        lines.push_back(Line{"[" + std::string(TrimBlanks(section)) + "]", eol});
        lines.push_back(Line{std::string(trimmedKey) + "=" + written, eol});
      }
      std::string out = bom;
      out.reserve(content.size() + written.size() + 64);
      for (const Line& l : lines) out += l.text + l.end;
      if (ReplaceContent(path, out)) return;
    }
  } catch (const std::exception& e) {
    // Not swallowed: a failure of the file system's calls (a path that does
    // not resolve, no memory) is the same failure, told with the old texts.
    throw Error(Error::kSettings, prefix + "\nActualização\nErro: " + e.what());
  }
  throw Error(Error::kSettings,
              prefix + "\nActualização abortada\nEntrada: [" + Trim(section) + "] " + Trim(key));
}

}  // namespace saftpt
