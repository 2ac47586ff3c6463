// The customers of the master files: every customer with an exported kind of
// document in the period, and the identifier the documents point at.
#include <map>
#include <optional>
#include <set>
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
// The CustomerID of a document without a customer.
constexpr const char* kDesconhecido = "DESCONHECIDO";

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
std::string clsSAFT::CustomerIDDocumento(const Value& codcliente, const std::string& nif) {
  if (codcliente.isNull()) return kDesconhecido;
  if (codcliente.text() == ClienteIndiferenciado) return ClienteIndiferenciado;
  return GetCustomerID(codcliente.text(), nif);
}

std::string clsSAFT::CustomerIDRecibo(const Value& codcliente) {
  if (codcliente.isNull() || codcliente.text() == ClienteIndiferenciado) return kDesconhecido;
  return GetCustomerID(codcliente.text(), NifDoCliente(codcliente.text()).text());
}

// What a "Customer" element says of a customer's row in clientes.
struct DadosCliente {
  std::string codigo;
  std::string nome;
  std::string morada;
  std::string codPostal;
  std::string pais;
  std::string telefone;
  std::string fax;
};

namespace {

DadosCliente LeCliente(const Recordset& rs, std::string_view colunaCodigo) {
  return {rs.text(colunaCodigo), rs.text("Nome"),     rs.text("Morada"), rs.text("CodPostal"),
          rs.text("Pais"),       rs.text("Telefone"), rs.text("Fax")};
}

// "CustomerTaxID": the final consumer's number for a blank or "0" one.
std::string ContribuinteDoCliente(const std::string& contribuinte) {
  const std::string aparado = Trim(contribuinte);
  return aparado.empty() || aparado == "0" ? kConsumidorFinal : RemoveSpaces(contribuinte);
}

}  // namespace

void clsSAFT::AddCliente(XmlNode node, const std::string& id, const std::string& contribuinte,
                         const DadosCliente* dados, const std::string& nomeSemDados) {
  std::string codigoPais = "PT";
  if (dados && !dados->pais.empty()) {
    codigoPais = ProcuraPais(dados->pais);
    if (codigoPais.empty())
      throw Error(Error::kBuilder,
                  "Deve verificar o nome do País " + dados->pais + " no cliente " + dados->codigo);
  }
  XmlNode cliente = node.NewChild("Customer", "");
  AddValor(cliente, "CustomerID", id);
  AddValor(cliente, "AccountID", "Desconhecido");
  AddValor(cliente, "CustomerTaxID", ContribuinteDoCliente(contribuinte));
  if (!dados) {
    // Nothing is known of it but what the documents say.
    AddValor(cliente, "CompanyName", nomeSemDados);
    for (const char* endereco : {"BillingAddress", "ShipToAddress"}) {
      XmlNode e = cliente.NewChild(endereco, "");
      for (const char* campo : {"AddressDetail", "City", "PostalCode", "Region", "Country"})
        AddValor(e, campo, "Desconhecido");
    }
    AddValor(cliente, "SelfBillingIndicator", "0");
    return;
  }
  const std::string nome = dados->nome.empty() ? "DESCONHECIDO" : dados->nome;
  const std::string morada = dados->morada.empty() ? "DESCONHECIDO" : dados->morada;
  AddValor(cliente, "CompanyName", Utf8Left(nome, versao == 3 ? 60 : 100));
  AddEnderecoCliente(cliente, "BillingAddress", morada, "", dados->codPostal, "", codigoPais);
  AddEnderecoCliente(cliente, "ShipToAddress", morada, "", dados->codPostal, "", codigoPais);
  if (!Trim(dados->telefone).empty()) AddValor(cliente, "Telephone", Utf8Left(dados->telefone, 20));
  if (!Trim(dados->fax).empty()) AddValor(cliente, "Fax", Utf8Left(dados->fax, 20));
  AddValor(cliente, "SelfBillingIndicator", "0");
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
  std::set<std::string> ids;
  long long contador = 1;
  for (; !rs.eof(); rs.moveNext()) {
    const std::string codigo = rs.text("CodCliente");
    if (!escritos.insert(codigo).second) continue;
    progress_.MostraProgressoDetalhe(++contador);
    const std::string contribuinte = rs.text("NContribuinte");
    const DadosCliente dados = LeCliente(rs, "CodCliente");
    const std::string id = GetCustomerID(codigo, contribuinte);
    AddCliente(node, id, contribuinte, &dados, "");
    ids.insert(id);
  }
  rs.close();
  AddClientesDosDocumentos(node, ids);
}

// A document's CustomerID differs from its customer's when the tax number
// stored on it is not the customer's current one, when its code is no longer
// in clientes, or when it names the final consumer. Only such documents are
// read, in the order the file lists them: the first that names an ID decides
// how its customer is written.
void clsSAFT::AddClientesDosDocumentos(XmlNode node, const std::set<std::string>& escritos) {
  auto seccao = [](int n, const std::string& documentos) {
    return "select " + std::to_string(n) +
           " as saft_seccao, CodCliente, NContribuinteCliente, Data, tipodoc, numero from (" +
           documentos + ") documentos";
  };
  std::string documentos =
      seccao(1, DocumentosFacturas()) + " union all " + seccao(2, DocumentosOrcamentos());
  if (EnviaRecibos()) documentos += " union all " + seccao(3, DocumentosRecibos());
  const std::string nif = "replace(coalesce(c.NContribuinte,''),' ','')";
  const std::string nifDoDocumento = "replace(coalesce(d.NContribuinteCliente,''),' ','')";
  Recordset rs = db_.Execute(
      "select d.saft_seccao, d.CodCliente, d.NContribuinteCliente, c.CodCliente as saft_cliente, "
      "c.Nome, c.Morada, c.CodPostal, c.Pais, c.Telefone, c.Fax from (" +
      documentos +
      ") d left join clientes c on c.CodCliente=d.CodCliente where c.CodCliente is null or "
      "binary c.CodCliente<>binary d.CodCliente or binary d.CodCliente='" +
      db_.Escape(ClienteIndiferenciado) + "' or (d.saft_seccao<>3 and binary " + nif + "<>binary " +
      nifDoDocumento + ") order by d.saft_seccao, d.Data, d.tipodoc, d.numero");

  struct Extra {
    std::string contribuinte;  // stored on the document
    std::optional<DadosCliente> dados;
  };
  std::map<std::string, Extra> extras;
  for (; !rs.eof(); rs.moveNext()) {
    const Value codigo = rs.field("CodCliente");
    const std::string contribuinte = rs.text("NContribuinteCliente");
    const std::string id = rs.field("saft_seccao").integer() == 3
                               ? CustomerIDRecibo(codigo)
                               : CustomerIDDocumento(codigo, contribuinte);
    if (escritos.count(id) || extras.count(id)) continue;
    Extra& e = extras[id];
    e.contribuinte = contribuinte;
    if (!rs.isNull("saft_cliente")) e.dados = LeCliente(rs, "saft_cliente");
  }
  rs.close();

  for (const auto& [id, e] : extras) {
    if (id == kDesconhecido)
      AddCliente(node, id, "", nullptr, "Consumidor final");
    else
      AddCliente(node, id, e.contribuinte, e.dados ? &*e.dados : nullptr, "Desconhecido");
  }
}

}  // namespace saftpt
