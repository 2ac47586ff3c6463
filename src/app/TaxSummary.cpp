#include "app/TaxSummary.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "app/SaftFileReader.h"
#include "config/Utf8.h"

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
long long DivideArredonda(__int128 num, __int128 den) {
  __int128 q = ((num < 0 ? -num : num) * 2 + den) / (den * 2);
  return static_cast<long long>(num < 0 ? -q : q);
}

long long Centimos(long long milionesimos) {
  return DivideArredonda(milionesimos, kMilionesimos / 100);
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
  int sinal = d.tipo == "NC" ? -1 : 1;
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

std::string LinhaImposto(const std::string& inicio, const TotaisIva::Imposto& i, long long base,
                         long long imposto) {
  return inicio + Coluna(std::get<0>(i), 9) + Coluna(std::get<1>(i), 8) +
         Coluna(std::get<2>(i), 8) + Coluna(Taxa(std::get<3>(i)), 7, true) +
         Coluna(Euros(base), 18, true) + Coluna(Euros(imposto), 16, true) + "\n";
}

void Tabela(std::string& out, const TotaisIva& t, const std::string& inicio) {
  long long somaBase = 0, somaImposto = 0;
  for (const auto& [imposto, base] : Ordenados(t)) {
    long long centimos = t.ImpostoCentimos(imposto);
    out += LinhaImposto(inicio, imposto, Centimos(base), centimos);
    if (std::get<0>(imposto) != "IVA") continue;
    somaBase += Centimos(base);
    somaImposto += centimos;
  }
  out += inicio + Coluna("Total do IVA", 32) + Coluna(Euros(somaBase), 18, true) +
         Coluna(Euros(somaImposto), 16, true) + "\n";
  for (const auto& [codigo, base] : t.isencoes)
    out +=
        inicio + Coluna("Isenção " + codigo, 32) + Coluna(Euros(Centimos(base)), 18, true) + "\n";
  for (const auto& [tipo, valor] : t.retencoes)
    out += inicio + Coluna("Retenção " + tipo, 32) + Coluna("", 18) +
           Coluna(Euros(Centimos(valor)), 16, true) + "\n";
  out += inicio + Coluna("TaxPayable dos documentos", 32) + Coluna("", 18) +
         Coluna(Euros(Centimos(t.taxPayable)), 16, true) + "\n";
}

}  // namespace

long long TotaisIva::ImpostoCentimos(const Imposto& imposto) const {
  long long taxa = std::get<3>(imposto);
  if (taxa < 0) {
    auto it = montantes.find(imposto);
    return it == montantes.end() ? 0 : Centimos(it->second);
  }
  auto it = bases.find(imposto);
  if (it == bases.end()) return 0;
  // millionths x hundredths of a percent -> cents
  return DivideArredonda(static_cast<__int128>(it->second) * taxa, 100000000);
}

ResumoIva ComputeResumoIva(const std::string& path) {
  ResumoIva r;
  LeDocumentosSaft(path, true, [&](const CabecalhoLido&, const DocumentoLido& d) {
    if (d.seccao != Seccao::kSalesInvoices || d.estado == "A") return;
    ++r.documentos;
    Soma(r.total, d);
    Soma(r.meses[std::atoi(d.period.c_str())], d);
  });
  return r;
}

std::string ResumoIvaTexto(const ResumoIva& r) {
  std::string out = "Resumo do IVA e das retenções na fonte (" + std::to_string(r.documentos) +
                    " documentos de venda não anulados)\n\n";
  const std::string cabecalho = Coluna("Imposto", 9) + Coluna("Região", 8) + Coluna("Código", 8) +
                                Coluna("Taxa", 7, true) + Coluna("Base", 18, true) +
                                Coluna("Valor", 16, true) + "\n";
  out += cabecalho;
  Tabela(out, r.total, "");
  if (r.meses.empty()) return out;
  out += "\nPor mês\n" + Coluna("Mês", 5) + cabecalho;
  for (const auto& [mes, totais] : r.meses) {
    out += "\n";
    Tabela(out, totais, Coluna(std::to_string(mes), 5));
  }
  return out;
}

std::string ResumoIvaCsv(const ResumoIva& r) {
  const TotaisIva& t = r.total;
  std::string out = "imposto,regiao,codigo,taxa,base,valor\n";
  for (const auto& [imposto, base] : Ordenados(t))
    out += std::get<0>(imposto) + "," + std::get<1>(imposto) + "," + std::get<2>(imposto) + "," +
           Taxa(std::get<3>(imposto)) + "," + Euros(Centimos(base)) + "," +
           Euros(t.ImpostoCentimos(imposto)) + "\n";
  for (const auto& [codigo, base] : t.isencoes)
    out += "ISENCAO,," + codigo + ",," + Euros(Centimos(base)) + ",0.00\n";
  for (const auto& [tipo, valor] : t.retencoes)
    out += "RETENCAO,," + tipo + ",,," + Euros(Centimos(valor)) + "\n";
  out += "TAXPAYABLE,,,,," + Euros(Centimos(t.taxPayable)) + "\n";
  return out;
}

}  // namespace saftpt
