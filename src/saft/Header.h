// The "Header" of the audit file: the office, the period and this program.
#ifndef SAFTPT_SAFT_HEADER_H_
#define SAFTPT_SAFT_HEADER_H_

#include <string>

#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// Writes the header and takes the office's tax number into the summary.
void WriteHeader(RunContext& ctx, XmlNode auditFile);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_HEADER_H_
