// A temporary folder for host tests and a guard that restores environment
// variables, so no test leaves anything behind.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "host/path.h"

namespace tol::host::testing {

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tolhostXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  // Host path of a name inside (UTF-8, "/" separators).
  std::string host(const std::string& rel = "") const {
    return rel.empty() ? path_ : path_ + "/" + rel;
  }
  // The folder in runtime form, "\" at the end.
  std::string rt() const { return RuntimePath(path_) + "\\"; }
  void Touch(const std::string& rel, const std::string& bytes = "") const {
    std::filesystem::create_directories(std::filesystem::path(host(rel)).parent_path());
    std::ofstream(host(rel), std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

class EnvGuard {
 public:
  ~EnvGuard() {
    for (auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      setenv(name.c_str(), value, 1);
    else
      unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace tol::host::testing
