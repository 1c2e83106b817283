// Files and folders by runtime path: transfers, information, atomic
// replacement, listings and temporary names.
#include "host/fs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "support/host_temp.h"

namespace tol::host {
namespace {

using testing::TempDir;

TEST(Fs, OpenTransfersAndSize) {
  TempDir dir;
  std::string name = dir.rt() + "REC.FD";
  int err = 0;
  File missing = Open(name, OPEN_READ | OPEN_WRITE, &err);
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(err, ENOENT);

  File f = Open(name, OPEN_READ | OPEN_WRITE | OPEN_CREATE);
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(Write(f, "abcdef", 6), 6);
  EXPECT_EQ(WriteAt(f, "XY", 2, 10), 2);  // past the end: a gap of zeros
  EXPECT_EQ(Size(f), 12);
  char buf[16] = {};
  EXPECT_EQ(ReadAt(f, buf, 16, 4), 8);
  EXPECT_EQ(std::string(buf, 8), std::string("ef\0\0\0\0XY", 8));
  EXPECT_EQ(Seek(f, 1, SEEK_SET), 1);
  EXPECT_EQ(Read(f, buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "bcd");
  EXPECT_TRUE(Truncate(f, 3));
  EXPECT_EQ(Size(f), 3);
  EXPECT_TRUE(Sync(f));
  Close(f);
  EXPECT_FALSE(f.ok());

  File excl = Open(name, OPEN_WRITE | OPEN_EXCL, &err);
  EXPECT_FALSE(excl.ok());
  EXPECT_EQ(err, EEXIST);
  File app = Open(name, OPEN_WRITE | OPEN_APPEND);
  ASSERT_TRUE(app.ok());
  EXPECT_EQ(Seek(app, 0, SEEK_SET), 0);
  EXPECT_EQ(Write(app, "Z", 1), 1);
  Close(app);
  std::string all;
  ASSERT_TRUE(ReadAll(name, &all));
  EXPECT_EQ(all, "abcZ");
}

TEST(Fs, BadNamesFailCleanly) {
  int err = 0;
  EXPECT_FALSE(Open("", OPEN_READ, &err).ok());
  EXPECT_EQ(err, EINVAL);
  EXPECT_FALSE(Open(std::string_view("a\0b", 3), OPEN_READ | OPEN_CREATE, &err).ok());
  EXPECT_EQ(err, EINVAL);
  TempDir dir;
  EXPECT_FALSE(Open(dir.rt(), OPEN_READ, &err).ok());  // a folder is no file
  EXPECT_EQ(err, EISDIR);
  EXPECT_FALSE(Exists(""));
  EXPECT_EQ(FileSize(dir.rt() + "none"), -1);
}

TEST(Fs, FilesNeverTakeAConsoleNumber) {
  TempDir dir;
  dir.Touch("f");
  int saved = dup(0);
  ASSERT_GE(saved, 0);
  close(0);
  File f = Open(dir.rt() + "f", OPEN_READ);
  dup2(saved, 0);
  close(saved);
  ASSERT_TRUE(f.ok());
  EXPECT_GT(f.fd, 2);
  Close(f);
}

TEST(Fs, StatAndTimes) {
  TempDir dir;
  dir.Touch("Sub/f.txt", "12345");
  FileInfo f = Stat(dir.rt() + "SUB\\F.TXT");
  EXPECT_TRUE(f.exists);
  EXPECT_FALSE(f.dir);
  EXPECT_FALSE(f.readonly);
  EXPECT_EQ(f.size, 5);
  EXPECT_TRUE(IsDir(dir.rt() + "sub"));
  ASSERT_TRUE(SetTimes(dir.rt() + "sub\\f.txt", 1000000000));
  EXPECT_EQ(Stat(dir.rt() + "sub\\f.txt").mtime, 1000000000);
  std::filesystem::permissions(dir.host("Sub/f.txt"), std::filesystem::perms::owner_read);
  EXPECT_TRUE(Stat(dir.rt() + "sub\\f.txt").readonly);
  EXPECT_FALSE(Stat(dir.rt() + "sub\\none").exists);
}

TEST(Fs, RenameReplacesAndChangesCase) {
  TempDir dir;
  dir.Touch("a.txt", "new");
  dir.Touch("B.txt", "old");
  ASSERT_TRUE(Rename(dir.rt() + "A.TXT", dir.rt() + "b.TXT"));  // resolves to B.txt
  std::string all;
  ASSERT_TRUE(ReadAll(dir.rt() + "b.txt", &all));
  EXPECT_EQ(all, "new");
  EXPECT_EQ(DirList(dir.rt(), "*"), std::vector<std::string>{"B.txt"});
  ASSERT_TRUE(Rename(dir.rt() + "B.txt", dir.rt() + "b.TXT"));
  EXPECT_EQ(DirList(dir.rt(), "*"), std::vector<std::string>{"b.TXT"});
  EXPECT_FALSE(Rename(dir.rt() + "none", dir.rt() + "x"));
}

TEST(Fs, WholeFileHelpersReplaceAtomically) {
  TempDir dir;
  std::string name = dir.rt() + "T.TXT";
  ASSERT_TRUE(WriteAll(name, "first"));
  ASSERT_TRUE(WriteAll(name, "2nd"));
  ASSERT_TRUE(AppendAll(name, "+"));
  std::string all;
  ASSERT_TRUE(ReadAll(name, &all));
  EXPECT_EQ(all, "2nd+");
  ASSERT_TRUE(CopyFile(name, dir.rt() + "copy.txt"));
  ASSERT_TRUE(ReadAll(dir.rt() + "COPY.TXT", &all));
  EXPECT_EQ(all, "2nd+");
  EXPECT_FALSE(CopyFile(dir.rt() + "none", dir.rt() + "copy.txt"));
  ASSERT_TRUE(ReadAll(dir.rt() + "copy.txt", &all));  // a failed copy keeps the target
  EXPECT_EQ(all, "2nd+");
  EXPECT_FALSE(WriteAll(dir.rt() + "nofolder\\x", "x"));
  // No temporary is left beside the files.
  EXPECT_EQ(DirList(dir.rt(), "*"), (std::vector<std::string>{"T.TXT", "copy.txt"}));
  EXPECT_TRUE(Remove(name));
  EXPECT_FALSE(Remove(name));
}

TEST(Fs, DirListMatchesWithoutCaseInByteOrder) {
  TempDir dir;
  for (const char* n : {"b.fd", "A.FD", "c.ndx", "D.Fd", ".hidden.fd"}) dir.Touch(n);
  ASSERT_TRUE(MakeDir(dir.rt() + "Sub.FD"));
  EXPECT_EQ(DirList(dir.rt(), "*.FD"),
            (std::vector<std::string>{".hidden.fd", "A.FD", "D.Fd", "Sub.FD", "b.fd"}));
  EXPECT_EQ(DirList(dir.rt(), "?.ndx"), std::vector<std::string>{"c.ndx"});
  EXPECT_TRUE(DirList(dir.rt() + "none", "*").empty());
  EXPECT_FALSE(RemoveDir(dir.rt() + "none"));
  EXPECT_TRUE(RemoveDir(dir.rt() + "SUB.FD"));
}

TEST(Fs, CurrentFolderAndTempNames) {
  TempDir dir;
  std::string old = CurrentDir();
  ASSERT_FALSE(old.empty());
  ASSERT_TRUE(ChangeDir(dir.rt()));
  EXPECT_EQ(CurrentDir() + "\\", dir.rt());
  ASSERT_TRUE(ChangeDir(old));
  EXPECT_FALSE(ChangeDir(dir.rt() + "none"));

  std::string a = TempName(dir.rt(), "tol");
  ASSERT_EQ(a.substr(0, dir.rt().size() + 3), dir.rt() + "tol");
  EXPECT_FALSE(Exists(a));
  ASSERT_TRUE(WriteAll(a, ""));
  EXPECT_NE(TempName(dir.rt(), "tol"), a);
  std::string bare = TempName("", "x");
  EXPECT_EQ(bare.find('\\'), std::string::npos);
}

}  // namespace
}  // namespace tol::host
