// Addresses of the audit file (the company's and the customers'), postal code
// clean-up and the office's fiscal region.
#include <string>

#include "config/Utf8.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// An empty argument gets the placeholder; a text of blanks is kept.
std::string OuDefeito(const std::string& valor, const char* defeito) {
  return valor.empty() ? std::string(defeito) : valor;
}

}  // namespace

void clsSAFT::AddEndereco(XmlNode node, const std::string& Chave,
                          const std::string& building_number, const std::string& streetname,
                          const std::string& addressdetail, const std::string& city,
                          const std::string& postalcode, const std::string& region,
                          const std::string& country) {
  XmlNode endereco = node.NewChild(Chave, "");
  AddValor(endereco, "BuildingNumber", OuDefeito(building_number, "0"));
  AddValor(endereco, "StreetName", Utf8Left(OuDefeito(streetname, "Desconhecido"), 50));
  AddValor(endereco, "AddressDetail", Utf8Left(addressdetail, 60));
  AddValor(endereco, "City", Utf8Left(OuDefeito(city, "Desconhecido"), 50));
  AddValor(endereco, "PostalCode", ExtractPostalCode(postalcode));
  AddValor(endereco, "Region", Utf8Left(OuDefeito(region, "Desconhecido"), 50));
  AddValor(endereco, "Country", Utf8Left(OuDefeito(country, "PT"), 50));
}

void clsSAFT::AddEnderecoCliente(XmlNode node, const std::string& Chave,
                                 const std::string& addressdetail, const std::string& city,
                                 const std::string& postalcode, const std::string& region,
                                 const std::string& country) {
  XmlNode endereco = node.NewChild(Chave, "");
  AddValor(endereco, "AddressDetail", Utf8Left(addressdetail, 60));
  AddValor(endereco, "City", OuDefeito(city, "Desconhecido"));
  AddValor(endereco, "PostalCode", ExtractPostalCode(postalcode));
  AddValor(endereco, "Region", OuDefeito(region, "Desconhecido"));
  AddValor(endereco, "Country", OuDefeito(country, "PT"));
}

// Keeps the digits and the first hyphen, so "1000 - 001 Lisboa" gives
// "1000-001" and "4700 Braga" gives "4700-000".
std::string clsSAFT::ExtractPostalCode(const std::string& postalcode) {
  std::string resultado;
  bool hifen = false;
  for (char c : postalcode) {
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

// The exact stored words: "açores" or "Acores" are the mainland.
std::string clsSAFT::getEspacoFiscal() const {
  if (office_.espacofiscal == "Açores") return "PT-AC";
  if (office_.espacofiscal == "Madeira") return "PT-MA";
  return "PT";
}

}  // namespace saftpt
