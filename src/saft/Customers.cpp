// The customers' elements, and the identifiers and tax numbers read once per
// run.
#include "saft/Customers.h"

#include <map>
#include <optional>
#include <string>

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/Addresses.h"
#include "saft/Countries.h"
#include "saft/SourceDocuments.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// The tax number of an undifferentiated final consumer.
constexpr const char* kConsumidorFinal = "999999990";
// The CustomerID of a document without a customer.
constexpr const char* kDesconhecido = "DESCONHECIDO";

bool IsAllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The customers sharing each tax number, counted once per run in one grouped
// statement; only the numbers of more than one customer are kept. The
// grouping compares as the table does; only numbers of plain digits are taken
// from it (no other text compares equal to them), any other text is counted
// alone.
long long CustomersWithNif(RunContext& ctx, const std::string& nif) {
  auto& contagens = ctx.reads.customersByNif;
  if (!contagens) {
    contagens.emplace();
    Recordset rs = ctx.db.Execute(
        "select replace(ncontribuinte,' ','') as nif, count(*) as n from clientes group by "
        "replace(ncontribuinte,' ','')");
    for (; !rs.Eof(); rs.MoveNext()) {
      std::string texto = rs.Text("nif");
      long long n = rs.Field("n").Integer("n");
      if (n > 1 && IsAllDigits(texto)) (*contagens)["#" + texto] = n;
    }
  }
  if (IsAllDigits(nif)) {
    auto it = contagens->find("#" + nif);
    return it != contagens->end() ? it->second : 1;
  }
  auto it = contagens->find(nif);
  if (it != contagens->end()) return it->second;
  return (*contagens)[nif] = ctx.db.CountRows(
             "count(*)", "clientes", "replace(ncontribuinte,' ','')='" + ctx.db.Escape(nif) + "'");
}

// The customers' tax numbers, read once per run. A code not read exactly as
// stored is looked up alone, with the table's own comparison.
Value NifOfCustomer(RunContext& ctx, const std::string& codigo) {
  auto& lidos = ctx.reads.nifByCustomer;
  if (!lidos) {
    lidos.emplace();
    Recordset rs =
        ctx.db.Execute("select CodCliente, NContribuinte from clientes", RowStore::kTempFile);
    for (; !rs.Eof(); rs.MoveNext()) lidos->Add(rs.Field(size_t{0}).Text(), rs.Field(1).Text());
    lidos->Seal();
  }
  if (auto at = lidos->Find(codigo)) return Value(std::string(lidos->ValueAt(*at)));
  auto& sos = ctx.reads.nifOfCodeLookedUp;
  auto it = sos.find(codigo);
  if (it != sos.end()) return it->second;
  return sos[codigo] =
             ctx.db.ReadValue("NContribuinte", "clientes",
                              "CodCliente='" + ctx.db.Escape(codigo) + "'", Value(std::string()));
}

}  // namespace

std::string CustomerIdForNif(RunContext& ctx, const std::string& codcliente,
                             const std::string& nif) {
  const std::string semEspacos = RemoveSpaces(nif);
  if (Utf8Length(semEspacos) != 9) return codcliente;
  if (semEspacos == kConsumidorFinal) return codcliente;
  if (CustomersWithNif(ctx, semEspacos) <= 1) return semEspacos;
  return codcliente;
}

// By the document's tax number: unknown without a code, the walk-in
// customer's code as stored. By the customer's own: unknown for the walk-in
// customer too.
std::string DocumentCustomerId(RunContext& ctx, CustomerRule rule, const Recordset& document) {
  const Value codcliente = document.Field("CodCliente");
  if (codcliente.IsNull()) return kDesconhecido;
  const std::string codigo = codcliente.Text();
  if (rule == CustomerRule::kCustomerNif) {
    if (codigo == ctx.settings.clienteIndiferenciado) return kDesconhecido;
    return CustomerIdForNif(ctx, codigo, NifOfCustomer(ctx, codigo).Text());
  }
  if (codigo == ctx.settings.clienteIndiferenciado) return ctx.settings.clienteIndiferenciado;
  return CustomerIdForNif(ctx, codigo, document.Text("NContribuinteCliente"));
}

namespace {

// What a "Customer" element says of a customer's row in clientes.
struct CustomerRow {
  std::string codigo;
  std::string nome;
  std::string morada;
  std::string codPostal;
  std::string pais;
  std::string telefone;
  std::string fax;
};

CustomerRow ReadCustomerRow(const Recordset& rs, std::string_view colunaCodigo) {
  return {rs.Text(colunaCodigo), rs.Text("Nome"),     rs.Text("Morada"), rs.Text("CodPostal"),
          rs.Text("Pais"),       rs.Text("Telefone"), rs.Text("Fax")};
}

// "CustomerTaxID": the final consumer's number for a blank or "0" one.
std::string CustomerTaxId(const std::string& contribuinte) {
  const std::string aparado = Trim(contribuinte);
  return aparado.empty() || aparado == "0" ? kConsumidorFinal : RemoveSpaces(contribuinte);
}

// One "Customer": `dados` is its row in clientes; without one, every
// address field is "Desconhecido" and its name `nomeSemDados`.
void AddCustomer(RunContext& ctx, XmlNode node, const std::string& id,
                 const std::string& contribuinte, const CustomerRow* dados,
                 const std::string& nomeSemDados) {
  std::string codigoPais = "PT";
  if (dados && !dados->pais.empty()) {
    codigoPais = FindCountry(dados->pais);
    if (codigoPais.empty())
      throw Error(Error::kBuilder,
                  "Deve verificar o nome do País " + dados->pais + " no cliente " + dados->codigo);
  }
  XmlNode cliente = node.NewChild("Customer", "");
  AddElement(cliente, "CustomerID", id);
  AddElement(cliente, "AccountID", "Desconhecido");
  AddElement(cliente, "CustomerTaxID", CustomerTaxId(contribuinte));
  if (!dados) {
    // Nothing is known of it but what the documents say.
    AddElement(cliente, "CompanyName", nomeSemDados);
    for (const char* endereco : {"BillingAddress", "ShipToAddress"}) {
      XmlNode e = cliente.NewChild(endereco, "");
      for (const char* campo : {"AddressDetail", "City", "PostalCode", "Region", "Country"})
        AddElement(e, campo, "Desconhecido");
    }
    AddElement(cliente, "SelfBillingIndicator", "0");
    return;
  }
  const std::string nome = dados->nome.empty() ? "DESCONHECIDO" : dados->nome;
  const std::string morada = dados->morada.empty() ? "DESCONHECIDO" : dados->morada;
  AddElement(cliente, "CompanyName", Utf8Left(nome, ctx.V103() ? 60 : 100));
  AddCustomerAddress(cliente, "BillingAddress", morada, "", dados->codPostal, "", codigoPais);
  AddCustomerAddress(cliente, "ShipToAddress", morada, "", dados->codPostal, "", codigoPais);
  if (!Trim(dados->telefone).empty())
    AddElement(cliente, "Telephone", Utf8Left(dados->telefone, 20));
  if (!Trim(dados->fax).empty()) AddElement(cliente, "Fax", Utf8Left(dados->fax, 20));
  AddElement(cliente, "SelfBillingIndicator", "0");
}

// A document's CustomerID may differ from its customer's (a tax number stored
// on it that is not the customer's current one, a code no longer in clientes,
// the final consumer). The documents are read in the order the file lists
// them, each with its customer's row: the first that names an ID not written
// yet decides how its customer is written.
void AddCustomersOfDocuments(RunContext& ctx, XmlNode node, const CompactTextSet& escritos) {
  std::string seccoes;
  for (const documentos::SectionKind* kind : {&kSalesInvoices, &kWorkingDocuments, &kPayments}) {
    if (kind == &kPayments && !ctx.settings.sendsReceipts) continue;
    const std::string n = std::to_string(static_cast<int>(kind->section));
    seccoes += (seccoes.empty() ? "" : " union all ") + std::string("select ") + n +
               " as saft_seccao, CodCliente, NContribuinteCliente, Data, tipodoc, numero from (" +
               SectionSql(ctx, *kind) + ") documentos";
  }
  Recordset rs = ctx.db.Execute(
      "select d.saft_seccao, d.CodCliente, d.NContribuinteCliente, c.CodCliente as saft_cliente, "
      "c.Nome, c.Morada, c.CodPostal, c.Pais, c.Telefone, c.Fax from (" +
          seccoes +
          ") d left join clientes c on c.CodCliente=d.CodCliente order by d.saft_seccao, d.Data, "
          "d.tipodoc, d.numero",
      RowStore::kTempFile);

  struct Extra {
    std::string contribuinte;  // stored on the document
    std::optional<CustomerRow> dados;
  };
  std::map<std::string, Extra> extras;
  for (; !rs.Eof(); rs.MoveNext()) {
    const std::string contribuinte = rs.Text("NContribuinteCliente");
    const auto seccao = static_cast<SourceSection>(rs.Field("saft_seccao").Integer());
    const std::string id = DocumentCustomerId(ctx, CustomerRuleOf(seccao), rs);
    if (escritos.Contains(id) || extras.count(id)) continue;
    Extra& e = extras[id];
    e.contribuinte = contribuinte;
    if (!rs.IsNull("saft_cliente")) e.dados = ReadCustomerRow(rs, "saft_cliente");
  }
  rs.Close();

  for (const auto& [id, e] : extras) {
    if (id == kDesconhecido)
      AddCustomer(ctx, node, id, "", nullptr, "Consumidor final");
    else
      AddCustomer(ctx, node, id, e.contribuinte, e.dados ? &*e.dados : nullptr, "Desconhecido");
  }
}

}  // namespace

void WriteCustomers(RunContext& ctx, XmlNode masterFiles) {
  ctx.ShowStep(kCustomersStep);
  // A customer counts whether or not its document passes the restrictions,
  // and whether or not the receipts are sent.
  Recordset rs = ctx.db.Execute("select distinct clientes.* from clientes inner join (" +
                                    ctx.DocumentsOfPeriod(KindsCondition(), false) +
                                    ") documentos on clientes.codcliente=documentos.codcliente",
                                RowStore::kTempFile);
  ctx.progress.StartDetailProgress(static_cast<long long>(rs.RecordCount()));

  // A code that comes twice is written the first time.
  CompactTextSet codigos;
  for (; !rs.Eof(); rs.MoveNext()) codigos.Add(rs.Text("CodCliente"));
  codigos.Seal();

  CompactTextSet ids;
  long long contador = 1;
  size_t linha = 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++linha) {
    const std::string codigo = rs.Text("CodCliente");
    if (codigos.Find(codigo) != linha) continue;
    ctx.progress.ShowDetailProgress(++contador);
    const std::string contribuinte = rs.Text("NContribuinte");
    const CustomerRow dados = ReadCustomerRow(rs, "CodCliente");
    const std::string id = CustomerIdForNif(ctx, codigo, contribuinte);
    AddCustomer(ctx, masterFiles, id, contribuinte, &dados, "");
    ids.Add(id);
  }
  rs.Close();
  ids.Seal();
  AddCustomersOfDocuments(ctx, masterFiles, ids);
  ctx.reads.customerSetsBytes = codigos.Bytes() + ids.Bytes() +
                                (ctx.reads.nifByCustomer ? ctx.reads.nifByCustomer->Bytes() : 0);
}

}  // namespace saftpt
