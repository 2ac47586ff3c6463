// The export benchmark: generates a consistent billing database of a chosen
// size into the test MariaDB, exports a year of it in a child process and
// prints the figures (time, statements, memory, the floor and the ratio);
// then checks the file in another child, as the export does, and prints its
// time and memory beside the export's.
//
//   eval "$(scripts/test-db.sh start)"; build/bench/saftpt_bench [--size N]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/TestDoubles.h"
#include "BenchData.h"
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
  // the snapshot and its end) are counted apart from the export's reads.
  std::cout << "statements " << db.StatementCount() - result.viewStatements << "\n"
            << "view " << result.viewStatements << "\n"
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

long long Figure(const std::string& out, const std::string& name) {
  std::istringstream in(out);
  for (std::string key; in >> key;) {
    std::string value;
    in >> value;
    if (key == name) return std::atoll(value.c_str());
  }
  return 0;
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

void LoadDatabase(const saftpt::ConnectionSettings& server, const std::string& name,
                  const BenchSize& size, saftpt::bench::BenchCounts& counts) {
  saftpt::Database admin;
  admin.Open(server);
  admin.ExecuteUpdate("DROP DATABASE IF EXISTS `" + name + "`");
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

  BenchSize size;
  std::string versao = "1.04_01";
  bool keep = false;
  std::string output = "bench-export.xml";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--size") {
      size.documents = std::atoi(next().c_str());
    } else if (a == "--seed") {
      size.seed = static_cast<uint32_t>(std::strtoul(next().c_str(), nullptr, 10));
    } else if (a == "--schema") {
      versao = next();
    } else if (a == "--output") {
      output = next();
    } else if (a == "--keep") {
      keep = true;
    } else {
      std::cerr << "uso: saftpt_bench [--size DOCUMENTOS] [--seed N] [--schema 1.03_01|1.04_01]"
                   " [--output FICHEIRO] [--keep]\n";
      return 2;
    }
  }
  if (size.documents <= 0) return 2;
  size.customers = std::max(10, size.documents / 10);

  saftpt::ConnectionSettings server;
  server.server = Env("SAFTPT_TEST_DB_HOST");
  server.port = Env("SAFTPT_TEST_DB_PORT");
  server.user = Env("SAFTPT_TEST_DB_USER");
  server.password = Env("SAFTPT_TEST_DB_PASSWORD");
  if (server.server.empty()) {
    std::cerr << "no test database: eval \"$(scripts/test-db.sh start)\"\n";
    return 1;
  }
  const std::string name = "saftpt_bench";
  saftpt::bench::BenchCounts counts;
  try {
    auto t = Clock::now();
    LoadDatabase(server, name, size, counts);
    std::cerr << "loaded in " << Seconds(t) << " s\n";
  } catch (const saftpt::Error& e) {
    std::cerr << e.Description() << "\n";
    return 1;
  }

  char dir[] = "/tmp/saftpt-bench.XXXXXX";
  if (!mkdtemp(dir)) return 1;
  std::string settings = std::string(dir) + "/lexora.ini";
  {
    std::ofstream ini(settings);
    ini << "[bd]\nservidor=" << server.server << "\nporta=" << server.port << "\nbasedados=" << name
        << "\nusername=" << saftpt::Scramble(server.user)
        << "\npassword=" << saftpt::Scramble(server.password) << "\n";
  }

  // The export runs in a child of its own, so its peak memory is its own.
  Filho exporta =
      RunChild(argv[0], {"--run-export", settings, output, versao, std::to_string(size.year)});
  if (!exporta.ok) {
    std::cerr << "export failed\n";
    return 1;
  }
  double wall = exporta.wall;
  long long statements = Figure(exporta.out, "statements");
  long long viewStatements = Figure(exporta.out, "view");
  // The export's check of its file, in a child of its own too.
  Filho verifica = RunChild(argv[0], {"--run-check", output, versao});
  if (!verifica.ok) std::cerr << "check failed\n";
  std::ifstream f(output, std::ios::binary | std::ios::ate);
  long long bytes = static_cast<long long>(f.tellg());

  // The floor: the plain client reading the same rows, plus writing a file of
  // the same size.
  std::string period =
      "'" + std::to_string(size.year) + "-01-01' and '" + std::to_string(size.year) + "-12-31'";
  std::string client = "mariadb --no-defaults -h" + server.server + " -P" + server.port + " -u" +
                       server.user + " -p'" + server.password + "' " + name + " -e \"" +
                       "select * from documentos where data between " + period +
                       "; select l.* from documentoslinhas l join documentos d on "
                       "d.IDDoc=l.IDDoc where d.data between " +
                       period + "; select * from clientes\" > /dev/null";
  auto floorStart = Clock::now();
  if (std::system(client.c_str()) != 0) std::cerr << "floor query failed\n";
  {
    std::string path = std::string(dir) + "/floor.bin";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char> block(1 << 20, 'x');
    for (long long left = bytes; left > 0; left -= static_cast<long long>(block.size()))
      if (write(fd, block.data(), static_cast<size_t>(std::min<long long>(left, block.size()))) < 0)
        break;
    fsync(fd);
    close(fd);
    unlink(path.c_str());
  }
  double floor = Seconds(floorStart);
  std::string sha = Capture("sha256sum '" + output + "'");
  sha = sha.substr(0, sha.find(' '));

  std::printf("documents: %lld\n", counts.documents);
  std::printf("lines: %lld\n", counts.lines);
  std::printf("wall time: %.3f s\n", wall);
  std::printf("statements: %lld\n", statements);
  std::printf(
      "consistent view statements: %lld (engines of the tables read; snapshot: "
      "isolation level, START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY, COMMIT)\n",
      viewStatements);
  std::printf("peak resident memory: %.1f MB\n", exporta.peakMb);
  std::printf("file size: %lld bytes\n", bytes);
  std::printf("floor: %.3f s\n", floor);
  std::printf("ratio export/floor: %.2f\n", floor > 0 ? wall / floor : 0.0);
  std::printf("projected over a 1 ms link: %.3f s\n", wall + statements * 0.001);
  std::printf("sha256: %s\n", sha.c_str());
  std::printf("check wall time: %.3f s\n", verifica.wall);
  std::printf("check peak resident memory: %.1f MB\n", verifica.peakMb);
  std::printf("check problems: %lld\n", Figure(verifica.out, "problems"));
  std::printf("ratio check/export: %.2f\n", wall > 0 ? verifica.wall / wall : 0.0);

  unlink(settings.c_str());
  rmdir(dir);
  if (!keep) {
    saftpt::Database admin;
    admin.Open(server);
    admin.ExecuteUpdate("DROP DATABASE IF EXISTS `" + name + "`");
  }
  return 0;
}
