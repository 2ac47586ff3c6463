// XML text as the tests look things up in it.
#ifndef SAFTPT_TESTS_FLATXML_H_
#define SAFTPT_TESTS_FLATXML_H_

#include <string>

namespace saftpt::test {

// The text without the line breaks and indentation between elements (a
// blank text stays), for looking up runs of elements.
inline std::string Flat(const std::string& xml) {
  std::string out;
  for (size_t i = 0; i < xml.size(); ++i) {
    if (xml[i] == '\n') {
      while (i + 1 < xml.size() && xml[i + 1] == ' ') ++i;
      continue;
    }
    out += xml[i];
  }
  return out;
}

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_FLATXML_H_
