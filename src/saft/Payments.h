// "Payments": the receipts of the period, with the section's control totals.
#ifndef SAFTPT_SAFT_PAYMENTS_H_
#define SAFTPT_SAFT_PAYMENTS_H_

#include <string>

#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// The section's documents statement, without its order.
std::string PaymentsSql(const RunContext& ctx);
// Writes the section, its totals as the amounts stored, and sums the line
// amounts written into ctx.paymentTotals for the builder's Save.
void WritePayments(RunContext& ctx, XmlNode sourceDocuments);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_PAYMENTS_H_
