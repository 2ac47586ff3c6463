// Windows only: UTF-8 text as the UTF-16 the system's wide calls take, and
// back, for paths and console text.
#ifndef SAFTPT_BASE_WIDEPATH_H_
#define SAFTPT_BASE_WIDEPATH_H_

#ifdef _WIN32

#include <windows.h>

#include <string>

namespace saftpt {

inline std::wstring WidePath(const std::string& utf8) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

inline std::string NarrowPath(const std::wstring& wide) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
  return utf8;
}

}  // namespace saftpt

#endif  // _WIN32
#endif  // SAFTPT_BASE_WIDEPATH_H_
