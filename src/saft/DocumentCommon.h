// Pieces that the sales-invoice, working-document and payment writers share:
// the document's number, status, totals and withholding, and a line's product
// code and VAT.
#ifndef SAFTPT_SAFT_DOCUMENTCOMMON_H_
#define SAFTPT_SAFT_DOCUMENTCOMMON_H_

#include <string>
#include <string_view>

#include "config/Database.h"
#include "saft/RunReads.h"
#include "xml/XmlDocument.h"

namespace saftpt {

class clsSAFT;

namespace documentos {

// An amount of a row; Null counts as 0.
double Montante(const Value& v, std::string_view what);
double Montante(const Recordset& rs, std::string_view column);
double Montante(const Linhas& rs, std::string_view column);

// "F A/12": stored type code, series and number.
std::string NumeroDocumento(const Recordset& rs);
// The VAT rate of a line; a rate that is Null or no number stops the export
// with a message naming the column and the document.
double TaxaDaLinha(const Value& taxa, const Recordset& documento);
// Cancelled: Anulado holds a non-zero value (Null is not cancelled).
bool Anulado(const Recordset& rs);
// Month of Data, "1" to "12".
std::string Periodo(const Recordset& rs);
// DataEdicao, or Data when the document was never edited.
std::string DataEntrada(const Recordset& rs);

// The side of its section's totals a line's net value goes to. Sales
// documents and quotations credit their lines and debit the negative ones (a
// discount line); credit notes debit every line.
enum class LadoLinha { kNenhum, kCredito, kDebito };
LadoLinha LadoDaLinha(std::string_view tipodoc, double liquido);
// Writes the line's "CreditAmount" or "DebitAmount", |liquido| in cents, and
// returns the side.
LadoLinha AddMontanteLinha(XmlNode line, std::string_view tipodoc, double liquido);

// A section's "TotalDebit" and "TotalCredit": the sums of the amounts its
// lines write, in whole cents so that a year of lines adds up exactly.
class TotaisDaSeccao {
 public:
  void Soma(LadoLinha lado, double montante);
  double Debito() const { return static_cast<double>(debito_) / 100; }
  double Credito() const { return static_cast<double>(credito_) / 100; }

 private:
  long long debito_ = 0;
  long long credito_ = 0;
};

// A section's "NumberOfEntries", "TotalDebit" and "TotalCredit".
void AddControlo(XmlNode seccao, long long entradas, double debito, double credito);

// "DocumentStatus": status, its date, the reason of a cancellation, source
// and "P".
void AddEstado(XmlNode parent, const Recordset& rs, std::string_view statusTag,
               std::string_view dateTag, std::string_view sourceTag);
// "DocumentTotals". The sales and working documents add the withheld amount
// back into the gross total; a receipt's gross total is its own total.
void AddTotais(XmlNode parent, const Recordset& rs, bool grossComRetencao);
// "WithholdingTax" elements, IRC first, from the document's IRC and IRS sums.
void EscreveRetencoes(XmlNode parent, double irc, double irs);

// The columns of a sales or working document's lines in the section's read.
std::string ColunasDasLinhas(int versao);

// The line's VAT "Tax" element.
void AddImpostoIva(XmlNode line, const clsSAFT& saft, double iva);

}  // namespace documentos
}  // namespace saftpt

#endif  // SAFTPT_SAFT_DOCUMENTCOMMON_H_
