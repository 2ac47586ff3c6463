// Reading motivos-isencao.csv (RFC 4180, through libcsv) and the table's
// rules by period.
#include "saft/ExemptionTable.h"

#include <csv.h>

#include <fstream>
#include <memory>

#include "base/Error.h"
#include "base/Utf8.h"

namespace saftpt {

namespace {

const std::vector<std::string> kColunas = {"codigo", "texto", "desde", "ate", "aceite", "dialogo"};

struct CsvRow {
  std::vector<std::string> fields;
  int line = 0;
};

// What libcsv's callbacks fill: the rows, each with the line it ended on.
struct CsvRows {
  std::vector<CsvRow> rows;
  CsvRow current;
  int line = 0;
};

void AddField(void* data, size_t size, void* out) {
  static_cast<CsvRows*>(out)->current.fields.emplace_back(static_cast<const char*>(data), size);
}

void EndRow(int, void* out) {
  auto* rows = static_cast<CsvRows*>(out);
  rows->current.line = rows->line;
  rows->rows.push_back(std::move(rows->current));
  rows->current = CsvRow{};
}

// Blanks around a field are the field's own: texts are kept byte for byte.
int NoBlanks(unsigned char) {
  return 0;
}

class TableReader {
 public:
  explicit TableReader(const std::string& path) : path_(path) {}

  // "motivos-isencao.csv: …" of the whole file, "motivos-isencao.csv,
  // linha 12: …" of one line.
  [[noreturn]] void Fail(const std::string& what) const {
    throw Error(Error::kSettings, path_ + ": " + what);
  }
  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw Error(Error::kSettings, path_ + ", linha " + std::to_string(line) + ": " + what);
  }

  std::vector<CsvRow> ReadRows() const {
    std::ifstream in(path_, std::ios::binary);
    if (!in) Fail("ficheiro em falta ou ilegível");
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) Fail("sem memória para o ler");
    std::unique_ptr<csv_parser, decltype(&csv_free)> owner(&parser, csv_free);
    csv_set_space_func(&parser, NoBlanks);
    CsvRows out;
    for (std::string line; std::getline(in, line);) {
      ++out.line;
      // A spreadsheet may save the file with a byte-order mark.
      if (out.line == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      line += '\n';
      if (csv_parse(&parser, line.data(), line.size(), AddField, EndRow, &out) != line.size())
        Fail(out.line, "aspas mal fechadas");
    }
    if (in.bad()) Fail("ficheiro ilegível");
    if (csv_fini(&parser, AddField, EndRow, &out) != 0) Fail(out.line, "aspas por fechar");
    return std::move(out.rows);
  }

  std::optional<DateTime> Date(const CsvRow& row, size_t column) const {
    const std::string& text = row.fields[column];
    if (text.empty()) return std::nullopt;
    std::optional<DateTime> d = text.size() == 10 ? DateTime::Parse(text) : std::nullopt;
    if (!d) Fail(row.line, "data «" + text + "» inválida");
    return d;
  }

  bool Flag(const CsvRow& row, size_t column) const {
    const std::string& text = row.fields[column];
    if (text != "0" && text != "1")
      Fail(row.line, kColunas[column] + " «" + text + "» inválido (0 ou 1)");
    return text == "1";
  }

  MotivoEntry Entry(const CsvRow& row) const {
    if (row.fields.size() != kColunas.size())
      Fail(row.line, std::to_string(row.fields.size()) + " campos em vez de " +
                         std::to_string(kColunas.size()));
    MotivoEntry e;
    e.line = row.line;
    e.codigo = row.fields[0];
    if (e.codigo.size() != 3 || e.codigo[0] != 'M' || !IsDigit(e.codigo[1]) ||
        !IsDigit(e.codigo[2]))
      Fail(row.line, "código «" + e.codigo + "» inválido (M e dois algarismos)");
    e.texto = row.fields[1];
    if (Trim(e.texto).empty()) Fail(row.line, "texto vazio");
    e.desde = Date(row, 2);
    e.ate = Date(row, 3);
    if (e.desde && e.ate && *e.ate < *e.desde)
      Fail(row.line, "data «" + row.fields[3] + "» anterior a «" + row.fields[2] + "»");
    e.aceite = Flag(row, 4);
    e.dialogo = Flag(row, 5);
    return e;
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  const std::string& path_;
};

bool InForceOn(const MotivoEntry& e, const DateTime& day) {
  return (!e.desde || *e.desde <= day) && (!e.ate || day <= *e.ate);
}

}  // namespace

ExemptionTable ExemptionTable::Read(const std::string& path) {
  TableReader reader(path);
  std::vector<CsvRow> rows = reader.ReadRows();
  std::string joined;
  for (const std::string& c : kColunas) joined += (joined.empty() ? "" : ",") + c;
  if (rows.empty() || rows[0].fields != kColunas)
    reader.Fail(rows.empty() ? 1 : rows[0].line, "o cabeçalho deve ser «" + joined + "»");
  if (rows.size() == 1) reader.Fail(rows[0].line, "nenhum motivo de isenção depois do cabeçalho");
  std::vector<MotivoEntry> entries;
  for (size_t i = 1; i < rows.size(); ++i) entries.push_back(reader.Entry(rows[i]));
  return ExemptionTable(path, std::move(entries));
}

std::vector<MotivoEntry> ExemptionTable::InForce(const DateTime& start) const {
  std::vector<MotivoEntry> out;
  for (const MotivoEntry& e : rows_)
    if (InForceOn(e, start.DateOnly())) out.push_back(e);
  return out;
}

std::vector<std::string> ExemptionTable::Accepted(const DateTime& start) const {
  std::vector<std::string> out;
  for (const MotivoEntry& e : InForce(start))
    if (e.Accepted()) out.push_back(e.texto);
  return out;
}

std::vector<std::string> ExemptionTable::Offered(const DateTime& start) const {
  std::vector<std::string> out;
  for (const MotivoEntry& e : InForce(start))
    if (e.dialogo) out.push_back(e.Entry());
  return out;
}

bool ExemptionTable::IsWithdrawnCode(const std::string& codMencao, const DateTime& start) const {
  const DateTime day = start.DateOnly();
  for (const MotivoEntry& e : rows_)
    if (e.Withdrawn() && e.codigo == codMencao && InForceOn(e, day)) return true;
  return false;
}

}  // namespace saftpt
