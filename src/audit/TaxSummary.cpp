#include "audit/TaxSummary.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include "audit/SaftFileReader.h"
#include "base/Error.h"
#include "base/FileReplace.h"
#include "base/Utf8.h"
#include "saft/DocumentKinds.h"

namespace saftpt {

namespace {

constexpr long long kMilionesimos = 1000000;  // of a euro

// A decimal text ("-12.5", "23") in units of 10^-casas; nullopt when it is
// no number. Digits beyond `casas` are rounded half away from zero.
std::optional<long long> Decimal(const std::string& texto, int casas) {
  size_t i = 0;
  bool negativo = false;
  if (i < texto.size() && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
  long long valor = 0;
  int depois = -1;  // digits read after the point
  bool algarismos = false, arredonda = false;
  for (; i < texto.size(); ++i) {
    char c = texto[i];
    if (c == '.' && depois < 0) {
      depois = 0;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    algarismos = true;
    if (depois >= casas) {
      if (depois == casas) arredonda = c >= '5';
      ++depois;
      continue;
    }
    if (valor > 900000000000000000LL / 10) return std::nullopt;
    valor = valor * 10 + (c - '0');
    if (depois >= 0) ++depois;
  }
  if (!algarismos) return std::nullopt;
  for (int d = depois < 0 ? 0 : depois; d < casas; ++d) valor *= 10;
  if (arredonda) ++valor;
  return negativo ? -valor : valor;
}

long long Montante(const std::string& texto) {
  return Decimal(texto, 6).value_or(0);
}

// num / den rounded half away from zero (den > 0).
long long DivideRounded(__int128 num, __int128 den) {
  __int128 q = ((num < 0 ? -num : num) * 2 + den) / (den * 2);
  return static_cast<long long>(num < 0 ? -q : q);
}

long long Centimos(long long milionesimos) {
  return DivideRounded(milionesimos, kMilionesimos / 100);
}

// Cents with a dot and two places.
std::string Euros(long long centimos) {
  long long a = std::llabs(centimos);
  std::string c = std::to_string(a % 100);
  return (centimos < 0 ? "-" : "") + std::to_string(a / 100) + "." + (c.size() < 2 ? "0" : "") + c;
}

std::string Taxa(long long centesimas) {
  return centesimas < 0 ? "" : Euros(centesimas);
}

void Soma(TotaisIva& t, const DocumentoLido& d) {
  // Documents whose every line debits (credit notes) take their sums off.
  const DocumentKind* kind = FindFileType(d.tipo);
  int sinal = kind && kind->lines == LineSide::kDebit ? -1 : 1;
  for (const LinhaLida& l : d.linhas) {
    long long base = Montante(l.creditAmount) - Montante(l.debitAmount);
    long long taxa = l.taxAmount.empty() ? Decimal(l.taxPercentage, 2).value_or(0) : -1;
    TotaisIva::Imposto imposto{l.taxType, l.taxCountryRegion, l.taxCode, taxa};
    if (!l.taxType.empty()) t.bases[imposto] += base;
    if (taxa < 0) {
      bool credito = !l.creditAmount.empty();
      t.montantes[imposto] += (credito ? 1 : -1) * Montante(l.taxAmount);
    }
    if (!l.taxExemptionCode.empty()) t.isencoes[l.taxExemptionCode] += base;
  }
  for (const auto& [tipo, valor] : d.retencoes) t.retencoes[tipo] += sinal * Montante(valor);
  t.taxPayable += sinal * Montante(d.taxPayable);
}

// `texto` padded with blanks to `largura` characters, on the left or right.
std::string Coluna(const std::string& texto, size_t largura, bool direita = false) {
  size_t n = Utf8Length(texto);
  std::string espacos(n < largura ? largura - n : 0, ' ');
  return direita ? espacos + texto : texto + espacos;
}

// The taxes in the order shown: by type and region, the highest rate first.
std::vector<std::pair<TotaisIva::Imposto, long long>> Ordenados(const TotaisIva& t) {
  std::vector<std::pair<TotaisIva::Imposto, long long>> v(t.bases.begin(), t.bases.end());
  std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) {
    const auto& [ta, ra, ca, xa] = a.first;
    const auto& [tb, rb, cb, xb] = b.first;
    return std::tie(ta, ra, xb, ca) < std::tie(tb, rb, xa, cb);
  });
  return v;
}

const char* const kTotalDoIva = "Total do IVA";
const char* const kIsencao = "Isenção";
const char* const kRetencao = "Retenção";
const char* const kTaxPayable = "TaxPayable dos documentos";

std::string Opcional(const std::optional<long long>& centimos) {
  return centimos ? Euros(*centimos) : "";
}

void Tabela(std::string& out, const TotaisIva& t, const std::string& inicio) {
  using Tipo = LinhaResumoIva::Tipo;
  for (const LinhaResumoIva& l : LinhasResumoIva(t)) {
    std::string rotulo = l.Rotulo() + (l.codigo.empty() ? "" : " " + l.codigo);
    switch (l.tipo) {
      case Tipo::kImposto:
        rotulo = Coluna(l.imposto, 9) + Coluna(l.regiao, 8) + Coluna(l.codigo, 8) +
                 Coluna(Taxa(l.taxa), 7, true);
        break;
      case Tipo::kIsencao:  // no tax on an exempt base
        out += inicio + Coluna(rotulo, 32) + Coluna(Opcional(l.base), 18, true) + "\n";
        continue;
      default:
        rotulo = Coluna(rotulo, 32);
    }
    out += inicio + rotulo + Coluna(Opcional(l.base), 18, true) +
           Coluna(Opcional(l.valor), 16, true) + "\n";
  }
}

}  // namespace

std::string LinhaResumoIva::Rotulo() const {
  switch (tipo) {
    case Tipo::kImposto:
      return imposto;
    case Tipo::kTotalIva:
      return kTotalDoIva;
    case Tipo::kIsencao:
      return kIsencao;
    case Tipo::kRetencao:
      return kRetencao;
    case Tipo::kTaxPayable:
      return kTaxPayable;
  }
  return "";
}

std::vector<LinhaResumoIva> LinhasResumoIva(const TotaisIva& t) {
  using Tipo = LinhaResumoIva::Tipo;
  std::vector<LinhaResumoIva> linhas;
  long long somaBase = 0, somaImposto = 0;
  for (const auto& [imposto, base] : Ordenados(t)) {
    const auto& [tipo, regiao, codigo, taxa] = imposto;
    long long centimos = t.ImpostoCentimos(imposto);
    linhas.push_back({Tipo::kImposto, tipo, regiao, codigo, taxa, Centimos(base), centimos});
    if (tipo != "IVA") continue;
    somaBase += Centimos(base);
    somaImposto += centimos;
  }
  linhas.push_back({Tipo::kTotalIva, "", "", "", -1, somaBase, somaImposto});
  for (const auto& [codigo, base] : t.isencoes)
    linhas.push_back({Tipo::kIsencao, "", "", codigo, -1, Centimos(base), 0});
  for (const auto& [tipo, valor] : t.retencoes)
    linhas.push_back({Tipo::kRetencao, "", "", tipo, -1, std::nullopt, Centimos(valor)});
  linhas.push_back({Tipo::kTaxPayable, "", "", "", -1, std::nullopt, Centimos(t.taxPayable)});
  return linhas;
}

std::string EurosPortugues(long long centimos, bool agrupado) {
  std::string texto = Euros(centimos);
  texto[texto.size() - 3] = ',';
  if (!agrupado) return texto;
  // The whole euros in groups of three, a blank between them.
  const size_t inicio = centimos < 0 ? 1 : 0;
  const std::string euros = texto.substr(inicio, texto.size() - 3 - inicio);
  std::string agrupados;
  for (size_t i = 0; i < euros.size(); ++i) {
    if (i > 0 && (euros.size() - i) % 3 == 0) agrupados += ' ';
    agrupados += euros[i];
  }
  return texto.substr(0, inicio) + agrupados + texto.substr(texto.size() - 3);
}

long long TotaisIva::ImpostoCentimos(const Imposto& imposto) const {
  long long taxa = std::get<3>(imposto);
  if (taxa < 0) {
    auto it = montantes.find(imposto);
    return it == montantes.end() ? 0 : Centimos(it->second);
  }
  auto it = bases.find(imposto);
  if (it == bases.end()) return 0;
  // millionths x hundredths of a percent -> cents
  return DivideRounded(static_cast<__int128>(it->second) * taxa, 100000000);
}

ResumoIva ComputeResumoIva(const std::string& path) {
  ResumoIva r;
  ReadSaftDocuments(path, true, [&](const CabecalhoLido&, const DocumentoLido& d) {
    if (d.section != SourceSection::kSalesInvoices || d.estado == "A") return;
    ++r.documentos;
    Soma(r.total, d);
    Soma(r.meses[std::atoi(d.period.c_str())], d);
  });
  return r;
}

std::string ResumoIvaTitulo(const ResumoIva& r) {
  return "Resumo do IVA e das retenções na fonte (" + std::to_string(r.documentos) +
         " documentos de venda não anulados)";
}

std::string ResumoIvaTexto(const ResumoIva& r) {
  std::string out = ResumoIvaTitulo(r) + "\n\n";
  const char* const* c = kColunasResumoIva;
  const std::string cabecalho = Coluna(c[0], 9) + Coluna(c[1], 8) + Coluna(c[2], 8) +
                                Coluna(c[3], 7, true) + Coluna(c[4], 18, true) +
                                Coluna(c[5], 16, true) + "\n";
  out += cabecalho;
  Tabela(out, r.total, "");
  if (r.meses.empty()) return out;
  out += "\n" + std::string(kPorMes) + "\n" + Coluna(kColunaMes, 5) + cabecalho;
  for (const auto& [mes, totais] : r.meses) {
    out += "\n";
    Tabela(out, totais, Coluna(std::to_string(mes), 5));
  }
  return out;
}

std::string ResumoIvaCsv(const ResumoIva& r) {
  using Tipo = LinhaResumoIva::Tipo;
  std::string out = "imposto,regiao,codigo,taxa,base,valor\n";
  for (const LinhaResumoIva& l : LinhasResumoIva(r.total)) {
    std::string imposto;
    switch (l.tipo) {
      case Tipo::kImposto:
        imposto = l.imposto;
        break;
      case Tipo::kTotalIva:  // the spreadsheet sums the rows itself
        continue;
      case Tipo::kIsencao:
        imposto = "ISENCAO";
        break;
      case Tipo::kRetencao:
        imposto = "RETENCAO";
        break;
      case Tipo::kTaxPayable:
        imposto = "TAXPAYABLE";
        break;
    }
    out += imposto + "," + l.regiao + "," + l.codigo + "," + Taxa(l.taxa) + "," + Opcional(l.base) +
           "," + Opcional(l.valor) + "\n";
  }
  return out;
}

void SaveResumoIvaCsv(const ResumoIva& r, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << ResumoIvaCsv(r);
  out.close();
  if (!out) WriteError(path, errno);
}

}  // namespace saftpt
