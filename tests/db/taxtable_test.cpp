#include <gtest/gtest.h>

#include <string>

#include "MasterFixture.h"
#include "base/Error.h"
#include "saft/TaxTable.h"

namespace saftpt::test {

namespace {

const char* kTaxas =
    "INSERT INTO iva (nome) VALUES ('23'),('16'),('13'),('12'),('6'),('0');"
    "INSERT INTO impostoselo (Codigo, Nome, Tipo, Valor) VALUES "
    "('17.3.1','Verba 17.3.1 - Operações de crédito','Percentagem',4),"
    "('17.3.4','Verba 17.3.4 - Comissões','percentagem',4),"
    "('9','Verba 9','Valor',5.5);";

class TaxTableTest : public MasterTest {};

TEST_F(TaxTableTest, MainlandOffice) {
  Exec(kTaxas);
  ExpectGolden(Section(WriteTaxTable), "taxtable.xml");
  EXPECT_EQ(progress_.log.str(), "M 3 TaxTable\nM 4 TaxTableIS\n");
}

TEST_F(TaxTableTest, MadeiraOfficeKeepsTheAzoresRateInTheAzores) {
  office_.espacoFiscal = "Madeira";
  office_.iva = 22;
  Exec(kTaxas);
  const std::string xml = Section(WriteTaxTable);
  using V = std::vector<std::string>;
  EXPECT_EQ(Texts(xml, "TaxCountryRegion"),
            V({"PT-MA", "PT-AC", "PT-MA", "PT-MA", "PT-MA", "PT-MA", "PT-MA", "PT-MA", "PT-MA"}));
  // 12 % is Madeira's intermediate rate, 13 % the mainland's.
  EXPECT_EQ(Texts(xml, "TaxCode"),
            V({"RED", "NOR", "RED", "INT", "RED", "ISE", "17.3.1", "17.3.4", "9"}));
}

TEST_F(TaxTableTest, AzoresOfficeWritesItsRegionEverywhere) {
  office_.espacoFiscal = "Açores";
  office_.iva = 16;
  Exec(
      "INSERT INTO iva (nome) VALUES ('16'),('9'),('4');"
      "INSERT INTO impostoselo (Codigo, Nome, Tipo, Valor) VALUES ('1','Selo','Valor',1);");
  const std::string xml = Flat(Section(WriteTaxTable));
  EXPECT_EQ(xml.find("<TaxCountryRegion>PT<"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<TaxCountryRegion>PT-AC</TaxCountryRegion><TaxCode>INT</TaxCode>"
                     "<Description>IVA</Description><TaxPercentage>9.00</TaxPercentage>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<TaxCountryRegion>PT-AC</TaxCountryRegion><TaxCode>RED</TaxCode>"
                     "<Description>IVA</Description><TaxPercentage>4.00</TaxPercentage>"),
            std::string::npos)
      << xml;
}

TEST_F(TaxTableTest, EmptyTablesGiveAnEmptyTaxTable) {
  const std::string xml = Flat(Section(WriteTaxTable));
  EXPECT_TRUE(xml.find("<TaxTable/>") != std::string::npos ||
              xml.find("<TaxTable></TaxTable>") != std::string::npos)
      << xml;
}

TEST_F(TaxTableTest, RateThatIsNoNumberStopsTheRun) {
  for (const char* taxa : {"NULL", "'abc'"}) {
    Exec(std::string("DELETE FROM iva; INSERT INTO iva (nome) VALUES (") + taxa + ");");
    EXPECT_THROW(Section(WriteTaxTable), Error) << taxa;
  }
}

TEST_F(TaxTableTest, TaxCodes) {
  auto ctx = Context();
  EXPECT_EQ(TaxCode(*ctx, 23), "NOR");
  EXPECT_EQ(TaxCode(*ctx, 16), "NOR");
  EXPECT_EQ(TaxCode(*ctx, 13), "INT");
  EXPECT_EQ(TaxCode(*ctx, 12), "RED");
  EXPECT_EQ(TaxCode(*ctx, 6), "RED");
  EXPECT_EQ(TaxCode(*ctx, 0), "ISE");
  EXPECT_EQ(TaxCode(*ctx, 22.999), "RED");
  office_.iva = 22;
  auto madeira = Context();
  EXPECT_EQ(TaxCode(*madeira, 22), "NOR");
  EXPECT_EQ(TaxCode(*madeira, 23), "RED");
  office_.espacoFiscal = "Madeira";
  madeira = Context();
  EXPECT_EQ(TaxCode(*madeira, 12), "INT");
  EXPECT_EQ(TaxCode(*madeira, 13), "RED");
}

class TaxTableKindsTest : public TaxTableTest, public ::testing::WithParamInterface<SchemaKind> {};

TEST_P(TaxTableKindsTest, SameFileOnEveryKindOfDatabase) {
  CreateDatabase(GetParam());
  Exec(kTaxas);
  ExpectGolden(Section(WriteTaxTable), "taxtable.xml");
}

INSTANTIATE_TEST_SUITE_P(Kinds, TaxTableKindsTest, ::testing::Values(SchemaKind{true, false, true}),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace saftpt::test
