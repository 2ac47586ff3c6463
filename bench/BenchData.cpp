#include "BenchData.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace saftpt::bench {

namespace {

// Rows are appended to one INSERT until it reaches about 1 MB.
class InsertBuffer {
 public:
  InsertBuffer(std::string head, const std::function<void(const std::string&)>& emit)
      : head_(std::move(head)), emit_(emit) {}
  ~InsertBuffer() { Flush(); }
  void Row(const std::string& values) {
    if (sql_.empty()) {
      sql_ = head_;
    } else {
      sql_ += ',';
    }
    sql_ += '(';
    sql_ += values;
    sql_ += ')';
    if (sql_.size() > (1 << 20)) Flush();
  }
  void Flush() {
    if (!sql_.empty()) emit_(sql_);
    sql_.clear();
  }

 private:
  std::string head_;
  const std::function<void(const std::string&)>& emit_;
  std::string sql_;
};

std::string Q(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

std::string Money(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

double Round2(double v) {
  return std::round(v * 100.0) / 100.0;
}

std::string ValidNif(uint32_t base) {
  // Eight digits starting with 5 (a company) or 2 (a person) and the mod-11
  // check digit.
  char digits[10];
  std::snprintf(digits, sizeof digits, "%08u", base % 100000000u);
  digits[0] = (base % 3 == 0) ? '5' : '2';
  int sum = 0;
  for (int i = 0; i < 8; ++i) sum += (digits[i] - '0') * (9 - i);
  int check = 11 - sum % 11;
  if (check >= 10) check = 0;
  return std::string(digits, 8) + static_cast<char>('0' + check);
}

struct Payable {
  int id;
  std::string tipodoc, serie;
  int numero;
  double total, liquido;
  std::string customer, nif;
};

}  // namespace

BenchCounts GenerateBenchData(const BenchSize& size,
                              const std::function<void(const std::string&)>& emit) {
  std::mt19937 rng(size.seed);
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  BenchCounts counts;

  emit(
      "INSERT INTO configescritorio (ID,nome,morada,Localidade,Codpostal,NumContribuinte,"
      "EspacoFiscal,Iva,OC,OC1,IvaCaixa,ClienteIndiferenciado) VALUES (1,'Bench & Associados, "
      "Sociedade de Advogados','Avenida da Liberdade, 110','Lisboa','1250-146 Lisboa',"
      "'509 442 013','',23,0,0,0,'0')");
  emit(
      "INSERT INTO iva (nome,descricao) VALUES ('23','Normal'),('13','Intermédia'),"
      "('6','Reduzida'),('0','Isento'),('16','Açores')");
  emit(
      "INSERT INTO impostoselo (Codigo,Nome,Tipo,Valor) VALUES "
      "('17.3.4','Verba 17.3.4 - Outras comissões','Percentagem',4),"
      "('4','Verba 4 - Procurações','Valor',5)");
  emit(
      "INSERT INTO series (serie,descricao,seriegeral,IvaCaixa) VALUES "
      "('A','Série geral',1,0),('B','Série B',0,0),('tmp','Temporários',0,0)");
  {
    InsertBuffer sd("INSERT INTO seriedocumento (documento,serie) VALUES ", emit);
    for (const char* t : {"F", "FR", "FS", "NC", "ND", "OR", "R"})
      for (const char* s : {"A", "B"}) sd.Row(Q(t) + "," + Q(s));
  }
  emit(
      "INSERT INTO tipoisencaoiva (Nome,CodMencao) VALUES "
      "('Isento Artigo 9.º do CIVA','M07'),"
      "('Não sujeito ou não tributado - Outras situações de não liquidação do imposto','M99'),"
      "('Isento artigo 14.º do CIVA','M05'),('Regime particular do tabaco','M11')");
  const int kFees = 40;
  {
    InsertBuffer h("INSERT INTO honorarios (Referencia,Descricao,Categoria,Valor) VALUES ", emit);
    for (int i = 1; i <= kFees; ++i) {
      char ref[16];
      std::snprintf(ref, sizeof ref, "HON%03d", i);
      h.Row(Q(ref) + "," + Q("Honorários de patrocínio nº " + std::to_string(i)) + "," +
            (i % 10 == 0 ? "''" : "'S'") + "," + Money(50 + i * 10));
    }
  }
  static const char* kCountries[] = {"",       "Portugal", "portugal",       "Espanha",
                                     "France", "Alemanha", "United Kingdom", "Brasil"};
  std::vector<std::pair<std::string, std::string>> customers;  // code, nif
  {
    InsertBuffer c(
        "INSERT INTO clientes (CodCliente,NContribuinte,Nome,Morada,CodPostal,Pais,Telefone) "
        "VALUES ",
        emit);
    for (int i = 1; i <= size.customers; ++i) {
      std::string code = std::to_string(1000 + i);
      std::string nif = i % 50 == 0 ? "" : ValidNif(static_cast<uint32_t>(rng()));
      std::string country = i % 7 == 0 ? kCountries[pick(8)] : "";
      customers.emplace_back(code, nif);
      c.Row(Q(code) + "," + Q(nif) + "," +
            Q("Cliente " + std::to_string(i) + " — João D'Almeida Ç") + "," +
            Q("Rua das Flores, " + std::to_string(i)) + ",'1000-001 Lisboa'," + Q(country) +
            ",'213 000 000'");
    }
  }

  InsertBuffer docs(
      "INSERT INTO documentos (IDDoc,tipodoc,serie,numero,Data,DataEdicao,Anulado,Motivo,ATCUD,"
      "Assinatura,VersaoChavePrivada,CodCliente,NContribuinteCliente,ValorIva,ValorSelo,"
      "ValorLiquido,ValorDesconto,ValorTotal,ValorRetencao,ModoPag) VALUES ",
      emit);
  InsertBuffer lines(
      "INSERT INTO documentoslinhas (IDDoc,tipodoc,Serie,numero,Referencia,Descricao,Quant,Preco,"
      "ValorDesconto,ValorLiquido,Iva,ValorIva,ValorTotal,ValorRetencao,TipoRetencao,IsencaoIva,"
      "CodMencao,CodigoSelo,ValorSelo,IDDocP,TipoDocP,SerieP,NumeroP) VALUES ",
      emit);

  std::vector<Payable> payable;
  std::vector<Payable> creditNotes;
  std::vector<std::vector<int>> numbers(8, std::vector<int>(3, 0));
  static const char* kTypes[] = {"F", "FR", "FS", "NC", "ND", "OR", "R", "FA"};
  static const char* kSeries[] = {"A", "B", "tmp"};
  static const int kRates[] = {23, 23, 23, 23, 23, 23, 13, 6, 0, 16};
  static const char* kModes[] = {"Transferência", "Cheque", "Dinheiro", "MB Way", ""};

  for (int d = 0; d < size.documents; ++d) {
    int id = d + 1;
    int dayOfYear = d * 365 / size.documents;  // documents in date order
    int month = 1, day = dayOfYear + 1;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    while (day > kDays[month - 1]) day -= kDays[month - 1], ++month;
    char date[32], stamp[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", size.year, month, day);
    // Saved in the order of their numbers: the time of day grows with the
    // document within its day. (The three draws stay so that the rest of the
    // office is the one generated before.)
    pick(9), pick(60), pick(60);
    int segundos = 9 * 3600 + static_cast<int>(static_cast<long long>(d) * 365 % size.documents *
                                               (9 * 3600) / size.documents);
    std::snprintf(stamp, sizeof stamp, "%s %02d:%02d:%02d", date, segundos / 3600,
                  segundos / 60 % 60, segundos % 60);

    int r = pick(100);
    int type = r < 46   ? 0
               : r < 56 ? 1
               : r < 61 ? 2
               : r < 66 ? 3
               : r < 68 ? 4
               : r < 76 ? 5
               : r < 98 ? 6
                        : 7;
    if (type == 6 && payable.empty()) type = 0;
    if (type == 3 && payable.empty()) type = 0;
    int s = pick(100) < 90 ? 0 : pick(100) < 80 ? 1 : 2;
    int numero = ++numbers[type][s];
    bool cancelled = pick(100) < 2;
    std::string tipodoc = kTypes[type], serie = kSeries[s];
    auto customer = customers[pick(static_cast<int>(customers.size()))];

    double liq = 0, iva = 0, selo = 0, desc = 0, ret = 0, total = 0;
    auto head = [&](const std::string& modo) {
      docs.Row(std::to_string(id) + "," + Q(tipodoc) + "," + Q(serie) + "," +
               std::to_string(numero) + ",'" + date + "'," + "'" + std::string(stamp) + "'" + "," +
               (cancelled ? "1,'Erro na emissão do documento'" : "0,NULL") + "," +
               Q("JF" + std::to_string(37 + type) + "ATC" + std::to_string(s) + "-" +
                 std::to_string(numero)) +
               "," + (d % 3 == 0 ? Q("hash" + std::to_string(id)) + ",1" : "NULL,NULL") + "," +
               Q(customer.first) + "," + Q(customer.second) + "," + Money(iva) + "," + Money(selo) +
               "," + Money(liq) + "," + Money(desc) + "," + Money(total) + "," + Money(ret) + "," +
               (modo.empty() ? "NULL" : Q(modo)));
      ++counts.documents;
    };

    if (tipodoc == "R") {
      // A receipt pays one or two earlier documents, in full or in part, and
      // sometimes deducts a credit note.
      int n = 1 + pick(2);
      std::string rows;
      for (int k = 0; k < n; ++k) {
        const Payable& p = payable[pick(static_cast<int>(payable.size()))];
        double share = pick(4) == 0 ? 0.5 : 1.0;
        double paid = Round2(p.total * share);
        double pliq = Round2(p.liquido * share);
        customer = {p.customer, p.nif};
        lines.Row(std::to_string(id) + ",'R'," + Q(serie) + "," + std::to_string(numero) +
                  ",NULL,NULL,1,0,0," + Money(pliq) + ",0,0," + Money(paid) +
                  ",0,NULL,NULL,NULL,"
                  "NULL,0," +
                  std::to_string(p.id) + "," + Q(p.tipodoc) + "," + Q(p.serie) + "," +
                  std::to_string(p.numero));
        ++counts.lines;
        liq += pliq;
        total += paid;
      }
      if (!creditNotes.empty() && pick(10) == 0) {
        const Payable& c = creditNotes[pick(static_cast<int>(creditNotes.size()))];
        lines.Row(std::to_string(id) + ",'R'," + Q(serie) + "," + std::to_string(numero) +
                  ",NULL,NULL,1,0,0," + Money(c.liquido) + ",0,0," + Money(c.total) +
                  ",0,NULL,NULL,NULL,NULL,0," + std::to_string(c.id) + ",'NC'," + Q(c.serie) + "," +
                  std::to_string(c.numero));
        ++counts.lines;
        liq -= c.liquido;
        total -= c.total;
      }
      head(kModes[pick(5)]);
      continue;
    }

    int nLines = 1 + pick(2 * size.linesPerDocument - 1);
    bool withholding = tipodoc != "OR" && pick(4) == 0;
    std::string retType = pick(2) ? "IRS" : "IRC";
    for (int k = 0; k < nLines; ++k) {
      int rate = kRates[pick(10)];
      double q = 1 + pick(3);
      double price = Round2(50 + pick(45000) / 100.0);
      double ldesc = pick(5) == 0 ? Round2(q * price * 0.1) : 0;
      double lliq = Round2(q * price - ldesc);
      double liva = Round2(lliq * rate / 100.0);
      double lret = withholding && rate != 0 ? Round2(lliq * 0.25) : 0;
      std::string lselo = "NULL";
      double lselov = 0;
      if (tipodoc == "OR" && pick(10) == 0) {
        bool pct = pick(2);
        lselo = pct ? "'17.3.4'" : "'4'";
        lselov = pct ? Round2(lliq * 0.04) : 5;
      }
      std::string reason = "NULL", code = "NULL";
      if (rate == 0) {
        reason = pick(2) ? Q("Isento Artigo 9.º do CIVA") : Q("Isento artigo 14.º do CIVA");
        // Lines that receipts may pay always carry their code; quotations and
        // simplified invoices sometimes leave it to be looked up by the text.
        bool stored = !(tipodoc == "OR" || tipodoc == "FS") || pick(2);
        code = stored ? (reason.find("9.º") != std::string::npos ? "'M07'" : "'M05'") : "''";
      }
      char ref[16];
      std::snprintf(ref, sizeof ref, "HON%03d", 1 + pick(kFees + 5));  // a few unknown refs
      lines.Row(std::to_string(id) + "," + Q(tipodoc) + "," + Q(serie) + "," +
                std::to_string(numero) + "," + Q(ref) + "," +
                Q("Serviços jurídicos prestados no processo " + std::to_string(id * 7 + k)) + "," +
                Money(q) + "," + Money(price) + "," + Money(ldesc) + "," + Money(lliq) + "," +
                std::to_string(rate) + "," + Money(liva) + "," + Money(lliq + liva + lselov) + "," +
                Money(lret) + "," + (lret > 0 ? Q(retType) : "NULL") + "," + reason + "," + code +
                "," + lselo + "," + Money(lselov) + ",NULL,'',NULL,NULL");
      ++counts.lines;
      liq += lliq;
      iva += liva;
      selo += lselov;
      desc += ldesc;
      ret += lret;
    }
    liq = Round2(liq), iva = Round2(iva), ret = Round2(ret);
    // The stored net value is after line discounts, so the document's own
    // discount field stays at zero as the host product keeps it.
    desc = 0;
    total = Round2(liq + iva + selo - ret);
    head("");
    Payable p{id, tipodoc, serie, numero, total, liq, customer.first, customer.second};
    if (!cancelled && serie != "tmp") {
      if (tipodoc == "F" || tipodoc == "FR" || tipodoc == "ND" || tipodoc == "FA")
        payable.push_back(p);
      if (tipodoc == "NC") creditNotes.push_back(p);
    }
  }
  docs.Flush();
  lines.Flush();
  return counts;
}

}  // namespace saftpt::bench
