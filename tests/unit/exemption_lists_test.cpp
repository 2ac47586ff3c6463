#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "../ShippedTable.h"
#include "base/Error.h"
#include "saft/ExemptionCheck.h"
#include "saft/ExemptionReasons.h"

namespace saftpt {
namespace {

using test::ShippedMotivos;

const DateTime kAntes = DateTime{2022, 12, 31, 23, 59, 59};
const DateTime kDia = DateTime::Date(2023, 1, 1);
const DateTime k2025 = DateTime::Date(2025, 1, 1);

// The dialog's lists of today, and the three codes of 2025 from that day on.
TEST(ExemptionLists, PeriodChoosesTheList) {
  const ExemptionTable& t = ShippedMotivos();
  EXPECT_EQ(t.Offered(kAntes).size(), 18u);
  EXPECT_EQ(t.Offered(kDia).size(), 29u);
  EXPECT_EQ(t.Offered(DateTime::Date(2024, 12, 31)).size(), 29u);
  EXPECT_EQ(t.Offered(k2025).size(), 32u);
  EXPECT_EQ(t.Accepted(DateTime{2023, 1, 1, 12, 0, 0}).size(), 29u);
  EXPECT_EQ(t.Offered(kAntes).front(), "M01 - Artigo 16.º n.º 6 do CIVA (ou similar)");
  EXPECT_EQ(t.Offered(kDia)[22], "M34 - Iva - autoliquidação - Artigo 2.º n.º 1 alínea n) do CIVA");
  EXPECT_EQ(t.Offered(k2025)[27], "M44 - IVA - Regras específicas - artigo 6.º");
  EXPECT_EQ(t.Offered(k2025)[29], "M46 - IVA - e-TaxFree");
  EXPECT_EQ(t.Offered(k2025).back(),
            "M99 - Não sujeito ou não tributado - Outras situações de não liquidação do imposto "
            "(Ex: artigo 2.º, n.º 2  artigo 3.º, n.ºs 4, 6 e 7 artigo 4.º, n.º 5, todos do CIVA)");
}

// Every entry the dialog offers is accepted, so a reason corrected to it
// passes the next export; the rows not marked accepted are the four that once
// came back to the dialog.
TEST(ExemptionLists, OfferedEntriesAreAccepted) {
  struct Periodo {
    DateTime start;
    std::set<std::string> soNoDialogo;
  };
  for (const Periodo& p : {Periodo{kAntes, {"M16", "M20"}}, Periodo{kDia, {"M26", "M34"}}}) {
    const auto aceites = ShippedMotivos().Accepted(p.start);
    std::set<std::string> soNoDialogo;
    for (const MotivoEntry& e : ShippedMotivos().InForce(p.start)) {
      if (!e.dialogo) continue;
      EXPECT_EQ(SeparaMotivo(e.Entry()).text, e.texto);
      EXPECT_TRUE(IsAcceptedReason(e.texto, aceites)) << e.Entry();
      if (!e.aceite) soNoDialogo.insert(e.codigo);
    }
    EXPECT_EQ(soNoDialogo, p.soNoDialogo);
  }
  EXPECT_FALSE(IsAcceptedReason("IVA - e-TaxFree", ShippedMotivos().Accepted(kDia)));
  EXPECT_TRUE(IsAcceptedReason("IVA - e-TaxFree", ShippedMotivos().Accepted(k2025)));
}

TEST(ExemptionLists, SeparaMotivoSplitsAtTheFirstHyphen) {
  MotivoIsencao m = SeparaMotivo("M07 - Isento Artigo 9.º do CIVA");
  EXPECT_EQ(m.code, "M07");
  EXPECT_EQ(m.text, "Isento Artigo 9.º do CIVA");
  m = SeparaMotivo("M08 - IVA - autoliquidação");
  EXPECT_EQ(m.code, "M08");
  EXPECT_EQ(m.text, "IVA - autoliquidação");
  m = SeparaMotivo("  M99  -x");
  EXPECT_EQ(m.code, "M99");
  EXPECT_EQ(m.text, "x");
  m = SeparaMotivo("M10");
  EXPECT_EQ(m.code, "M10");
  EXPECT_EQ(m.text, "");
}

// Withdrawn from periods starting after 2023-01-01.
TEST(ExemptionLists, WithdrawnCodesAreExact) {
  const DateTime depois = DateTime::Date(2023, 1, 2);
  for (const char* c : {"M03", "M08", "M17", "M18"}) {
    EXPECT_TRUE(ShippedMotivos().IsWithdrawnCode(c, depois)) << c;
    EXPECT_FALSE(ShippedMotivos().IsWithdrawnCode(c, kDia)) << c;
  }
  for (const char* c : {"m03", "M03 ", "M3", "M07", "M99", ""})
    EXPECT_FALSE(ShippedMotivos().IsWithdrawnCode(c, depois)) << c;
}

TEST(ExemptionLists, MembershipIgnoresCaseAndSurroundingBlanks) {
  const auto novos = ShippedMotivos().Accepted(kDia);
  EXPECT_TRUE(IsAcceptedReason("isento ARTIGO 9.º do civa ", novos));
  EXPECT_TRUE(IsAcceptedReason("  REGIME DA MARGEM DE LUCRO - AGÊNCIAS DE VIAGENS", novos));
  EXPECT_FALSE(IsAcceptedReason("Isento Artigo 9.º do CIVA (ou similar)", novos));
  EXPECT_TRUE(IsAcceptedReason("Isento Artigo 9.º do CIVA (ou similar)",
                               ShippedMotivos().Accepted(kAntes)));
  EXPECT_FALSE(IsAcceptedReason("Isento  Artigo 9.º do CIVA", novos));  // inner blanks count
  EXPECT_FALSE(IsAcceptedReason("", novos));
  EXPECT_FALSE(IsAcceptedReason("x", {}));
}

// Each kind of broken table stops with the file and the line.
TEST(ExemptionLists, BrokenTablesNameFileAndLine) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("motivos-" + std::to_string(::getpid()) + ".csv"))
          .string();
  auto mensagem = [&path] {
    try {
      ExemptionTable::Read(path);
      return std::string("lida");
    } catch (const Error& e) {
      return e.Description();
    }
  };
  const std::string cabecalho = "codigo,texto,desde,ate,aceite,dialogo\n";
  const std::string valida = "M07,Isento Artigo 9.º do CIVA,2023-01-01,,1,1\n";
  const std::pair<std::string, std::string> casos[] = {
      {cabecalho + valida + "M7,Isento,2023-01-01,,1,1\n",
       "linha 3: código «M7» inválido (M e dois algarismos)"},
      {cabecalho + valida + valida + "M07,\"  \",2023-01-01,,1,1\n", "linha 4: texto vazio"},
      {cabecalho + "M44,\"IVA, art. 6.º\",2025-13-01,,1,1\n",
       "linha 2: data «2025-13-01» inválida"},
      {cabecalho + "M44,Isento,2025-01-01,2024-12-31,1,1\n",
       "linha 2: data «2024-12-31» anterior a «2025-01-01»"},
      {cabecalho + "M44,Isento,2025-01-01,,sim,1\n", "linha 2: aceite «sim» inválido (0 ou 1)"},
      {cabecalho + "M44,Isento,2025-01-01,,1\n", "linha 2: 5 campos em vez de 6"},
      {cabecalho + "M44,\"Isento,2025-01-01,,1,1\n", "linha 2: aspas por fechar"},
      {"codigo;texto;desde;ate;aceite;dialogo\n",
       "linha 1: o cabeçalho deve ser «codigo,texto,desde,ate,aceite,dialogo»"},
      {cabecalho, "linha 1: nenhum motivo de isenção depois do cabeçalho"},
  };
  for (const auto& [texto, erro] : casos) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << texto;
    EXPECT_EQ(mensagem(), path + ", " + erro);
  }
  std::filesystem::remove(path);
  EXPECT_EQ(mensagem(), path + ": ficheiro em falta ou ilegível");
}

}  // namespace
}  // namespace saftpt
