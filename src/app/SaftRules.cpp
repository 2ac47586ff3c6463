#include "app/SaftRules.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace saftpt {

namespace {

// Element access within the audit file's namespace.
class Arvore {
 public:
  explicit Arvore(const std::string& ns) : ns_(ns) {}

  bool Is(const xmlNode* n, const char* name) const {
    return n != nullptr && n->type == XML_ELEMENT_NODE && n->ns != nullptr &&
           ns_ == reinterpret_cast<const char*>(n->ns->href) && xmlStrEqual(n->name, BAD_CAST name);
  }

  xmlNode* Child(const xmlNode* parent, const char* name) const {
    if (parent == nullptr) return nullptr;
    for (xmlNode* c = parent->children; c != nullptr; c = c->next)
      if (Is(c, name)) return c;
    return nullptr;
  }

  template <typename F>
  void ForEach(const xmlNode* parent, const char* name, F f) const {
    if (parent == nullptr) return;
    for (xmlNode* c = parent->children; c != nullptr; c = c->next)
      if (Is(c, name)) f(c);
  }

 private:
  const std::string& ns_;
};

std::string Text(const xmlNode* n) {
  if (n == nullptr) return "";
  xmlChar* content = xmlNodeGetContent(n);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

// Numbers are read as the schema's decimal type: blanks around allowed, no
// exponent. Nothing when the text is no number (the schema reports it).
std::optional<double> Number(const xmlNode* n) {
  if (n == nullptr) return std::nullopt;
  std::string text = Text(n);
  std::string_view v(text);
  while (!v.empty() &&
         (v.front() == ' ' || v.front() == '\t' || v.front() == '\n' || v.front() == '\r'))
    v.remove_prefix(1);
  while (!v.empty() &&
         (v.back() == ' ' || v.back() == '\t' || v.back() == '\n' || v.back() == '\r'))
    v.remove_suffix(1);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  if (v.empty()) return std::nullopt;
  double value = 0;
  auto res = std::from_chars(v.data(), v.data() + v.size(), value, std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != v.data() + v.size()) return std::nullopt;
  return value;
}

std::string Trimmed(const xmlNode* n) {
  std::string t = Text(n);
  size_t b = t.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return t.substr(b, t.find_last_not_of(" \t\r\n") - b + 1);
}

class Assercoes {
 public:
  Assercoes(const std::string& ns, const RelatoRegra& erro) : t_(ns), erro_(erro) {}

  void Run(xmlNode* root) {
    if (!t_.Is(root, "AuditFile")) return;
    xmlNode* ledger = t_.Child(t_.Child(root, "MasterFiles"), "GeneralLedgerAccounts");
    t_.ForEach(ledger, "Account", [&](xmlNode* a) { Conta(a); });

    xmlNode* docs = t_.Child(root, "SourceDocuments");
    t_.ForEach(t_.Child(docs, "SalesInvoices"), "Invoice",
               [&](xmlNode* d) { Linhas(d, Rotulo(d, "InvoiceNo"), kTodas); });
    t_.ForEach(t_.Child(docs, "MovementOfGoods"), "StockMovement",
               [&](xmlNode* d) { Linhas(d, Rotulo(d, "DocumentNumber"), kMovimento); });
    t_.ForEach(t_.Child(docs, "WorkingDocuments"), "WorkDocument",
               [&](xmlNode* d) { Linhas(d, Rotulo(d, "DocumentNumber"), kTodas); });
    t_.ForEach(t_.Child(docs, "Payments"), "Payment", [&](xmlNode* d) { Recibo(d); });
  }

 private:
  // Which of the line rules a section's lines carry.
  enum Conjunto { kTodas, kMovimento, kRecibo };

  std::string Rotulo(xmlNode* doc, const char* idName) {
    return "Documento " + Trimmed(t_.Child(doc, idName));
  }

  void Conta(xmlNode* account) {
    xmlNode* category = t_.Child(account, "GroupingCategory");
    if (category == nullptr) return;  // the schema reports it
    std::string c = Trimmed(category);
    std::string label = "Conta " + Trimmed(t_.Child(account, "AccountID")) + ": ";
    bool taxonomy = t_.Child(account, "TaxonomyCode") != nullptr;
    bool grouping = t_.Child(account, "GroupingCode") != nullptr;
    if (c == "GM" && !taxonomy) erro_(category, label + "GroupingCategory GM exige TaxonomyCode.");
    if (c != "GM" && taxonomy)
      erro_(category, label + "TaxonomyCode só é admitido com GroupingCategory GM.");
    if ((c == "GR" || c == "AR") && grouping)
      erro_(category, label + "GroupingCategory " + c + " não admite GroupingCode.");
    if ((c == "GA" || c == "AA" || c == "GM" || c == "AM") && !grouping)
      erro_(category, label + "GroupingCategory " + c + " exige GroupingCode.");
  }

  void Recibo(xmlNode* payment) {
    std::string label = Rotulo(payment, "PaymentRefNo");
    xmlNode* typeNode = t_.Child(payment, "PaymentType");
    std::string type = Text(typeNode);
    bool taxType = false;
    t_.ForEach(payment, "Line", [&](xmlNode* line) {
      if (t_.Child(t_.Child(line, "Tax"), "TaxType") != nullptr) taxType = true;
    });
    // Cash-basis VAT receipts must show the tax of what they pay.
    if (type == "RC" && !taxType)
      erro_(typeNode, label + ": recibo RC sem nenhuma linha com Tax/TaxType.");
    Linhas(payment, label, kRecibo, type == "RC");
  }

  void Linhas(xmlNode* doc, const std::string& label, Conjunto rules, bool cashVat = false) {
    t_.ForEach(doc, "Line", [&](xmlNode* line) {
      std::string where = label + ", linha " + Trimmed(t_.Child(line, "LineNumber")) + ": ";
      Linha(line, where, rules, cashVat);
    });
  }

  void Linha(xmlNode* line, const std::string& where, Conjunto rules, bool cashVat) {
    xmlNode* tax = t_.Child(line, "Tax");
    xmlNode* reason = t_.Child(line, "TaxExemptionReason");
    xmlNode* code = t_.Child(line, "TaxExemptionCode");

    // A zero tax needs an exemption reason, and a charged tax must not have one.
    if (rules != kMovimento) ZeroExige(t_.Child(tax, "TaxAmount"), "TaxAmount", reason, where);
    ZeroExige(t_.Child(tax, "TaxPercentage"), "TaxPercentage", reason, where);

    if (reason != nullptr && code == nullptr)
      erro_(reason, where + "TaxExemptionReason sem TaxExemptionCode.");
    if (code != nullptr && reason == nullptr)
      erro_(code, where + "TaxExemptionCode sem TaxExemptionReason.");

    if (rules == kTodas) {
      // Lines that only carry a tax base have no amount of their own.
      xmlNode* base = t_.Child(line, "TaxBase");
      if (base != nullptr) {
        if (NaoZero(t_.Child(line, "UnitPrice")))
          erro_(base, where + "linha com TaxBase deve ter UnitPrice 0.");
        if (NaoZero(t_.Child(line, "DebitAmount")) || NaoZero(t_.Child(line, "CreditAmount")))
          erro_(base, where + "linha com TaxBase deve ter DebitAmount/CreditAmount 0.");
      }
    }
    if (rules == kRecibo && cashVat && tax == nullptr)
      erro_(line, where + "linha de recibo RC sem Tax.");
  }

  void ZeroExige(xmlNode* value, const char* name, xmlNode* reason, const std::string& where) {
    std::optional<double> v = Number(value);
    if (!v) return;
    if (*v != 0 && reason != nullptr)
      erro_(reason, where + name + " diferente de 0 não admite TaxExemptionReason.");
    if (*v == 0 && reason == nullptr) erro_(value, where + name + " 0 exige TaxExemptionReason.");
  }

  static bool NaoZero(xmlNode* n) {
    std::optional<double> v = Number(n);
    return v && *v != 0;
  }

  Arvore t_;
  const RelatoRegra& erro_;
};

struct Seccao {
  const char* name;
  const char* document;
  const char* status;
  bool excludesBilled;  // documents with status "F" left out of the totals too
};

long long Centimos(long double value) {
  return std::llround(value * 100.0L);
}

std::string Montante(long double value) {
  long long c = Centimos(value);
  std::string sign = c < 0 ? "-" : "";
  c = std::llabs(c);
  std::string cents = std::to_string(c % 100);
  if (cents.size() < 2) cents = "0" + cents;
  return sign + std::to_string(c / 100) + "." + cents;
}

}  // namespace

void VerificaAssercoes(xmlNode* root, const std::string& ns, const RelatoRegra& erro) {
  Assercoes(ns, erro).Run(root);
}

void VerificaTotais(xmlNode* root, const std::string& ns, const RelatoRegra& aviso) {
  Arvore t(ns);
  if (!t.Is(root, "AuditFile")) return;
  static const Seccao kSeccoes[] = {
      {"SalesInvoices", "Invoice", "InvoiceStatus", true},
      {"WorkingDocuments", "WorkDocument", "WorkStatus", true},
      {"Payments", "Payment", "PaymentStatus", false},
  };
  xmlNode* docs = t.Child(root, "SourceDocuments");
  for (const Seccao& s : kSeccoes) {
    xmlNode* section = t.Child(docs, s.name);
    if (section == nullptr) continue;
    long long count = 0;
    long double debit = 0, credit = 0;
    t.ForEach(section, s.document, [&](xmlNode* doc) {
      ++count;
      std::string status = Trimmed(t.Child(t.Child(doc, "DocumentStatus"), s.status));
      // Cancelled (and already billed) documents count but add nothing.
      if (status == "A" || (s.excludesBilled && status == "F")) return;
      t.ForEach(doc, "Line", [&](xmlNode* line) {
        if (auto v = Number(t.Child(line, "DebitAmount"))) debit += *v;
        if (auto v = Number(t.Child(line, "CreditAmount"))) credit += *v;
      });
    });
    std::string prefix = std::string(s.name) + ": ";
    xmlNode* entries = t.Child(section, "NumberOfEntries");
    if (auto n = Number(entries); n && *n != static_cast<double>(count))
      aviso(entries, prefix + "NumberOfEntries é " + Trimmed(entries) + ", mas o ficheiro tem " +
                         std::to_string(count) + " documentos.");
    const struct {
      const char* name;
      long double sum;
      const char* lines;
    } totals[] = {{"TotalDebit", debit, "DebitAmount"}, {"TotalCredit", credit, "CreditAmount"}};
    for (const auto& total : totals) {
      xmlNode* node = t.Child(section, total.name);
      auto v = Number(node);
      if (v && Centimos(*v) != Centimos(total.sum))
        aviso(node, prefix + total.name + " é " + Trimmed(node) + ", mas a soma de " + total.lines +
                        " dos documentos não anulados é " + Montante(total.sum) + ".");
    }
  }
}

}  // namespace saftpt
