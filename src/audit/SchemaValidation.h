// Checks an audit file against the tax authority's schema, plus the
// authority's totals rules.
//
// The authority's 1.04_01 schema is XSD 1.1 (assertions and an unbounded
// xs:all); XSD 1.0 validators cannot load it as it stands, so it is adapted
// in memory and the assertions are checked in code. The file is read as a
// stream, one document at a time: its size does not matter.
#ifndef SAFTPT_AUDIT_SCHEMAVALIDATION_H_
#define SAFTPT_AUDIT_SCHEMAVALIDATION_H_

#include <string>
#include <vector>

#include "audit/SaftFileReader.h"
#include "audit/SaftRules.h"

namespace saftpt {

struct ValidationProblem {
  int line = 0;         // line of the audit file, 0 when unknown
  std::string element;  // the element it concerns
  std::string message;  // the reason, in the validator's words or ours
  std::string source;   // the offending text of the file, when known
  // The document as the file numbers it ("F A/12"), or the customer, product,
  // account, section... it is in; empty when unknown.
  std::string document;
  std::string lineNumber;  // the document line's LineNumber, when in a Line
  Regra rule = Regra::kOutra;
};

struct ValidationReport {
  std::vector<ValidationProblem> errors;    // schema and assertion failures
  std::vector<ValidationProblem> warnings;  // totals rules
  size_t omitted = 0;                       // errors beyond the ones kept
  bool Valid() const { return errors.empty(); }
  // The first error in the old program's form: the reason, "Line: " + line,
  // "XML: " + the offending text, on three lines. Empty when valid.
  std::string Erro1006() const;
};

// The default schema: SAFTPT1.04_01.xsd beside the executable, else in
// ../share/saftpt from it, else in /usr/share/saftpt (the path named in the
// error when it is nowhere).
std::string DefaultSchemaPath();

// Validates `file` against `xsdPath`. Throws Error when the schema or the file
// cannot be read at all. Each document read goes to `documento` too, as
// ReadSaftDocuments gives it (the file is read once for both); with
// `documento`, a file that is not well-formed XML throws Error as
// ReadSaftDocuments does.
ValidationReport ValidateSaftFile(const std::string& file, const std::string& xsdPath,
                                  const DocumentCallback& documento = {});

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_SCHEMAVALIDATION_H_
