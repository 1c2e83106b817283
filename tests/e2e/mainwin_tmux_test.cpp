// The real binary in a terminal, as a user meets it: tolvina runs inside a
// tmux session of its own on a copy of the fixture application; the test
// reads the screen, types keys, and checks the files and the exit code.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "support/run.h"

namespace tol::testing {
namespace {

std::string Shell(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

bool WaitFor(const std::function<bool()>& done, int seconds = 15) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return done();
}

// A tmux server of the test's own, killed at the end whatever happened.
class Tmux {
 public:
  Tmux() {
    static std::atomic<int> n{0};
    socket_ = "tolvina-test-" + std::to_string(getpid()) + "-" + std::to_string(n++);
  }
  ~Tmux() { Kill(); }
  bool Start(int cols, int rows, const std::string& command) {
    std::string cmd = "tmux -L " + socket_ + " new-session -d -x " + std::to_string(cols) + " -y " +
                      std::to_string(rows) + " " + Shell(command) + " 2>&1";
    std::string out = Output(cmd);
    path_ = Output("tmux -L " + socket_ + " display-message -p '#{socket_path}' 2>/dev/null");
    if (!path_.empty() && path_.back() == '\n') path_.pop_back();
    return out.empty();
  }
  std::string Screen() { return Output("tmux -L " + socket_ + " capture-pane -p 2>/dev/null"); }
  bool Shows(const std::string& text) {
    return WaitFor([&] { return Screen().find(text) != std::string::npos; });
  }
  void Keys(const std::string& keys) {
    (void)Output("tmux -L " + socket_ + " send-keys " + keys + " 2>&1");
  }
  // A left click at col, row (from 0) as the terminal reports it to a
  // program that asked for the mouse: press, then release.
  void Click(int col, int row) {
    std::string at = {static_cast<char>(33 + col), static_cast<char>(33 + row)};
    for (char button : {' ', '#'})
      (void)Output("tmux -L " + socket_ + " send-keys -l " +
                   Shell("\x1b[M" + std::string(1, button) + at) + " 2>&1");
  }
  // The server leaves its socket file behind.
  void Kill() {
    (void)Output("tmux -L " + socket_ + " kill-server 2>/dev/null");
    if (!path_.empty()) unlink(path_.c_str());
  }

 private:
  std::string socket_, path_;
};

void CopyFixture(const TempDir& dir) {
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(TOLVINA_SOURCE_DIR) + "/tests/fixtures/app"))
    std::filesystem::copy_file(e.path(), dir / e.path().filename().string());
}

// Gone, or a zombie nobody reaps.
bool Ended(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  size_t paren = line.rfind(')');
  return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

// The shell command that starts tolvina in dir with the terminal backend;
// with exec the shell becomes tolvina, so its process number is tolvina's.
std::string Launch(const TempDir& dir, const std::string& tail, bool exec = false) {
  return "cd " + Shell(dir.path()) + " && " + (exec ? "exec " : "") + "env TOLVINA_DISPLAY=term " +
         Shell(TOLVINA_BIN) + " /DPATH=" + Shell(dir.path()) + " 2>err.txt" + tail;
}

// Esc asks to close; Enter answers Yes (the default button) and the run
// ends with 0.
void CloseConfirmed(Tmux& tmux, const TempDir& dir) {
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.Shows("Desea Cerrar")) << tmux.Screen();
  tmux.Keys("Enter");
  ASSERT_TRUE(WaitFor([&] { return !dir.Read("rc").empty(); })) << tmux.Screen();
  EXPECT_EQ(dir.Read("rc"), "0\n") << dir.Read("err.txt");
}

TEST(MainWindowTmux, MenuEntryWritesItsFileAndTheConfirmedCloseEndsTheRun) {
  TempDir dir;
  CopyFixture(dir);
  Tmux tmux;
  ASSERT_TRUE(tmux.Start(100, 30, "sh -c " + Shell(Launch(dir, "; echo $? > rc"))));
  ASSERT_TRUE(tmux.Shows("Archivo  Ayuda")) << tmux.Screen();
  std::string screen = tmux.Screen();
  EXPECT_NE(screen.find("Tolvina para Windows  |  "), std::string::npos) << screen;
  tmux.Keys("F12");
  ASSERT_TRUE(tmux.Shows("lculo de total")) << tmux.Screen();
  tmux.Keys("Enter");  // the first entry: Saludo
  ASSERT_TRUE(WaitFor([&] { return dir.Read("SALUDO.TXT") == "Hola desde Tolvina"; }))
      << tmux.Screen();
  CloseConfirmed(tmux, dir);
}

TEST(MainWindowTmux, MouseOpensTheMenuAndChoosesAnEntry) {
  TempDir dir;
  CopyFixture(dir);
  Tmux tmux;
  ASSERT_TRUE(tmux.Start(100, 30, "sh -c " + Shell(Launch(dir, "; echo $? > rc"))));
  ASSERT_TRUE(tmux.Shows("Archivo  Ayuda")) << tmux.Screen();
  tmux.Click(3, 1);  // "Archivo" on the menu bar
  ASSERT_TRUE(tmux.Shows("lculo de total")) << tmux.Screen();
  tmux.Click(5, 4);  // its second entry
  ASSERT_TRUE(WaitFor([&] { return dir.Read("TOTAL.TXT") == "15"; })) << tmux.Screen();
  CloseConfirmed(tmux, dir);
}

TEST(MainWindowTmux, AnswerNoKeepsTheWindowOpen) {
  TempDir dir;
  CopyFixture(dir);
  Tmux tmux;
  ASSERT_TRUE(tmux.Start(100, 30, "sh -c " + Shell(Launch(dir, "; echo $? > rc"))));
  ASSERT_TRUE(tmux.Shows("Archivo  Ayuda")) << tmux.Screen();
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.Shows("Desea Cerrar")) << tmux.Screen();
  tmux.Keys("n");
  ASSERT_TRUE(WaitFor([&] { return tmux.Screen().find("Desea Cerrar") == std::string::npos; }));
  EXPECT_TRUE(dir.Read("rc").empty());
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.Shows("Desea Cerrar")) << tmux.Screen();
  tmux.Keys("s");
  ASSERT_TRUE(WaitFor([&] { return !dir.Read("rc").empty(); })) << tmux.Screen();
  EXPECT_EQ(dir.Read("rc"), "0\n") << dir.Read("err.txt");
}

TEST(MainWindowTmux, SmallTerminalThatDisappearsDuringAnEndlessRunEndsTheProgram) {
  TempDir dir;
  CopyFixture(dir);
  dir.Write("P1MENU.PMT", "Bucle,PrcExec BUCLE.PRC\r\n");
  dir.Write("BUCLE.PRC", "I=0\r\nDO_WHILE 1\r\n  I=I+1\r\nLOOP\r\nEND\r\n");
  Tmux tmux;
  ASSERT_TRUE(tmux.Start(
      40, 10, "sh -c " + Shell("echo $$ > " + Shell(dir / "pid") + "; " + Launch(dir, "", true))));
  ASSERT_TRUE(WaitFor([&] { return !dir.Read("pid").empty(); }));
  pid_t pid = static_cast<pid_t>(std::stol(dir.Read("pid")));
  ASSERT_TRUE(tmux.Shows("Bucle")) << tmux.Screen();
  tmux.Keys("F12");  // the bar's first item is the command itself
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_FALSE(Ended(pid));
  tmux.Kill();
  EXPECT_TRUE(WaitFor([&] { return Ended(pid); }, 10)) << dir.Read("err.txt");
  if (!Ended(pid)) kill(pid, SIGKILL);
}

}  // namespace
}  // namespace tol::testing
