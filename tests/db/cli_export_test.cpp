// `saftpt export` end to end: the built program against a small billing
// database, its exit status, standard output and error, and the file it
// leaves; on a pseudo-terminal, its questions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "../../bench/BenchData.h"
#include "../TestKeys.h"
#include "ExportFixture.h"
#include "audit/SignatureCheck.h"
#include "config/Settings.h"

extern char** environ;

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

// One office, one customer and two invoices of March 2024 (100.00 and 50.00
// plus VAT).
const std::string kDados = SeedOffice("501234567") + R"sql(
INSERT INTO iva (nome, descricao) VALUES ('0', 'Isento');
INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,
  CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal, ModoPag) VALUES
  (1, 'F', 'A', 1, '2024-03-05', '2024-03-05 10:00:00', 0, 'JFCLI123-1', 'C1', '123456789', 23, 100, 123, 'NU'),
  (2, 'F', 'A', 2, '2024-03-20', '2024-03-20 10:00:00', 0, 'JFCLI123-2', 'C1', '123456789', 11.5, 50, 61.5, 'NU');
INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,
  Preco, ValorLiquido, Iva, ValorIva, ValorTotal) VALUES
  (1, 'F', 'A', 1, 'H1', 'Consulta', 1, 100, 100, 23, 23, 123),
  (2, 'F', 'A', 2, 'H1', 'Consulta', 1, 50, 50, 23, 11.5, 61.5);
)sql";

// Invoice 2's line zero-rated with a reason that is not one of the AT's.
const std::string kMotivoInvalido =
    "UPDATE documentoslinhas SET Iva=0, ValorIva=0, IsencaoIva='Isento (art. 9)' "
    "WHERE IDDoc=2; UPDATE documentos SET ValorIva=0, ValorTotal=50 WHERE IDDoc=2";

// Lines of the summary and the closing message for both invoices.
const char* kSaidaMarco =
    "NIF: 501234567\nNºFacturas: 2\nTotal Créditos: 150.00\nTotal Débitos: 0.00\n"
    "NºOrçamentos: 0\nTotal Créditos: 0.00\nTotal Débitos: 0.00\n"
    "NºRecibos: 0\nTotal Créditos: 0.00\nTotal Débitos: 0.00\nFicheiro exportado\n";

// What the check of a passing file adds after the summary.
const std::string kCumpre = "O ficheiro cumpre as regras da AT.\n";

bool Contem(const std::string& texto, const std::string& parte) {
  return texto.find(parte) != std::string::npos;
}

// The environment of the program: this one, with the "C" locale.
std::vector<std::string> Ambiente() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    if (v.rfind("LC_", 0) != 0 && v.rfind("LANG", 0) != 0) env.push_back(v);
  }
  env.push_back("LC_ALL=C");
  return env;
}

std::vector<char*> Ponteiros(std::vector<std::string>& textos) {
  std::vector<char*> p;
  for (auto& t : textos) p.push_back(t.data());
  p.push_back(nullptr);
  return p;
}

// A conversation with the program on a pseudo-terminal (standard input and
// error); standard output goes to a file.
class Conversa {
 public:
  Conversa(std::vector<std::string> args, const fs::path& saida) {
    args.insert(args.begin(), SAFTPT_CLI);
    std::vector<std::string> env = Ambiente();
    std::vector<char*> argv = Ponteiros(args), envp = Ponteiros(env);
    winsize ws{};
    ws.ws_col = 100;
    ws.ws_row = 40;
    int escravo = -1;
    if (openpty(&master_, &escravo, nullptr, nullptr, &ws) != 0)
      throw std::runtime_error("openpty");
    int out = open(saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(escravo, TIOCSCTTY, 0);
      dup2(escravo, 0);
      dup2(out, 1);
      dup2(escravo, 2);
      close(master_);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(escravo);
    close(out);
  }
  ~Conversa() {
    if (pid_ > 0) Termina();
    close(master_);
  }

  // Reads the screen until `texto` appears after what was already matched.
  bool Espera(const std::string& texto) {
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      size_t pos = ecra_.find(texto, lido_);
      if (pos != std::string::npos) {
        lido_ = pos + texto.size();
        return true;
      }
      if (fim_ || std::chrono::steady_clock::now() > limite) return false;
      Le(200);
    }
  }
  void Envia(const std::string& linha) {
    std::string l = linha + "\n";
    ASSERT_EQ(write(master_, l.data(), l.size()), static_cast<ssize_t>(l.size()));
  }
  // Answers "Motivo (1-29)" with M07, then `confirm` to the confirmation.
  bool ChooseM07(const std::string& confirm) {
    if (!Espera("Motivo (1-29)")) return false;
    Envia("6");
    if (!Espera("Confirma a atualização? [s/N]")) return false;
    Envia(confirm);
    return true;
  }
  // Reads to the end and returns the exit status.
  int Termina() {
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fim_ && std::chrono::steady_clock::now() < limite) Le(200);
    int estado = 0;
    if (!fim_) kill(pid_, SIGKILL);
    waitpid(pid_, &estado, 0);
    pid_ = -1;
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
  }
  const std::string& Ecra() const { return ecra_; }
  void Sinal(int sinal) { kill(pid_, sinal); }

 private:
  void Le(int ms) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return;
    char buf[4096];
    ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) {
      fim_ = true;  // the program closed the terminal
      return;
    }
    ecra_.append(buf, static_cast<size_t>(n));
  }

  int master_ = -1;
  pid_t pid_ = -1;
  std::string ecra_;
  size_t lido_ = 0;
  bool fim_ = false;
};

// What the billing program saves at once, as unit `n` of series W dated
// `data`: a new customer, an invoice for it and the receipt paying it, and the
// first quotation not yet cancelled, cancelled. Saved whole: in a transaction,
// or under its own locks on tables without transactions.
std::string UnidadeDoEscritorio(int n, const std::string& data, bool myisam) {
  std::string sql = R"sql(
    INSERT INTO clientes (CodCliente, NContribuinte, Nome, Morada, CodPostal, Pais)
      VALUES ('W#', '2@', 'Novo', 'Rua Nova 1', '1000-001', 'Portugal');
    INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,
      CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal, ModoPag) VALUES
      (1@, 'F', 'W', #, 'D', 'D', 0, 'JFWFATURA-#', 'W#', '2@', 23, 100, 123, 'NU'),
      (2@, 'R', 'W', #, 'D', 'D', 0, 'JFWRECIBO-#', 'W#', '2@', 0, 100, 123, 'NU');
    INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,
      Preco, ValorLiquido, Iva, ValorIva, ValorTotal, IDDocP, TipoDocP, SerieP, NumeroP) VALUES
      (1@, 'F', 'W', #, 'H1', 'Consulta', 1, 100, 100, 23, 23, 123, 0, NULL, NULL, NULL),
      (2@, 'R', 'W', #, NULL, NULL, 1, 0, 100, 0, 0, 123, 1@, 'F', 'W', #);
    UPDATE documentos SET Anulado=1, Motivo='Erro' WHERE tipodoc='OR' AND Anulado=0
      ORDER BY IDDoc LIMIT 1;)sql";
  char id[16];  // of the documents and the tax number, apart from those of the office
  std::snprintf(id, sizeof id, "%08d", n);
  for (size_t p; (p = sql.find('@')) != std::string::npos;) sql.replace(p, 1, id);
  for (size_t p; (p = sql.find('#')) != std::string::npos;) sql.replace(p, 1, std::to_string(n));
  for (size_t p; (p = sql.find("'D'")) != std::string::npos;) sql.replace(p, 3, "'" + data + "'");
  return myisam ? "LOCK TABLES clientes WRITE, documentos WRITE, documentoslinhas WRITE;" + sql +
                      "UNLOCK TABLES"
                : "START TRANSACTION;" + sql + "COMMIT";
}

class CliExportTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    Exec(kDados);
  }

  // Runs `saftpt export` with standard input from /dev/null.
  CliResult Export(std::vector<std::string> args) {
    args.insert(args.begin(), {"export", "--settings", ini_});
    return Saftpt(std::move(args));
  }
  // The arguments of an export of 2024 to xml_, then `more`.
  std::vector<std::string> ExportArgs(std::vector<std::string> more = {}) const {
    std::vector<std::string> args = {"export", "--settings", ini_,  "--output",
                                     xml_,     "--year",     "2024"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
};

TEST_F(CliExportTest, ExportsThePeriodAndPrintsTheSummary) {
  CliResult r = Export({"--output", xml_, "--from", "2024-03-01", "--to", "2024-03-31"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kSaidaMarco + kCumpre);
  EXPECT_EQ(r.err, "");
  std::string xml = FileText(xml_);
  EXPECT_TRUE(Contem(xml, "<AuditFileVersion>1.04_01</AuditFileVersion>"));
  EXPECT_TRUE(Contem(xml, "<FiscalYear>2024</FiscalYear>"));
  EXPECT_TRUE(Contem(xml, "<StartDate>2024-03-01</StartDate>"));
  EXPECT_TRUE(Contem(xml, "<EndDate>2024-03-31</EndDate>"));
  EXPECT_FALSE(Contem(xml, "<HeaderComment>"));
  EXPECT_FALSE(Contem(xml, "<Payments>"));
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(CliExportTest, YearAloneIsTheWholeYearAndBoundsOverrideIt) {
  CliResult r = Export({"--output", xml_, "--year", "2024", "--comment", "Envio anual"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string xml = FileText(xml_);
  EXPECT_TRUE(Contem(xml, "<StartDate>2024-01-01</StartDate>"));
  EXPECT_TRUE(Contem(xml, "<EndDate>2024-12-31</EndDate>"));
  EXPECT_TRUE(Contem(xml, "<HeaderComment>Envio anual</HeaderComment>"));

  // The fiscal year stays the one given, whatever the bounds.
  r = Export({"--output", xml_, "--force", "--year", "2023", "--from", "2024-03-10", "--to",
              "2024-03-31", "--schema", "1.03_01"});
  ASSERT_EQ(r.status, 0) << r.err;
  xml = FileText(xml_);
  EXPECT_TRUE(Contem(xml, "<FiscalYear>2023</FiscalYear>"));
  EXPECT_TRUE(Contem(xml, "<StartDate>2024-03-10</StartDate>"));
  EXPECT_TRUE(Contem(xml, "<EndDate>2024-03-31</EndDate>"));
  EXPECT_TRUE(Contem(xml, "urn:OECD:StandardAuditFile-Tax:PT_1.03_01"));
  EXPECT_TRUE(Contem(xml, "<AuditFileVersion>1.03_01</AuditFileVersion>"));
  EXPECT_TRUE(Contem(r.out, "NºFacturas: 1\n")) << r.out;
  // No schema for that version here: not checked, and said so.
  EXPECT_TRUE(Contem(r.out,
                     "Ficheiro exportado\nO ficheiro não foi verificado: não há aqui "
                     "esquema da AT para a versão 1.03_01.\n"))
      << r.out;

  // Without --year it is the year of the period's start.
  r = Export({"--output", xml_, "--force", "--from", "2023-12-01", "--to", "2024-03-31"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(FileText(xml_), "<FiscalYear>2023</FiscalYear>"));
}

TEST_F(CliExportTest, DefaultPeriodIsThePreviousMonth) {
  std::time_t agora = std::time(nullptr);
  std::tm hoje{};
  localtime_r(&agora, &hoje);
  int ano = hoje.tm_year + 1900, mes = hoje.tm_mon;  // tm_mon counts from 0
  if (mes == 0) {
    mes = 12;
    --ano;
  }
  int ultimo = DateTime::Date(ano, mes, 1).DaysInMonth();
  char inicio[32], fim[32];
  std::snprintf(inicio, sizeof inicio, "%04d-%02d-01", ano, mes);
  std::snprintf(fim, sizeof fim, "%04d-%02d-%02d", ano, mes, ultimo);

  CliResult r = Export({"--output", xml_});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string xml = FileText(xml_);
  EXPECT_TRUE(Contem(xml, "<FiscalYear>" + std::to_string(ano) + "</FiscalYear>"));
  EXPECT_TRUE(Contem(xml, std::string("<StartDate>") + inicio + "</StartDate>"));
  EXPECT_TRUE(Contem(xml, std::string("<EndDate>") + fim + "</EndDate>"));
}

TEST_F(CliExportTest, FiscalYearOutsideTheRangeIsRefused) {
  for (const char* ano : {"1990", "2040", "20x4", "", "-2024"}) {
    CliResult r = Export({"--output", xml_, "--year", ano});
    // An empty --year is the same as none.
    if (std::string(ano).empty()) {
      EXPECT_EQ(r.status, 0) << r.err;
      fs::remove(xml_);
      continue;
    }
    EXPECT_EQ(r.status, 2) << ano;
    EXPECT_EQ(r.err, "Exercicio inválido\n") << ano;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(OutputFiles().empty());
  // Accepted here; the AT's schema starts at 2000, so the check is left out.
  for (const char* ano : {"1991", "2039"}) {
    CliResult r = Export({"--output", xml_, "--force", "--year", ano, "--no-validate"});
    EXPECT_EQ(r.status, 0) << ano << r.err;
  }
}

TEST_F(CliExportTest, BadDatesAndSchemaAreBadArguments) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--from", "2024-02-30"},
                                               {"--to", "31/03/2024"},
                                               {"--from", "2024-3-1"},
                                               {"--schema", "1.05_01"}}) {
    std::vector<std::string> a = {"--output", xml_};
    a.insert(a.end(), args.begin(), args.end());
    CliResult r = Export(a);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_TRUE(Contem(r.err, args[1])) << r.err;
  }
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(CliExportTest, StartAfterEndStops) {
  CliResult r = Export({"--output", xml_, "--from", "2024-03-31", "--to", "2024-03-01"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "A data Inicial não pode ser inferior à data final\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(OutputFiles().empty());
  r = Export({"--output", xml_, "--from", "2024-03-05", "--to", "2024-03-05"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(r.out, "NºFacturas: 1\n"));
}

// A certified office signs each document chained to the one before; the file
// carries the signatures and `saftpt validate` verifies them with the public
// key. A stored amount changed after signing breaks that document only.
TEST_F(CliExportTest, SignedChainVerifiesUntilAnAmountIsChanged) {
  Exec(
      "UPDATE configescritorio SET OC=1;"
      "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado,"
      " CodCliente, NContribuinteCliente, ValorIva, ValorLiquido, ValorTotal, ValorRetencao,"
      " ModoPag) VALUES (3, 'F', 'A', 3, '2024-03-25', NULL, 0, 'C1', '123456789', 46, 200,"
      " 196, 50, 'NU');"
      "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Referencia, Descricao, Quant,"
      " Preco, ValorLiquido, Iva, ValorIva, ValorTotal, ValorRetencao, TipoRetencao) VALUES"
      " (3, 'F', 'A', 3, 'H1', 'Consulta', 1, 200, 200, 23, 46, 246, 50, 'IRS');");
  TestKey chave;
  std::string pem = (dir_ / "publica.pem").string();
  chave.WritePublic(pem);
  // As the billing program signs: date, save time, number, gross total (with
  // the withholding) and the previous signature.
  struct {
    int id;
    const char *data, *entrada, *bruto;
  } docs[] = {{1, "2024-03-05", "2024-03-05T10:00:00", "123.00"},
              {2, "2024-03-20", "2024-03-20T10:00:00", "61.50"},
              {3, "2024-03-25", "2024-03-25T00:00:00", "246.00"}};
  std::string anterior;
  for (const auto& d : docs) {
    std::string n = std::to_string(d.id);
    anterior = chave.Sign(TextoAssinado(d.data, d.entrada, "F A/" + n, d.bruto, anterior));
    Exec("UPDATE documentos SET Assinatura='" + anterior + "', VersaoChavePrivada=1, ATCUD='" +
         "JFZSCU5D-" + n + "' WHERE IDDoc=" + n);
  }
  const std::string xsd = std::string(SAFTPT_XSD_DIR) + "/SAFTPT1.04_01.xsd";
  CliResult r = Export({"--output", xml_, "--from", "2024-03-01", "--to", "2024-03-31"});
  ASSERT_TRUE(fs::exists(xml_)) << r.err;
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(Contem(FileText(xml_), "<Hash>" + anterior + "</Hash>"));
  r = Saftpt({"validate", xml_, "--xsd", xsd, "--public-key", "1=" + pem});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "Ficheiro válido.\n");

  r = Saftpt({"summary", xml_, "--csv"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "imposto,regiao,codigo,taxa,base,valor\nIVA,PT,NOR,23.00,350.00,80.50\n"
            "RETENCAO,,IRS,,,50.00\nTAXPAYABLE,,,,,80.50\n");

  Exec("UPDATE documentos SET ValorTotal=62.50, ValorLiquido=51 WHERE IDDoc=2");
  r = Export({"--output", xml_, "--force", "--from", "2024-03-01", "--to", "2024-03-31"});
  ASSERT_TRUE(Contem(FileText(xml_), "<GrossTotal>62.50</GrossTotal>")) << r.err;
  r = Saftpt({"validate", xml_, "--xsd", xsd, "--public-key", pem});
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_TRUE(Contem(r.out, "  Erro: Assinatura inválida: F A/2\n")) << r.out;
  EXPECT_EQ(r.out.find("Assinatura inválida"), r.out.rfind("Assinatura inválida")) << r.out;
  // Without the key only the form of the signatures is checked.
  r = Saftpt({"validate", xml_, "--xsd", xsd});
  EXPECT_FALSE(Contem(r.out, "Assinatura")) << r.out;
  r = Saftpt({"validate", xml_, "--xsd", xsd, "--public-key", (dir_ / "none.pem").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contem(r.err, "none.pem")) << r.err;
}

TEST_F(CliExportTest, WrongPasswordShowsTheServersMessage) {
  std::string texto = FileText(ini_);
  size_t p = texto.find("password=");
  texto = texto.substr(0, p) + "password=" + Scramble("errada") + "\r\n";
  std::ofstream(ini_, std::ios::binary | std::ios::trunc) << texto;
  CliResult r = Export({"--output", xml_, "--year", "2024"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contem(r.err, "Access denied")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(OutputFiles().empty());
}

// The office's table beside the settings file is the one read, before the
// database is opened: a broken row stops even an export that could not
// connect; `reasons` shows the rows and the file.
TEST_F(CliExportTest, OfficeTableBesideTheSettingsIsReadFirst) {
  const std::string tabela =
      (std::filesystem::path(ini_).parent_path() / "motivos-isencao.csv").string();
  std::ofstream(tabela, std::ios::binary) << "codigo,texto,desde,ate,aceite,dialogo\n"
                                             "M07,Isento Artigo 9.º do CIVA,,,1,1\n"
                                             "M47,Motivo novo da AT,2025-06-01,,0,1\n";
  CliResult r = Saftpt({"reasons", "--settings", ini_, "--date", "2025-09-01"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Tabela: " + tabela +
                       "\nMotivos em vigor num período que começa em 2025-09-01:\n"
                       "código  aceite  oferecido  texto\n"
                       "M07     sim     sim        Isento Artigo 9.º do CIVA\n"
                       "M47     sim     sim        Motivo novo da AT\n");
  EXPECT_EQ(Saftpt({"reasons", "--settings", ini_, "--date", "2025-13-01"}).status, 2);

  std::ofstream(tabela, std::ios::binary | std::ios::app) << "M48,Outro,2025-13-01,,1,1\n";
  std::string texto = FileText(ini_);
  std::ofstream(ini_, std::ios::binary | std::ios::trunc)
      << texto.substr(0, texto.find("password=")) << "password=" << Scramble("errada") << "\r\n";
  const std::string quebrada = tabela + ", linha 4: data «2025-13-01» inválida\n";
  r = Export({"--output", xml_, "--year", "2024"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, quebrada);
  EXPECT_TRUE(OutputFiles().empty());
  r = Saftpt({"reasons", "--settings", ini_});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, quebrada);
}

TEST_F(CliExportTest, MissingCodMencaoColumnStops) {
  Exec("ALTER TABLE tipoisencaoiva DROP COLUMN CodMencao");
  CliResult r = Export({"--output", xml_, "--year", "2024"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Deve correr o utilitário ZAZorezed para atualizar a Base de Dados.\n");
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(CliExportTest, ExistingFileNeedsForce) {
  const std::string antigo = "<antigo>\r\n\x01\xff</antigo>";
  std::ofstream(xml_, std::ios::binary) << antigo;
  CliResult r = Export({"--output", xml_, "--year", "2024", "--no-input"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contem(r.err, "--force")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(FileText(xml_), antigo);

  r = Export({"--output", xml_, "--year", "2024", "--force"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(FileText(xml_).rfind("<?xml", 0), 0u);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(CliExportTest, FailingExportWritesNoFile) {
  Exec("UPDATE clientes SET Pais='Atlântida' WHERE CodCliente='C1'");
  CliResult r = Export({"--output", xml_, "--year", "2024"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Deve verificar o nome do País Atlântida no cliente C1\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(OutputFiles().empty());

  std::ofstream(xml_, std::ios::binary) << "antigo";
  r = Export({"--output", xml_, "--year", "2024", "--force"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(FileText(xml_), "antigo");
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
}

TEST_F(CliExportTest, RestrictionsLimitTheDocuments) {
  CliResult r = Export({"--output", xml_, "--year", "2024", "--restrict", "F:A:2-2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(r.out, "NºFacturas: 1\nTotal Créditos: 50.00\n")) << r.out;
  std::string xml = FileText(xml_);
  EXPECT_TRUE(Contem(xml, "<InvoiceNo>F A/2</InvoiceNo>"));
  EXPECT_FALSE(Contem(xml, "<InvoiceNo>F A/1</InvoiceNo>"));

  r = Export({"--output", xml_, "--force", "--year", "2024", "--restrict", "F:A:1-1", "--restrict",
              "F:A:2-2"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(r.out, "NºFacturas: 2\n")) << r.out;
}

TEST_F(CliExportTest, InvalidRestrictionIsABadArgument) {
  CliResult r = Export({"--output", xml_, "--year", "2024", "--restrict", "F:A:x-2"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contem(r.err, "Número Inicial Inválido")) << r.err;
  r = Export({"--output", xml_, "--year", "2024", "--restrict", "F:A:1-y"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contem(r.err, "Número Final Inválido")) << r.err;
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(CliExportTest, ReceiptsFollowTheSettingsUnlessTold) {
  std::ofstream(ini_, std::ios::binary | std::ios::app) << "saftrecibos=1\r\n";
  CliResult r = Export({"--output", xml_, "--year", "2024"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(FileText(xml_), "<Payments>"));

  r = Export({"--output", xml_, "--force", "--year", "2024", "--no-receipts"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Contem(FileText(xml_), "<Payments>"));

  r = Export({"--output", xml_, "--year", "2024", "--receipts", "--no-receipts"});
  EXPECT_EQ(r.status, 2);

  // Only "1" turns them on.
  std::string texto = FileText(ini_);
  std::ofstream(ini_, std::ios::binary | std::ios::trunc)
      << texto.substr(0, texto.find("saftrecibos=")) << "saftrecibos=sim\r\n";
  r = Export({"--output", xml_, "--force", "--year", "2024"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Contem(FileText(xml_), "<Payments>"));
  r = Export({"--output", xml_, "--force", "--year", "2024", "--receipts"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contem(FileText(xml_), "<Payments>"));
}

TEST_F(CliExportTest, InvalidExemptionReasonStopsWithoutATerminal) {
  Exec(kMotivoInvalido);
  CliResult r = Export({"--output", xml_, "--year", "2024"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Motivo de isenção inválido no documento F A/2: «Isento (art. 9)»\n"
            "Exportação do ficheiro cancelada.\n");
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(CliExportTest, ValidatesTheWrittenFile) {
  CliResult r = Export({"--output", xml_, "--year", "2024", "--validate", "--xsd",
                        std::string(SAFTPT_XSD_DIR) + "/SAFTPT1.04_01.xsd"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind(kSaidaMarco, 0), 0u) << r.out;
  EXPECT_TRUE(fs::exists(xml_));

  // A schema the file does not follow: the problems come after the summary,
  // on standard error, and the file stays for the user to look at.
  std::ofstream(dir_ / "outro.xsd")
      << "<?xml version=\"1.0\"?>\n<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
         "targetNamespace=\"urn:OECD:StandardAuditFile-Tax:PT_1.04_01\" "
         "elementFormDefault=\"qualified\"><xs:element name=\"AuditFile\"><xs:complexType>"
         "<xs:sequence><xs:element name=\"Outro\" type=\"xs:string\"/></xs:sequence>"
         "</xs:complexType></xs:element></xs:schema>\n";
  r = Export({"--output", xml_, "--force", "--year", "2024", "--validate", "--xsd",
              (dir_ / "outro.xsd").string()});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, kSaidaMarco);
  EXPECT_EQ(r.err,
            "Cabeçalho: Element 'Header': This element is not expected. Expected is ( Outro ).\n");
  EXPECT_TRUE(fs::exists(xml_));

  r = Export({"--output", xml_, "--force", "--year", "2024", "--validate", "--xsd",
              (dir_ / "nao_existe.xsd").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_TRUE(fs::exists(xml_));
}

TEST_F(CliExportTest, TerminalAsksBeforeOverwriting) {
  std::ofstream(xml_, std::ios::binary) << "antigo";
  {
    Conversa c(ExportArgs(), dir_ / "stdout");
    ASSERT_TRUE(c.Espera("Já existe um ficheiro com esse nome. Deseja sobrepôr? [s/N]"))
        << c.Ecra();
    c.Envia("n");
    EXPECT_EQ(c.Termina(), 1) << c.Ecra();
  }
  EXPECT_EQ(FileText(xml_), "antigo");
  {
    Conversa c(ExportArgs(), dir_ / "stdout");
    ASSERT_TRUE(c.Espera("Deseja sobrepôr? [s/N]")) << c.Ecra();
    c.Envia("talvez");
    ASSERT_TRUE(c.Espera("Deseja sobrepôr? [s/N]")) << c.Ecra();
    c.Envia("S");
    EXPECT_EQ(c.Termina(), 0) << c.Ecra();
    // The progress line was drawn on the terminal.
    EXPECT_TRUE(Contem(c.Ecra(), "Invoices")) << c.Ecra();
  }
  EXPECT_EQ(FileText(dir_ / "stdout"), kSaidaMarco + kCumpre);
  EXPECT_EQ(FileText(xml_).rfind("<?xml", 0), 0u);
}

TEST_F(CliExportTest, TerminalCorrectsAnExemptionReason) {
  Exec(kMotivoInvalido);
  Conversa c(ExportArgs(), dir_ / "stdout");
  ASSERT_TRUE(c.Espera("Foi detetado um valor inválido para um motivo de isenção.")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Documento: F 2/A")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Motivo actual: Isento (art. 9)")) << c.Ecra();
  ASSERT_TRUE(c.Espera("6. M07 - Isento Artigo 9.º do CIVA")) << c.Ecra();
  ASSERT_TRUE(c.Espera("29. M99 - ")) << c.Ecra();
  ASSERT_TRUE(c.Espera("2 - Atualizar todas as ocorrências")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
  c.Envia("1");
  ASSERT_TRUE(c.Espera("Motivo (1-29)")) << c.Ecra();
  c.Envia("30");
  ASSERT_TRUE(c.Espera("Tem de indicar um motivo de isenção válido.")) << c.Ecra();
  c.Envia("6");
  ASSERT_TRUE(c.Espera("Confirma a atualização? [s/N]")) << c.Ecra();
  c.Envia("n");
  // Back to the menu: nothing written yet.
  ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
  // Saved while the dialog waits: after the export's view was taken.
  Exec(UnidadeDoEscritorio(3, "2024-03-28", false));
  c.Envia("1");
  ASSERT_TRUE(c.ChooseM07("s")) << c.Ecra();
  EXPECT_EQ(c.Termina(), 0) << c.Ecra();
  EXPECT_FALSE(Contem(FileText(xml_), "F W/")) << "saved after the export started";

  Recordset rs = db_.Execute("select IsencaoIva, CodMencao from documentoslinhas where IDDoc=2");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Text("IsencaoIva"), "Isento Artigo 9.º do CIVA");
  EXPECT_EQ(rs.Text("CodMencao"), "M07");
  EXPECT_TRUE(Contem(FileText(xml_), "<TaxExemptionCode>M07</TaxExemptionCode>"));
}

TEST_F(CliExportTest, TerminalCancelAndEndOfInputAbandonTheExport) {
  Exec(kMotivoInvalido);
  {
    Conversa c(ExportArgs(), dir_ / "stdout");
    ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
    c.Envia("0");
    ASSERT_TRUE(c.Espera("Exportação do ficheiro cancelada.")) << c.Ecra();
    EXPECT_EQ(c.Termina(), 1);
  }
  {
    Conversa c(ExportArgs(), dir_ / "stdout");
    ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
    c.Envia("\x04");  // end of input
    ASSERT_TRUE(c.Espera("Exportação do ficheiro cancelada.")) << c.Ecra();
    EXPECT_EQ(c.Termina(), 1);
  }
  EXPECT_TRUE(OutputFiles().empty());
  Recordset rs = db_.Execute("select IsencaoIva from documentoslinhas where IDDoc=2");
  EXPECT_EQ(rs.Text("IsencaoIva"), "Isento (art. 9)");
}

TEST_F(CliExportTest, FailedUpdateIsShownAndAskedAgain) {
  Exec(kMotivoInvalido +
       "; "
       "CREATE TRIGGER bloqueia BEFORE UPDATE ON documentoslinhas FOR EACH ROW "
       "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'linhas bloqueadas'");
  Conversa c(ExportArgs(), dir_ / "stdout");
  ASSERT_TRUE(c.Espera("Opção [1/2/0]: ")) << c.Ecra();
  c.Envia("2");
  ASSERT_TRUE(c.ChooseM07("s")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Não foi possível atualizar: ")) << c.Ecra();
  ASSERT_TRUE(c.Espera("linhas bloqueadas")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Opção [1/2/0]: ")) << c.Ecra();
  c.Envia("0");
  EXPECT_EQ(c.Termina(), 1) << c.Ecra();
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(CliExportTest, BlankReasonOffersNoUpdateOfEveryDocument) {
  // A zero-rated line without a code on an invoice that an exported receipt
  // pays is asked about even with no reason text.
  Exec(R"sql(
    UPDATE documentoslinhas SET Iva=0, ValorIva=0, IsencaoIva='', CodMencao='' WHERE IDDoc=2;
    INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, DataEdicao, Anulado, ATCUD,
      CodCliente, NContribuinteCliente, ValorLiquido, ValorTotal, ModoPag)
      VALUES (3, 'R', 'A', 1, '2024-03-25', '2024-03-25 10:00:00', 0, 'JFCLIR12-1', 'C1', '123456789',
      50, 50, 'NU');
    INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Descricao, Quant, Preco,
      ValorLiquido, Iva, ValorIva, ValorTotal, IDDocP, TipoDocP, SerieP, NumeroP)
      VALUES (3, 'R', 'A', 1, 'Pagamento', 1, 50, 50, 0, 0, 50, 2, 'F', 'A', 2);
  )sql");
  Conversa c(ExportArgs({"--receipts"}), dir_ / "stdout");
  ASSERT_TRUE(c.Espera("Documento: F 2/A")) << c.Ecra();
  ASSERT_TRUE(c.Espera("Opção [1/0]: ")) << c.Ecra();
  c.Envia("2");
  ASSERT_TRUE(c.Espera("Opção inválida.")) << c.Ecra();
  c.Envia("1");
  ASSERT_TRUE(c.ChooseM07("s")) << c.Ecra();
  EXPECT_EQ(c.Termina(), 0) << c.Ecra();
  EXPECT_FALSE(Contem(c.Ecra(), "2 - Atualizar todas"));
  Recordset rs = db_.Execute("select CodMencao from documentoslinhas where IDDoc=2");
  EXPECT_EQ(rs.Text("CodMencao"), "M07");
}

// An export while the office keeps invoicing, on each kind of table.
struct EnquantoFatura {
  const char* name;
  bool myisam;
  bool mayLock;  // the user may lock tables
  // Without locks a MyISAM office is read as it changes: the export warns,
  // and the test writes nothing meanwhile.
  bool Warns() const { return myisam && !mayLock; }
};

class ConsistentExportTest : public ExportTest,
                             public ::testing::WithParamInterface<EnquantoFatura> {};

TEST_P(ConsistentExportTest, WriterDuringTheExportLeavesTheFileWhole) {
  const EnquantoFatura& caso = GetParam();
  SchemaKind kind;
  kind.myisam = caso.myisam;
  CreateDatabase(kind);
  ini_ = WriteSettingsFile(dir_.string());
  bench::BenchSize size;
  size.documents = 3000;
  size.customers = 300;
  bench::GenerateBenchData(size, [this](const std::string& sql) { Exec(sql); });
  Exec("INSERT INTO honorarios (Referencia, Descricao, Categoria) VALUES ('H1', 'Consulta', 'S')");
  if (!caso.mayLock) {
    Exec(
        "CREATE OR REPLACE USER saftpt_sem_lock@localhost IDENTIFIED BY 'x';"
        "GRANT SELECT, INSERT, UPDATE ON `" +
        name_ + "`.* TO saftpt_sem_lock@localhost");
    std::string texto = FileText(ini_);
    std::ofstream(ini_, std::ios::trunc)
        << texto.substr(0, texto.find("username=")) << "username=" << Scramble("saftpt_sem_lock")
        << "\r\npassword=" << Scramble("x") << "\r\n";
  }
  // A unit every few milliseconds, at most 400, until the export has ended.
  std::atomic<bool> parar{false};
  std::atomic<int> gravadas{0};
  std::thread escritor([&] {
    for (int n = 1; n <= 400 && !parar && !caso.Warns(); gravadas = n++) {
      Exec(UnidadeDoEscritorio(n, "2025-12-31", caso.myisam));
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  });
  while (!caso.Warns() && gravadas < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const int antes = gravadas;
  CliResult r = Saftpt({"export", "--settings", ini_, "-o", xml_, "--year", "2025", "--receipts"});
  std::cout << "[ writer   ] " << caso.name << ": " << gravadas - antes
            << " units saved during the export\n";
  parar = true;
  escritor.join();
  // The program's own check: every customer named is in MasterFiles, the
  // totals are the lines', no document lacks its lines.
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Contem(r.err, "Aviso: as tabelas configescritorio, clientes, series, "), caso.Warns());
  EXPECT_EQ(Contem(r.out,
                   " não permitem uma leitura consistente; exporte quando ninguém estiver a "
                   "faturar.\n"),
            caso.Warns())
      << r.out;
  // Each unit wholly in or out: as many of its invoices as of its receipts.
  const std::string ficheiro = FileText(xml_);
  int faturas = 0, recibos = 0;
  for (size_t p = 0; (p = ficheiro.find("<InvoiceNo>F W/", p)) != std::string::npos; ++p) ++faturas;
  for (size_t p = 0; (p = ficheiro.find("<PaymentRefNo>R W/", p)) != std::string::npos; ++p)
    ++recibos;
  EXPECT_EQ(faturas, recibos);
  EXPECT_GE(faturas, antes);
  // No lock is left behind: the billing program saves at once.
  Exec("SET SESSION lock_wait_timeout=5;" + UnidadeDoEscritorio(1000, "2025-12-31", caso.myisam));
  if (!caso.mayLock) Exec("DROP USER saftpt_sem_lock@localhost");
}

INSTANTIATE_TEST_SUITE_P(Engines, ConsistentExportTest,
                         ::testing::Values(EnquantoFatura{"innodb", false, true},
                                           EnquantoFatura{"innodb_sem_lock", false, false},
                                           EnquantoFatura{"myisam", true, true},
                                           EnquantoFatura{"myisam_sem_lock", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A MyISAM office whose export stops at the exemption dialog, tables locked.
class LockedExportTest : public CliExportTest {
 protected:
  void SetUp() override {
    CliExportTest::SetUp();
    SchemaKind kind;
    kind.myisam = true;
    CreateDatabase(kind);
    ini_ = WriteSettingsFile(dir_.string());
    Exec(kDados + kMotivoInvalido);
  }
  // The billing program's next save, which must not be kept waiting.
  void SaveAfterTheExport() {
    Exec("SET SESSION lock_wait_timeout=10;" + UnidadeDoEscritorio(3, "2024-03-28", true));
  }
};

TEST_F(LockedExportTest, KilledExportLeavesNoLockBehind) {
  // The dialog waits with the tables locked: the billing program's save waits.
  Conversa c(ExportArgs(), dir_ / "stdout");
  ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
  EXPECT_THROW(
      Exec("SET SESSION lock_wait_timeout=1;" + UnidadeDoEscritorio(3, "2024-03-28", true)),
      std::runtime_error);
  c.Sinal(SIGTERM);
  EXPECT_EQ(c.Termina(), -1);
  SaveAfterTheExport();
}

TEST_F(LockedExportTest, CorrectionGivesUpTheLocksAndSaysSo) {
  // The correction cannot wait on the export's own locks: they are given up,
  // the update is written, and the run ends with the warning.
  Conversa c(ExportArgs(), dir_ / "stdout");
  ASSERT_TRUE(c.Espera("Opção")) << c.Ecra();
  c.Envia("1");
  ASSERT_TRUE(c.ChooseM07("s")) << c.Ecra();
  EXPECT_EQ(c.Termina(), 0) << c.Ecra();
  EXPECT_TRUE(Contem(c.Ecra(), "não permitem uma leitura consistente")) << c.Ecra();
  EXPECT_TRUE(Contem(FileText(xml_), "<TaxExemptionCode>M07</TaxExemptionCode>"));
  SaveAfterTheExport();
}

}  // namespace
}  // namespace saftpt::test
