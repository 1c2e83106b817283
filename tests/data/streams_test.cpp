// The stream table, line reading, positioned writes, the whole-file and
// file-system operations of the data layer.
#include "data/streams.h"

#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "host/fs.h"
#include "support/host_temp.h"

namespace tol {
namespace {

using host::testing::EnvGuard;
using host::testing::TempDir;

class Streams : public ::testing::Test {
 protected:
  CoreScope core;
  StateScope<DataState> data;
  TempDir dir;

  std::string Name(const std::string& leaf) const { return dir.rt() + leaf; }
  StrRef Ref(const std::string& s) const { return StrRef::Of(s); }
  uint16_t OpenWith(const std::string& leaf, const std::string& bytes, uint8_t flags = 1) {
    dir.Touch(leaf, bytes);
    return StreamOpen(Ref(Name(leaf)), flags);
  }
  // Every line StreamReadLine gives until the end-of-file signal.
  std::vector<std::string> Lines(uint16_t h) {
    std::vector<std::string> out;
    for (;;) {
      ScratchFrame frame;
      StrRef line = StreamReadLine(h);
      if (!line.ok()) {
        EXPECT_EQ(line.err(), E_DISKIO);
        return out;
      }
      out.push_back(line.str());
      if (out.size() > 100) return out;
    }
  }
  std::string Content(const std::string& leaf) {
    std::string all;
    EXPECT_TRUE(host::ReadAll(Name(leaf), &all));
    return all;
  }
};

TEST_F(Streams, LinesEndInAnyOfTheThreeWays) {
  using V = std::vector<std::string>;
  struct Case {
    std::string bytes;
    V lines;
  } cases[] = {
      {"a\r\nb\rc\nd", V{"a", "b", "c", "d"}},
      {"x\r\n\x1A", V{"x"}},                          // Ctrl-Z at the end ends the file
      {"\r\n\r\nx\n\ny\n", V{"", "", "x", "", "y"}},  // empty lines are lines
      {"a\n\rb", V{"a", "", "b"}},                    // LF then CR: two ends
      {"", V{}},
      {"last", V{"last"}},
      // A CR LF split across two 512-byte chunks is one line end.
      {std::string(511, 'q') + "\r\nz", V{std::string(511, 'q'), "z"}},
      {std::string(511, 'q') + "\rz", V{std::string(511, 'q'), "z"}},
      {std::string(511, 'q') + "\r\r", V{std::string(511, 'q'), ""}},
  };
  for (const Case& c : cases) {
    uint16_t h = OpenWith("lines.txt", c.bytes);
    ASSERT_LT(h, kStreamCount);
    EXPECT_EQ(Lines(h), c.lines) << c.bytes.substr(0, 20);
    StreamClose(h);
  }
}

TEST_F(Streams, LineLongerThanTheBufferIsCutAndResumed) {
  uint16_t h = OpenWith("long.txt", "0123456789\nX");
  char buf[8];
  EXPECT_EQ(StreamRead(h, STREAM_HERE, kLineMode, buf, 8), 8);
  EXPECT_EQ(std::string(buf, 8), "01234567");
  EXPECT_EQ(StreamRead(h, STREAM_HERE, kLineMode, buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "89");
  EXPECT_EQ(StreamRead(h, STREAM_HERE, kLineMode, buf, 8), 1);
  EXPECT_EQ(StreamRead(h, STREAM_HERE, kLineMode, buf, 8), kStreamFail);
  StreamClose(h);
}

TEST_F(Streams, FixedCountReadsAtTheEnd) {
  uint16_t h = OpenWith("rec.fd", "0123456789ABCDEF");
  char buf[32];
  EXPECT_EQ(StreamRead(h, 2, 3, buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf, 3), "234");
  EXPECT_EQ(StreamRead(h, STREAM_HERE, 2, buf, sizeof buf), 2);  // goes on from there
  EXPECT_EQ(std::string(buf, 2), "56");
  EXPECT_EQ(StreamRead(h, 12, 10, buf, sizeof buf), 4);  // meets the end early
  EXPECT_EQ(std::string(buf, 4), "CDEF");
  EXPECT_EQ(StreamRead(h, STREAM_HERE, 10, buf, sizeof buf), kStreamFail);
  EXPECT_TRUE(StreamAtEnd(h));
  EXPECT_EQ(StreamRead(h, 0, 600, buf, 5), 5);  // never past the buffer
  EXPECT_EQ(StreamReadBlock(h, 10, 3), StrRef("ABC"));
  EXPECT_EQ(StreamReadBlock(h, 16, 3).err(), E_DISKIO);
  StreamClose(h);
}

TEST_F(Streams, WriteAtHereAppendsWhateverThePosition) {
  uint16_t h = OpenWith("w.txt", "abc");
  ASSERT_EQ(StreamSeek(h, 0), E_OK);
  EXPECT_EQ(StreamWrite(h, STREAM_HERE, "de", 2), 2);
  EXPECT_EQ(StreamTell(h), 5u);
  EXPECT_EQ(StreamWrite(h, 1, "X", 1), 1);
  EXPECT_EQ(StreamWriteText(h, STREAM_HERE, "fg"), E_OK);
  EXPECT_EQ(StreamWriteText(h, STREAM_HERE, StrRef::Fail(E_TYPES)), E_TYPES);
  EXPECT_EQ(StreamWrite(h, STREAM_HERE, nullptr, 1), kStreamFail);
  std::string big(1500, 'z');  // more than one chunk
  EXPECT_EQ(StreamWrite(h, STREAM_HERE, big.data(), 1500), 1500);
  EXPECT_EQ(StreamSize(h), 1507u);
  StreamClose(h);
  EXPECT_EQ(Content("w.txt"), "aXcdefg" + big);
}

TEST_F(Streams, OpenModesAndCreation) {
  // Update on a missing file creates it empty.
  uint16_t h = StreamOpen(Ref(Name("NEW.FD")), 1);
  ASSERT_EQ(h, 3);
  EXPECT_EQ(StreamSize(h), 0u);
  StreamClose(h);
  EXPECT_TRUE(host::Exists(Name("NEW.FD")));
  // Read-only never writes; write mode empties; append mode adds.
  h = OpenWith("m.txt", "old", 8);
  EXPECT_EQ(StreamWrite(h, 0, "x", 1), kStreamFail);
  StreamClose(h);
  h = StreamOpen(Ref(Name("M.TXT")), 4);
  EXPECT_EQ(StreamWrite(h, 0, "+", 1), 1);
  StreamClose(h);
  EXPECT_EQ(Content("m.txt"), "old+");
  h = StreamOpen(Ref(Name("m.txt")), 2);
  EXPECT_EQ(StreamSize(h), 0u);
  StreamClose(h);
  EXPECT_EQ(LastError(), 0u);
}

TEST_F(Streams, FailuresReportedOrQuiet) {
  std::string missing = Name("none.fd");
  EXPECT_EQ(StreamOpen(Ref(missing), 136), E_FILENOTFOUND);  // quiet
  EXPECT_EQ(StreamOpen(StrRef(), OPEN_QUIET | 1), E_DATA);
  EXPECT_EQ(StreamOpen(Ref(std::string(384, 'a')), OPEN_QUIET), E_DATA);
  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(ErrorDetail().size(), 0);
  EXPECT_FALSE(host::Exists(missing));

  EXPECT_EQ(StreamOpen(Ref(missing), 8), kStreamFail);
  EXPECT_EQ(LastErrorCode(), E_FILENOTFOUND);
  EXPECT_EQ(LastErrorModule(), M_STREAMS);
  EXPECT_EQ(ErrorDetail(), Ref(missing));
  // A later failure keeps the first code but adds its name to the detail.
  EXPECT_EQ(StreamOpen(StrRef(), 1), kStreamFail);
  EXPECT_EQ(StreamOpen(Ref(Name("other")), 8), kStreamFail);
  EXPECT_EQ(LastErrorCode(), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail(), Ref(missing + "\r\n" + Name("other")));
  EXPECT_FALSE(host::Exists(missing));
}

TEST_F(Streams, FortyFirstOpenFailsUntilAHandleIsClosed) {
  dir.Touch("f.txt");
  std::string name = Name("f.txt");
  for (uint16_t h = 3; h < kStreamCount; ++h) ASSERT_EQ(StreamOpen(Ref(name), 8), h);
  EXPECT_EQ(StreamOpen(Ref(name), OPEN_QUIET | 8), E_DATAOUTBOUND);
  EXPECT_EQ(StreamOpen("CON", OPEN_QUIET | 2), E_DATAOUTBOUND);
  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(StreamOpen(Ref(name), 8), kStreamFail);
  EXPECT_EQ(LastErrorCode(), E_DATAOUTBOUND);
  EXPECT_EQ(LastErrorModule(), M_STREAMS);
  StreamClose(17);
  EXPECT_EQ(StreamOpen(Ref(name), 8), 17);
}

TEST_F(Streams, ConsoleHandles) {
  EXPECT_EQ(StreamOpen("CON", 2), 1);
  EXPECT_EQ(StreamOpen("CON", 1), 0);
  EXPECT_EQ(StreamOpen("CON", 8), 0);
  EXPECT_EQ(StreamOpen("CON", 0x82), 1);  // only the low five bits count
  for (uint16_t h = 0; h < 3; ++h) StreamClose(h);
  EXPECT_EQ(StreamWrite(2, STREAM_HERE, "", 0), 0);  // still usable
  EXPECT_EQ(StreamTell(0), 0u);
  EXPECT_EQ(StreamSize(1), kStreamFail);
  EXPECT_EQ(OpenWith("x", ""), 3);  // files start above the console
  // "con" in another case is an ordinary file name.
  uint16_t h = StreamOpen(Ref(Name("con")), 1);
  EXPECT_EQ(h, 4);
}

TEST_F(Streams, BadHandles) {
  char buf[4];
  EXPECT_EQ(StreamRead(12, 0, 1, buf, 4), kStreamFail);
  EXPECT_EQ(StreamRead(400, 0, 1, buf, 4), kStreamFail);
  EXPECT_EQ(StreamReadLine(12).err(), E_BADFILENUMBER);
  EXPECT_EQ(StreamSeek(12, 0), E_BADFILENUMBER);
  EXPECT_EQ(StreamWrite(39, 0, "x", 1), kStreamFail);
  StreamClose(12);
  StreamClose(400);
  uint16_t h = OpenWith("s", "ab");
  EXPECT_EQ(StreamSeek(h, -5), E_DISKIO);
}

TEST_F(Streams, WholeFileOperations) {
  std::string n = Name("doc.txt");
  EXPECT_EQ(FileStore(Ref(n), 0, "hello world", 11), 11);
  EXPECT_EQ(FileStore(Ref(n), STREAM_HERE, "!", 1), 1);
  EXPECT_EQ(Content("doc.txt"), "hello world!");
  EXPECT_EQ(FileStore(Ref(n), STREAM_REPLACE, "new", 3), 3);  // replaces all
  EXPECT_EQ(Content("doc.txt"), "new");
  EXPECT_EQ(FileStore(Ref(n), STREAM_REPLACE, "x", 0), kStreamFail);  // touches nothing
  EXPECT_EQ(FileStoreChecked(Ref(n), 0, "", 0), E_FILEIO);
  EXPECT_EQ(Content("doc.txt"), "new");
  EXPECT_EQ(FileStoreChecked(Ref(n), 3, "er", 2), E_OK);
  EXPECT_EQ(FileSize(Ref(n)), 5u);

  EXPECT_EQ(FileLoad(Ref(n)), StrRef("newer"));
  EXPECT_EQ(FileLoad(Ref(n), 1, 3), StrRef("ewe"));
  EXPECT_EQ(FileLoad(Ref(n), 5), StrRef(""));
  EXPECT_EQ(FileLoad(Ref(n), 2, 10).err(), E_NOTFOUND);  // holds less than asked
  char buf[16];
  EXPECT_EQ(FileReadPart(Ref(n), 2, kToEnd, buf, sizeof buf), 3);
  EXPECT_EQ(std::string(buf, 3), "wer");

  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(FileLoad(Ref(Name("none"))).err(), E_FILENOTFOUND);
  EXPECT_EQ(FileSize(Ref(Name("none"))), 0u);
  EXPECT_EQ(LastErrorCode(), E_FILENOTFOUND);

  dir.Touch("t.txt", "a\r\nb\nc\r\n");
  EXPECT_EQ(FileLoadText(Ref(Name("t.txt")), "|"), StrRef("a|b|c|"));

  EXPECT_EQ(FileRename(Ref(n), Ref(Name("moved.txt"))), 0);
  EXPECT_EQ(FileDelete(Ref(Name("MOVED.TXT"))), 0);
  EXPECT_EQ(FileDelete(Ref(Name("moved.txt"))), kStreamFail);
}

TEST_F(Streams, FileLoadNeedsScratchRoom) {
  StateScope<CoreState> small;
  small->mem.Configure(64, 1);  // a 1 KB scratch stack
  ASSERT_EQ(CoreInit(), E_OK);
  dir.Touch("big", std::string(2000, 'b'));
  EXPECT_EQ(FileLoad(Ref(Name("big"))).err(), E_OUTOFMEMORY);
  EXPECT_EQ(CoreShutdown(), 0);
}

TEST_F(Streams, DirListGivesNulSeparatedNames) {
  for (const char* n : {"B.FD", "A.FD", "c.txt"}) dir.Touch(n);
  StrRef list = DirList(Ref(Name("*.FD")));
  EXPECT_EQ(list, StrRef("A.FD\0B.FD", 9));
  EXPECT_EQ(DirList(Ref(Name("*.txt"))), StrRef("c.txt"));
  EXPECT_EQ(DirList(Ref(Name("*.NDX"))).err(), E_FILENOTFOUND);
  EXPECT_EQ(DirList(Ref(Name("nofolder\\*"))).err(), E_FILENOTFOUND);
  EXPECT_EQ(FileExists(Ref(Name("a.fd"))), E_OK);
  EXPECT_EQ(FileExists(Ref(Name("*.txt"))), E_OK);
  EXPECT_EQ(FileExists(Ref(Name("*.ndx"))), E_FILENOTFOUND);
}

TEST_F(Streams, FileInformation) {
  EnvGuard env;
  env.Set("TZ", "UTC");
  tzset();
  dir.Touch("Info.dat", "12345");
  dir.Touch(".hidden");
  std::string n = Name("INFO.DAT");
  ASSERT_TRUE(host::SetTimes(n, 1700000000));  // 2023-11-14 22:13:20 UTC
  EXPECT_EQ(FileFoundSize(Ref(n)), 5u);
  EXPECT_EQ(FileFoundSize(Ref(Name("*.dat"))), 5u);
  EXPECT_EQ(FileFoundSize(Ref(Name("none"))), 0u);
  EXPECT_EQ(FileTime(Ref(n), FILETIME_WRITTEN, 1), 20231114);
  EXPECT_EQ(FileTime(Ref(n), FILETIME_WRITTEN, 0), 22 * 3600000 + 13 * 60000 + 20 * 1000);
  EXPECT_EQ(FileTime(Ref(n), FILETIME_WRITTEN, 2), 0);
  EXPECT_EQ(FileTime(Ref(Name("none")), FILETIME_WRITTEN, 1), 0);
  EXPECT_EQ(FileAttributes(Ref(n)), 0x20u);
  EXPECT_EQ(FileAttributes(Ref(dir.rt())), 0x10u);
  EXPECT_EQ(FileAttributes(Ref(Name(".hidden"))), 0x22u);
  EXPECT_EQ(FileAttributes(Ref(Name("none"))), E_FILENOTFOUND);
  env.Set("TZ", nullptr);
  tzset();
}

TEST_F(Streams, FoldersEnvironmentAndNames) {
  EnvGuard env;
  env.Set("TEMP", dir.rt().c_str());
  env.Set("TOLVINA_TEST_VALUE", "x y");
  EXPECT_EQ(EnvValue("TOLVINA_TEST_VALUE"), StrRef("x y"));
  EXPECT_EQ(EnvValue(""), StrRef(""));
  EXPECT_EQ(EnvValue("TOLVINA_UNSET_VALUE"), StrRef(""));

  StrRef t = TempName();
  ASSERT_TRUE(t.ok());
  EXPECT_EQ(FindAny(t, ".\\/:"), kNpos);
  EXPECT_FALSE(host::Exists(Name(t.str())));
  StrRef f = TempFile("TMP");
  EXPECT_EQ(Slice(f, -4), StrRef(".TMP"));
  EXPECT_FALSE(host::Exists(Name(f.str())));

  std::string old = DirCurrent().str();
  EXPECT_EQ(DirMake(Ref(Name("Sub"))), 0);
  EXPECT_EQ(DirMake(Ref(Name("Sub"))), kStreamFail);
  EXPECT_EQ(DirChange(Ref(Name("SUB"))), 0);
  EXPECT_EQ(DirCurrent(), Ref(Name("Sub")));
  EXPECT_EQ(DirChange(Ref(old)), 0);

  EXPECT_EQ(PathSlashes("a/b\\c/"), StrRef("a\\b\\c\\"));
  struct Case {
    uint8_t kind;
    const char* ext;
  } kinds[] = {{1, ""},    {2, "FD"},    {3, "DIR"},    {4, "NDX"}, {5, "TMP"},
               {6, "TXT"}, {0x82, "fd"}, {0x86, "txt"}, {0, ""},    {7, ""}};
  for (const Case& k : kinds) EXPECT_EQ(DataFileExtension(k.kind), StrRef::FromC(k.ext)) << +k.kind;
}

}  // namespace
}  // namespace tol
