// What `--version` prints: the program and its version, and the values of
// the build that go into every audit file's header.
#ifndef SAFTPT_APP_VERSION_H_
#define SAFTPT_APP_VERSION_H_

#include <string>

namespace saftpt {

// The version of the build (the project's version in CMake).
std::string ProgramVersion();

// "<programa> <versão>" on the first line, then the producer's tax number
// (ProductCompanyTaxID) and the software's certificate number.
std::string VersionText(const std::string& programa);

}  // namespace saftpt

#endif  // SAFTPT_APP_VERSION_H_
