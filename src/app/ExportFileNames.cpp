#include "app/ExportFileNames.h"

#include <algorithm>
#include <filesystem>

#include "base/Utf8Path.h"
#include "config/IniFile.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr const char* kSeccao = "saft";
constexpr const char* kPastaExportacao = "pasta_exportacao";

}  // namespace

std::string PeriodoNoNome(const DateTime& inicio, const DateTime& fim) {
  std::string de = FormatDate(inicio), ate = FormatDate(fim);
  bool mesInteiro = inicio.day == 1 && fim.day == fim.DaysInMonth();
  if (mesInteiro && inicio.year == fim.year && inicio.month == 1 && fim.month == 12)
    return de.substr(0, 4);
  if (mesInteiro && inicio.year == fim.year && inicio.month == fim.month) return de.substr(0, 7);
  return de + " a " + ate;
}

std::string ProposedSaftFileName(const std::string& nif, const DateTime& inicio,
                                 const DateTime& fim) {
  std::string numero = nif;
  numero.erase(std::remove(numero.begin(), numero.end(), '/'), numero.end());
  return "SAFT-PT " + numero + " " + PeriodoNoNome(inicio, fim) + ".xml";
}

std::string ResumoIvaCsvPath(const std::string& saftPath) {
  std::filesystem::path p(saftPath);
  p.replace_extension();
  return p.string() + "-resumo-iva.csv";
}

std::string LastExportFolder(const std::string& iniPath) {
  std::string pasta;
  ReadIni(iniPath, kSeccao, kPastaExportacao, pasta);
  return pasta;
}

void RememberExportFolder(const std::string& iniPath, const std::string& savedFile) {
  std::string pasta = Utf8Text(Utf8Path(savedFile).parent_path());
  if (pasta.empty() || pasta == LastExportFolder(iniPath)) return;
  WriteIni(iniPath, kSeccao, kPastaExportacao, pasta);
}

}  // namespace saftpt
