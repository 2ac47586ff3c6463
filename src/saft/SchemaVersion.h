// The versions of the audit file's schema this program writes, and how the
// file names them.
#ifndef SAFTPT_SAFT_SCHEMAVERSION_H_
#define SAFTPT_SAFT_SCHEMAVERSION_H_

namespace saftpt {

enum class SchemaVersion { kV103, kV104 };

// "AuditFileVersion".
constexpr const char* AuditFileVersion(SchemaVersion v) {
  return v == SchemaVersion::kV103 ? "1.03_01" : "1.04_01";
}

// The file's namespace.
constexpr const char* AuditFileNamespace(SchemaVersion v) {
  return v == SchemaVersion::kV103 ? "urn:OECD:StandardAuditFile-Tax:PT_1.03_01"
                                   : "urn:OECD:StandardAuditFile-Tax:PT_1.04_01";
}

}  // namespace saftpt

#endif  // SAFTPT_SAFT_SCHEMAVERSION_H_
