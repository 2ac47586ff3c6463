// The country table: the names users type in a customer's "Pais" and the
// two-letter code written into the addresses.
#ifndef SAFTPT_SAFT_COUNTRIES_H_
#define SAFTPT_SAFT_COUNTRIES_H_

#include <string>

namespace saftpt {

// The code of a whole name, ignoring case; "" when unknown.
std::string FindCountry(const std::string& name);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_COUNTRIES_H_
