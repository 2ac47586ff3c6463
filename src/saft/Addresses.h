// The address elements of the audit file (the company's and the customers')
// and the clean-up of a postal code.
#ifndef SAFTPT_SAFT_ADDRESSES_H_
#define SAFTPT_SAFT_ADDRESSES_H_

#include <string>

#include "xml/XmlDocument.h"

namespace saftpt {

// The company's address element `tag`, with building number and street.
void AddCompanyAddress(XmlNode node, const std::string& tag, const std::string& buildingNumber,
                       const std::string& streetName, const std::string& addressDetail,
                       const std::string& city, const std::string& postalCode,
                       const std::string& region, const std::string& country);
// A customer's address element `tag`.
void AddCustomerAddress(XmlNode node, const std::string& tag, const std::string& addressDetail,
                        const std::string& city, const std::string& postalCode,
                        const std::string& region, const std::string& country);
// Keeps the digits and the first hyphen, so "1000 - 001 Lisboa" gives
// "1000-001" and "4700 Braga" gives "4700-000".
std::string ExtractPostalCode(const std::string& postalCode);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_ADDRESSES_H_
