// Runtime-to-host path mapping: case-insensitive lookup, drives, code page
// of names, and the wildcard matcher.
#include "host/path.h"

#include <gtest/gtest.h>

#include "host/fs.h"
#include "support/host_temp.h"

namespace tol::host {
namespace {

using testing::EnvGuard;
using testing::TempDir;

TEST(HostPath, ComponentsFoundInAnyCaseNewNamesKeepTheirs) {
  TempDir dir;
  dir.Touch("Data/Clientes.FD");
  dir.Touch("Data/Sub/deep.txt");
  struct Case {
    const char* rt;
    const char* host;
  } cases[] = {
      {"Data\\Clientes.FD", "Data/Clientes.FD"},    // exact
      {"DATA\\CLIENTES.fd", "Data/Clientes.FD"},    // file and folder in another case
      {"data/sub\\DEEP.TXT", "Data/Sub/deep.txt"},  // both separators, two folders deep
      {"DATA\\Nuevo.Txt", "Data/Nuevo.Txt"},        // new file in an existing folder
      {"Missing\\Sub\\X.fd", "Missing/Sub/X.fd"},   // nothing below a missing folder
      {"DATA\\SUB\\", "Data/Sub/"},                 // a trailing separator stays
  };
  for (const Case& c : cases) EXPECT_EQ(HostPath(dir.rt() + c.rt), dir.host(c.host)) << c.rt;
}

TEST(HostPath, AmbiguousCaseTakesExactThenFirstInByteOrder) {
  TempDir dir;
  dir.Touch("abc");
  dir.Touch("ABC");
  dir.Touch("aBc");
  EXPECT_EQ(HostPath(dir.rt() + "abc"), dir.host("abc"));
  EXPECT_EQ(HostPath(dir.rt() + "Abc"), dir.host("ABC"));
}

TEST(HostPath, RelativePathsWalkFromTheCurrentFolder) {
  TempDir dir;
  dir.Touch("Apps/Menu.PPN");
  std::string old = CurrentDir();
  ASSERT_TRUE(ChangeDir(dir.rt()));
  EXPECT_EQ(HostPath("apps\\menu.ppn"), "Apps/Menu.PPN");
  EXPECT_EQ(HostPath(".\\APPS\\x"), "./Apps/x");
  ASSERT_TRUE(ChangeDir(old));
}

TEST(HostPath, DriveMapsThroughItsVariableElseTheRoot) {
  TempDir dir;
  dir.Touch("Data/Clientes.FD");
  EnvGuard env;
  env.Set("TOLVINA_DRIVE_Q", dir.host().c_str());
  env.Set("TOLVINA_DRIVE_Z", nullptr);
  EXPECT_EQ(HostPath("Q:\\data\\clientes.fd"), dir.host("Data/Clientes.FD"));
  EXPECT_EQ(HostPath("q:\\DATA"), dir.host("Data"));
  EXPECT_EQ(HostPath("Z:\\tmp\\x"), "/tmp/x");
  EXPECT_EQ(RuntimePath(dir.host("Data/x")), "Q:\\Data\\x");
  EXPECT_EQ(RuntimePath(dir.host()), "Q:\\");
  // A sibling folder whose name merely begins with the drive's is not inside it.
  EXPECT_EQ(RuntimePath(dir.host() + "x/y").substr(0, 5), "\\tmp\\");
}

TEST(HostPath, AccentedNameIsUtf8OnDiskAndCp1252Inside) {
  TempDir dir;
  ASSERT_TRUE(WriteAll(dir.rt() + "Espa\xF1"
                                  "a.txt",
                       "x"));
  EXPECT_TRUE(
      std::filesystem::exists(dir.host("Espa\xC3\xB1"
                                       "a.txt")));
  EXPECT_EQ(DirList(dir.rt(), "*.TXT"), std::vector<std::string>{"Espa\xF1"
                                                                 "a.txt"});
  // The upper-case letter finds the lower-case name.
  EXPECT_EQ(HostPath(dir.rt() + "ESPA\xD1"
                                "A.TXT"),
            dir.host("Espa\xC3\xB1"
                     "a.txt"));
  EXPECT_EQ(RuntimePath(dir.host("Espa\xC3\xB1"
                                 "a.txt")),
            dir.rt() +
                "Espa\xF1"
                "a.txt");
}

TEST(CodePage, ConversionsBothWays) {
  struct Case {
    const char* cp1252;
    const char* utf8;
  } cases[] = {
      {"abc", "abc"},
      {"\xF1\xD1", "\xC3\xB1\xC3\x91"},
      {"\x80", "\xE2\x82\xAC"},          // euro sign
      {"\x9F", "\xC5\xB8"},              // Y with diaeresis
      {"\x81\x8D", "\xC2\x81\xC2\x8D"},  // unassigned bytes survive
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8) << c.cp1252;
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.cp1252;
  }
  EXPECT_EQ(Utf8ToCp1252("a\xE2\x86\x92z"), "a?z");   // arrow: not in the code page
  EXPECT_EQ(Utf8ToCp1252("\xF1o\xC3"), "\xF1o\xC3");  // not UTF-8: bytes kept
}

TEST(Pattern, WildcardsWithoutCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.FD", "clientes.fd", true},
      {"*.FD", "a.fdx", false},
      {"*.*", "README", true},
      {"A*.*", "abc", true},
      {"A?C", "abc", true},
      {"A?C", "ac", false},
      {"*", "", true},
      {"*A*B", "xaxxb", true},
      {"*A*B", "xaxxbc", false},
      {"\xD1*", "\xF1o", true},
      {"\x8A", "\x9A", true},
      {"a", "\xE1", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchPattern(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

}  // namespace
}  // namespace tol::host
