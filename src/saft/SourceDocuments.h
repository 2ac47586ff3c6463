// The three source-document sections, each written by its own file:
// "SalesInvoices" (invoices, invoice-receipts, simplified invoices, debit
// and credit notes), "WorkingDocuments" (the fee quotations) and "Payments"
// (the receipts). Each writer sums its control totals from the lines it has
// read ahead, writes them before its documents and takes them into the run's
// summary.
#ifndef SAFTPT_SAFT_SOURCEDOCUMENTS_H_
#define SAFTPT_SAFT_SOURCEDOCUMENTS_H_

#include <string>

#include "saft/DocumentCommon.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// What each section writes (its documents' statement is SectionSql).
extern const documentos::SectionKind kSalesInvoices;
extern const documentos::SectionKind kWorkingDocuments;
extern const documentos::SectionKind kPayments;

void WriteSalesInvoices(RunContext& ctx, XmlNode sourceDocuments);
void WriteWorkingDocuments(RunContext& ctx, XmlNode sourceDocuments);
void WritePayments(RunContext& ctx, XmlNode sourceDocuments);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_SOURCEDOCUMENTS_H_
