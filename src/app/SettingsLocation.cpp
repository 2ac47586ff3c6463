#include "app/SettingsLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/Settings.h"
#include "saft/ExemptionTable.h"

namespace saftpt {

std::string FindSettingsFile(const std::string& chosen, const std::string& programFolder,
                             const char* xdgConfigHome, const char* home) {
  if (!chosen.empty()) return chosen;
  std::string beside = programFolder + "/" + kSettingsFileName;
  std::error_code ec;
  if (std::filesystem::exists(beside, ec)) return beside;
  std::string base;
  if (xdgConfigHome && xdgConfigHome[0] == '/') {
    base = xdgConfigHome;
  } else {
    std::string homeFolder = home && home[0] ? home : "";
    if (homeFolder.empty()) {
      if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homeFolder = pw->pw_dir;
    }
    base = homeFolder + "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/saftpt/" + kSettingsFileName;
}

std::string FindSettingsFile(const std::string& chosen) {
  return FindSettingsFile(chosen, PastaDoPrograma(), std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"));
}

bool IsReadableFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::string FindDataFile(const std::string& name) {
  const std::string pasta = PastaDoPrograma();
  for (const std::string& caminho :
       {pasta + "/" + name, pasta + "/../share/saftpt/" + name, "/usr/share/saftpt/" + name}) {
    if (IsReadableFile(caminho)) return std::filesystem::path(caminho).lexically_normal().string();
  }
  return "/usr/share/saftpt/" + name;
}

std::string FindExemptionTable(const std::string& settingsFile) {
  std::string office =
      (std::filesystem::path(settingsFile).parent_path() / kExemptionTableName).string();
  if (IsReadableFile(office)) return office;
  return FindDataFile(kExemptionTableName);
}

}  // namespace saftpt
