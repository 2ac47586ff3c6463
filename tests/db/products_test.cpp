#include <gtest/gtest.h>

#include <string>

#include "MasterFixture.h"
#include "base/Error.h"
#include "saft/Products.h"

namespace saftpt::test {

namespace {

// Fee types: references in no particular order, one held by two rows, rows
// without a reference, descriptions missing or blank, a long reference,
// categories in lower case or unknown to the schema.
std::string Honorarios() {
  return "INSERT INTO honorarios (Referencia, Descricao, Categoria) VALUES "
         "('B2','Consulta jurídica','P'),"
         "('A1','Parecer',NULL),"
         "('C3',NULL,''),"
         "('D4','   ','i'),"
         "('" +
         std::string(40, 'R') + "','" + std::string(250, 'd') +
         "','x'),"
         "(NULL,'Sem referência','S'),"
         "('','Referência vazia','S'),"
         "('E5','Primeira','S'),"
         "('E5','Segunda','S');";
}

class ProductsTest : public MasterTest {};

TEST_F(ProductsTest, CatchAllIsAddedLastWhenMissing) {
  Exec(Honorarios());
  ExpectGolden(Section(WriteProducts), "products_v4.xml");
  EXPECT_EQ(progress_.log.str(), "M 5 \n");
}

TEST_F(ProductsTest, OlderVersionCutsCodesAndDescriptionsShorter) {
  options_.schema = SchemaVersion::kV103;
  Exec(Honorarios());
  ExpectGolden(Section(WriteProducts), "products_v3.xml");
}

TEST_F(ProductsTest, ExistingCatchAllIsNotRepeated) {
  Exec(
      "INSERT INTO honorarios (Referencia, Descricao, Categoria) VALUES ('B2','b','S'),"
      "('DIVERSOS','Despesas diversas','S'),('A1','a','S');");
  const std::string xml = Flat(Section(WriteProducts));
  EXPECT_TRUE(InOrder(xml, {"<ProductCode>A1<", "<ProductCode>B2<", "<ProductCode>DIVERSOS<"}));
  size_t div = xml.find("<ProductCode>DIVERSOS<");
  EXPECT_EQ(xml.find("<ProductCode>DIVERSOS<", div + 1), std::string::npos);
  EXPECT_NE(xml.find("<ProductDescription>Despesas diversas<"), std::string::npos);
}

TEST_F(ProductsTest, EmptyTableStillHasTheCatchAll) {
  const std::string xml = Flat(Section(WriteProducts));
  EXPECT_NE(xml.find("<ProductType>S</ProductType><ProductCode>DIVERSOS</ProductCode>"
                     "<ProductDescription>DIVERSOS</ProductDescription>"
                     "<ProductNumberCode>DIVERSOS</ProductNumberCode>"),
            std::string::npos)
      << xml;
}

TEST_F(ProductsTest, LookupsByReference) {
  Exec(Honorarios() +
       "INSERT INTO honorarios (Referencia, Descricao, Categoria) VALUES "
       "('O''Neil','Com apóstrofo','P'),('Barra\\\\','Com barra',NULL);");
  auto ctx = Context();
  EXPECT_EQ(ProductDescription(*ctx, "B2"), "Consulta jurídica");
  EXPECT_EQ(ProductDescription(*ctx, "D4"), "D4");  // blank
  EXPECT_EQ(ProductDescription(*ctx, "C3"), "C3");  // Null
  EXPECT_EQ(ProductDescription(*ctx, "ZZ"), "ZZ");  // unknown
  EXPECT_EQ(ProductDescription(*ctx, "O'Neil"), "Com apóstrofo");
  EXPECT_EQ(ProductDescription(*ctx, "Barra\\"), "Com barra");
  EXPECT_EQ(ProductCategory(*ctx, "B2"), "P");
  EXPECT_EQ(ProductCategory(*ctx, "A1"), "S");  // Null
  EXPECT_EQ(ProductCategory(*ctx, "C3"), "S");  // empty
  EXPECT_EQ(ProductCategory(*ctx, "ZZ"), "S");
  EXPECT_EQ(ProductCategory(*ctx, "O'Neil"), "P");
  EXPECT_EQ(ProductCategory(*ctx, "Barra\\"), "S");
}

// A failing database is never written as a default.
TEST_F(ProductsTest, LookupsDoNotHideAFailingDatabase) {
  Exec("DROP TABLE honorarios");
  auto ctx = Context();
  EXPECT_THROW(ProductCategory(*ctx, "A1"), Error);
  EXPECT_THROW(ProductDescription(*ctx, "A1"), Error);
}

class ProductsKindsTest : public ProductsTest, public ::testing::WithParamInterface<SchemaKind> {};

TEST_P(ProductsKindsTest, SameFileOnEveryKindOfDatabase) {
  CreateDatabase(GetParam());
  Exec(Honorarios());
  ExpectGolden(Section(WriteProducts), "products_v4.xml");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProductsKindsTest, ::testing::Values(SchemaKind{true, true, true}),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace saftpt::test
