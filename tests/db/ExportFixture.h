// What the tests that run an export share: a scratch folder per test with a
// settings file for the test database and an output folder, the built
// program run there, and the small office most of them start from.
#ifndef SAFTPT_TESTS_DB_EXPORTFIXTURE_H_
#define SAFTPT_TESTS_DB_EXPORTFIXTURE_H_

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "TestDatabase.h"

namespace saftpt::test {

// One office (its tax number written as `nif`), one customer, series A, the
// 23 % rate, the fee H1 and the exemption M07: what the documents of these
// tests refer to.
inline std::string SeedOffice(const std::string& nif) {
  return R"sql(
INSERT INTO configescritorio (ID, nome, morada, Localidade, Codpostal, NumContribuinte,
  EspacoFiscal, Iva, OC, OC1, IvaCaixa, ClienteIndiferenciado)
  VALUES (1, 'Sociedade de Advogados Teste', 'Rua do Ouro 1', 'Lisboa', '1100-060 Lisboa',
  ')sql" +
         nif + R"sql(', 'PT', 23, 0, 0, 0, '');
INSERT INTO clientes (CodCliente, NContribuinte, Nome, Morada, CodPostal, Localidade, Pais)
  VALUES ('C1', '123456789', 'Cliente Um', 'Rua A 2', '1000-001', 'Lisboa', 'Portugal');
INSERT INTO series (serie, descricao) VALUES ('A', 'Série A');
INSERT INTO iva (nome, descricao) VALUES ('23', 'Taxa normal');
INSERT INTO honorarios (Referencia, Descricao, Categoria, Valor) VALUES ('H1', 'Consulta', 'S', 100);
INSERT INTO tipoisencaoiva (Nome, CodMencao) VALUES ('Isento Artigo 9.º do CIVA', 'M07');
)sql";
}

class ExportTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("saftpt_export_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    outDir_ = dir_ / "out";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(outDir_);
    ini_ = WriteSettingsFile(dir_.string());
    xml_ = (outDir_ / "saft.xml").string();
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    DbTest::TearDown();
  }

  // `saftpt` with these arguments; `maxFileBytes` as in RunCli.
  CliResult Saftpt(std::vector<std::string> args, long long maxFileBytes = 0) const {
    return RunCli(std::move(args), dir_, maxFileBytes);
  }
  // The files in the output folder (a half-written temporary one included).
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(outDir_))
      names.push_back(e.path().filename());
    return names;
  }

  std::filesystem::path dir_;     // scratch: the settings file, the captured outputs
  std::filesystem::path outDir_;  // where the exports write
  std::string ini_;               // the settings file
  std::string xml_;               // outDir_/saft.xml
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_EXPORTFIXTURE_H_
