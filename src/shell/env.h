// The run's environment values (slot group 0), the normalized command line
// and the look-up of its options.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Items of slot group 0.
enum EnvItem : uint16_t {
  ENV_LOCALE = 0,       // message 0019, NUL, message 0117, NUL, blank
  ENV_COMMANDLINE = 1,  // normalized command line
  ENV_APNAME = 2,       // application name[:help topic]
  ENV_APDESCRIP = 3,    // description, the main window's title
  ENV_LANGMODULE = 4,   // language code
  ENV_DOCPATH = 5,      // definitions folder
  ENV_DATAPATH = 6,     // documents folder
  ENV_HELPPATH = 7,     // help folder
  ENV_FUNCLIST = 8,     // function names of the expression language
  ENV_BUTLABELS = 9,    // dialog button captions
  ENV_MASKPARMS = 10,   // edit-mask parameters
  ENV_DATABASE = 11,    // host,database,user,password
};

// Command-line options by position in kOptionNames.
enum Option : uint16_t {
  OPT_HELP = 1,
  OPT_APNAME,
  OPT_APSTART,
  OPT_DPATH,
  OPT_SCRWID,
  OPT_SCRHIG,
  OPT_INPUT,
  OPT_OUTPUT,
  OPT_FILE,
  OPT_INDEX,
  OPT_DEVICE,
  OPT_RUN,
  OPT_MODE,
  OPT_TRACE,
  OPT_CONFIG,
  OPT_HOST,
  OPT_DATABASE,
  OPT_USER,
  OPT_PASSW,
};
inline constexpr StrRef kOptionNames(
    "?;HELP,APNAME,APSTART,DPATH,SCRWID,SCRHIG,INPUT,OUTPUT,FILE,INDEX,DEVICE,RUN,MODE,TRACE,"
    "CONFIG,HOST,DATABASE,USER,PASSW");

StrRef EnvValue(uint16_t item);
// Without overwrite an item that already holds text keeps it.
[[nodiscard]] ErrCode SetEnvValue(uint16_t item, StrRef text, bool overwrite = true);
// The first two characters of the application name.
StrRef AppPrefix();

// Trimmed, runs of blanks made single, " --" and " -" made " /".
StrRef NormalizeCommandLine(StrRef line);
// The clean value of an option on the command line (environment value 1),
// or an empty text.
StrRef OptionValue(uint16_t option);
StrRef OptionValueIn(StrRef command_line, uint16_t option);
// Position of the option's value in a comma list, 0 when absent.
uint16_t OptionInList(uint16_t option, StrRef list);

}  // namespace tol
