// The check an export makes of the file it has just written, as `saftpt
// validate` does, and each problem in the words of the billing program's
// user: the document as the file numbers it, the line, and what to fix.
#ifndef SAFTPT_APP_EXPORTCHECK_H_
#define SAFTPT_APP_EXPORTCHECK_H_

#include <string>
#include <vector>

#include "app/SchemaValidation.h"

namespace saftpt {

// Said when the file passes.
extern const char* const kFicheiroCumpre;

// One problem on one line: "F A/12, linha 3: taxa 0 % sem motivo de isenção".
std::string TextoDoProblema(const ValidationProblem& problem);

struct VerificacaoDoFicheiro {
  bool verificado = false;             // false for a 1.03_01 file
  std::vector<std::string> problemas;  // schema, assertions and totals alike
  bool cumpre() const { return verificado && problemas.empty(); }
  // kFicheiroCumpre, the note on an unchecked file, or the problems one a line.
  std::string Texto() const;
};

// Checks the file an export wrote in version `versao` (3: 1.03_01, not
// checked; 4: 1.04_01) against `xsdPath`, by default the schema beside the
// program. Throws Error when the schema or the file cannot be read.
VerificacaoDoFicheiro VerificaFicheiroExportado(const std::string& file, int versao,
                                                const std::string& xsdPath = "");

}  // namespace saftpt

#endif  // SAFTPT_APP_EXPORTCHECK_H_
