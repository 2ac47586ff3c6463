// Addresses of the audit file, with their placeholders for what is unknown.
#include "saft/Addresses.h"

#include "config/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// An empty argument gets the placeholder; a text of blanks is kept.
std::string OuDefeito(const std::string& valor, const char* defeito) {
  return valor.empty() ? std::string(defeito) : valor;
}

}  // namespace

void AddCompanyAddress(XmlNode node, const std::string& tag, const std::string& buildingNumber,
                       const std::string& streetName, const std::string& addressDetail,
                       const std::string& city, const std::string& postalCode,
                       const std::string& region, const std::string& country) {
  XmlNode endereco = node.NewChild(tag, "");
  AddValor(endereco, "BuildingNumber", OuDefeito(buildingNumber, "0"));
  AddValor(endereco, "StreetName", Utf8Left(OuDefeito(streetName, "Desconhecido"), 50));
  AddValor(endereco, "AddressDetail", Utf8Left(addressDetail, 60));
  AddValor(endereco, "City", Utf8Left(OuDefeito(city, "Desconhecido"), 50));
  AddValor(endereco, "PostalCode", ExtractPostalCode(postalCode));
  AddValor(endereco, "Region", Utf8Left(OuDefeito(region, "Desconhecido"), 50));
  AddValor(endereco, "Country", Utf8Left(OuDefeito(country, "PT"), 50));
}

void AddCustomerAddress(XmlNode node, const std::string& tag, const std::string& addressDetail,
                        const std::string& city, const std::string& postalCode,
                        const std::string& region, const std::string& country) {
  XmlNode endereco = node.NewChild(tag, "");
  AddValor(endereco, "AddressDetail", Utf8Left(addressDetail, 60));
  AddValor(endereco, "City", OuDefeito(city, "Desconhecido"));
  AddValor(endereco, "PostalCode", ExtractPostalCode(postalCode));
  AddValor(endereco, "Region", OuDefeito(region, "Desconhecido"));
  AddValor(endereco, "Country", OuDefeito(country, "PT"));
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
