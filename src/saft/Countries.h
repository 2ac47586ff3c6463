// The country table: the names users type in a customer's "Pais" and the
// two-letter code written into the addresses.
#ifndef SAFTPT_SAFT_COUNTRIES_H_
#define SAFTPT_SAFT_COUNTRIES_H_

#include <string>
#include <vector>

namespace saftpt {

// Every row as "number;name;code": the Portuguese names, then the English
// ones, each block numbered from 1.
const std::vector<std::string>& CountryRows();
// The code of a whole name, ignoring case; "" when unknown.
std::string FindCountry(const std::string& name);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_COUNTRIES_H_
