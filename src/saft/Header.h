// The "Header" of the audit file: the office, the period and this program.
#ifndef SAFTPT_SAFT_HEADER_H_
#define SAFTPT_SAFT_HEADER_H_

#include <string>

#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// The namespace and "AuditFileVersion" of a file version (3 or 4).
std::string AuditFileNamespace(int versao);
std::string AuditFileVersion(int versao);

// Writes the header and takes the office's tax number into the summary.
void WriteHeader(RunContext& ctx, XmlNode auditFile);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_HEADER_H_
