// The settings file of the host product (an INI file), read and written as
// the Windows profile functions do it.
#ifndef SAFTPT_CONFIG_INIFILE_H_
#define SAFTPT_CONFIG_INIFILE_H_

#include <string>

namespace saftpt {

// The settings file's name, looked for in the program's own folder.
inline constexpr const char* kSettingsFileName = "lexora.ini";

// Reads one key. Sections and keys are found without regard to case, blanks
// around the value are trimmed (and one pair of enclosing quotes removed), and
// at most 499 characters are returned. True when the value is not empty; when
// it is empty or missing (or the file is), `value` is left unchanged.
bool ReadIni(const std::string& path, const std::string& section, const std::string& key,
             std::string& value);

// Writes one key, creating the file, the section or the key as needed and
// keeping every other line as it was. A key that cannot be written throws
// Error (kSettings) with the old program's texts ("Ficheiro ... não existe ou
// inválido"...); whether that stops anything is the caller's choice.
void WriteIni(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value);

}  // namespace saftpt

#endif  // SAFTPT_CONFIG_INIFILE_H_
