// The file check: whatever the file holds, it reports or throws Error, and
// its two threads neither crash nor hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "audit/SchemaValidation.h"
#include "base/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("saftpt-fuzz-validate-" + std::to_string(getpid()) + ".xml"))
                                      .string();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  try {
    saftpt::ValidationReport r = saftpt::ValidateSaftFile(
        path, SAFTPT_SCHEMA, [](const saftpt::CabecalhoLido&, const saftpt::DocumentoLido&) {});
    // Every problem says what it is.
    for (const saftpt::ValidationProblem& p : r.errors)
      if (p.message.empty()) __builtin_trap();
  } catch (const saftpt::Error&) {
    // A file that is not XML, or not the audit file's, is refused: right.
  }
  return 0;
}
