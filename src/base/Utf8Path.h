// A filesystem path from the program's text, UTF-8 on every system. A plain
// std::string would be read in the C library's locale on Windows, where a
// "ç" or "ã" in a folder's name is then another character.
#ifndef SAFTPT_BASE_UTF8PATH_H_
#define SAFTPT_BASE_UTF8PATH_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace saftpt {

inline std::filesystem::path Utf8Path(std::string_view utf8) {
  const auto* begin = reinterpret_cast<const char8_t*>(utf8.data());
  return std::filesystem::path(begin, begin + utf8.size());
}

// The program's text (UTF-8) of a path.
inline std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace saftpt

#endif  // SAFTPT_BASE_UTF8PATH_H_
