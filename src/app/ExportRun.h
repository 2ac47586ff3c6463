// One export, as the window's "Exportar SAF-T (PT)" runs it: the checks, the
// builder, the summary, "Ficheiro exportado", the folder and the portal.
#ifndef SAFTPT_APP_EXPORTRUN_H_
#define SAFTPT_APP_EXPORTRUN_H_

#include <cstdint>
#include <optional>
#include <string>

#include "app/UiPorts.h"
#include "config/OfficeConfig.h"
#include "db/Database.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"
#include "saft/RunContext.h"

namespace saftpt {

// The tax authority's portal, opened on request after an export.
std::string PortalAddress();

struct ExportRequest {
  ExportOptions options;       // output path included
  bool seriesSelected = true;  // the window's series list has a selection
  bool openPortal = false;
  char decimalSeparator = ',';  // the user's regional one, for the summary
};

struct ExportResult {
  bool written = false;          // the file was saved
  std::string summary;           // the ten lines, "\r\n" between them, and the warning
  std::string warning;           // "" or why the file may not be one view of the office
  uint64_t viewStatements = 0;   // those of the consistent view (db/ReadView.h)
  size_t customerSetsBytes = 0;  // the memory of the sets kept of every customer
};

class ExportRun {
 public:
  ExportRun(Database& db, const ConfiguracaoEscritorio& office, UserDialogs& dialogs, Shell& shell,
            ProgressSink& progress, ExemptionResolver& resolver)
      : db_(db),
        office_(office),
        dialogs_(dialogs),
        shell_(shell),
        progress_(progress),
        resolver_(resolver) {}

  // Checks, builds and saves. Problems the user must fix are shown through
  // the dialogs and give written=false; an Error from the builder or the
  // database is shown with dialogs.ShowError(description) and gives written=false,
  // with no file written and an existing one left as it was.
  ExportResult Run(const ExportRequest& request);

 private:
  Database& db_;
  const ConfiguracaoEscritorio& office_;
  UserDialogs& dialogs_;
  Shell& shell_;
  ProgressSink& progress_;
  ExemptionResolver& resolver_;
};

// The ten summary lines of a finished export.
std::string Resumo(const ExportSummary& summary, char decimalSeparator);
// "folder/" of a path (up to and including its last slash).
std::string FolderOf(const std::string& caminho);

}  // namespace saftpt

#endif  // SAFTPT_APP_EXPORTRUN_H_
