// The customers of the master files: every customer with an exported kind of
// document in the period, and the identifier the documents point at.
#include <string>
#include <unordered_set>

#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// The tax number of an undifferentiated final consumer.
constexpr const char* kConsumidorFinal = "999999990";

}  // namespace

// A unique 9-character tax number identifies the customer; otherwise (no or
// odd number, final consumer, number shared by several customers) its code.
std::string clsSAFT::GetCustomerID(const std::string& codcliente,
                                   const std::string& NContribuinte) {
  const std::string nif = RemoveSpaces(NContribuinte);
  if (Utf8Length(nif) != 9) return codcliente;
  if (nif == kConsumidorFinal) return codcliente;
  if (ClientesComNif(nif) <= 1) return nif;
  return codcliente;
}

namespace {

bool SoAlgarismos(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

// The customers sharing each tax number, counted once per run in one grouped
// statement. The grouping compares as the table does; only numbers of plain
// digits are taken from it (no other text compares equal to them), any other
// text is counted alone.
long long clsSAFT::ClientesComNif(const std::string& nif) {
  auto& contagens = Leituras().clientesPorNif;
  if (!contagens) {
    contagens.emplace();
    Recordset rs = db_.Execute(
        "select replace(ncontribuinte,' ','') as nif, count(*) as n from clientes group by "
        "replace(ncontribuinte,' ','')");
    for (; !rs.eof(); rs.moveNext()) {
      std::string texto = rs.text("nif");
      if (SoAlgarismos(texto)) (*contagens)["#" + texto] = rs.field("n").integer("n");
    }
  }
  auto it = contagens->find("#" + nif);
  if (SoAlgarismos(nif) && it != contagens->end()) return it->second;
  it = contagens->find(nif);
  if (it != contagens->end()) return it->second;
  return (*contagens)[nif] = db_.ContaTotal(
             "count(*)", "clientes", "replace(ncontribuinte,' ','')='" + db_.Escape(nif) + "'");
}

// A sales or working document's customer: unknown without a code, the
// walk-in customer's code as stored, otherwise by the document's tax number.
std::string clsSAFT::CustomerIDDocumento(const Recordset& rs) {
  Value cliente = rs.field("CodCliente");
  if (cliente.isNull()) return "DESCONHECIDO";
  if (cliente.text() == ClienteIndiferenciado) return ClienteIndiferenciado;
  return GetCustomerID(cliente.text(), rs.text("NContribuinteCliente"));
}

void clsSAFT::AddCustomers(XmlNode node) {
  progress_.MostraProgresso(2, "Customers");
  const std::string inicio = FormataData(options_.start);
  const std::string fim = FimDoPeriodo();
  // Temporary series are never exported, but a customer counts whether or
  // not its document passes the restrictions.
  Recordset rs = db_.Execute(
      "select distinct clientes.* from clientes inner join documentos on "
      "clientes.codcliente=documentos.codcliente where (tipodoc = 'F' or tipodoc = 'FR' or "
      "tipodoc = 'FA' or tipodoc = 'FS' or tipodoc='NC' or tipodoc='ND' or tipodoc='R' or "
      "tipodoc='OR')  AND Serie<>'tmp' and data>='" +
      inicio + "' and data<='" + fim + "'");
  progress_.IniciaProgressoDetalhe(static_cast<long long>(rs.recordCount()));

  std::unordered_set<std::string> escritos;
  long long contador = 1;
  for (; !rs.eof(); rs.moveNext()) {
    const std::string codigo = rs.text("CodCliente");
    if (!escritos.insert(codigo).second) continue;
    progress_.MostraProgressoDetalhe(++contador);

    const std::string contribuinte = rs.text("NContribuinte");
    const std::string pais = rs.text("Pais");
    std::string codigoPais = "PT";
    if (!pais.empty()) {
      codigoPais = ProcuraPais(pais);
      if (codigoPais.empty())
        throw Error(Error::kBuilder,
                    "Deve verificar o nome do País " + pais + " no cliente " + codigo);
    }
    std::string nome = rs.text("Nome");
    if (nome.empty()) nome = "DESCONHECIDO";
    std::string morada = rs.text("Morada");
    if (morada.empty()) morada = "DESCONHECIDO";
    const std::string codPostal = rs.text("CodPostal");
    const std::string telefone = rs.text("Telefone");
    const std::string fax = rs.text("Fax");

    XmlNode cliente = node.NewChild("Customer", "");
    AddValor(cliente, "CustomerID", GetCustomerID(codigo, contribuinte));
    AddValor(cliente, "AccountID", "Desconhecido");
    const std::string aparado = Trim(contribuinte);
    AddValor(cliente, "CustomerTaxID",
             aparado.empty() || aparado == "0" ? kConsumidorFinal : RemoveSpaces(contribuinte));
    AddValor(cliente, "CompanyName", Utf8Left(nome, versao == 3 ? 60 : 100));
    AddEnderecoCliente(cliente, "BillingAddress", morada, "", codPostal, "", codigoPais);
    AddEnderecoCliente(cliente, "ShipToAddress", morada, "", codPostal, "", codigoPais);
    if (!Trim(telefone).empty()) AddValor(cliente, "Telephone", Utf8Left(telefone, 20));
    if (!Trim(fax).empty()) AddValor(cliente, "Fax", Utf8Left(fax, 20));
    AddValor(cliente, "SelfBillingIndicator", "0");
  }
  rs.close();
}

}  // namespace saftpt
