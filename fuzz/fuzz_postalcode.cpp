// Postal-code clean-up on arbitrary text.
#include <cstdint>
#include <string>

#include "saft/Addresses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string code = saftpt::ExtractPostalCode(text);
  if (code.empty() || code.size() > 8) __builtin_trap();
  for (char c : code)
    if (!(c == '-' || (c >= '0' && c <= '9'))) __builtin_trap();
  return 0;
}
