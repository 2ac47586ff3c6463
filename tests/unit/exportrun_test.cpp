// The export run's pieces that need no database: the summary, the folder of
// the file, the portal's address and the desktop's "open".
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "BuildInfo.h"
#include "app/ExportRun.h"

namespace saftpt {
namespace {

std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> linhas;
  size_t inicio = 0;
  for (size_t fim; (fim = texto.find("\r\n", inicio)) != std::string::npos; inicio = fim + 2)
    linhas.push_back(texto.substr(inicio, fim - inicio));
  linhas.push_back(texto.substr(inicio));
  return linhas;
}

class ResumoTest : public ::testing::Test {
 protected:
  ExportSummary summary_;
};

TEST_F(ResumoTest, TenLinesInTheWindowsOrder) {
  summary_.nif = "501234567";
  summary_.invoices.entries = 12;
  summary_.invoices.credit = 1234.5;
  summary_.invoices.debit = 10;
  summary_.quotations.entries = 3;
  summary_.quotations.credit = 0.125;
  summary_.quotations.debit = 0;
  summary_.receipts.entries = 100000;
  summary_.receipts.credit = 99.999;
  summary_.receipts.debit = 2.675;
  std::vector<std::string> esperado = {"NIF: 501234567",          "NºFacturas: 12",
                                       "Total Créditos: 1234,50", "Total Débitos: 10,00",
                                       "NºOrçamentos: 3",         "Total Créditos: 0,13",
                                       "Total Débitos: 0,00",     "NºRecibos: 100000",
                                       "Total Créditos: 100,00",  "Total Débitos: 2,68"};
  EXPECT_EQ(Linhas(Resumo(summary_, ',')), esperado);
}

TEST_F(ResumoTest, DecimalSeparatorIsTheGivenOne) {
  summary_.invoices.credit = 7.5;
  summary_.receipts.debit = -3.2;
  std::vector<std::string> linhas = Linhas(Resumo(summary_, '.'));
  ASSERT_EQ(linhas.size(), 10u);
  EXPECT_EQ(linhas[0], "NIF: ");
  EXPECT_EQ(linhas[1], "NºFacturas: 0");
  EXPECT_EQ(linhas[2], "Total Créditos: 7.50");
  EXPECT_EQ(linhas[9], "Total Débitos: -3.20");
  // No line break after the last line.
  std::string resumo = Resumo(summary_, '.');
  EXPECT_NE(resumo.back(), '\n');
}

TEST(PastaDoFicheiroTest, UpToAndIncludingTheLastSlash) {
  EXPECT_EQ(FolderOf("/home/ana/saft/2024-01.xml"), "/home/ana/saft/");
  EXPECT_EQ(FolderOf("/saft.xml"), "/");
  EXPECT_EQ(FolderOf("saidas/saft.xml"), "saidas/");
  EXPECT_EQ(FolderOf("saft.xml"), "");
  EXPECT_EQ(FolderOf("/pasta/"), "/pasta/");
}

TEST(EnderecoPortalTest, SecureAddressWithTheLoginPath) {
  EXPECT_EQ(PortalAddress(), std::string("https://") + SAFTPT_PORTAL_HOST +
                                 "/jsp/loginRedirectForm.jsp?path=painelEmitente.action"
                                 "&partID=EFPF");
}

// A stand-in xdg-open on PATH records its arguments, one per line.
class DesktopShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("saftpt_shell_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    registo_ = dir_ / "args.txt";
    std::filesystem::path script = dir_ / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \""
                          << (dir_ / "args.tmp").string() << "\"\nmv \""
                          << (dir_ / "args.tmp").string() << "\" \"" << registo_.string() << "\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    oldPath_ = path ? path : "";
    setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }
  // The recorded arguments, once the detached process has written them.
  std::string Registo() {
    for (int i = 0; i < 500 && !std::filesystem::exists(registo_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(registo_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir_, registo_;
  std::string oldPath_;
};

TEST_F(DesktopShellTest, PathReachesXdgOpenUnchanged) {
  DesktopShell shell;
  const std::string pasta = "/tmp/a pasta/d'Ana \"x\" $(false);/";
  shell.OpenFolder(pasta);
  EXPECT_EQ(Registo(), pasta + "\n");
}

TEST_F(DesktopShellTest, UrlIsOneArgument) {
  DesktopShell shell;
  shell.OpenUrl(PortalAddress());
  EXPECT_EQ(Registo(), PortalAddress() + "\n");
}

TEST(DesktopShellMissingTest, NoXdgOpenIsIgnored) {
  const char* path = std::getenv("PATH");
  std::string old = path ? path : "";
  setenv("PATH", "/nonexistent", 1);
  DesktopShell shell;
  EXPECT_NO_THROW(shell.OpenFolder("/tmp/"));
  setenv("PATH", old.c_str(), 1);
}

}  // namespace
}  // namespace saftpt
