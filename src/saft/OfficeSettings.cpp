// The office's certification and cash-basis VAT, read from configescritorio
// and series.
#include "saft/OfficeSettings.h"

#include <exception>

namespace saftpt {

bool IsCertified(RunContext& ctx) {
  auto& certified = ctx.reads.certified;
  if (!certified)
    certified = ctx.db.ReadValue("OC", "configescritorio", "", Value("0")).Integer("OC") != 0;
  return *certified;
}

int SerieIvaCaixa(RunContext& ctx, const std::string& serie) {
  auto& series = ctx.reads.serieIvaCaixa;
  auto it = series.find(serie);
  if (it != series.end()) return it->second;
  int valor = 0;
  try {
    Recordset rs =
        ctx.db.Execute("select IvaCaixa from series where serie='" + ctx.db.Escape(serie) + "'");
    valor = !rs.Eof() && rs.Field("Ivacaixa").Boolean("IvaCaixa") ? 1 : 0;
  } catch (const std::exception&) {
    // A missing series or column is a series without cash-basis VAT.
    valor = 0;
  }
  series[serie] = valor;
  return valor;
}

int EmpresaIvaCaixa(RunContext& ctx) {
  try {
    Recordset rs = ctx.db.Execute("select IvaCaixa from configescritorio");
    return !rs.Eof() && rs.Field("Ivacaixa").Boolean("IvaCaixa") ? 1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

// Offices on cash-basis VAT must always send their receipts.
bool SendsReceipts(RunContext& ctx) {
  if (!ctx.sendsReceipts) ctx.sendsReceipts = EmpresaIvaCaixa(ctx) == 1 || ctx.options.receipts;
  return *ctx.sendsReceipts;
}

}  // namespace saftpt
