// Where the settings file and the program's data files are looked for, the
// same for every program and verb.
#ifndef SAFTPT_CONFIG_SETTINGSLOCATION_H_
#define SAFTPT_CONFIG_SETTINGSLOCATION_H_

#include <string>

namespace saftpt {

// The table of exemption reasons' file name, wherever it is kept.
inline constexpr const char* kExemptionTableName = "motivos-isencao.csv";

// The settings file: the one named; else lexora.ini beside the program when
// it is there (a portable copy); else the user's, $XDG_CONFIG_HOME/saftpt/
// lexora.ini (~/.config/saftpt/lexora.ini when that is unset or relative);
// on Windows %APPDATA%\saftpt\lexora.ini.
std::string FindSettingsFile(const std::string& chosen);
// The same rule on given values (the program's folder, the two variables,
// null when unset), for the tests.
std::string FindSettingsFile(const std::string& chosen, const std::string& programFolder,
                             const char* xdgConfigHome, const char* home);

// A file the program ships: beside the program (the build folder, a portable
// copy), else in ../share/saftpt from it (the prefix it is installed under),
// else in /usr/share/saftpt (the path named in the errors when it is nowhere).
std::string FindDataFile(const std::string& name);
// The table of exemption reasons: the office's copy beside the settings file
// (~/.config/saftpt/motivos-isencao.csv, or beside a portable copy's) when
// there is one, else the shipped one as FindDataFile finds it.
std::string FindExemptionTable(const std::string& settingsFile);
// A regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);

}  // namespace saftpt

#endif  // SAFTPT_CONFIG_SETTINGSLOCATION_H_
