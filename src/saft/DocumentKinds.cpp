// The table of document kinds.
#include "saft/DocumentKinds.h"

namespace saftpt {

namespace {

using enum SourceSection;
using enum LineSide;
using enum CustomerRule;

// "FA" documents are reported as invoice-receipts; a receipt's line paying
// one debits, as one deducting a credit note does.
constexpr DocumentKind kKinds[] = {
    {"F", kSalesInvoices, "FT", kCredit, kCredit, kDocumentNif},
    {"FA", kSalesInvoices, "FR", kCredit, kDebit, kDocumentNif},
    {"FR", kSalesInvoices, "FR", kCredit, kCredit, kDocumentNif},
    {"FS", kSalesInvoices, "FS", kCredit, kCredit, kDocumentNif},
    {"ND", kSalesInvoices, "ND", kCredit, kCredit, kDocumentNif},
    {"NC", kSalesInvoices, "NC", kDebit, kDebit, kDocumentNif},
    {"OR", kWorkingDocuments, "OR", kCredit, kCredit, kDocumentNif},
    {"R", kPayments, "", kNone, kCredit, kCustomerNif},
};

}  // namespace

std::span<const DocumentKind> DocumentKinds() {
  return kKinds;
}

const DocumentKind* FindDocumentKind(std::string_view tipodoc) {
  for (const DocumentKind& k : kKinds)
    if (k.tipodoc == tipodoc) return &k;
  return nullptr;
}

const DocumentKind* FindFileType(std::string_view fileType) {
  for (const DocumentKind& k : kKinds)
    if (!fileType.empty() && k.fileType == fileType) return &k;
  return nullptr;
}

CustomerRule CustomerRuleOf(SourceSection section) {
  for (const DocumentKind& k : kKinds)
    if (k.section == section) return k.customer;
  return kDocumentNif;
}

LineSide SideOfLine(const DocumentKind& kind, double liquido) {
  if (kind.lines == kCredit) return liquido >= 0 ? kCredit : kDebit;
  return kind.lines;
}

std::string KindsCondition(std::optional<SourceSection> section) {
  std::string tipos;
  bool needsCustomer = true;
  for (const DocumentKind& k : kKinds) {
    if (section && k.section != *section) continue;
    tipos += (tipos.empty() ? "'" : ",'") + std::string(k.tipodoc) + "'";
    needsCustomer = needsCustomer && k.customer == kCustomerNif;
  }
  return "tipodoc IN (" + tipos + ")" + (needsCustomer ? " and CodCliente<>''" : "");
}

}  // namespace saftpt
