// Where the settings file is looked for, the same for every program and verb.
#ifndef SAFTPT_APP_SETTINGSLOCATION_H_
#define SAFTPT_APP_SETTINGSLOCATION_H_

#include <string>

namespace saftpt {

// The settings file: the one named; else lexora.ini beside the program when
// it is there (a portable copy); else the user's, $XDG_CONFIG_HOME/saftpt/
// lexora.ini (~/.config/saftpt/lexora.ini when that is unset or relative);
// on Windows %APPDATA%\saftpt\lexora.ini.
std::string FindSettingsFile(const std::string& chosen);
// The same rule on given values (the program's folder, the two variables,
// null when unset), for the tests.
std::string FindSettingsFile(const std::string& chosen, const std::string& programFolder,
                             const char* xdgConfigHome, const char* home);

}  // namespace saftpt

#endif  // SAFTPT_APP_SETTINGSLOCATION_H_
