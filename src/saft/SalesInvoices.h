// "SalesInvoices": invoices, invoice-receipts, simplified invoices, debit and
// credit notes of the period, with the section's control totals.
#ifndef SAFTPT_SAFT_SALESINVOICES_H_
#define SAFTPT_SAFT_SALESINVOICES_H_

#include <string>

#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// The section's documents statement, without its order.
std::string SalesInvoicesSql(const RunContext& ctx);
// Writes the section and takes its counts and totals into the summary.
void WriteSalesInvoices(RunContext& ctx, XmlNode sourceDocuments);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_SALESINVOICES_H_
