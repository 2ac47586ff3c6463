// The main progress bar's steps: the bar's length and each section's step
// number and label. The receipts share the quotations' step and the bar is
// one step short of the products, as users have always seen it.
#ifndef SAFTPT_SAFT_PROGRESSSTEPS_H_
#define SAFTPT_SAFT_PROGRESSSTEPS_H_

namespace saftpt {

struct ProgressStep {
  long long number;
  const char* label;
};

inline constexpr long long kProgressSteps = 6;

inline constexpr ProgressStep kHeaderStep{1, "Header"};
inline constexpr ProgressStep kCustomersStep{2, "Customers"};
inline constexpr ProgressStep kTaxTableStep{3, "TaxTable"};
inline constexpr ProgressStep kStampDutyStep{4, "TaxTableIS"};
inline constexpr ProgressStep kProductsStep{5, ""};
inline constexpr ProgressStep kSalesInvoicesStep{6, "Invoices"};
inline constexpr ProgressStep kWorkingDocumentsStep{7, "WorkingDocuments"};
inline constexpr ProgressStep kPaymentsStep{7, "Payments"};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_PROGRESSSTEPS_H_
