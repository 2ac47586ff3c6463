// The tax authority's rules on an audit file that an XSD 1.0 validator does
// not check: the assertions of the 1.04_01 schema and the control totals of
// the source-document sections.
#ifndef SAFTPT_APP_SAFTRULES_H_
#define SAFTPT_APP_SAFTRULES_H_

#include <libxml/tree.h>

#include <functional>
#include <string>

namespace saftpt {

// Receives one failed rule: the element it concerns and the reason.
using RelatoRegra = std::function<void(xmlNode* element, const std::string& message)>;

// The schema's assertions on accounts, document lines and payments. Only
// elements in namespace `ns` are looked at.
void VerificaAssercoes(xmlNode* root, const std::string& ns, const RelatoRegra& erro);

// NumberOfEntries, TotalDebit and TotalCredit of SalesInvoices,
// WorkingDocuments and Payments against their documents.
void VerificaTotais(xmlNode* root, const std::string& ns, const RelatoRegra& aviso);

}  // namespace saftpt

#endif  // SAFTPT_APP_SAFTRULES_H_
