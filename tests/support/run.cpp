// Test support: process runner and temporary folders (POSIX, tests only).
#include "support/run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tol::testing {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

RunResult RunTolvina(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env) {
  TempDir io;
  std::string out = io / "stdout", err = io / "stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(127);
    int in = open("/dev/null", O_RDONLY);
    int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    setenv("TOLVINA_DISPLAY", "headless", 1);
    for (const std::string& kv : env) putenv(const_cast<char*>(kv.c_str()));
    std::vector<char*> argv;
    std::string bin = TOLVINA_BIN;
    argv.push_back(bin.data());
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(bin.c_str(), argv.data());
    _exit(127);
  }
  RunResult r;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    r.exit_code = WEXITSTATUS(status);
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  return r;
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/tolvina-test-XXXXXX";
  if (mkdtemp(tmpl)) path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p(*this / name);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string TempDir::Read(const std::string& name) const {
  return ReadFile(*this / name);
}

}  // namespace tol::testing
