#include "audit/SaftRules.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace saftpt {

namespace {

// Element access within the audit file's namespace.
class Arvore {
 public:
  explicit Arvore(const std::string& ns) : ns_(ns) {}

  // The name first: it tells most elements apart at its first letter.
  bool Is(const xmlNode* n, const char* name) const {
    return n != nullptr && n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, BAD_CAST name) &&
           n->ns != nullptr && ns_ == reinterpret_cast<const char*>(n->ns->href);
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
  // Most elements hold one text node: it is read in place.
  const xmlNode* only = n->children;
  if (only != nullptr && only == n->last && only->type == XML_TEXT_NODE)
    return only->content ? reinterpret_cast<const char*>(only->content) : "";
  xmlChar* content = xmlNodeGetContent(n);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

// Without the blanks XML allows around a value.
std::string_view WithoutBlanks(std::string_view v) {
  size_t b = v.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return v.substr(b, v.find_last_not_of(" \t\r\n") - b + 1);
}

// Numbers are read as the schema's decimal type: blanks around allowed, no
// exponent. Nothing when the text is no number (the schema reports it).
std::optional<double> Number(const xmlNode* n) {
  if (n == nullptr) return std::nullopt;
  std::string text = Text(n);
  std::string_view v = WithoutBlanks(text);
  if (!v.empty() && v.front() == '+') v.remove_prefix(1);
  if (v.empty()) return std::nullopt;
  double value = 0;
  auto res = std::from_chars(v.data(), v.data() + v.size(), value, std::chars_format::fixed);
  if (res.ec != std::errc() || res.ptr != v.data() + v.size()) return std::nullopt;
  return value;
}

std::string Trimmed(const xmlNode* n) {
  return std::string(WithoutBlanks(Text(n)));
}

// Trimmed(n) added to `out`; the one text of an element is read in place.
void AppendTrimmed(std::string& out, const xmlNode* n) {
  const xmlNode* only = n != nullptr ? n->children : nullptr;
  if (only == nullptr || only != n->last || only->type != XML_TEXT_NODE ||
      only->content == nullptr) {
    out += Trimmed(n);
    return;
  }
  out.append(WithoutBlanks(reinterpret_cast<const char*>(only->content)));
}

class Assercoes {
 public:
  Assercoes(const std::string& ns, bool assertions, const RelatoRegra& erro)
      : t_(ns), assertions_(assertions), erro_(erro) {}

  // One part of the file (see RegrasSaft::Parte).
  void Parte(xmlNode* n) {
    xmlNode* parent = n->parent;
    if (t_.Is(n, "TaxTable") && t_.Is(parent, "MasterFiles")) {
      Tabela(n);
    } else if (t_.Is(n, "Account") && t_.Is(parent, "GeneralLedgerAccounts")) {
      if (assertions_) Conta(n);
    } else if (t_.Is(n, "Invoice") && t_.Is(parent, "SalesInvoices")) {
      Linhas(n, Rotulo(n, "InvoiceNo"), kTodas);
    } else if (t_.Is(n, "StockMovement") && t_.Is(parent, "MovementOfGoods")) {
      Linhas(n, Rotulo(n, "DocumentNumber"), kMovimento);
    } else if (t_.Is(n, "WorkDocument") && t_.Is(parent, "WorkingDocuments")) {
      Linhas(n, Rotulo(n, "DocumentNumber"), kTodas);
    } else if (t_.Is(n, "Payment") && t_.Is(parent, "Payments")) {
      Recibo(n);
    }
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
    auto erro = [&](const std::string& m) { erro_(category, label + m, Regra::kOutra); };
    if (c == "GM" && !taxonomy) erro("GroupingCategory GM exige TaxonomyCode.");
    if (c != "GM" && taxonomy) erro("TaxonomyCode só é admitido com GroupingCategory GM.");
    if ((c == "GR" || c == "AR") && grouping)
      erro("GroupingCategory " + c + " não admite GroupingCode.");
    if ((c == "GA" || c == "AA" || c == "GM" || c == "AM") && !grouping)
      erro("GroupingCategory " + c + " exige GroupingCode.");
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
    if (assertions_ && type == "RC" && !taxType)
      erro_(typeNode, label + ": recibo RC sem nenhuma linha com Tax/TaxType.", Regra::kOutra);
    Linhas(payment, label, kRecibo, type == "RC");
  }

  // Where a line's problem is ("Documento F A/1, linha 2: "), said only
  // when there is one.
  struct Onde {
    const Arvore& t;
    const std::string& label;
    xmlNode* line;
    std::string operator+(const std::string& what) const {
      return label + ", linha " + Trimmed(t.Child(line, "LineNumber")) + ": " + what;
    }
  };

  void Linhas(xmlNode* doc, const std::string& label, Conjunto rules, bool cashVat = false) {
    t_.ForEach(doc, "Line", [&](xmlNode* line) {
      Linha(line, Onde{t_, label, line}, rules, cashVat);
    });
  }

  void Linha(xmlNode* line, const Onde& where, Conjunto rules, bool cashVat) {
    xmlNode* tax = t_.Child(line, "Tax");
    NaTabela(tax, where);
    if (!assertions_) return;
    xmlNode* reason = t_.Child(line, "TaxExemptionReason");
    xmlNode* code = t_.Child(line, "TaxExemptionCode");

    // A zero tax needs an exemption reason, and a charged tax must not have one.
    if (rules != kMovimento) ZeroExige(t_.Child(tax, "TaxAmount"), "TaxAmount", reason, where);
    ZeroExige(t_.Child(tax, "TaxPercentage"), "TaxPercentage", reason, where);

    if (reason != nullptr && code == nullptr)
      erro_(reason, where + "TaxExemptionReason sem TaxExemptionCode.", Regra::kMotivoSemCodigo);
    if (code != nullptr && reason == nullptr)
      erro_(code, where + "TaxExemptionCode sem TaxExemptionReason.", Regra::kOutra);

    if (rules == kTodas) {
      // Lines that only carry a tax base have no amount of their own.
      xmlNode* base = t_.Child(line, "TaxBase");
      if (base != nullptr) {
        if (NaoZero(t_.Child(line, "UnitPrice")))
          erro_(base, where + "linha com TaxBase deve ter UnitPrice 0.", Regra::kOutra);
        if (NaoZero(t_.Child(line, "DebitAmount")) || NaoZero(t_.Child(line, "CreditAmount")))
          erro_(base, where + "linha com TaxBase deve ter DebitAmount/CreditAmount 0.",
                Regra::kOutra);
      }
    }
    if (rules == kRecibo && cashVat && tax == nullptr)
      erro_(line, where + "linha de recibo RC sem Tax.", Regra::kOutra);
  }

  void ZeroExige(xmlNode* value, const char* name, xmlNode* reason, const Onde& where) {
    std::optional<double> v = Number(value);
    if (!v) return;
    if (*v != 0 && reason != nullptr)
      erro_(reason, where + (name + std::string(" diferente de 0 não admite TaxExemptionReason.")),
            Regra::kOutra);
    if (*v == 0 && reason == nullptr)
      erro_(value, where + (name + std::string(" 0 exige TaxExemptionReason.")),
            Regra::kTaxaZeroSemMotivo);
  }

  // The rates of the TaxTable, by type, region and code.
  void Tabela(xmlNode* table) {
    temTabela_ = true;
    t_.ForEach(table, "TaxTableEntry", [&](xmlNode* e) {
      Chave(e, chave_);
      taxas_.push_back(chave_);
    });
  }

  // "IVA/PT/NOR": the tax's type, region and code, into `out`.
  void Chave(xmlNode* tax, std::string& out) const {
    out.clear();
    AppendTrimmed(out, t_.Child(tax, "TaxType"));
    out += '/';
    AppendTrimmed(out, t_.Child(tax, "TaxCountryRegion"));
    out += '/';
    AppendTrimmed(out, t_.Child(tax, "TaxCode"));
  }

  // A line's tax must be one of the TaxTable's: same type, region and code.
  void NaTabela(xmlNode* tax, const Onde& where) {
    if (tax == nullptr || !temTabela_) return;
    Chave(tax, chave_);
    for (const std::string& known : taxas_)
      if (known == chave_) return;
    std::string what = chave_;
    if (xmlNode* percentage = t_.Child(tax, "TaxPercentage"))
      what += " (" + Trimmed(percentage) + " %)";
    erro_(tax, where + "imposto " + what + " não consta da TaxTable.", Regra::kTaxaForaDaTabela);
  }

  static bool NaoZero(xmlNode* n) {
    std::optional<double> v = Number(n);
    return v && *v != 0;
  }

  Arvore t_;
  bool assertions_;
  const RelatoRegra& erro_;
  bool temTabela_ = false;
  std::vector<std::string> taxas_;  // "IVA/PT/NOR"...
  std::string chave_;               // the line's, kept for the next
};

struct SectionShape {
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

// The totals of one source-document section, summed as its documents go by.
class Totais {
 public:
  Totais(const std::string& ns, const RelatoRegra& aviso) : t_(ns), aviso_(aviso) {}

  void Parte(xmlNode* n) {
    xmlNode* section = n->parent;
    const SectionShape* s = nullptr;
    for (const SectionShape& candidate : kSections)
      if (t_.Is(section, candidate.name) && t_.Is(section->parent, "SourceDocuments"))
        s = &candidate;
    if (s != nullptr && s != section_) Fim();
    if (s == nullptr) return;
    section_ = s;
    if (t_.Is(n, s->document)) {
      Documento(n);
      return;
    }
    // The section's own figures come before its documents: copies are kept
    // (with their line) for the messages at the end of the section.
    for (auto& [name, copy] : declarados_)
      if (t_.Is(n, name) && copy == nullptr) copy = xmlCopyNode(n, 1);
  }

  void Fim() {
    if (section_ != nullptr) Compare();
    Clear();
  }

  ~Totais() { Clear(); }

 private:
  void Clear() {
    section_ = nullptr;
    count_ = 0;
    debit_ = credit_ = 0;
    for (auto& declared : declarados_) {
      xmlFreeNode(declared.second);
      declared.second = nullptr;
    }
  }

  static constexpr SectionShape kSections[] = {
      {"SalesInvoices", "Invoice", "InvoiceStatus", true},
      {"WorkingDocuments", "WorkDocument", "WorkStatus", true},
      {"Payments", "Payment", "PaymentStatus", false},
  };

  void Documento(xmlNode* doc) {
    ++count_;
    std::string status = Trimmed(t_.Child(t_.Child(doc, "DocumentStatus"), section_->status));
    // Cancelled (and already billed) documents count but add nothing.
    if (status == "A" || (section_->excludesBilled && status == "F")) return;
    t_.ForEach(doc, "Line", [&](xmlNode* line) {
      if (auto v = Number(t_.Child(line, "DebitAmount"))) debit_ += *v;
      if (auto v = Number(t_.Child(line, "CreditAmount"))) credit_ += *v;
    });
  }

  void Compare() {
    std::string prefix = std::string(section_->name) + ": ";
    xmlNode* entries = declarados_[0].second;
    if (auto n = Number(entries); n && *n != static_cast<double>(count_))
      aviso_(entries,
             prefix + "NumberOfEntries é " + Trimmed(entries) + ", mas o ficheiro tem " +
                 std::to_string(count_) + " documentos.",
             Regra::kTotalDaSeccao);
    const struct {
      xmlNode* node;
      const char* name;
      long double sum;
      const char* lines;
    } totals[] = {{declarados_[1].second, "TotalDebit", debit_, "DebitAmount"},
                  {declarados_[2].second, "TotalCredit", credit_, "CreditAmount"}};
    for (const auto& total : totals) {
      auto v = Number(total.node);
      if (v && Centimos(*v) != Centimos(total.sum))
        aviso_(total.node,
               prefix + total.name + " é " + Trimmed(total.node) + ", mas a soma de " +
                   total.lines + " dos documentos não anulados é " + Montante(total.sum) + ".",
               Regra::kTotalDaSeccao);
    }
  }

  Arvore t_;
  const RelatoRegra& aviso_;
  const SectionShape* section_ = nullptr;
  long long count_ = 0;
  long double debit_ = 0, credit_ = 0;
  std::pair<const char*, xmlNode*> declarados_[3] = {
      {"NumberOfEntries", nullptr}, {"TotalDebit", nullptr}, {"TotalCredit", nullptr}};
};

// The uniques and keyrefs, checked on each part as it passes. The master
// files come before the documents, so a document's reference is checked at
// once; a reference between accounts waits for the end of the file.
class Chaves {
 public:
  Chaves(const std::string& ns, std::vector<Restricao> restricoes, const RelatoRegra& erro)
      : t_(ns), restricoes_(std::move(restricoes)), erro_(erro) {
    for (const Restricao& r : restricoes_)
      if (r.tipo == Restricao::kReferencia) referidas_[r.refer];
  }

  ~Chaves() {
    for (auto& d : adiadas_) xmlFreeNode(d.node);
  }

  void Parte(xmlNode* part) {
    std::vector<std::string> path;
    for (xmlNode* n = part;
         n != nullptr && n->parent != nullptr && n->parent->type == XML_ELEMENT_NODE; n = n->parent)
      path.insert(path.begin(), Str(n->name));
    for (const Restricao& r : restricoes_) {
      if (r.selector.size() < path.size() ||
          !std::equal(path.begin(), path.end(), r.selector.begin()))
        continue;
      Seleciona(part, r, path.size(), [&](xmlNode* selected) { Verifica(r, selected); });
    }
  }

  void Fim() {
    for (auto& d : adiadas_) {
      if (referidas_[d.restricao->refer].count(d.value) == 0) Falta(*d.restricao, d.node, d.value);
      xmlFreeNode(d.node);
    }
    adiadas_.clear();
  }

 private:
  struct Adiada {
    const Restricao* restricao;
    xmlNode* node;  // a copy, with its line
    std::string value;
  };

  static std::string Str(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

  // The elements below `n` (at the selector's step `depth`) the selector picks.
  template <typename F>
  void Seleciona(xmlNode* n, const Restricao& r, size_t depth, F f) {
    if (depth == r.selector.size()) {
      f(n);
      return;
    }
    t_.ForEach(n, r.selector[depth].c_str(), [&](xmlNode* c) { Seleciona(c, r, depth + 1, f); });
  }

  void Verifica(const Restricao& r, xmlNode* selected) {
    xmlNode* field = t_.Child(selected, r.field.c_str());
    if (field == nullptr) return;  // the schema says whether it may be missing
    std::string value = Trimmed(field);
    if (r.tipo == Restricao::kReferencia) {
      auto it = referidas_.find(r.refer);
      if (it == referidas_.end() || it->second.count(value) != 0) return;
      // Accounts may name accounts further on.
      if (r.selector.front() == "MasterFiles")
        adiadas_.push_back({&r, xmlCopyNode(field, 1), value});
      else
        Falta(r, field, value);
      return;
    }
    bool repeated = false;
    if (auto it = referidas_.find(r.name); it != referidas_.end())
      repeated = !it->second.insert(value).second;
    else
      repeated = !hashes_[r.name].insert(std::hash<std::string>{}(value)).second;
    if (repeated)
      erro_(field,
            "Element '" + r.field + "': Duplicate key-sequence ['" + value +
                "'] in unique identity-constraint '" + r.name + "'.",
            Regra::kOutra);
  }

  void Falta(const Restricao& r, xmlNode* field, const std::string& value) {
    Regra regra = r.field == "CustomerID"    ? Regra::kClienteInexistente
                  : r.field == "ProductCode" ? Regra::kProdutoInexistente
                                             : Regra::kOutra;
    erro_(field,
          "Element '" + r.field + "': No match found for key-sequence ['" + value +
              "'] of keyref '" + r.name + "'.",
          regra);
  }

  Arvore t_;
  std::vector<Restricao> restricoes_;
  const RelatoRegra& erro_;
  std::map<std::string, std::unordered_set<std::string>> referidas_;  // by constraint
  std::map<std::string, std::unordered_set<size_t>> hashes_;          // the other uniques
  std::vector<Adiada> adiadas_;
};

}  // namespace

// The rules' state behind RegrasSaft; a plain holder, its fields public.
class RegrasSaft::Impl {
 public:
  Impl(const std::string& nsUri, bool assertions, std::vector<Restricao> restricoes,
       RelatoRegra relatoErro, RelatoRegra relatoAviso)
      : ns(nsUri),
        erro(std::move(relatoErro)),
        aviso(std::move(relatoAviso)),
        assercoes(ns, assertions, erro),
        totais(ns, aviso),
        chaves(ns, std::move(restricoes), erro) {}

  std::string ns;
  RelatoRegra erro;
  RelatoRegra aviso;
  Assercoes assercoes;
  Totais totais;
  Chaves chaves;
};

RegrasSaft::RegrasSaft(const std::string& ns, bool assertions, std::vector<Restricao> restricoes,
                       RelatoRegra erro, RelatoRegra aviso)
    : impl_(std::make_unique<Impl>(ns, assertions, std::move(restricoes), std::move(erro),
                                   std::move(aviso))) {}

RegrasSaft::~RegrasSaft() = default;

void RegrasSaft::Parte(xmlNode* part) {
  impl_->assercoes.Parte(part);
  impl_->totais.Parte(part);
  impl_->chaves.Parte(part);
}

void RegrasSaft::Fim() {
  impl_->totais.Fim();
  impl_->chaves.Fim();
}

bool RegrasSaft::Contentor(const xmlNode* n) {
  static const char* const kContentores[] = {
      "AuditFile",     "MasterFiles",     "GeneralLedgerAccounts", "SourceDocuments",
      "SalesInvoices", "MovementOfGoods", "WorkingDocuments",      "Payments"};
  if (n == nullptr || n->type != XML_ELEMENT_NODE) return false;
  for (const char* name : kContentores)
    if (xmlStrEqual(n->name, BAD_CAST name)) return true;
  return false;
}

}  // namespace saftpt
