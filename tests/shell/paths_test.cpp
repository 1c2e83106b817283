// Folders, path expansion, joining, resolving and path parts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "host/fs.h"
#include "host/path.h"
#include "shell/env.h"
#include "shell/paths.h"

namespace tol {
namespace {

class PathsTest : public ::testing::Test {
 protected:
  CoreScope core;
  void Env(uint16_t item, const char* text) {
    ASSERT_EQ(SetEnvValue(item, StrRef::FromC(text)), E_OK);
  }
  std::string Expand(const char* text) { return ExpandPath(StrRef::FromC(text)).str(); }
};

TEST_F(PathsTest, JoinResolveAndParts) {
  EXPECT_EQ(JoinPath("a", "b"), StrRef("a\\b"));
  EXPECT_EQ(JoinPath("a\\", "b"), StrRef("a\\b"));
  EXPECT_EQ(JoinPath("a", "\\b"), StrRef("a\\b"));
  EXPECT_EQ(JoinPath("", "b"), StrRef("b"));
  EXPECT_EQ(JoinPath("a", ""), StrRef("a"));
  EXPECT_EQ(ResolveRelative("C:\\a\\b\\c", "..\\..\\x"), StrRef("C:\\a\\x"));
  EXPECT_EQ(ResolveRelative("", "x"), StrRef("x"));
  EXPECT_EQ(ResolveRelative("C:\\a", ".\\x\\.\\y"), StrRef("C:\\a\\x\\y"));
  EXPECT_EQ(ResolveRelative("C:\\a\\b", "..\\data"), StrRef("C:\\a\\data"));
  struct Case {
    const char* path;
    uint8_t mask;
    const char* want;
  } cases[] = {
      {"C:\\dir\\sub\\name.ext", 1, "C:"},
      {"C:\\dir\\sub\\name.ext", 3, "C:\\dir\\sub"},
      {"C:\\dir\\sub\\name.ext", 7, "C:\\dir\\sub\\name"},
      {"C:\\dir\\sub\\name.ext", 8, "ext"},
      {"C:\\dir\\sub\\name.ext", 15, "C:\\dir\\sub\\name.ext"},
      {"name.ext", 4, "name"},
      {"C:name.ext", 5, "C:name"},
      {"C:\\d.x\\name", 8, ""},  // a dot before the last "\" is no extension
      {"C:\\d.x\\name", 4, "name"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathParts(StrRef::FromC(c.path), c.mask), StrRef::FromC(c.want))
        << c.path << " mask " << int{c.mask};
}

TEST_F(PathsTest, FolderKinds) {
  Env(ENV_COMMANDLINE, "\"C:\\App\\prog.exe\" /x");
  EXPECT_EQ(Folder(APPPATH_RUNPATH), StrRef("C:\\App"));
  Env(ENV_DOCPATH, "C:\\App\\defs\\");
  EXPECT_EQ(Folder(APPPATH_DEFAULT), StrRef("C:\\App\\defs"));
  Env(ENV_DOCPATH, "C:\\App\\defs");
  EXPECT_EQ(Folder(APPPATH_HELP), StrRef("C:\\App\\defs\\Help"));
  Env(ENV_HELPPATH, "H:\\hlp");
  EXPECT_EQ(Folder(APPPATH_HELP), StrRef("H:\\hlp"));
  Env(ENV_DATAPATH, "E:\\Docs");
  EXPECT_EQ(Folder(APPPATH_DOCS), StrRef("E:\\Docs"));
  EXPECT_EQ(Folder(APPPATH_DATA), StrRef("E:\\data"));  // drive C: is below "F"
  EXPECT_EQ(Folder(APPPATH_BACKUP), StrRef("E:\\Docs\\Backups"));
  Env(ENV_COMMANDLINE, "G:\\App\\prog.exe");
  EXPECT_EQ(Folder(APPPATH_DATA), StrRef("C:\\App\\data"));  // sibling of the definitions
  Env(ENV_DATAPATH, "");
  EXPECT_EQ(Folder(APPPATH_BACKUP), StrRef("Backups"));
  EXPECT_EQ(FileInFolder("x.dat", APPPATH_DEFAULT), StrRef("C:\\App\\defs\\x.dat"));
}

TEST_F(PathsTest, ExpansionStages) {
  Env(ENV_APNAME, "RAZAVIZ1:AdminLocal");
  Env(ENV_COMMANDLINE, "C:\\App\\prog.exe");
  Env(ENV_DOCPATH, "C:\\App");
  Env(ENV_DATAPATH, "E:\\Docs");
  Env(ENV_DATABASE, "host1,db1");
  EXPECT_EQ(Expand("%APPPATH_DATA%\\%APNAME%CLCUSR.%DATABASE_HOST%.%DATABASE_DBNAME%.DAT"),
            "E:\\data\\RACLCUSR.HOST1.DB1.DAT");
  Env(ENV_DATABASE, "");
  EXPECT_EQ(Expand("%APPPATH_DATA%\\%APNAME%CLCUSR.%DATABASE_HOST%.DAT"),
            "E:\\data\\RACLCUSR..DAT");
  EXPECT_EQ(Expand("%APNAME%\\%APPPATH_DATA%"), "RA\\");  // folder after a runtime name
  EXPECT_EQ(Expand("a%Unknown%b"), "ab");
  EXPECT_EQ(Expand("50% off"), "50% off");
  EXPECT_EQ(Expand("'%APNAME%'"), "'RA'");
  EXPECT_EQ(Expand("%DOCPATH%\\x"), "C:\\App\\x");
  setenv("TEMP", "T:\\tmp", 1);
  EXPECT_EQ(Expand("%temp%\\a"), "T:\\tmp\\a");
  EXPECT_EQ(Expand("%TEMP%\\a"), "T:\\tmp\\a");
  setenv("TEMP", "%TEMP%", 1);  // a value naming itself ends
  EXPECT_EQ(Expand("%TEMP%"), "%TEMP%");
  unsetenv("TEMP");
}

TEST_F(PathsTest, FindFileAlongTheFolders) {
  char tmpl[] = "/tmp/tolvina-paths-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  ASSERT_TRUE(host::WriteAll(dir + "/b/X.PMT", "x") ||
              (host::MakeDir(dir + "/b") && host::WriteAll(dir + "/b/X.PMT", "x")));
  std::string folders = dir + "/a," + dir + "/b";
  std::string rt_folders = host::RuntimePath(dir + "/a") + "," + host::RuntimePath(dir + "/b");
  StrRef found = FindFile(StrRef::Of(rt_folders), "x.pmt");
  EXPECT_EQ(found.str(), host::RuntimePath(dir + "/b") + "\\x.pmt");
  EXPECT_EQ(FindFile(StrRef::Of(rt_folders), "none.pmt"), StrRef(""));
  host::Remove(dir + "/b/X.PMT");
  host::RemoveDir(dir + "/b");
  host::RemoveDir(dir);
}

}  // namespace
}  // namespace tol
