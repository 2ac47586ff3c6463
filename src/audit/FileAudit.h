// The audit checks of an audit file before it goes to the tax authority:
// the numbering of each type and series, the ATCUD and, with the public keys,
// the chain of signatures. What is kept is a few short fields per document.
#ifndef SAFTPT_AUDIT_FILEAUDIT_H_
#define SAFTPT_AUDIT_FILEAUDIT_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audit/NumberingRules.h"
#include "audit/SaftFileReader.h"

namespace saftpt {

struct AuditOptions {
  // The public keys (PEM files) by HashControl version; the key under "" is
  // used for every version without one of its own. Without keys the
  // signatures are not verified (only the Hash's form is checked).
  std::map<std::string, std::string> chavesPublicas;
  bool numeracao = true;  // numbering and ATCUD
};

struct AuditReport {
  std::vector<AuditFinding> findings;  // in the order of the series and numbers
  size_t ErrorCount() const;
  size_t WarningCount() const;
  bool Valid() const { return ErrorCount() == 0; }
};

// Adds one key given as "FILE" or "VERSION=FILE" (`--public-key`). Throws
// Error (kSettings), with the reason, when the text is empty or names a
// version twice.
void AddPublicKey(AuditOptions& options, const std::string& texto);

// The keys of the settings file: key "chave_publica" of section "saft", one or
// more "FILE" or "VERSION=FILE" separated by ";". A relative file is looked
// for beside the settings file. Throws Error, as AddPublicKey, when the entry
// is bad.
void ReadPublicKeysFromSettings(const std::string& iniPath, AuditOptions& options);

// The checks fed one document at a time, by ReadSaftDocuments or by the
// schema check's pass (ValidateSaftFile), which then reads the file once for
// both.
class FileAudit {
 public:
  explicit FileAudit(const AuditOptions& options);
  ~FileAudit();
  FileAudit(const FileAudit&) = delete;
  FileAudit& operator=(const FileAudit&) = delete;

  // The keys are read with the first document, once the file and its schema
  // have been opened: those are said first when they cannot be read. Throws
  // Error when a key cannot be read.
  void TakeDocument(const CabecalhoLido& cabecalho, const DocumentoLido& d);
  // For ValidateSaftFile and ReadSaftDocuments.
  DocumentCallback Taker();
  // The findings, after the last document. Throws Error as TakeDocument.
  AuditReport Finish();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Checks `path`. Throws Error when the file cannot be read or is not
// well-formed XML, or a key cannot be read.
AuditReport AuditSaftFile(const std::string& path, const AuditOptions& options = {});

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_FILEAUDIT_H_
