#include "config/SettingsLocation.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "base/WidePath.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include "base/PrivateFiles.h"
#include "base/Utf8Path.h"
#include "config/IniFile.h"

namespace saftpt {

#ifdef _WIN32

std::string FindSettingsFile(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  std::string beside = ProgramFolder() + "\\" + kSettingsFileName;
  std::error_code ec;
  if (std::filesystem::exists(WidePath(beside), ec)) return beside;
  // The user's roaming application data, %APPDATA%.
  std::string base;
  PWSTR folder = nullptr;
  if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK)
    base = NarrowPath(folder);
  ::CoTaskMemFree(folder);
  if (base.empty()) {
    const wchar_t* appData = ::_wgetenv(L"APPDATA");
    base = appData ? NarrowPath(appData) : ".";
  }
  return base + "\\saftpt\\" + kSettingsFileName;
}

#else

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
  return FindSettingsFile(chosen, ProgramFolder(), std::getenv("XDG_CONFIG_HOME"),
                          std::getenv("HOME"));
}

#endif

bool IsReadableFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(Utf8Path(path), ec)) return false;
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::string FindDataFile(const std::string& name) {
  const std::string pasta = ProgramFolder();
  for (const std::string& caminho :
       {pasta + "/" + name, pasta + "/../share/saftpt/" + name, "/usr/share/saftpt/" + name}) {
    if (IsReadableFile(caminho)) return Utf8Text(Utf8Path(caminho).lexically_normal());
  }
  return "/usr/share/saftpt/" + name;
}

std::string FindExemptionTable(const std::string& settingsFile) {
  std::string office = Utf8Text(Utf8Path(settingsFile).parent_path() / kExemptionTableName);
  if (IsReadableFile(office)) return office;
  return FindDataFile(kExemptionTableName);
}

}  // namespace saftpt
