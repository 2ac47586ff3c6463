// Where an export's files go: the name proposed for the audit file, from the
// office's tax number and the period, the folder of the last export (kept in
// the settings file), and the VAT summary's CSV beside the audit file.
#ifndef SAFTPT_APP_EXPORTFILENAMES_H_
#define SAFTPT_APP_EXPORTFILENAMES_H_

#include <string>

#include "base/DateTime.h"

namespace saftpt {

// The period as a name shows it: "2026-11" for a calendar month, "2026" for a
// whole year, else "2026-01-15 a 2026-02-14".
std::string PeriodoNoNome(const DateTime& inicio, const DateTime& fim);

// "SAFT-PT 501234560 2026-11.xml" (a slash in the tax number is dropped).
std::string ProposedSaftFileName(const std::string& nif, const DateTime& inicio,
                                 const DateTime& fim);

// The CSV of the VAT summary beside the audit file: "SAFT-PT ... 2026-11.xml"
// gives "SAFT-PT ... 2026-11-resumo-iva.csv".
std::string ResumoIvaCsvPath(const std::string& saftPath);

// The folder of the last export (key "pasta_exportacao" of section "saft"),
// empty when none is kept.
std::string LastExportFolder(const std::string& iniPath);
// Keeps the folder of `savedFile` for the next export; a failure to write
// throws Error, as WriteIni does.
void RememberExportFolder(const std::string& iniPath, const std::string& savedFile);

}  // namespace saftpt

#endif  // SAFTPT_APP_EXPORTFILENAMES_H_
