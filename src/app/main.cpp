// The program's entry: the constants of this application and the entry
// sequence around the runtime start, the start program and the runtime end.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/context.h"
#include "core/core.h"
#include "host/env.h"
#include "proc/procedures.h"
#include "shell/startup.h"
#include "winui/backend.h"
#include "winui/mainwin.h"
#include "winui/winui.h"

namespace {

constexpr uint16_t kScratchKB = 512;
const tol::StrRef kDefaultAppName("RAZAVIZ1:AdminLocal");
const tol::StrRef kTitle("Tolvina para Windows");
const tol::StrRef kStartProgram("P1MENU");
constexpr uint8_t kStartFlags = tol::START_DICTIONARY;

const char kUsage[] =
    "Usage: tolvina [options]\n"
    "Options are written /NAME=value, -NAME=value or --NAME=value (or NAME:value);\n"
    "a value holding a blank or one of : / & is written in quotes.\n"
    "  /APNAME=name     application name (its first two characters are the prefix)\n"
    "  /APSTART=prog    start program when none is given\n"
    "  /DPATH=folder    definitions folder when the dictionary is not beside the program\n"
    "  /INPUT=file      program commands (and dialog answers) to run before the start program\n"
    "  /OUTPUT=file     file to which dialog answers are appended\n"
    "  /RUN=command     one program command instead of the main window\n"
    "  /MODE=word       ADMIN or PRNTOFILE for the output devices\n"
    "  /TRACE=n         trace bits (8 procedures, 64 maintenance, 256 about box)\n"
    "  /? or /HELP      this text\n"
    "The exit code is the run's result when it is 128 or more, else 0.\n";

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    while (*a == '/' || *a == '-') ++a;
    if (a == argv[i]) continue;
    std::string word(a);
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word == "?" || word == "HELP") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::vector<std::string> args(argv, argv + argc);
  args[0] = tol::host::ProgramPath();
  std::vector<const char*> ptrs;
  for (const std::string& a : args) ptrs.push_back(a.c_str());
  std::string line = tol::host::CommandLineFromArgv(static_cast<int>(ptrs.size()), ptrs.data());
  const char* whole[] = {line.c_str()};

  tol::RuntimeContext rt;
  rt.core->mem.Configure(0, kScratchKB);
  tol::ProcInstall();
  // The terminal when standard input and output are one, else headless;
  // TOLVINA_DISPLAY=headless|term forces the choice.
  tol::InstallBackend(tol::MakeBackend());
  tol::MainWindowInstall();
  tol::DisplayScope shown(*tol::Win().backend);
  tol::ErrCode start =
      tol::RuntimeStart(nullptr, 0xFFFF, whole, kDefaultAppName, kTitle, kStartFlags, nullptr);
  if (start) return start;
  tol::ErrCode run = tol::RunStartProgram(tol::ChooseStartProgram(kStartProgram));
  return tol::RuntimeEnd(nullptr, run);
}
