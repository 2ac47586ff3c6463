// Loading the office configuration row.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "base/Error.h"
#include "config/OfficeConfig.h"

namespace saftpt::test {
namespace {

class OfficeConfigTest : public DbTest {
 protected:
  // The description of the error LoadOfficeConfig raises.
  std::string Failure(ConfiguracaoEscritorio& config) {
    try {
      LoadOfficeConfig(db_, config);
    } catch (const Error& e) {
      return e.Description();
    }
    ADD_FAILURE() << "the configuration loaded";
    return "";
  }
};

TEST_F(OfficeConfigTest, LoadsTheOfficeRow) {
  Exec(
      "INSERT INTO configescritorio (ID, nome, morada, Localidade, Codpostal, NumContribuinte, "
      "EspacoFiscal, Iva, OC) VALUES (2, 'Outro', '', '', '', '', '', 6, 0), "
      "(1, 'Sociedade de Advogados Conce\u00e7\u00e3o', 'Rua do Ouro, 12', 'Lisboa', "
      "'1100-060', ' 501 234 567 ', 'PT', 23.00, 1)");
  ConfiguracaoEscritorio c;
  LoadOfficeConfig(db_, c);
  EXPECT_EQ(c.nome, "Sociedade de Advogados Conce\u00e7\u00e3o");
  EXPECT_EQ(c.morada, "Rua do Ouro, 12");
  EXPECT_EQ(c.localidade, "Lisboa");
  EXPECT_EQ(c.codPostal, "1100-060");
  EXPECT_EQ(c.numContribuinte, " 501 234 567 ");  // the spaces go only when written
  EXPECT_EQ(c.espacoFiscal, "PT");
  EXPECT_DOUBLE_EQ(c.iva, 23);
  EXPECT_TRUE(c.oc);
}

TEST_F(OfficeConfigTest, EmptyOrNullTextsKeepThePreviousValue) {
  Exec(
      "INSERT INTO configescritorio (ID, nome, morada, Localidade, Iva, OC) "
      "VALUES (1, NULL, '', 'Porto', 13.5, 0)");
  ConfiguracaoEscritorio c;
  LoadOfficeConfig(db_, c);
  EXPECT_EQ(c.nome, "");
  EXPECT_EQ(c.morada, "");
  EXPECT_EQ(c.localidade, "Porto");
  EXPECT_DOUBLE_EQ(c.iva, 13.5);
  EXPECT_FALSE(c.oc);
  c.nome = "Anterior";
  c.morada = "Antiga";
  LoadOfficeConfig(db_, c);
  EXPECT_EQ(c.nome, "Anterior");
  EXPECT_EQ(c.morada, "Antiga");
}

TEST_F(OfficeConfigTest, MissingRowColumnOrRateIsAnError) {
  ConfiguracaoEscritorio c;
  EXPECT_NE(Failure(c).find("ID=1"), std::string::npos);

  Exec("INSERT INTO configescritorio (ID, nome, Iva, OC) VALUES (1, 'Escritorio', NULL, 0)");
  EXPECT_NE(Failure(c).find("\"Iva\""), std::string::npos);
  EXPECT_EQ(c.nome, "") << "a failed load leaves the values as they were";

  Exec("UPDATE configescritorio SET Iva = 23, OC = NULL");
  EXPECT_NE(Failure(c).find("\"OC\""), std::string::npos);

  Exec("UPDATE configescritorio SET OC = 0; ALTER TABLE configescritorio DROP COLUMN Pais");
  EXPECT_NE(Failure(c).find("\"Pais\""), std::string::npos);

  Exec("ALTER TABLE configescritorio ADD COLUMN Pais VARCHAR(60) NULL, DROP COLUMN EspacoFiscal");
  EXPECT_NE(Failure(c).find("\"EspacoFiscal\""), std::string::npos);
}

}  // namespace
}  // namespace saftpt::test
