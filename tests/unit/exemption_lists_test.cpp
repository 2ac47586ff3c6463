#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "saft/ExemptionCheck.h"
#include "saft/ExemptionReasons.h"

namespace saftpt {
namespace {

const DateTime kAntes = DateTime{2022, 12, 31, 23, 59, 59};
const DateTime kDia = DateTime::Date(2023, 1, 1);

TEST(ExemptionLists, PeriodChoosesTheList) {
  EXPECT_EQ(AcceptedMotivos(kAntes).size(), 16u);
  EXPECT_EQ(MotivosCodificados(kAntes).size(), 18u);
  EXPECT_EQ(AcceptedMotivos(kDia).size(), 27u);
  EXPECT_EQ(MotivosCodificados(kDia).size(), 29u);
  EXPECT_EQ(AcceptedMotivos(DateTime{2023, 1, 1, 12, 0, 0}).size(), 27u);
  EXPECT_EQ(MotivosCodificados(kAntes).front(), "M01 - Artigo 16.º n.º 6 do CIVA (ou similar)");
  EXPECT_EQ(MotivosCodificados(kDia)[22],
            "M34 - Iva - autoliquidação - Artigo 2.º n.º 1 alínea n) do CIVA");
  EXPECT_EQ(AcceptedMotivos(kDia).back(),
            "Não sujeito ou não tributado - Outras situações de não liquidação do imposto (Ex: "
            "artigo 2.º, n.º 2  artigo 3.º, n.ºs 4, 6 e 7 artigo 4.º, n.º 5, todos do CIVA)");
}

// Every accepted text is offered by the dialog of the same period; the dialog
// offers exactly two codes whose texts are not accepted.
TEST(ExemptionLists, AcceptedTextsMatchTheDialogEntries) {
  struct Periodo {
    DateTime start;
    std::set<std::string> naoAceites;
  };
  for (const Periodo& p : {Periodo{kAntes, {"M16", "M20"}}, Periodo{kDia, {"M26", "M34"}}}) {
    const auto& aceites = AcceptedMotivos(p.start);
    std::set<std::string> textosDialogo;
    std::set<std::string> codigosFora;
    for (const std::string& entrada : MotivosCodificados(p.start)) {
      MotivoIsencao m = SeparaMotivo(entrada);
      ASSERT_EQ(m.code.size(), 3u) << entrada;
      EXPECT_EQ(m.code + " - " + m.text, entrada);
      textosDialogo.insert(m.text);
      if (std::find(aceites.begin(), aceites.end(), m.text) == aceites.end())
        codigosFora.insert(m.code);
    }
    for (const std::string& t : aceites) EXPECT_EQ(textosDialogo.count(t), 1u) << t;
    EXPECT_EQ(codigosFora, p.naoAceites);
  }
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

TEST(ExemptionLists, DeprecatedCodesAreExact) {
  for (const char* c : {"M03", "M08", "M17", "M18"}) EXPECT_TRUE(IsDiscontinuedCodMencao(c)) << c;
  for (const char* c : {"m03", "M03 ", "M3", "M07", "M99", ""})
    EXPECT_FALSE(IsDiscontinuedCodMencao(c)) << c;
}

TEST(ExemptionLists, MembershipIgnoresCaseAndSurroundingBlanks) {
  const auto& novos = AcceptedMotivos(kDia);
  EXPECT_TRUE(IsAcceptedReason("isento ARTIGO 9.º do civa ", novos));
  EXPECT_TRUE(IsAcceptedReason("  REGIME DA MARGEM DE LUCRO - AGÊNCIAS DE VIAGENS", novos));
  EXPECT_FALSE(IsAcceptedReason("Isento Artigo 9.º do CIVA (ou similar)", novos));
  EXPECT_TRUE(IsAcceptedReason("Isento Artigo 9.º do CIVA (ou similar)", AcceptedMotivos(kAntes)));
  EXPECT_FALSE(IsAcceptedReason("Isento  Artigo 9.º do CIVA", novos));  // inner blanks count
  EXPECT_FALSE(IsAcceptedReason("", novos));
  EXPECT_FALSE(IsAcceptedReason("x", {}));
}

}  // namespace
}  // namespace saftpt
