// Addresses of the audit file, with their placeholders for what is unknown.
#include "saft/Addresses.h"

#include "base/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// An empty argument gets the placeholder; a text of blanks is kept.
std::string OrPlaceholder(const std::string& valor, const char* defeito) {
  return valor.empty() ? std::string(defeito) : valor;
}

}  // namespace

void AddCompanyAddress(XmlNode node, const std::string& tag, const std::string& buildingNumber,
                       const std::string& streetName, const std::string& addressDetail,
                       const std::string& city, const std::string& postalCode,
                       const std::string& region, const std::string& country) {
  XmlNode endereco = node.NewChild(tag, "");
  AddElement(endereco, "BuildingNumber", OrPlaceholder(buildingNumber, "0"));
  AddElement(endereco, "StreetName", Utf8Left(OrPlaceholder(streetName, "Desconhecido"), 50));
  AddElement(endereco, "AddressDetail", Utf8Left(addressDetail, 60));
  AddElement(endereco, "City", Utf8Left(OrPlaceholder(city, "Desconhecido"), 50));
  AddElement(endereco, "PostalCode", ExtractPostalCode(postalCode));
  AddElement(endereco, "Region", Utf8Left(OrPlaceholder(region, "Desconhecido"), 50));
  AddElement(endereco, "Country", Utf8Left(OrPlaceholder(country, "PT"), 50));
}

void AddCustomerAddress(XmlNode node, const std::string& tag, const std::string& addressDetail,
                        const std::string& city, const std::string& postalCode,
                        const std::string& region, const std::string& country) {
  XmlNode endereco = node.NewChild(tag, "");
  AddElement(endereco, "AddressDetail", Utf8Left(addressDetail, 60));
  AddElement(endereco, "City", OrPlaceholder(city, "Desconhecido"));
  AddElement(endereco, "PostalCode", ExtractPostalCode(postalCode));
  AddElement(endereco, "Region", OrPlaceholder(region, "Desconhecido"));
  AddElement(endereco, "Country", OrPlaceholder(country, "PT"));
}

std::string ExtractPostalCode(const std::string& postalCode) {
  std::string resultado;
  bool hifen = false;
  for (char c : postalCode) {
    if (c >= '0' && c <= '9') {
      resultado += c;
    } else if (c == '-' && !hifen) {
      resultado += c;
      hifen = true;
    }
  }
  if (resultado.empty()) return "0000-000";
  if (!hifen) resultado += "-000";
  return resultado.substr(0, 8);
}

}  // namespace saftpt
