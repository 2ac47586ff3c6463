// XML text as the tests look things up in it.
#ifndef SAFTPT_TESTS_FLATXML_H_
#define SAFTPT_TESTS_FLATXML_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Each part is found in `xml` after the one before it.
inline ::testing::AssertionResult InOrder(const std::string& xml,
                                          const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    size_t found = xml.find(part, at);
    if (found == std::string::npos)
      return ::testing::AssertionFailure() << "\"" << part << "\" not found in order in " << xml;
    at = found + part.size();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_FLATXML_H_
