// Runs the built `saftpt` program in a child process: standard input from
// /dev/null, standard output and error captured, optionally under a file-size
// limit (a full disk) with SIGXFSZ ignored so that writes fail instead.
#ifndef SAFTPT_TESTS_DB_CLIRUN_H_
#define SAFTPT_TESTS_DB_CLIRUN_H_

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace saftpt::test {

struct CliResult {
  int status = -1;  // exit status; -1 when killed by a signal
  int signal = 0;   // the signal that ended it, if any
  std::string out, err;
};

inline std::string FileText(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// `scratch` holds the captured outputs. `maxFileBytes` > 0 limits the size of
// any file the program writes.
inline CliResult RunCli(std::vector<std::string> args, const std::filesystem::path& scratch,
                        long long maxFileBytes = 0) {
  args.insert(args.begin(), SAFTPT_CLI);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string out = (scratch / "cli.stdout").string(), err = (scratch / "cli.stderr").string();
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || o < 0 || e < 0) _exit(126);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    setenv("LC_ALL", "C", 1);
    if (maxFileBytes > 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{static_cast<rlim_t>(maxFileBytes), static_cast<rlim_t>(maxFileBytes)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  int estado = 0;
  waitpid(pid, &estado, 0);
  CliResult r;
  if (WIFEXITED(estado)) r.status = WEXITSTATUS(estado);
  if (WIFSIGNALED(estado)) r.signal = WTERMSIG(estado);
  r.out = FileText(out);
  r.err = FileText(err);
  return r;
}

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_CLIRUN_H_
