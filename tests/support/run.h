// Test support: run the real tolvina binary in a folder and collect its exit
// code and output; make and remove temporary folders.
#pragma once

#include <string>
#include <vector>

namespace tol::testing {

struct RunResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs TOLVINA_BIN with args in cwd, with the extra NAME=value environment
// entries and standard input from /dev/null.
RunResult RunTolvina(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::string>& env = {});

// A file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace tol::testing
