#include "audit/ExportCheck.h"

namespace saftpt {

const char* const kFicheiroCumpre = "O ficheiro cumpre as regras da AT.";

namespace {

const char* const kNaoVerificado =
    "O ficheiro não foi verificado: não há aqui esquema da AT para a versão 1.03_01.";

// The sections as the billing program names them.
std::string SectionName(const std::string& section) {
  if (section == "SalesInvoices") return "Faturas";
  if (section == "WorkingDocuments") return "Orçamentos";
  if (section == "Payments") return "Recibos";
  return section;
}

// What the message says after `lead`, up to `end`.
std::string Between(const std::string& m, const std::string& lead, const std::string& end) {
  size_t p = m.find(lead);
  if (p == std::string::npos) return "";
  p += lead.size();
  size_t q = m.find(end, p);
  return q == std::string::npos ? "" : m.substr(p, q - p);
}

// The rule's own "Documento F A/12, linha 3: " or "Conta 11: " is said once.
std::string WithoutPlace(const std::string& m, const std::string& document) {
  if (document.empty()) return m;
  if (m.rfind("Documento " + document, 0) == 0 || m.rfind(document, 0) == 0) {
    size_t p = m.find(": ");
    if (p != std::string::npos) return m.substr(p + 2);
  }
  return m;
}

// What to fix, for the rules that say it in words of their own.
struct FixedText {
  Regra rule;
  const char* text;
};
constexpr FixedText kFixedTexts[] = {
    {Regra::kTaxaZeroSemMotivo, "taxa 0 % sem motivo de isenção"},
    {Regra::kMotivoSemCodigo, "taxa 0 % sem código de isenção"},
    {Regra::kSemLinhas, "documento sem linhas"},
    {Regra::kSemVersaoChave, "documento assinado sem versão da chave"},
};

// What to fix in the billing data, in the user's words where there are some.
std::string WhatToFix(const ValidationProblem& p) {
  for (const FixedText& f : kFixedTexts)
    if (f.rule == p.rule) return f.text;
  const std::string& m = p.message;
  switch (p.rule) {
    case Regra::kClienteInexistente:
      return "o cliente " + Between(m, "key-sequence ['", "'") +
             " não está na lista de clientes do ficheiro";
    case Regra::kProdutoInexistente:
      return "o honorário " + Between(m, "key-sequence ['", "'") +
             " não está na lista de produtos do ficheiro";
    case Regra::kTaxaForaDaTabela:
      return "a taxa " + Between(m, "imposto ", " não consta") +
             " não está na tabela de IVA (acrescente-a à tabela iva)";
    default:
      return WithoutPlace(m, p.document);
  }
}

}  // namespace

ProblemaDoFicheiro DescribeProblem(const ValidationProblem& p) {
  ProblemaDoFicheiro d;
  const std::string& m = p.message;
  if (p.rule == Regra::kTotalDaSeccao) {
    d.documento = SectionName(p.document);
    d.problema = WithoutPlace(m, p.document);
  } else {
    d.documento = p.document;
    d.linha = p.lineNumber;
    if (d.documento.empty() && d.linha.empty() && p.line > 0)
      d.linha = std::to_string(p.line) + " do ficheiro";
    d.problema = WhatToFix(p);
  }
  std::string where = d.documento;
  if (!d.linha.empty()) where += (where.empty() ? "Linha " : ", linha ") + d.linha;
  d.texto = where.empty() ? d.problema : where + ": " + d.problema;
  return d;
}

std::string VerificacaoDoFicheiro::Texto() const {
  if (!verificado) return kNaoVerificado;
  std::string text = problemas.empty() ? kFicheiroCumpre : "";
  for (const ProblemaDoFicheiro& p : problemas) text += (text.empty() ? "" : "\n") + p.texto;
  for (const std::string& a : avisos) text += "\nAviso: " + a;
  return text;
}

VerificacaoDoFicheiro CheckExportedFile(const std::string& file, SchemaVersion schema,
                                        const std::string& xsdPath, const AuditOptions& auditoria) {
  VerificacaoDoFicheiro v;
  if (schema != SchemaVersion::kV104) return v;
  FileAudit audit(auditoria);
  ValidationReport r =
      ValidateSaftFile(file, xsdPath.empty() ? DefaultSchemaPath() : xsdPath, audit.Taker());
  v.verificado = true;
  // The AT rejects a file whose totals do not add up: here they count too.
  for (const ValidationProblem& p : r.errors) v.problemas.push_back(DescribeProblem(p));
  for (const ValidationProblem& p : r.warnings) v.problemas.push_back(DescribeProblem(p));
  if (r.omitted > 0) {
    std::string more = "... e mais " + std::to_string(r.omitted) + " problemas.";
    v.problemas.push_back({"", "", more, more});
  }
  for (const AuditFinding& f : audit.Finish().findings) {
    if (f.gravidade == Gravidade::kErro)
      v.problemas.push_back({f.documento, "", WithoutPlace(f.message, f.documento), f.message});
    else
      v.avisos.push_back(f.message);
  }
  return v;
}

}  // namespace saftpt
