// The rules on a series of documents that the audit file and the billing
// database share: consecutive numbers, each used once, dates that do not go
// back as the numbers go up, and the ATCUD's form; and their messages.
#ifndef SAFTPT_AUDIT_NUMBERINGRULES_H_
#define SAFTPT_AUDIT_NUMBERINGRULES_H_

#include <optional>
#include <string>
#include <vector>

#include "saft/DocumentKinds.h"  // kAtcudRequiredFrom

namespace saftpt {

enum class Gravidade { kErro, kAviso };

// One finding of the checks: how grave, the document it concerns ("F A/12",
// empty when none) and the message naming it.
struct AuditFinding {
  Gravidade gravidade = Gravidade::kErro;
  std::string documento;
  std::string message;
};

// A document of a series as the numbering rules see it.
struct DocumentoDaSerie {
  long long numero = 0;
  std::string data;     // "YYYY-MM-DD"
  std::string entrada;  // "YYYY-MM-DDThh:mm:ss"
};

// Checks one type and series. `prefixo` names the documents ("F A/" for the
// type F, series A); `docs` are sorted by number (duplicates adjacent).
// Missing numbers are looked for after `anterior`, the last number before
// them (-1: only between the first and the last of `docs`); they are warnings,
// repeated numbers and dates going back errors.
void CheckSequence(const std::string& prefixo, const std::vector<DocumentoDaSerie>& docs,
                   long long anterior, std::vector<AuditFinding>& out);

// The ATCUD rule: "CODE-N", CODE at least 8 capital letters and digits and N
// the document's own number (the text after the last "/" of `documento`);
// "0" only when `zeroAceite`. Nothing when it holds, otherwise the reason.
std::optional<std::string> FindAtcudProblem(const std::string& atcud, const std::string& documento,
                                            bool zeroAceite);

// Messages.
std::string InvalidAtcudMessage(const std::string& documento, const std::string& motivo);
std::string MissingAtcudMessage(const std::string& documento);

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_NUMBERINGRULES_H_
