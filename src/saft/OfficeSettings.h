// The office's settings that decide how documents are written: whether its
// program is certified (signatures are written), and cash-basis VAT for the
// office and for each series. Each is read once per run.
#ifndef SAFTPT_SAFT_OFFICESETTINGS_H_
#define SAFTPT_SAFT_OFFICESETTINGS_H_

#include <string>

#include "saft/RunContext.h"

namespace saftpt {

bool IsCertified(RunContext& ctx);
// 1 when the series is on cash-basis VAT, 0 otherwise.
int SerieIvaCaixa(RunContext& ctx, const std::string& serie);
// 1 when the office is on cash-basis VAT, 0 otherwise.
int EmpresaIvaCaixa(RunContext& ctx);
// Whether the file carries the receipts: on request, and always for an
// office on cash-basis VAT.
bool SendsReceipts(RunContext& ctx);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_OFFICESETTINGS_H_
