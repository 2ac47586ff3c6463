// The customers of the master files: every customer with an exported kind of
// document in the period, and the identifier the documents point at.
#ifndef SAFTPT_SAFT_CUSTOMERS_H_
#define SAFTPT_SAFT_CUSTOMERS_H_

#include <string>

#include "db/Database.h"
#include "saft/DocumentKinds.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

void WriteCustomers(RunContext& ctx, XmlNode masterFiles);

// A unique 9-character tax number identifies the customer; otherwise (no or
// odd number, final consumer, number shared by several customers) its code.
std::string CustomerIdForNif(RunContext& ctx, const std::string& codcliente,
                             const std::string& nif);
// A document's CustomerID by its section's rule, from its CodCliente and
// NContribuinteCliente.
std::string DocumentCustomerId(RunContext& ctx, CustomerRule rule, const Recordset& document);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_CUSTOMERS_H_
