// The quotations' elements and their lines.
#include "saft/SourceDocuments.h"

#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/DocumentLines.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr documentos::DocumentHeadTags kWorkTags{"DocumentNumber", "WorkStatus", "WorkStatusDate",
                                                 "WorkDate"};

// Every line of a quotation is written; nothing is withheld.
SectionRead WorkingDocumentsRead(const RunContext& ctx) {
  return DocumentLinesRead(ctx, "true", "");
}

}  // namespace

const documentos::SectionKind kWorkingDocuments{kWorkingDocumentsStep, "WorkingDocuments",
                                                SourceSection::kWorkingDocuments,
                                                &WorkingDocumentsRead};

void WriteWorkingDocuments(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  OpenedSection section = OpenSection(ctx, sourceDocuments, kWorkingDocuments);
  Recordset& rs = section.documents;

  SectionReader reader(ctx, section.sql, kWorkingDocuments.read(ctx));
  ctx.summary.quotations = AddSectionControl(section, SumSectionLines(reader));

  const LineTextWidths widths{60, 200};
  const CustomerRule customerRule = CustomerRuleOf(kWorkingDocuments.section);
  long long progresso = 1;
  for (; !rs.Eof(); rs.MoveNext()) {
    ctx.progress.ShowDetailProgress(++progresso);
    XmlNode work = section.element.NewChild("WorkDocument", "");
    AddDocumentHead(ctx, work, rs, kWorkTags, true, ctx.settings.orcamentosAssinados);
    if (const DocumentKind* kind = FindDocumentKind(rs.Text("tipodoc")))
      AddElement(work, "WorkType", kind->fileType);
    AddEntryAndCustomer(work, rs, DocumentCustomerId(ctx, customerRule, rs));
    AddCheckedLinesAndTotals(ctx, reader, work, rs, widths);
  }
  rs.Close();
}

}  // namespace saftpt
