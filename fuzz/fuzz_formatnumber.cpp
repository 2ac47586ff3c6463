// Amount formatting on arbitrary doubles and stored texts.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/Error.h"
#include "saft/ValueFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= sizeof(double)) {
    double v;
    std::memcpy(&v, data, sizeof v);
    if (std::isfinite(v) && std::fabs(v) < 1e10) {
      // Above 1e10 the 15-significant-digit rounding alone moves a value by
      // more than half a cent, so the read-back bound below would not hold.
      std::string two = saftpt::FormatNumber(v, 2);
      // Exactly two decimals after a point, and it reads back within a cent.
      size_t dot = two.find('.');
      if (dot == std::string::npos || two.size() - dot != 3) __builtin_trap();
      if (std::fabs(std::stod(two) - v) > 0.0051) __builtin_trap();
      saftpt::FormatNumber(v, 0);
      saftpt::RoundHalfEven(v, 2);
    }
  }
  try {
    saftpt::FormatNumber(saftpt::Value(std::string(reinterpret_cast<const char*>(data), size)), 2);
  } catch (const saftpt::Error&) {
  }
  return 0;
}
