// The table of exemption reasons the build copies beside each test program,
// read once: the data every export of the tests runs with.
#ifndef SAFTPT_TESTS_SHIPPEDTABLE_H_
#define SAFTPT_TESTS_SHIPPEDTABLE_H_

#include "config/SettingsLocation.h"
#include "saft/ExemptionTable.h"

namespace saftpt::test {

inline const ExemptionTable& ShippedMotivos() {
  static const ExemptionTable table = ExemptionTable::Read(FindDataFile(kExemptionTableName));
  return table;
}

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_SHIPPEDTABLE_H_
