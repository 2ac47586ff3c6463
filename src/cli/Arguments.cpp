#include "cli/Arguments.h"

#include <clocale>

namespace saftpt::cli {

DateTime ReadDateOption(const std::string& text, const std::string& option, ExitStatus status) {
  std::optional<DateTime> date;
  if (text.size() == 10) date = DateTime::Parse(text);
  if (!date)
    throw CommandFailure(
        "Data inválida em " + option + ": \"" + text + "\" (use o formato AAAA-MM-DD).", status);
  return *date;
}

void AddPublicKeys(AuditOptions& audit, const std::vector<std::string>& keys, ExitStatus status) {
  for (const std::string& key : keys) {
    try {
      AddPublicKey(audit, key);
    } catch (const Error& e) {  // not swallowed: the same message, with the verb's status
      throw CommandFailure(e.Description(), status);
    }
  }
}

char DecimalSeparator() {
  char separator = '.';
  if (std::setlocale(LC_NUMERIC, "")) {
    const char* point = std::localeconv()->decimal_point;
    if (point && point[0] != '\0' && point[1] == '\0') separator = point[0];
  }
  std::setlocale(LC_NUMERIC, "C");
  return separator;
}

}  // namespace saftpt::cli
