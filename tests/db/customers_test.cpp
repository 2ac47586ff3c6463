#include <gtest/gtest.h>

#include <string>

#include "MasterFixture.h"
#include "base/Error.h"
#include "saft/Customers.h"

namespace saftpt::test {
namespace {

// One document of a customer: type, series, date; it stores the customer's
// tax number (by default the one the customer has now).
std::string Doc(const std::string& cliente, const std::string& tipo, const std::string& serie,
                const std::string& data, const std::string& nif = "") {
  static int numero = 0;
  return "INSERT INTO documentos (tipodoc, serie, numero, Data, CodCliente, NContribuinteCliente) "
         "VALUES ('" +
         tipo + "','" + serie + "'," + std::to_string(++numero) + ",'" + data + "','" + cliente +
         "'," +
         (nif.empty() ? "(SELECT NContribuinte FROM clientes WHERE CodCliente='" + cliente + "')"
                      : nif) +
         ");";
}

// Customers covering the identifier, name, address, country and telephone
// rules, each with one document of January 2024.
std::string Clientes() {
  return "INSERT INTO clientes (CodCliente, NContribuinte, Nome, Morada, CodPostal, Pais, "
         "Telefone, Fax) VALUES "
         "('C01','123 456 789','José Conceição','Rua da Praça, 1','1000 - 001 Lisboa','portugal',"
         "'213456789',NULL),"
         "('C02','234567891','Partilha A',NULL,NULL,NULL,'   ','  '),"
         "('C03','234 567 891','Partilha B','','4700 Braga','','1234567890123456789012345',"
         "'21 000 00 00'),"
         "('C04','12345678','Oito Digitos','Calle Mayor','28001','ESPANHA',NULL,NULL),"
         "('C05','1234567890','Dez Digitos','Rue X','75001 Paris','França',NULL,NULL),"
         "('C06','',NULL,'Morada','','Spain',NULL,NULL),"
         "('C07',' 0 ','Zero','Morada','','Saint Martin',NULL,NULL),"
         "('C08','999999990','Consumidor Final','Morada','','São Martim',NULL,NULL),"
         "('C09',NULL,'" +
         std::string(70, 'N') + "','Morada','','Suíça',NULL,NULL);";
}

class CustomersTest : public MasterTest {
 protected:
  void LoadCustomers() {
    std::string script = Clientes();
    const char* tipos[] = {"F", "FR", "FA", "FS", "NC", "ND", "R", "OR", "F"};
    for (int i = 1; i <= 9; ++i) {
      std::string cod = "C0" + std::to_string(i);
      script += Doc(cod, tipos[i - 1], "A", i % 2 ? "2024-01-01" : "2024-01-31");
    }
    // A second document must not repeat the customer.
    script += Doc("C01", "F", "B", "2024-01-15");
    Exec(script);
  }
};

TEST_F(CustomersTest, IdentifierNameAddressAndCountryRules) {
  LoadCustomers();
  ExpectGolden(Section(WriteCustomers), "customers.xml");
}

TEST_F(CustomersTest, ProgressCountsWrittenCustomersFromTwo) {
  LoadCustomers();
  Section(WriteCustomers);
  const std::string log = progress_.log.str();
  EXPECT_EQ(log.rfind("M 2 Customers\nID ", 0), 0u) << log;
  EXPECT_NE(log.find("D 2\n"), std::string::npos);
  EXPECT_NE(log.find("D 10\n"), std::string::npos);
  EXPECT_EQ(log.find("D 11\n"), std::string::npos);
}

TEST_F(CustomersTest, OnlyExportedDocumentsOfThePeriodCount) {
  Exec(
      "INSERT INTO clientes (CodCliente, NContribuinte, Nome) VALUES "
      "('T1','111111111','So temporario'),('T2','222222222','Antes'),"
      "('T3','333333333','Depois'),('T4','444444444','Guia'),('T5','555555555','Dentro');" +
      Doc("T1", "F", "tmp", "2024-01-10") + Doc("T2", "F", "A", "2023-12-31") +
      Doc("T3", "FR", "A", "2024-02-01") + Doc("T4", "GT", "A", "2024-01-10") +
      Doc("T5", "OR", "A", "2024-01-31"));
  const std::string xml = Flat(Section(WriteCustomers));
  EXPECT_NE(xml.find("<CustomerID>555555555</CustomerID>"), std::string::npos) << xml;
  for (const char* fora : {"111111111", "222222222", "333333333", "444444444"})
    EXPECT_EQ(xml.find(fora), std::string::npos) << fora;
}

// Every CustomerID a document names has its Customer: after the customers of
// the period, in ascending order, the final consumer and the IDs of documents
// whose stored tax number or code differs from the customer's now. The first
// document in file order decides.
TEST_F(CustomersTest, EveryIdADocumentNamesHasItsCustomer) {
  options_.receipts = true;
  Exec(Clientes() + Doc("C01", "F", "A", "2024-01-10") +
       Doc("C01", "F", "A", "2024-01-11", "'500 100 200'") +  // its number then
       Doc("GONE", "OR", "A", "2024-01-05", "'12345'") +      // no longer in clientes
       Doc("GONE", "F", "A", "2024-01-20", "'67890'") +       // invoices come first
       Doc("C02", "R", "A", "2024-01-03", "'0'") +            // receipts: the customer's own
       Doc("0", "R", "A", "2024-01-12", "'999999990'") +      // the walk-in customer's receipt
       "INSERT INTO documentos (tipodoc, serie, numero, Data) VALUES ('FS','A',90,'2024-01-13');"
       "INSERT INTO configescritorio (ID, ClienteIndiferenciado) VALUES (1, '0');");
  const std::string xml = Flat(Write("AuditFile", WriteCustomers));
  using V = std::vector<std::string>;
  EXPECT_EQ(Texts(xml, "CustomerID"), V({"123456789", "C02", "500100200", "DESCONHECIDO", "GONE"}));
  EXPECT_NE(xml.find("<CustomerID>500100200</CustomerID><AccountID>Desconhecido</AccountID>"
                     "<CustomerTaxID>500100200</CustomerTaxID><CompanyName>Jos\xE9 Concei\xE7\xE3o"
                     "</CompanyName><BillingAddress><AddressDetail>Rua da Pra\xE7"
                     "a, 1"),
            std::string::npos)
      << xml;
  const std::string desconhecido =
      "<BillingAddress><AddressDetail>Desconhecido</AddressDetail><City>Desconhecido</City>"
      "<PostalCode>Desconhecido</PostalCode><Region>Desconhecido</Region><Country>Desconhecido"
      "</Country></BillingAddress><ShipToAddress><AddressDetail>Desconhecido</AddressDetail>";
  EXPECT_NE(xml.find("<CustomerID>DESCONHECIDO</CustomerID><AccountID>Desconhecido</AccountID>"
                     "<CustomerTaxID>999999990</CustomerTaxID><CompanyName>Consumidor final"
                     "</CompanyName>" +
                     desconhecido),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<CustomerID>GONE</CustomerID><AccountID>Desconhecido</AccountID>"
                     "<CustomerTaxID>67890</CustomerTaxID><CompanyName>Desconhecido</CompanyName>" +
                     desconhecido),
            std::string::npos)
      << xml;
}

TEST_F(CustomersTest, NameIsCutTo60InTheOlderVersion) {
  options_.schema = SchemaVersion::kV103;
  Exec("INSERT INTO clientes (CodCliente, Nome) VALUES ('C1','" + std::string(59, 'a') + "çãé');" +
       Doc("C1", "F", "A", "2024-01-05"));
  const std::string xml = Flat(Section(WriteCustomers));
  // Cut in characters: the 60th is the "ç", written in one byte.
  EXPECT_NE(xml.find("<CompanyName>" + std::string(59, 'a') + "\xE7</CompanyName>"),
            std::string::npos)
      << xml;
}

TEST_F(CustomersTest, UnknownCountryStopsWithTheCustomersCode) {
  Exec(
      "INSERT INTO clientes (CodCliente, Nome, Pais) VALUES ('C1','Bom','Portugal'),"
      "('C2','Mau',' Portugal');" +
      Doc("C1", "F", "A", "2024-01-05") + Doc("C2", "F", "A", "2024-01-06"));
  try {
    Section(WriteCustomers);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kBuilder);
    EXPECT_EQ(e.Description(), "Deve verificar o nome do País  Portugal no cliente C2");
  }
}

TEST_F(CustomersTest, CountryWithoutCodeIsUnknownToo) {
  Exec(
      "INSERT INTO clientes (CodCliente, Nome, Pais) VALUES "
      "('X9','Base','British Sovereign Base Areas');" +
      Doc("X9", "F", "A", "2024-01-05"));
  try {
    Section(WriteCustomers);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Description(),
              "Deve verificar o nome do País British Sovereign Base Areas no cliente X9");
  }
}

TEST_F(CustomersTest, QuotesInTaxNumbersCannotBreakTheCount) {
  Exec(
      "INSERT INTO clientes (CodCliente, NContribuinte) VALUES ('Q1','12''45678\\\\'),"
      "('Q2','1''3456789'),('Q3','1''3 456 789');");
  auto ctx = Context();
  EXPECT_EQ(CustomerIdForNif(*ctx, "Q1", "12'45678\\"), "12'45678\\");
  // Both customers share the number with the quote.
  EXPECT_EQ(CustomerIdForNif(*ctx, "Q2", "1'3456789"), "Q2");
  EXPECT_EQ(CustomerIdForNif(*ctx, "Q9", "1' OR '1'='1"), "Q9");
}

TEST_F(CustomersTest, IdentifierCountsCharactersAndSharedNumbers) {
  Exec(
      "INSERT INTO clientes (CodCliente, NContribuinte) VALUES ('A1','12345678é'),"
      "('B1','987654321'),('B2','987 654 321'),('B3','111222333');");
  auto ctx = Context();
  EXPECT_EQ(CustomerIdForNif(*ctx, "A1", "12345678é"), "12345678é");  // 9 characters, 10 bytes
  EXPECT_EQ(CustomerIdForNif(*ctx, "B1", "987654321"), "B1");
  EXPECT_EQ(CustomerIdForNif(*ctx, "B3", "111 222 333"), "111222333");
  // A number nobody has is unique as well.
  EXPECT_EQ(CustomerIdForNif(*ctx, "Z", "555666777"), "555666777");
  EXPECT_EQ(CustomerIdForNif(*ctx, "Z", "999999990"), "Z");
  EXPECT_EQ(CustomerIdForNif(*ctx, "Z", "12345\t789"), "12345\t789");
  EXPECT_EQ(CustomerIdForNif(*ctx, "Z", ""), "Z");
}

// Offices' databases differ in column types and character sets: the same
// customers give the same file.
class CustomersKindsTest : public CustomersTest,
                           public ::testing::WithParamInterface<SchemaKind> {};

TEST_P(CustomersKindsTest, SameFileOnEveryKindOfDatabase) {
  CreateDatabase(GetParam());
  LoadCustomers();
  ExpectGolden(Section(WriteCustomers), "customers.xml");
}

INSTANTIATE_TEST_SUITE_P(Kinds, CustomersKindsTest,
                         ::testing::Values(SchemaKind{true, true, false},
                                           SchemaKind{false, true, true}),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace saftpt::test
