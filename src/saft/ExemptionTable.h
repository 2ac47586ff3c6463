// The tax authority's table of VAT-exemption reasons, read from the office's
// copy of motivos-isencao.csv: which texts a period accepts, which entries
// the correction dialog offers and which codes it refuses.
#ifndef SAFTPT_SAFT_EXEMPTIONTABLE_H_
#define SAFTPT_SAFT_EXEMPTIONTABLE_H_

#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"

namespace saftpt {

// One row of the table.
struct MotivoEntry {
  std::string codigo;             // "M07"
  std::string texto;              // "Isento Artigo 9.º do CIVA"
  std::optional<DateTime> desde;  // first period start it applies to; none: always
  std::optional<DateTime> ate;    // last one; none: still in force
  bool aceite = false;            // a line carrying the text passes the check
  bool dialogo = false;           // the correction dialog offers it
  int line = 0;                   // in the file, for the messages

  // The dialog's entry, "M07 - Isento Artigo 9.º do CIVA".
  std::string Entry() const { return codigo + " - " + texto; }
  // Offered entries are accepted too: a reason corrected to one of them
  // passes the next export.
  bool Accepted() const { return aceite || dialogo; }
  // Neither accepted nor offered: lines still carrying its code are refused
  // (the codes the authority withdrew).
  bool Withdrawn() const { return !aceite && !dialogo; }
};

class ExemptionTable {
 public:
  ExemptionTable() = default;
  // Reads and checks the file; a missing file or a broken row throws an
  // Error naming the file and the line ("…, linha 12: data «2025-13-01»
  // inválida"), so that nothing is exported with a table half read.
  static ExemptionTable Read(const std::string& path);
  // A table of rows already checked (what Read builds).
  ExemptionTable(std::string path, std::vector<MotivoEntry> rows)
      : path_(std::move(path)), rows_(std::move(rows)) {}

  const std::string& Path() const { return path_; }
  // The rows in force for a period starting on `start`, in the file's order.
  std::vector<MotivoEntry> InForce(const DateTime& start) const;
  // The texts a line may carry in that period.
  std::vector<std::string> Accepted(const DateTime& start) const;
  // The dialog's entries for that period.
  std::vector<std::string> Offered(const DateTime& start) const;
  // Whether a stored code is one withdrawn for that period (exact match).
  bool IsWithdrawnCode(const std::string& codMencao, const DateTime& start) const;

 private:
  std::string path_;
  std::vector<MotivoEntry> rows_;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_EXEMPTIONTABLE_H_
