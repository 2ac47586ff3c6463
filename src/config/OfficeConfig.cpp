// Loading the office's own data from its configuration row.
#include "config/OfficeConfig.h"

#include "base/Error.h"

namespace saftpt {

namespace {

// Columns the host product keeps in the same row. Nothing here uses them, but
// they are read so that a table lacking one fails at start-up, as before.
constexpr const char* kOtherColumns[] = {
    "fax",
    "designacao",
    "telefone",
    "TamMaxCitius",
    "NumRegisto",
    "Conservatoria",
    "TaxaConversao",
    "Moeda1",
    "Moeda11",
    "Moeda2",
    "Moeda21",
    "Pais",
    "Simbolo1",
    "Simbolo2",
    "Email",
    "Smtp",
    "SmtpLogin",
    "SmtpPassword",
    "SmtpAutenticacao",
    "Pop",
    "PopLogin",
    "PopPassword",
    "LancaAssistentes",
    "NomeTextosTipo",
    "DigitosCodCliente",
    "DigitosCodProcesso",
    "TipoNumeracao",
    "VersaoChavePrivada",
    "PastaCorreio",
    "PastaEmail",
    "Central",
    "ConverteTextoTipoRtf",
    "RelacionaAutomaticamente",
    "ClienteIndiferenciado",
};

Value Column(const Recordset& rs, const char* name) {
  if (!rs.HasField(name))
    throw Error(Error::kData,
                std::string("A tabela configescritorio não tem a coluna \"") + name + "\".");
  return rs.Field(name);
}

// An empty or Null text keeps the value there was.
void ReadText(const Recordset& rs, const char* name, std::string& target) {
  std::string text = Column(rs, name).Text();
  if (!text.empty()) target = std::move(text);
}

}  // namespace

void LoadOfficeConfig(Database& db, ConfiguracaoEscritorio& config) {
  Recordset rs = db.Execute("Select * from configescritorio Where ID=1 limit 1");
  if (rs.Eof())
    throw Error(Error::kData,
                "A tabela configescritorio não tem a configuração do escritório (ID=1).");
  // Read into a copy: a failure leaves the caller's values as they were.
  ConfiguracaoEscritorio c = config;
  ReadText(rs, "nome", c.nome);
  ReadText(rs, "morada", c.morada);
  ReadText(rs, "Localidade", c.localidade);
  ReadText(rs, "Codpostal", c.codPostal);
  ReadText(rs, "NumContribuinte", c.numContribuinte);
  ReadText(rs, "EspacoFiscal", c.espacoFiscal);
  c.iva = Column(rs, "Iva").Number("Iva");
  for (const char* name : kOtherColumns) Column(rs, name);
  // Converted with no test: a Null fails, it is not taken as false.
  c.oc = Column(rs, "OC").Number("OC") != 0;
  config = std::move(c);
}

}  // namespace saftpt
