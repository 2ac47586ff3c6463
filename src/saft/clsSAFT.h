// The builder of one audit file: Init builds the whole element tree section by
// section (header, master files, source documents), Gravar corrects the
// payments totals and saves it. The counters and totals stay readable for the
// summary afterwards.
#ifndef SAFTPT_SAFT_CLSSAFT_H_
#define SAFTPT_SAFT_CLSSAFT_H_

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/Database.h"
#include "config/DateTime.h"
#include "config/OfficeConfig.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"
#include "saft/Restrictions.h"
#include "xml/XmlDocument.h"

namespace saftpt {

struct LeiturasDaExportacao;
struct LeituraDaSeccao;
struct DadosCliente;
namespace documentos {
class TotaisDaSeccao;
}
using documentos::TotaisDaSeccao;
struct Honorario;
class Linhas;

// Everything an export takes from its front end.
struct ExportOptions {
  std::string fiscalYear;   // written as it stands into "FiscalYear"
  DateTime start;           // first day of the period (inclusive)
  DateTime end;             // last day of the period (inclusive)
  int versao = 4;           // 3 writes "1.03_01", anything else "1.04_01"
  std::string comment;      // "HeaderComment" when not empty
  bool receipts = false;    // "Enviar recibos"
  Restricoes restrictions;  // document restrictions, in the order added
  DateTime today;           // the day of the run ("DateCreated", ATCUD switch)
  std::string outputPath;   // where Gravar saves the file
};

class clsSAFT {
 public:
  clsSAFT(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
          ProgressSink& progress, ExemptionResolver& resolver);
  ~clsSAFT();

  // Public state read by the export run's summary.
  std::string ClienteIndiferenciado;
  std::string NIF;
  long long NumeroFacturas = 0;
  long long NumeroRecibos = 0;
  std::vector<std::string> col_motivos_isencao;
  double TotalCreditos = 0;
  double TotalDebitos = 0;
  double TotalCreditosRecibos = 0;
  double TotalDebitosRecibos = 0;
  long long NumeroOrcamentos = 0;
  double TotalCreditosOrcamentos = 0;
  double TotalDebitosOrcamentos = 0;
  bool OrcamentosAssinados = false;
  int versao = 4;
  std::vector<std::string> Paises;  // "number;name;code"

  // Payments totals of this run: the section's written totals and the sums of
  // the written line amounts that Gravar compares with them.
  double PagamentosTotalCredito = 0;
  double PagamentosTotalDebito = 0;
  double PagamentosSomaCredito = 0;
  double PagamentosSomaDebito = 0;

  void Init();
  void Gravar();

  // Section writers, in the order Init calls them.
  void AddHeader(XmlNode node);
  void AddCustomers(XmlNode node);
  void AddProducts(XmlNode node);
  void AddTaxTable(XmlNode node);
  void AddInvoices(XmlNode node);
  void AddInvoiceLines(XmlNode node_invoice, const Recordset& rs_doc);
  void AddWorkingDocuments(XmlNode node);
  void AddworkingDocumentLines(XmlNode node_workingdocument, const Recordset& rs_doc);
  void AddPayments(XmlNode node);
  void AddPaymentLines(XmlNode node_payment, const Recordset& rs_doc);

  // Addresses and countries.
  void AddEndereco(XmlNode node, const std::string& Chave, const std::string& building_number,
                   const std::string& streetname, const std::string& addressdetail,
                   const std::string& city, const std::string& postalcode,
                   const std::string& region, const std::string& country);
  void AddEnderecoCliente(XmlNode node, const std::string& Chave, const std::string& addressdetail,
                          const std::string& city, const std::string& postalcode,
                          const std::string& region, const std::string& country);
  static std::string ExtractPostalCode(const std::string& postalcode);
  void Init_Paises();
  std::string ProcuraPais(const std::string& s) const;
  std::string getEspacoFiscal() const;

  // Look-ups shared by the document writers.
  std::string GetCustomerID(const std::string& codcliente, const std::string& NContribuinte);
  // A sales or working document's CustomerID, from its CodCliente and the tax
  // number stored on it.
  std::string CustomerIDDocumento(const Value& codcliente, const std::string& nif);
  // A receipt's CustomerID, by its customer's own tax number.
  std::string CustomerIDRecibo(const Value& codcliente);
  // "NOR", "INT", "RED" or "ISE" for a rate of the region RegiaoDaTaxa gives.
  std::string GetTaxCode(double PercIva) const;
  // The "TaxCountryRegion" of a rate: 16 % is only charged in the Azores,
  // every other rate is the office's region's.
  std::string RegiaoDaTaxa(double PercIva) const;
  double GetISPercentagem(const std::string& Codigo);
  std::string CategoriaProduto(const std::string& ProductCode);
  std::string GetProductDescription(const std::string& ProductCode);
  // A line's product code: its reference when it is a fee type, otherwise
  // "DIVERSOS".
  std::string CodigoProduto(const Value& referencia);
  bool Certificada();
  int SerieIvaCaixa(const std::string& Serie);
  int EmpresaIvaCaixa();

  // Exemption reasons.
  void Init_Motivos_Isencao();
  void ValidaMotivosIsencaoIva(const Recordset& rs_doc);
  void ValidaMotivosIsencaoIvaPayments(const Recordset& rs_doc);
  std::string Get_CodMencao(const std::string& texto);
  // A zero-rated line's reason and, in 1.04_01 files, its code (the stored
  // one, or the one its text has in the table of reasons).
  void AddIsencaoLinha(XmlNode line, double iva, const std::string& isencao,
                       const std::string& codigo);
  static bool Exists_in_col(const std::string& value, const std::vector<std::string>& col);

  std::string WhereRestricoesDocumentos(const std::string& Tabela) const;
  // The same clause after " and ", or nothing without restrictions.
  std::string RestricaoDocumentos() const;

  // The documents each source-document section writes (without their order).
  std::string DocumentosFacturas() const;
  std::string DocumentosOrcamentos() const;
  std::string DocumentosRecibos() const;
  // Whether the file carries the receipts: on request, and always for an
  // office on cash-basis VAT.
  bool EnviaRecibos();

  const ExportOptions& options() const { return options_; }

 private:
  // Asks the resolver about one case; throws "Exportação do ficheiro
  // cancelada." when it does not correct it.
  void PedeCorrecao(const ExemptionCase& c);
  // The customers that exported documents name and the customers of the
  // period do not carry, written after them (Customers.cpp).
  void AddClientesDosDocumentos(XmlNode node, const std::set<std::string>& escritos);
  // One "Customer": `dados` is its row in clientes; without one, every
  // address field is "Desconhecido" and its name `nomeSemDados`.
  void AddCliente(XmlNode node, const std::string& id, const std::string& contribuinte,
                  const DadosCliente* dados, const std::string& nomeSemDados);
  // The "ATCUD" element's text: "0" before 1 February 2023 (the run's date).
  std::string AtcudTexto(const Value& atcud, const std::string& documento) const;
  // The period's last day as the statements' upper bound: the whole day, so
  // that documents stored with a time of day (DATETIME columns) are included.
  std::string FimDoPeriodo() const;

  // Reads made once per run or per section instead of per document or line
  // (RunReads.h). `documentos` is the section's documents statement without
  // its order.
  LeiturasDaExportacao& Leituras();
  void LeSeccao(const std::string& documentos, const LeituraDaSeccao& leitura);
  void LePagamentos(const std::string& origem, const std::string& recibo);
  // After a correction, the document's reads taken again, alone.
  void ReleDocumento(const Recordset& rs_doc);
  // The section's totals from the lines LeSeccao read.
  TotaisDaSeccao SomaDasLinhas();
  Linhas GruposDaLinha(long long id);
  Value NifDoCliente(const std::string& codigo);
  Honorario ProcuraHonorario(const std::string& referencia);
  long long ClientesComNif(const std::string& nif);
  Linhas LinhasDoDocumento(const Recordset& rs_doc);
  // The document's "WithholdingTax" elements.
  void AddRetencoesDoDocumento(XmlNode parent, const Recordset& rs_doc);

  Database& db_;
  const ConfiguracaoEscritorio& office_;
  ExportOptions options_;
  ProgressSink& progress_;
  ExemptionResolver& resolver_;
  XmlDocument doc_;
  XmlNode root_;
  std::unique_ptr<LeiturasDaExportacao> leituras_;
  std::optional<bool> enviaRecibos_;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_CLSSAFT_H_
