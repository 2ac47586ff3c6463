// The quotations' elements and their lines.
#include "saft/WorkingDocuments.h"

#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/DocumentLines.h"
#include "saft/ExemptionCheck.h"
#include "saft/SectionReads.h"
#include "saft/ValueFormat.h"

namespace saftpt {

std::string WorkingDocumentsSql(const RunContext& ctx) {
  return "select * from documentos where ((tipodoc = 'OR' )  AND Serie<>'tmp' and data>='" +
         ctx.PeriodStart() + "' and data<='" + ctx.PeriodEnd() + "') " + ctx.DocumentRestriction();
}

void WriteWorkingDocuments(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  const std::string documentos = WorkingDocumentsSql(ctx);
  OpenedSection section =
      OpenSection(ctx, sourceDocuments, kWorkingDocumentsStep, documentos, "WorkingDocuments",
                  [](const std::string& tipodoc) { return tipodoc == "OR"; });
  Recordset& rs = section.documents;

  SectionRead read;
  read.columns = LineColumns(ctx.options.versao);
  read.filter = "true";
  read.reasons = true;
  ReadSection(ctx, documentos, read);
  SectionTotals totais = SumSectionLines(ctx);
  AddSectionControl(section.element, section.entries, totais.Debit(), totais.Credit());
  ctx.summary.quotations = {section.entries, totais.Credit(), totais.Debit()};

  const LineTextWidths widths{60, 200};
  long long progresso = 1;
  for (; !rs.eof(); rs.moveNext()) {
    ctx.progress.MostraProgressoDetalhe(++progresso);
    XmlNode work = section.element.NewChild("WorkDocument", "");
    AddValor(work, "DocumentNumber", DocumentNumber(rs));
    AddValor(work, "ATCUD", ctx.AtcudText(rs.field("ATCUD"), DocumentNumber(rs)));
    AddDocumentStatus(work, rs, "WorkStatus", "WorkStatusDate", "SourceBilling");
    AddHash(work, rs, ctx.orcamentosAssinados);
    AddValor(work, "Period", Period(rs));
    AddValor(work, "WorkDate", DocumentDate(rs));
    if (rs.text("tipodoc") == "OR") AddValor(work, "WorkType", "OR");
    AddValor(work, "SourceID", "DESCONHECIDO");
    AddValor(work, "SystemEntryDate", SystemEntryDate(rs));

    AddValor(work, "CustomerID",
             DocumentCustomerId(ctx, rs.field("CodCliente"), rs.text("NContribuinteCliente")));

    CheckDocumentReasons(ctx, rs);
    AddDocumentLines(ctx, work, rs, widths);
    AddDocumentTotals(work, rs, true);
  }
  rs.close();
}

}  // namespace saftpt
