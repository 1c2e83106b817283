// Procedures: control flow, calls with arguments, commands, the trace, the
// load errors with their texts, the limits and the cancel seam.
#include "proc/procedures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"
#include "host/fs.h"
#include "host/path.h"
#include "lang/eval.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "shell/dispatch.h"
#include "shell/env.h"
#include "support/run.h"
#include "support/runtime.h"

namespace tol {
namespace {

// A run that should end but loops is cancelled, so a faulty jump fails the
// test instead of hanging it.
int g_runaway_turns = 0;
bool StopRunaway() {
  return ++g_runaway_turns > 20000;
}

class ProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rt.init_result(), E_OK);
    ASSERT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(host::RuntimePath(dir.path()))), E_OK);
    // Warm the variable store so that its own blocks are counted.
    ASSERT_EQ(EvaluateCheck("W=1;W#=1;W$='w'"), E_OK);
    held_ = Core().mem.held();
    g_runaway_turns = 0;
    Proc().hooks.message_poll = StopRunaway;
  }
  void TearDown() override {
    // Every run gives back what it loaded.
    EXPECT_EQ(LoadedProcedures(), 0);
    EXPECT_EQ(Core().mem.held(), held_);
  }
  // Lines joined with CR LF into a file of the definitions folder.
  void File(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    dir.Write(name, text);
  }
  ErrCode Run(const std::vector<std::string>& lines, uint16_t mode = 0) {
    File("T.PRC", lines);
    ClearError();
    return RunProcedure(StrRef(), "T.PRC", mode);
  }
  static std::string Value(const char* expr) {
    ScratchFrame f;
    StrRef v = EvaluateText(StrRef::FromC(expr));
    return v.ok() ? v.str() : "<" + std::to_string(v.err()) + ">";
  }
  static std::string Detail() { return ErrorDetail().str(); }

  testing::TestRuntime rt;
  testing::TempDir dir;
  uint16_t held_ = 0;
};

TEST_F(ProcTest, ControlFlow) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    const char* expr;
    const char* expected;
  } cases[] = {
      {"IF true runs the IF part",
       {"X=1", "IF X==1", "R$='if'", "ELSE", "R$='else'", "ENDIF", "R$=R$+'.'"},
       "R$",
       "if."},
      {"IF false runs the ELSE part",
       {"X=2", "IF X==1", "R$='if'", "ELSE", "R$='else'", "ENDIF", "R$=R$+'.'"},
       "R$",
       "else."},
      {"IF false without ELSE skips the block", {"IF 0", "R=1", "ENDIF", "R=R+5"}, "R", "5"},
      {"keywords in any case", {"if 0", "R=1", "else", "R=2", "endif"}, "R", "2"},
      {"IF_FALSE", {"IF_FALSE 0", "R=7", "ENDIF"}, "R", "7"},
      {"DO_WHILE LOOP three times", {"I=0", "DO_WHILE I<3", "I=I+1", "N=N+1", "LOOP"}, "N", "3"},
      {"DO LOOP_UNTIL", {"I=0", "DO", "I=I+1", "N=N+1", "LOOP_UNTIL I==3"}, "N", "3"},
      {"DO LOOP_WHILE", {"I=0", "DO", "I=I+1", "LOOP_WHILE I<4"}, "I", "4"},
      {"DO_UNTIL", {"I=0", "DO_UNTIL I==5", "I=I+1", "LOOP"}, "I", "5"},
      {"DO_WHILE false at once skips the body", {"DO_WHILE 0", "R=1", "LOOP", "R=R+2"}, "R", "2"},
      {"nested loops",
       {"I=0", "DO_WHILE I<3", "I=I+1", "J=0", "DO_WHILE J<2", "J=J+1", "N=N+1", "LOOP", "LOOP"},
       "N",
       "6"},
      {"GOTO past the end ends the run", {"GOTO done", "R=1", ":done"}, "R", ""},
      {"GOSUB and RETURN",
       {"GOSUB s", "R$=R$+'b'", "END", ":s", "R$=R$+'a'", "RETURN"},
       "R$",
       "ab"},
      {"RETURN without GOSUB ends the run", {"R=1", "RETURN", "R=2"}, "R", "1"},
      {"END ends the run", {"R=1", "END", "R=2"}, "R", "1"},
      {"only remarks and labels", {"; remark", "# remark", "/ remark", ":l1", "", ":l2"}, "R", ""},
      {"labels are case-sensitive", {"GOTO b", ":B", "R=1", ":b"}, "R", ""},
      {"bracket substitution of the argument", {"A#=1.5", "N#=[A#*2]"}, "N#", "3"},
      {"brackets in quotes stay", {"A#=1.5", "T$='[A#]'"}, "T$", "[A#]"},
      {"a condition in brackets", {"A=2", "IF [A]==2", "R=1", "ENDIF"}, "R", "1"},
      {"an empty condition is true", {"IF", "R=1", "ENDIF"}, "R", "1"},
      {"a string condition is false", {"IF 'YES'", "R=1", "ENDIF"}, "R", ""},
  };
  for (const Case& c : cases) {
    ClearError();
    ASSERT_EQ(EvaluateCheck("R=0;R$='';N=0;I=0;J=0"), E_OK);
    EXPECT_EQ(Run(c.lines), E_OK) << c.what << ": " << Detail();
    EXPECT_EQ(Value(c.expr), c.expected) << c.what;
  }
}

TEST_F(ProcTest, HardErrorOfAnExpressionEndsTheRunWithItsLine) {
  ErrCode e = Run({"A=1", "; remark", "X$=5", "A=2"});
  EXPECT_EQ(e, E_TYPES);
  EXPECT_EQ(Value("A"), "1");
  // The statement's own words stay first; the line follows.
  EXPECT_EQ(Detail(), "X$=5\r\nLine: 2 (+ remmarks):\r\n X$=5");
}

TEST_F(ProcTest, CommandLineEndsWith148BeforeItsArgumentIsTouched) {
  ErrCode e = Run({"A=1", "MESSAGE [X#/0]", "A=2"});
  EXPECT_EQ(e, E_FEATUREREMOVED);
  EXPECT_EQ(LastErrorCode(), E_FEATUREREMOVED);
  EXPECT_EQ(LastErrorModule(), 8);
  EXPECT_EQ(Detail(), "Line: 2 (+ remmarks):\r\nMESSAGE [X#/0]");
  EXPECT_EQ(Value("A"), "1");
  // Every command word, in any case, is a command.
  for (const char* word : {"accept", "SYSTEM", "Rc_Write", "WINOPEN"}) {
    EXPECT_EQ(Run({std::string(word) + " x"}), E_FEATUREREMOVED) << word;
  }
}

struct Seen {
  uint16_t code = 0, count = 0;
  std::vector<uint8_t> kinds;
  std::vector<int32_t> ints;
  std::vector<std::string> texts;
};
Seen* g_seen = nullptr;

ErrCode RecordCommand(uint16_t code, uint16_t count, const uint8_t* kinds, const int32_t* ints,
                      const StrRef* texts) {
  g_seen->code = code;
  g_seen->count = count;
  for (uint16_t i = 0; i < count; ++i) {
    g_seen->kinds.push_back(kinds[i]);
    g_seen->ints.push_back(ints[i]);
    g_seen->texts.push_back(texts[i].str());
  }
  return E_OK;
}

TEST_F(ProcTest, InstalledCommandHandlerGetsEvaluatedArguments) {
  Seen seen;
  g_seen = &seen;
  Proc().commands[3] = RecordCommand;  // the first non-empty slot
  ASSERT_EQ(Run({"N#=2.5", "MESSAGE 'hi',N#*2,[N#]", "R=1"}), E_OK) << Detail();
  EXPECT_EQ(seen.code, 33);
  ASSERT_EQ(seen.count, 3);
  EXPECT_EQ(seen.kinds, (std::vector<uint8_t>{1, 0, 0}));
  EXPECT_EQ(seen.ints[1], 5);
  EXPECT_EQ(seen.texts, (std::vector<std::string>{"hi", "5", "2.5"}));
  EXPECT_EQ(Value("R"), "1");
  g_seen = nullptr;
}

TEST_F(ProcTest, LoadErrors) {
  std::vector<std::string> many_labels, many_entries, deep_blocks, deep_ok;
  for (int i = 0; i < 129; ++i) many_labels.push_back(":l" + std::to_string(i));
  for (int i = 0; i < 129; ++i) many_entries.push_back("DEF_FN e" + std::to_string(i));
  for (int i = 0; i < 17; ++i) deep_blocks.push_back("IF 1");
  for (int i = 0; i < 17; ++i) deep_blocks.push_back("ENDIF");
  for (int i = 0; i < 16; ++i) deep_ok.push_back("DO_WHILE 0");
  for (int i = 0; i < 16; ++i) deep_ok.push_back("LOOP");
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    ErrCode code;
    const char* detail;
  } cases[] = {
      {"undefined label",
       {"A=1", "; x", "GOSUB nowhere"},
       E_SINTAXERROR,
       "\r\nLabel 'nowhere' in line 2 (+ remmarks) not found"},
      {"closer without opener",
       {"A=1", "LOOP"},
       E_SINTAXERROR,
       "\r\nFinal of Conditional or loop without \r\nBegin (Loop, Endif...) in line 2 (+ "
       "remmarks)"},
      {"block never closed",
       {"A=1", "IF A", "B=1"},
       E_SINTAXERROR,
       "\r\nConditional or loop begun in line 2 (+ remmarks) without its end (Endif, Loop...)"},
      {"129 labels", many_labels, E_OUTOFMEMORY, nullptr},
      {"129 entry points", many_entries, E_OUTOFMEMORY, nullptr},
      {"17 nested blocks", deep_blocks, E_OUTOFMEMORY,
       "\r\nBlocks nested deeper than 16 in line 17 (+ remmarks)"},
      {"16 nested blocks load", deep_ok, E_OK, nullptr},
  };
  for (const Case& c : cases) {
    ErrCode e = Run(c.lines);
    EXPECT_EQ(e, c.code) << c.what;
    if (c.code == E_OK) continue;
    EXPECT_EQ(LastErrorModule(), M_EXEC_COMPILER) << c.what;
    if (c.detail) {
      EXPECT_EQ(Detail(), c.detail) << c.what;
    }
  }
  ClearError();
  EXPECT_EQ(RunProcedure(StrRef(), "NONE.PRC", 0), E_FILENOTFOUND);
  EXPECT_EQ(Detail(), "NONE.PRC");
  uint16_t index = 0;
  EXPECT_EQ(LoadProcedure("NONE.PRC", &index), E_FILENOTFOUND);
}

TEST_F(ProcTest, ReturnStackStopsAtSixtyFourWithAnError) {
  auto nest = [&](int limit) {
    EXPECT_EQ(EvaluateCheck("N=0"), E_OK);
    return Run({":rec", "N=N+1", "IF N<" + std::to_string(limit), "GOSUB rec", "ENDIF", "RETURN"});
  };
  EXPECT_EQ(nest(65), E_OK) << Detail();  // 64 positions in use
  EXPECT_EQ(Value("N"), "65");
  EXPECT_EQ(nest(66), E_PRCSTCKERROR);
  EXPECT_EQ(Detail(), "Line: 3 (+ remmarks):\r\nGOSUB rec");
}

TEST_F(ProcTest, CallWithArgumentsAndLocalVars) {
  File("LIB1", {"; library", "DEF_FN calc", "LOCALVARS A,B,S$", "C=A*10+B", "T$=S$+'!'", "RETURN",
                "DEF_FN two", "LOCALVARS A,B", "RETURN"});
  struct Case {
    const char* call;
    ErrCode code;
    const char* c_after;  // C once the call is over
  } cases[] = {
      {"CALL calc,LIB1,1 5;7;'ok'", E_OK, ""},  // the callee's variables removed
      {"CALL calc,LIB1 5;7;'ok'", E_OK, ""},    // restore flag omitted
      {"CALL calc,LIB1,0 5;7;'ok'", E_OK, "57"},
      {"CALL calc,LIB1,2-2 1;2;'x'", E_OK, "12"},
  };
  for (const Case& c : cases) {
    ErrCode e = Run({c.call, "R=1"});
    EXPECT_EQ(e, c.code) << c.call << ": " << Detail();
    EXPECT_EQ(Value("C"), c.c_after) << c.call;
    EXPECT_EQ(Value("R"), "1") << c.call;
  }
  EXPECT_EQ(Run({"CALL calc,LIB1,0 5;7;'ok'"}), E_OK);
  EXPECT_EQ(Value("A"), "5");
  EXPECT_EQ(Value("B"), "7");
  EXPECT_EQ(Value("T$"), "ok!");
  EXPECT_EQ(Slots().Count(kGroupArgs), 0);

  // Arguments the callee does not take.
  EXPECT_EQ(Run({"CALL two,LIB1,0 1;2;3"}), E_SINTAXERROR);
  EXPECT_EQ(Detail(), "LOCALVARS\r\nLine: 1 (+ remmarks):\r\nCALL two,LIB1,0 1;2;3");
  EXPECT_EQ(Slots().Count(kGroupArgs), 0);
  // A text for an integer.
  EXPECT_EQ(Run({"CALL two,LIB1,0 1;'x'"}), E_TYPES);
  // An entry that no loaded procedure has.
  EXPECT_EQ(Run({"CALL nope,,0 1"}), E_SINTAXERROR);
  EXPECT_EQ(Detail(), "nope\r\nLine: 1 (+ remmarks):\r\nCALL nope,,0 1");
  // The callee's failure travels up with both lines.
  File("LIB2", {"DEF_FN f", "X$=1"});
  EXPECT_EQ(Run({"A=0", "CALL f,LIB2,0"}), E_TYPES);
  EXPECT_EQ(Detail(),
            "X$=1\r\nLine: 1 (+ remmarks):\r\n X$=1\r\nLine: 2 (+ remmarks):\r\nCALL f,LIB2,0");
}

TEST_F(ProcTest, EntryInTheProcedureItself) {
  // The callee's GOSUB positions are its own; the caller's return works.
  ErrCode e = Run({"GOSUB s", "R$=R$+'c'", "END", ":s", "CALL e,,0", "R$=R$+'b'", "RETURN",
                   "DEF_FN e", "GOSUB t", "END", ":t", "R$=R$+'a'", "RETURN"});
  EXPECT_EQ(e, E_OK) << Detail();
  EXPECT_EQ(Value("R$"), "abc");
}

TEST_F(ProcTest, EndlessRecursionStopsWithAnError) {
  EXPECT_EQ(Run({"DEF_FN r", "CALL r,,0"}), E_PRCSTCKERROR);
}

TEST_F(ProcTest, TraceLines) {
  std::string old = host::CurrentDir();
  ASSERT_TRUE(host::ChangeDir(host::RuntimePath(dir.path())));
  SysSetBits(_TRACE, 8, true);
  ErrCode e = Run({"GOTO x", "A=1", ":x", "B=2"});
  SysSetBits(_TRACE, 8, false);
  (void)Run({"C=3"});  // not traced
  EXPECT_TRUE(host::ChangeDir(old));
  EXPECT_EQ(e, E_OK);
  EXPECT_EQ(dir.Read("PrcLog.txt"), "1\tGOTO x\r\n3\t B=2\r\n4\tEND \r\n");
}

int g_polls = 0;
bool CancelOnFifth() {
  return ++g_polls >= 5;
}

TEST_F(ProcTest, EndlessLoopIsStoppedByTheCancelSeam) {
  g_polls = 0;
  Proc().hooks.message_poll = CancelOnFifth;
  EXPECT_EQ(EvaluateCheck("I=0"), E_OK);
  EXPECT_EQ(Run({"DO", "I=I+1", "LOOP"}), E_CANCEL);
  EXPECT_EQ(g_polls, 5);
  EXPECT_GT(std::stoi(Value("I")), 10);
}

TEST_F(ProcTest, FunctionModeLeavesTheValueBeforeEnd) {
  struct Case {
    std::vector<std::string> lines;
    const char* result;
  } cases[] = {
      {{"A#=2", "A#*3", "END", "A#=9"}, "6"},
      {{"T$='ab'", "T$+'c'"}, "abc"},  // past the last line
      {{"A#=2", "GOTO e", ":e", "END"}, ""},
      {{"A#=2", "RETURN"}, ""},
  };
  for (const Case& c : cases) {
    uint16_t before = Slots().Count(kGroupFunctionResult);
    ASSERT_EQ(Run(c.lines, RUN_FUNCTION), E_OK);
    ASSERT_EQ(Slots().Count(kGroupFunctionResult), before + 1);
    EXPECT_EQ(Slots().Top(kGroupFunctionResult).str(), c.result);
  }
  // Loading installs the runner for EXEC$.
  auto* runner = CallbackGetAs<ProcedureRunner>(kSlotProcRunner);
  ASSERT_NE(runner, nullptr);
  File("F.PRC", {"DEF_FN twice", "2*21"});
  EXPECT_EQ(runner(StrRef("twice"), StrRef("F.PRC"), RUN_FUNCTION), E_OK);
  EXPECT_EQ(Slots().Top(kGroupFunctionResult).str(), "42");
}

TEST_F(ProcTest, RestoreModeRemovesOnlyNewVariables) {
  ASSERT_EQ(EvaluateCheck("OLD#=1"), E_OK);
  ASSERT_EQ(Run({"OLD#=2", "NEW#=3"}, RUN_RESTORE), E_OK);
  EXPECT_EQ(Value("OLD#"), "2");
  EXPECT_EQ(Value("NEW#"), "");
}

int g_marks = 0, g_restores = 0;
uint32_t MarkFiles() {
  ++g_marks;
  (void)Slots().Push(kGroupFileSets, "RUN");
  return 77;
}
void RestoreFiles(uint32_t mark) {
  if (mark == 77) ++g_restores;
}

TEST_F(ProcTest, RunFromTheFirstLineGivesBackRecordFileSets) {
  g_marks = g_restores = 0;
  Proc().hooks.record_files_mark = MarkFiles;
  Proc().hooks.record_files_restore = RestoreFiles;
  ASSERT_EQ(Slots().Push(kGroupFileSets, "KEEP"), E_OK);
  File("S.PRC", {"A=1", "DEF_FN e", "B=1"});
  // What the run leaves on the set stack goes; entries started by name
  // leave the files to their caller.
  EXPECT_EQ(RunProcedure(StrRef(), "S.PRC", 0), E_OK);
  EXPECT_EQ(g_marks, 1);
  EXPECT_EQ(g_restores, 1);
  EXPECT_EQ(RunProcedure("e", "S.PRC", 0), E_OK);
  EXPECT_EQ(g_marks, 1);
  EXPECT_EQ(Slots().Count(kGroupFileSets), 1);
  EXPECT_EQ(Slots().Top(kGroupFileSets).str(), "KEEP");
}

TEST_F(ProcTest, PrcExec) {
  File("MAIN.PRC", {"CALL add,,0 [BASE];2", "TOTAL=TOTAL+1"});
  File("LIBA.PRC", {"DEF_FN add", "LOCALVARS X,Y", "TOTAL=X+Y"});
  dir.Write("INIT.DAT", "BASE=40;TOTAL=0");
  // Expression files first, libraries for CALL, restore mode for the run.
  ASSERT_EQ(RunPrcExec("MAIN.PRC;LIBA.PRC,,INIT.DAT"), E_OK) << Detail();
  EXPECT_EQ(Value("TOTAL"), "43");
  EXPECT_EQ(Value("X"), "");  // created during the run: removed
  // Through the dispatcher once the procedure layer is installed.
  EXPECT_EQ(DefaultDispatcher(PT_PRCEXEC, "MAIN.PRC"), E_FEATUREREMOVED);
  ProcInstall();
  ASSERT_EQ(Dispatch("PrcExec MAIN.PRC;LIBA.PRC,,INIT.DAT"), E_OK) << Detail();
  EXPECT_EQ(Value("TOTAL"), "43");
  ClearError();
  EXPECT_EQ(Dispatch("PrcExec MISSING.PRC"), E_FILENOTFOUND);
  EXPECT_EQ(Detail(), "MISSING.PRC");
  EXPECT_EQ(RunPrcExec("MAIN.PRC,,NOINIT.DAT"), E_FILENOTFOUND);
  // The pattern form: no file is 164; a match needs the selection window.
  ClearError();
  EXPECT_EQ(RunPrcExec("*.XYZ"), E_FILENOTFOUND);
  EXPECT_EQ(Detail(), "Proceso no definido");
  ClearError();
  EXPECT_EQ(RunPrcExec("*.PRC"), E_FEATUREREMOVED);
  EXPECT_NE(Detail().find("selection window"), std::string::npos);
}

}  // namespace
}  // namespace tol

namespace tol {
namespace {

// The selection window as a user would answer it: the choices in turn,
// then cancel; every list offered is kept.
std::vector<uint16_t> g_choices;
std::vector<std::string> g_offered;
uint16_t Choose(StrRef title, StrRef items) {
  g_offered.push_back(title.str() + "|" + items.str());
  if (g_choices.empty()) return 0;
  uint16_t c = g_choices.front();
  g_choices.erase(g_choices.begin());
  return c;
}

TEST_F(ProcTest, PatternFormOffersTheFilesUntilCancelled) {
  File("A1.PRC", {";Cierre, de caja", "RUNS$=RUNS$+'a'"});
  File("B1.PRC", {"RUNS$=RUNS$+'b'"});
  File("C1.PRC", {"; it's", "GOTO nowhere"});
  ASSERT_EQ(EvaluateCheck("RUNS$=''"), E_OK);
  Proc().hooks.select_from_list = Choose;
  g_offered.clear();
  g_choices = {2, 1, 9};  // 9 is no item: the same as cancelling
  ASSERT_EQ(RunPrcExec("*1.PRC"), E_OK) << Detail();
  EXPECT_EQ(Value("RUNS$"), "ba");
  ASSERT_EQ(g_offered.size(), 3u);
  EXPECT_EQ(g_offered[0], "Selecci\xF3n de Fichero|'Cierre, de caja','B1.PRC',\"it's\"");
  // A chosen file that fails ends the selection with its code.
  g_offered.clear();
  g_choices = {3, 1};
  EXPECT_GE(RunPrcExec("*1.PRC"), 128);
  EXPECT_EQ(g_offered.size(), 1u);
  EXPECT_EQ(Value("RUNS$"), "ba");
  Proc().hooks.select_from_list = nullptr;
}

}  // namespace
}  // namespace tol
