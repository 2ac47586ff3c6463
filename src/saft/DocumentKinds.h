// The kinds of document the billing database stores (its tipodoc) and what
// each is in the audit file: its section, its type there, the side of the
// section's totals its lines take, the side a receipt's line settling it
// takes, and how its CustomerID is found. The export and the checks of a
// written file reason about document kinds only through this table.
#ifndef SAFTPT_SAFT_DOCUMENTKINDS_H_
#define SAFTPT_SAFT_DOCUMENTKINDS_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace saftpt {

enum class SourceSection { kSalesInvoices, kWorkingDocuments, kPayments };

enum class LineSide { kNone, kCredit, kDebit };

enum class CustomerRule {
  kDocumentNif,  // by the tax number stored on the document; unknown without a code
  kCustomerNif,  // by its customer's own tax number; the document needs a customer code
};

struct DocumentKind {
  std::string_view tipodoc;
  SourceSection section;
  // "InvoiceType" or "WorkType"; a receipt's "PaymentType" comes from its
  // series instead.
  std::string_view fileType;
  // kCredit: a line credits its net value, a negative one (a discount line)
  // debits it; kDebit: every line debits.
  LineSide lines;
  // The side of a receipt's line that settles a document of this kind.
  LineSide whenPaid;
  CustomerRule customer;
};

// Every kind exported, in the order of the sections.
std::span<const DocumentKind> DocumentKinds();
// The kind of a stored tipodoc; nullptr for one never exported.
const DocumentKind* FindDocumentKind(std::string_view tipodoc);
// The first kind written as this "InvoiceType"/"WorkType"; nullptr for none.
const DocumentKind* FindFileType(std::string_view fileType);
// The rule of a section's kinds (they share it).
CustomerRule CustomerRuleOf(SourceSection section);
// The side of its section's totals a line's net value goes to.
LineSide SideOfLine(const DocumentKind& kind, double liquido);
// "tipodoc IN ('F','FA',...)" for the kinds of a section, or of all
// sections without one; a section of documents that need a customer code
// adds that.
std::string KindsCondition(std::optional<SourceSection> section = std::nullopt);

// The first day on which every document must carry its ATCUD ("YYYY-MM-DD");
// files made before it may write "0".
inline constexpr const char* kAtcudRequiredFrom = "2023-02-01";

}  // namespace saftpt

#endif  // SAFTPT_SAFT_DOCUMENTKINDS_H_
