// What the correction dialog of VAT-exemption reasons is asked about, and its
// two updates of the billing database.
#ifndef SAFTPT_SAFT_EXEMPTIONREASONS_H_
#define SAFTPT_SAFT_EXEMPTIONREASONS_H_

#include <functional>
#include <string>
#include <vector>

#include "base/DateTime.h"

namespace saftpt {

class Database;

// An entry split into code (before the first hyphen, trimmed) and text
// (after the first hyphen and the blank that follows it).
struct MotivoIsencao {
  std::string code;
  std::string text;
};
MotivoIsencao SeparaMotivo(const std::string& entry);

// The document and reason that the dialog is asked about.
struct ExemptionCase {
  std::string tipodoc;
  std::string serie;
  std::string numero;
  std::string currentReason;  // as stored, possibly empty
  DateTime periodStart;
  std::vector<std::string> offered;  // the entries of the table for the period
};

// Runs the dialog's update statements on the billing database.
class ExemptionFixer {
 public:
  ExemptionFixer(Database& db, const ExemptionCase& c)
      : connection_([&db]() -> Database& { return db; }), case_(c) {}
  // The connection is asked for when an update is written: an export's view
  // of the database may have to make way for it first (config/ReadView.h).
  ExemptionFixer(std::function<Database&()> connection, const ExemptionCase& c)
      : connection_(std::move(connection)), case_(c) {}
  // "Atualizar documento": the lines of this document carrying the current
  // reason get the chosen text and code. Returns the rows changed.
  unsigned long long UpdateDocument(const MotivoIsencao& chosen);
  // "Atualizar todas as ocorrências em todos os documentos desde 1/1/2017".
  unsigned long long UpdateAll(const MotivoIsencao& chosen);

 private:
  std::function<Database&()> connection_;
  const ExemptionCase& case_;
};

// What the export asks when a reason is not acceptable: the front end shows
// the case, may run one of the fixer's updates, and returns true when it did
// (false cancels the export).
class ExemptionResolver {
 public:
  virtual ~ExemptionResolver() = default;
  virtual bool Resolve(const ExemptionCase& c, ExemptionFixer& fixer) = 0;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_EXEMPTIONREASONS_H_
