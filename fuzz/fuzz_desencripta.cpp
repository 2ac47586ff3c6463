// Unscrambling of stored credentials on arbitrary text.
#include <cstdint>
#include <string>

#include "base/Error.h"
#include "config/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    std::string plain = saftpt::Unscramble(text);
    // Whatever unscrambles must scramble back to something that unscrambles
    // to the same text.
    if (saftpt::Unscramble(saftpt::Scramble(plain)) != plain) __builtin_trap();
  } catch (const saftpt::Error&) {
  }
  return 0;
}
