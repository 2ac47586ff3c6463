// The settings-file reader and writer on arbitrary file contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "config/IniFile.h"
#include "config/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/saftpt-fuzz-" + std::to_string(getpid()) + ".ini";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  std::string value;
  for (const char* key : {"servidor", "porta", "basedados", "username", "password", "saftrecibos"})
    saftpt::ReadIni(path, "bd", key, value);
  saftpt::WriteIni(path, "bd", "saftrecibos", "1");
  value.clear();
  // What was just written must read back.
  if (!saftpt::ReadIni(path, "bd", "saftrecibos", value) || value != "1") __builtin_trap();
  return 0;
}
