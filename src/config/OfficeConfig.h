// The law office's own data, one row of "configescritorio".
#ifndef SAFTPT_CONFIG_OFFICECONFIG_H_
#define SAFTPT_CONFIG_OFFICECONFIG_H_

#include <string>

#include "db/Database.h"

namespace saftpt {

struct ConfiguracaoEscritorio {
  std::string nome;
  std::string morada;
  std::string localidade;
  std::string codPostal;
  std::string numContribuinte;
  std::string espacoFiscal;
  double iva = 0;
  bool oc = false;
};

// Runs "Select * from configescritorio Where ID=1 limit 1" and fills `config`.
// A missing row or column, or a Null "Iva" or "OC", throws Error naming it.
void LoadOfficeConfig(Database& db, ConfiguracaoEscritorio& config);

}  // namespace saftpt

#endif  // SAFTPT_CONFIG_OFFICECONFIG_H_
