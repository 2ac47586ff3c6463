// The export benchmark: for each chosen size, generates a consistent billing
// database into the test MariaDB once, then three times exports a year of it
// in a child process (time, statements, memory), checks the file in another
// child as the export does (time, memory) and measures the floor; prints each
// run's figures, then a Markdown table of the medians, one row per size.
//
//   eval "$(scripts/test-db.sh start)"; build/bench/saftpt_bench [--sizes N,N...]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/TestDoubles.h"
#include "BenchData.h"
#include "BenchTable.h"
#include "app/Connection.h"
#include "app/ExportRun.h"
#include "audit/ExportCheck.h"
#include "base/Error.h"
#include "config/OfficeConfig.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"

namespace {

using Clock = std::chrono::steady_clock;
using saftpt::bench::BenchSize;
using saftpt::bench::RunFigures;
using saftpt::bench::SizeRow;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

class Silent : public saftpt::UserDialogs, public saftpt::Shell {
 public:
  void Inform(const std::string&, const std::string&) override {}
  void Warn(const std::string& t) override { std::cerr << t << "\n"; }
  void ShowError(const std::string& t) override { std::cerr << t << "\n"; }
  bool Confirm(const std::string&) override { return true; }
  void OpenFolder(const std::string&) override {}
  void OpenUrl(const std::string&) override {}
};

// The file version a child is given: "1.03_01", else 1.04_01.
saftpt::SchemaVersion Schema(const std::string& text) {
  return text == "1.03_01" ? saftpt::SchemaVersion::kV103 : saftpt::SchemaVersion::kV104;
}

// The child: one export, as the command line runs it, reporting its own
// statement count and time on standard output.
int RunExport(const std::string& settings, const std::string& output, saftpt::SchemaVersion schema,
              int year) {
  auto start = Clock::now();
  saftpt::Database db;
  if (std::string erro = saftpt::ErrorOf([&] { saftpt::OpenConnectionFromFile(db, settings); });
      !erro.empty()) {
    std::cerr << erro << "\n";
    return 1;
  }
  saftpt::ConfiguracaoEscritorio office;
  saftpt::LoadOfficeConfig(db, office);
  Silent ui;
  saftpt::NoProgress progress;
  saftpt::CancelingResolver resolver;
  saftpt::ExportRun run(db, office, ui, ui, progress, resolver);
  saftpt::ExportRequest request;
  request.options.fiscalYear = std::to_string(year);
  request.options.start = saftpt::DateTime::Date(year, 1, 1);
  request.options.end = saftpt::DateTime::Date(year, 12, 31);
  request.options.schema = schema;
  request.options.receipts = true;
  request.options.today = saftpt::DateTime::Date(year + 1, 1, 15);
  request.options.outputPath = output;
  request.options.motivos =
      saftpt::ExemptionTable::Read(saftpt::FindDataFile(saftpt::kExemptionTableName));
  auto result = run.Run(request);
  if (!result.written) return 1;
  // The consistent view's own statements (the engines, the isolation level,
  // the snapshot and its end) are counted apart from the export's reads,
  // those read ahead on the view's second connection included.
  std::cout << "statements " << db.StatementCount() - result.viewStatements << "\n"
            << "view " << result.viewStatements << "\n"
            << "sets_bytes " << result.customerSetsBytes << "\n"
            << "seconds " << Seconds(start) << "\n";
  return 0;
}

// The child that checks: the export's check of its file, the number of
// problems on standard output.
int RunCheck(const std::string& file, saftpt::SchemaVersion schema) {
  auto start = Clock::now();
  saftpt::VerificacaoDoFicheiro v = saftpt::CheckExportedFile(file, schema);
  std::cout << "problems " << v.problemas.size() << "\n"
            << "seconds " << Seconds(start) << "\n";
  for (size_t i = 0; i < v.problemas.size() && i < 5; ++i)
    std::cerr << v.problemas[i].texto << "\n";
  return 0;
}

struct Filho {
  bool ok = false;
  std::string out;
  double wall = 0;
  double peakMb = 0;
};

// Runs this program again with `args`: its own peak memory is then its own.
Filho RunChild(const char* self, const std::vector<std::string>& args) {
  Filho f;
  auto start = Clock::now();
  int fds[2];
  if (pipe(fds) != 0) return f;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    std::vector<char*> argv{const_cast<char*>(self)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buf[512];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) f.out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  f.wall = Seconds(start);
  f.peakMb = usage.ru_maxrss / 1024.0;
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return f;
}

// A figure a child printed as "name value"; none when it did not print it.
std::optional<long long> Figure(const std::string& out, const std::string& name) {
  std::istringstream in(out);
  for (std::string key; in >> key;) {
    std::string value;
    in >> value;
    if (key == name) return std::atoll(value.c_str());
  }
  return std::nullopt;
}

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

std::string DropStatement(const std::string& name) {
  return "DROP DATABASE IF EXISTS `" + name + "`";
}

// The loaded tables' pages are written to disk before the runs: the server
// would otherwise write them during the runs, a little at a time, and each
// run would pay a different share.
void WriteLoadedPages(saftpt::Database& admin, const std::string& tables) {
  try {
    admin.ExecuteUpdate("FLUSH TABLES " + tables + " FOR EXPORT");
    admin.ExecuteUpdate("UNLOCK TABLES");
  } catch (const saftpt::Error&) {
    // A server that does not let the benchmark flush its tables (a user of
    // one's own without the privilege) is measured as it is.
  }
}

void LoadDatabase(const saftpt::ConnectionSettings& server, const std::string& name,
                  const BenchSize& size, saftpt::bench::BenchCounts& counts) {
  saftpt::Database admin;
  admin.Open(server);
  admin.ExecuteUpdate(DropStatement(name));
  admin.ExecuteUpdate("CREATE DATABASE `" + name + "` CHARACTER SET latin1");
  admin.ExecuteUpdate("USE `" + name + "`");
  std::ifstream in(std::string(SAFTPT_SOURCE_DIR) + "/db/schema.sql");
  std::stringstream schema;
  schema << in.rdbuf();
  std::string text = schema.str(), statement;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("--", 0) == 0) continue;
    statement += line + "\n";
    if (!line.empty() && line.back() == ';') {
      admin.ExecuteUpdate(statement);
      statement.clear();
    }
  }
  counts = saftpt::bench::GenerateBenchData(
      size, [&admin](const std::string& sql) { admin.ExecuteUpdate(sql); });
  // An office's tables have settled statistics; freshly loaded ones may not,
  // and the server then sometimes plans the receipts' grouping ten times
  // slower, export after export.
  std::string tables;
  for (saftpt::Recordset rs = admin.Execute("SHOW TABLES"); !rs.Eof(); rs.MoveNext())
    tables += (tables.empty() ? "`" : ", `") + rs.Field(size_t{0}).Text() + "`";
  if (!tables.empty()) {
    admin.Execute("ANALYZE TABLE " + tables);
    WriteLoadedPages(admin, tables);
  }
}

void DropDatabase(const saftpt::ConnectionSettings& server, const std::string& name) {
  saftpt::Database admin;
  admin.Open(server);
  admin.ExecuteUpdate(DropStatement(name));
}

// The floor: the plain client reading the same rows, plus writing a file of
// the same size; no export can go below it on this machine.
double MeasureFloor(const saftpt::ConnectionSettings& server, const std::string& name, int year,
                    long long bytes, const std::string& dir) {
  const std::string y = std::to_string(year);
  std::string period = "'" + y + "-01-01' and '" + y + "-12-31'";
  std::string client = "mariadb --no-defaults -h" + server.server + " -P" + server.port + " -u" +
                       server.user + " -p'" + server.password + "' " + name + " -e \"" +
                       "select * from documentos where data between " + period +
                       "; select l.* from documentoslinhas l join documentos d on "
                       "d.IDDoc=l.IDDoc where d.data between " +
                       period + "; select * from clientes\" > /dev/null";
  auto start = Clock::now();
  if (std::system(client.c_str()) != 0)
    throw saftpt::Error(saftpt::Error::kCommand, "floor query failed");
  std::string path = dir + "/floor.bin";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char> block(1 << 20, 'x');
  for (long long left = bytes; left > 0; left -= static_cast<long long>(block.size()))
    if (write(fd, block.data(), static_cast<size_t>(std::min<long long>(left, block.size()))) < 0)
      break;
  fsync(fd);
  close(fd);
  unlink(path.c_str());
  return Seconds(start);
}

// The settings file of a size's runs and the floor's file live here; gone
// with the size, also when a run fails.
struct TemporaryFolder {
  std::string path;
  TemporaryFolder() {
    char name[] = "/tmp/saftpt-bench.XXXXXX";
    if (!mkdtemp(name)) throw saftpt::Error(saftpt::Error::kFile, "no temporary folder");
    path = name;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
};

// Where the last export is left, as scripts/bench.sh leaves it: never in
// the folder the benchmark is run from, a checkout's most of the time.
std::string DefaultOutput() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/saftpt-bench.xml";
}

struct BenchOptions {
  std::vector<int> sizes;
  uint32_t seed = 42;
  std::string versao = "1.04_01";
  std::string output = DefaultOutput();
  bool keep = false;
};

// Each size is measured this many times, and the table shows the medians.
constexpr int kRuns = 3;

// One size: its database generated once, then exported, checked and floored
// kRuns times; the file must come out the same each time.
SizeRow MeasureSize(const char* self, const saftpt::ConnectionSettings& server,
                    const BenchOptions& options, int documents) {
  BenchSize size;
  size.documents = documents;
  size.customers = std::max(10, documents / 10);
  size.seed = options.seed;
  const std::string name = "saftpt_bench_" + std::to_string(documents);
  saftpt::bench::BenchCounts counts;
  auto loadStart = Clock::now();
  LoadDatabase(server, name, size, counts);
  std::printf("\n%lld documents, %lld lines (generated in %.1f s)\n", counts.documents,
              counts.lines, Seconds(loadStart));

  TemporaryFolder folder;
  const std::string& dir = folder.path;
  std::string settings = dir + "/lexora.ini";
  {
    std::ofstream ini(settings);
    ini << "[bd]\nservidor=" << server.server << "\nporta=" << server.port << "\nbasedados=" << name
        << "\nusername=" << saftpt::Scramble(server.user)
        << "\npassword=" << saftpt::Scramble(server.password) << "\n";
  }
  // One export first, not counted: the first statements on freshly loaded
  // tables are slower (the server builds its caches of them), as an office's
  // server did long ago; the floor, always measured after an export, never
  // pays for them.
  if (!RunChild(self, {"--run-export", settings, options.output, options.versao,
                       std::to_string(size.year)})
           .ok)
    throw saftpt::Error(saftpt::Error::kCommand, "export failed");
  std::vector<RunFigures> runs;
  std::vector<std::string> hashes;
  long long viewStatements = 0;
  for (int run = 1; run <= kRuns; ++run) {
    // The export and its check each run in a child of their own, so that
    // their peak memory is their own.
    Filho exporta = RunChild(self, {"--run-export", settings, options.output, options.versao,
                                    std::to_string(size.year)});
    if (!exporta.ok) throw saftpt::Error(saftpt::Error::kCommand, "export failed");
    Filho verifica = RunChild(self, {"--run-check", options.output, options.versao});
    if (!verifica.ok) throw saftpt::Error(saftpt::Error::kCommand, "check failed");
    std::ifstream file(options.output, std::ios::binary | std::ios::ate);
    long long bytes = static_cast<long long>(file.tellg());
    std::string sha = Capture("sha256sum '" + options.output + "'");
    hashes.push_back(sha.substr(0, sha.find(' ')));
    if (hashes.back().empty()) throw saftpt::Error(saftpt::Error::kFile, "sha256sum failed");

    RunFigures f;
    f.exportSeconds = exporta.wall;
    f.floorSeconds = MeasureFloor(server, name, size.year, bytes, dir);
    f.ratio = f.floorSeconds > 0 ? f.exportSeconds / f.floorSeconds : 0.0;
    f.statements = Figure(exporta.out, "statements").value_or(0);
    f.exportPeakMb = exporta.peakMb;
    f.checkSeconds = verifica.wall;
    f.checkPeakMb = verifica.peakMb;
    f.setsBytes = Figure(exporta.out, "sets_bytes");
    viewStatements = Figure(exporta.out, "view").value_or(0);
    runs.push_back(f);
    std::printf(
        "run %d: export %.3f s, %lld statements, peak %.1f MB%s; file %lld bytes; "
        "check %.3f s, peak %.1f MB, %lld problems; floor %.3f s; export/floor %.2f\n",
        run, f.exportSeconds, f.statements, f.exportPeakMb,
        f.setsBytes ? (", sets " + std::to_string(*f.setsBytes) + " bytes").c_str() : "", bytes,
        f.checkSeconds, f.checkPeakMb, Figure(verifica.out, "problems").value_or(0), f.floorSeconds,
        f.ratio);
    std::fflush(stdout);
  }
  if (!options.keep) DropDatabase(server, name);

  if (std::count(hashes.begin(), hashes.end(), hashes.front()) != kRuns) {
    std::string all;
    for (const std::string& sha : hashes) all += (all.empty() ? "" : ", ") + sha;
    throw saftpt::Error(saftpt::Error::kFile, "the runs of " + std::to_string(documents) +
                                                  " documents wrote different files (sha256 " +
                                                  all + ")");
  }
  std::printf("sha256: %s (the same in the %d runs)\n", hashes.front().c_str(), kRuns);
  std::printf(
      "consistent view statements: %lld (engines of the tables read; snapshot: "
      "isolation level, START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY, COMMIT); the "
      "reading-ahead connection's snapshot and the locks that align it run on connections of "
      "their own\n",
      viewStatements);
  return {documents, Median(runs)};
}

int Usage() {
  std::cerr << "uso: saftpt_bench [--sizes DOCUMENTOS,DOCUMENTOS...] [--size DOCUMENTOS]..."
               " [--seed N] [--schema 1.03_01|1.04_01] [--output FICHEIRO] [--keep]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::strcmp(argv[1], "--run-export") == 0) {
    try {
      return RunExport(argv[2], argv[3], Schema(argv[4]), std::atoi(argv[5]));
    } catch (const saftpt::Error& e) {
      std::cerr << e.Description() << "\n";
      return 1;
    }
  }
  if (argc >= 4 && std::strcmp(argv[1], "--run-check") == 0) {
    try {
      return RunCheck(argv[2], Schema(argv[3]));
    } catch (const saftpt::Error& e) {
      std::cerr << e.Description() << "\n";
      return 1;
    }
  }

  BenchOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--size") {
      options.sizes.push_back(std::atoi(next().c_str()));
    } else if (a == "--sizes") {
      std::istringstream list(next());
      for (std::string n; std::getline(list, n, ',');)
        options.sizes.push_back(std::atoi(n.c_str()));
    } else if (a == "--seed") {
      options.seed = static_cast<uint32_t>(std::strtoul(next().c_str(), nullptr, 10));
    } else if (a == "--schema") {
      options.versao = next();
    } else if (a == "--output") {
      options.output = next();
    } else if (a == "--keep") {
      options.keep = true;
    } else {
      return Usage();
    }
  }
  if (options.sizes.empty()) options.sizes = {20000, 100000};
  for (int documents : options.sizes)
    if (documents <= 0) return Usage();

  saftpt::ConnectionSettings server;
  server.server = Env("SAFTPT_TEST_DB_HOST");
  server.port = Env("SAFTPT_TEST_DB_PORT");
  server.user = Env("SAFTPT_TEST_DB_USER");
  server.password = Env("SAFTPT_TEST_DB_PASSWORD");
  if (server.server.empty()) {
    std::cerr << "no test database: eval \"$(scripts/test-db.sh start)\"\n";
    return 1;
  }
  try {
    std::vector<SizeRow> rows;
    for (int documents : options.sizes)
      rows.push_back(MeasureSize(argv[0], server, options, documents));
    std::printf("\nmedians of %d runs:\n\n%s", kRuns, saftpt::bench::MarkdownTable(rows).c_str());
  } catch (const saftpt::Error& e) {
    std::cerr << e.Description() << "\n";
    return 1;
  }
  return 0;
}
