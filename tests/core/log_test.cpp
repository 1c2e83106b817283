// The log file name, report blocks, appended lines and assertions, in a
// temporary current folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/log.h"
#include "host/env.h"
#include "host/fs.h"

namespace tol {
namespace {

namespace fs = std::filesystem;

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tolvina_log_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  static void SetEnv(uint16_t item, StrRef text) { ASSERT_EQ(Slots().Set(0, item, text), E_OK); }
  static std::string Contents(const char* name) {
    std::string s;
    EXPECT_TRUE(host::ReadAll(name, &s)) << name;
    return s;
  }
  // Today's date in style 2: day first or month first, four-digit year.
  static std::string Today(bool day_first) {
    host::LocalTime t = host::Now();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", day_first ? t.day : t.month,
                  day_first ? t.month : t.day, t.year);
    return buf;
  }

  CoreScope core;
  fs::path dir_, old_;
};

TEST_F(LogTest, LogFileNameFromSlotOrApplicationPrefix) {
  EXPECT_EQ(LogFileName(), StrRef("log.txt"));
  SetEnv(2, "RAZAVIZ1:AdminLocal");
  EXPECT_EQ(LogFileName(), StrRef("RAlog.txt"));
  ASSERT_EQ(Slots().Set(kGroupRuntime, kItemLogName, "traza.log"), E_OK);
  EXPECT_EQ(LogFileName(), StrRef("traza.log"));
}

TEST_F(LogTest, ReportBlockHasItsExactFrameAndAppends) {
  struct Case {
    const char* lang;
    bool day_first;
  } cases[] = {{"", true}, {"ES", true}, {"fr", true}, {"EN", false}, {"DE", false}};
  for (const Case& c : cases) {
    fs::remove("b.log");
    SetEnv(4, StrRef::FromC(c.lang));
    std::string before = Today(c.day_first);
    ASSERT_EQ(ReportBlock("Grab\xE9 CLIENTES\r\nclave 0001", "b.log"), E_OK);
    ASSERT_EQ(ReportBlock("segundo", "b.log"), E_OK);
    std::string after = Today(c.day_first);
    std::smatch m;
    std::string s = Contents("b.log");
    static const std::regex frame(
        "\\*{29}\r\n Date:([0-9-]{10}) - Time:[0-2][0-9]:[0-5][0-9] - User:0\r\n"
        "Grab\xE9 CLIENTES\r\nclave 0001"
        "\r\n\\*{22}\r\n\r\n"
        "\\*{29}\r\n Date:[0-9-]{10} - Time:[0-2][0-9]:[0-5][0-9] - User:0\r\n"
        "segundo\r\n\\*{22}\r\n\r\n");
    ASSERT_TRUE(std::regex_match(s, m, frame)) << c.lang << "\n" << s;
    EXPECT_TRUE(m[1] == before || m[1] == after) << c.lang << " " << m[1];
  }
}

TEST_F(LogTest, ReportBlockWithoutFileGoesToTheLogFile) {
  SetEnv(2, "RAZAVIZ1:AdminLocal");
  ASSERT_EQ(ReportBlock("traza"), E_OK);
  EXPECT_NE(Contents("RAlog.txt").find("\r\ntraza\r\n"), std::string::npos);
}

TEST_F(LogTest, FileThatCannotBeOpenedGives164WithItsName) {
  EXPECT_EQ(ReportBlock("x", "no_existe\\b.log"), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("no_existe\\b.log"));
  EXPECT_FALSE(fs::exists("no_existe"));
  ASSERT_EQ(Slots().Set(kGroupRuntime, kItemLogName, "no_existe\\c.log"), E_OK);
  EXPECT_EQ(ReportBlock("x"), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("no_existe\\c.log"));
}

TEST_F(LogTest, AppendLineAddsCrLfAndIgnoresWhatItCannotWrite) {
  AppendLine("out.txt", "'uno','dos'");
  AppendLine("out.txt", "");
  AppendLine("out.txt", StrRef::Fail(E_DATA));
  AppendLine("out.txt", "tres");
  EXPECT_EQ(Contents("out.txt"), "'uno','dos'\r\n\r\ntres\r\n");
  AppendLine("", "nada");
  AppendLine("no_existe\\out.txt", "nada");
  EXPECT_EQ(ErrorDetail(), StrRef(""));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(LogTest, AssertShowsLogsAndAborts) {
  Assert(true, "nunca");
  EXPECT_FALSE(fs::exists("assertions.log"));
  // No display installed: the box goes to standard error.
  EXPECT_EXIT(Assert(false, "indice fuera de rango"), ::testing::KilledBySignal(SIGABRT),
              "Assertion Fail.*indice fuera de rango");
  EXPECT_NE(Contents("assertions.log").find(" - User:0\r\nindice fuera de rango\r\n*****"),
            std::string::npos);
}

}  // namespace
}  // namespace tol
