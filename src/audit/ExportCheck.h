// The check an export makes of the file it has just written, as `saftpt
// validate` does, and each problem in the words of the billing program's
// user: the document as the file numbers it, the line, and what to fix.
#ifndef SAFTPT_AUDIT_EXPORTCHECK_H_
#define SAFTPT_AUDIT_EXPORTCHECK_H_

#include <string>
#include <vector>

#include "audit/FileAudit.h"
#include "audit/SchemaValidation.h"
#include "saft/SchemaVersion.h"

namespace saftpt {

// Said when the file passes.
extern const char* const kFicheiroCumpre;

// One problem of the file, as the window's table shows it and, in `texto`,
// on one line: "F A/12, linha 3: taxa 0 % sem motivo de isenção".
struct ProblemaDoFicheiro {
  std::string documento;  // "F A/12", a section ("Faturas"), or empty
  std::string linha;      // the document's line, "40 do ficheiro", or empty
  std::string problema;   // what to fix
  std::string texto;
};

ProblemaDoFicheiro DescribeProblem(const ValidationProblem& problem);

struct VerificacaoDoFicheiro {
  bool verificado = false;  // false for a 1.03_01 file
  // schema, assertions, totals, numbering, ATCUD, signatures
  std::vector<ProblemaDoFicheiro> problemas;
  std::vector<std::string> avisos;  // what may be right (a gap left by a restriction...)
  bool Passes() const { return verificado && problemas.empty(); }
  // kFicheiroCumpre, the note on an unchecked file, or the problems one a
  // line; then the warnings, each after "Aviso: ".
  std::string Texto() const;
};

// Checks the file an export wrote in version `schema` (1.03_01 is not
// checked) against `xsdPath`, by default the schema beside the
// program, then its numbering and ATCUD and, when `auditoria` has keys, its
// signatures. Throws Error when the schema, the file or a key cannot be read.
VerificacaoDoFicheiro CheckExportedFile(const std::string& file, SchemaVersion schema,
                                        const std::string& xsdPath = "",
                                        const AuditOptions& auditoria = {});

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_EXPORTCHECK_H_
