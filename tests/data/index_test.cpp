// Indexes: the file format byte for byte, damaged files refused and left
// alone, searches, takes, drops and rekeys against a model, saving through
// a full disk, and the per-structure operations over the record buffer.
#include "data/index.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "data/record.h"
#include "data_fixture.h"
#include "host/fs.h"

namespace tol::testing {
namespace {

using namespace std::string_literals;

// Records of a structure as their key values only: record r has keys[r][k-1].
class FakeRecords final : public KeySource {
 public:
  explicit FakeRecords(std::vector<uint16_t> lens) : lens_(std::move(lens)) {}
  StrRef KeyOf(uint32_t recno, uint16_t k) override {
    ++probes;
    if (recno == fail_at) return StrRef::Fail(E_READ);
    if (recno >= keys.size()) return StrRef::Fail(E_READ);
    const std::string& v = keys[recno][k - 1];
    return StrRef(v.data(), static_cast<uint16_t>(v.size()));
  }
  uint32_t Records() override { return static_cast<uint32_t>(keys.size()) + extra_records; }
  uint16_t KeyLen(uint16_t k) override { return lens_[k - 1]; }

  // Writes record r (appending when r is the next one), each value padded.
  void Put(uint32_t r, std::vector<std::string> values) {
    for (size_t k = 0; k < values.size(); ++k) values[k].resize(lens_[k], ' ');
    if (r >= keys.size()) keys.resize(r + 1, std::vector<std::string>(lens_.size(), " "));
    keys[r] = values;
  }
  uint16_t count() const { return static_cast<uint16_t>(lens_.size()); }

  std::vector<std::vector<std::string>> keys;
  uint32_t fail_at = kNoRecord;
  uint64_t probes = 0;
  uint32_t extra_records = 0;  // records in the file beyond those with keys

 private:
  std::vector<uint16_t> lens_;
};

std::string LE(std::initializer_list<uint32_t> v) {
  std::string out;
  for (uint32_t x : v)
    for (int i = 0; i < 4; ++i) out += static_cast<char>((x >> (8 * i)) & 0xFF);
  return out;
}

std::string ReadBytes(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class IndexTest : public DataTest {
 protected:
  std::string Rt(const char* name = "T.DIR") { return dir.rt() + name; }
  std::string Host(const char* name = "T.DIR") { return dir.host(name); }
  ErrCode Open(FakeRecords* src, const char* name = "T.DIR") {
    return ix.Open(StrRef::Of(Rt(name)), src->count(), src);
  }
  // Puts a record with these keys and enters it in the index.
  uint32_t Insert(FakeRecords* src, std::vector<std::string> values) {
    std::vector<StrRef> refs;
    for (size_t k = 0; k < values.size(); ++k) {
      values[k].resize(src->KeyLen(static_cast<uint16_t>(k + 1)), ' ');
    }
    for (const std::string& v : values) refs.push_back(StrRef::Of(v));
    uint32_t r = kNoRecord;
    EXPECT_EQ(ix.Take(refs.data(), &r), 0);
    src->Put(r, values);
    return r;
  }
  std::vector<uint32_t> List(uint16_t k) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < ix.entries(); ++i) out.push_back(ix.KeyEntry(k, i));
    return out;
  }
  std::vector<uint32_t> Free() {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < ix.free_count(); ++i) out.push_back(ix.FreeEntry(i));
    return out;
  }

  TempDir dir;
  IndexCtrl ix;
};

TEST_F(IndexTest, EmptyFileGrowsToThreeRecords) {
  dir.Touch("T.DIR");
  FakeRecords src({1, 1});
  ASSERT_EQ(Open(&src), 0);
  EXPECT_EQ(ix.entries(), 0u);
  EXPECT_EQ(ix.key_spare(), 64u);
  EXPECT_EQ(ix.free_spare(), 64u);
  Insert(&src, {"B", "x"});
  Insert(&src, {"A", "z"});
  Insert(&src, {"C", "y"});
  ASSERT_EQ(ix.Close(), 0);
  EXPECT_EQ(ReadBytes(Host()), LE({0, 3, 1, 0, 2, 0, 2, 1}));
}

TEST_F(IndexTest, MissingFileIsCreatedAndShortFileIsEmpty) {
  FakeRecords src({1});
  ASSERT_EQ(Open(&src, "NEW.DIR"), 0);
  EXPECT_TRUE(std::filesystem::exists(Host("NEW.DIR")));
  EXPECT_EQ(ix.Close(), 0);
  EXPECT_EQ(std::filesystem::file_size(Host("NEW.DIR")), 0u);  // nothing changed, nothing written

  dir.Touch("SHORT.DIR", std::string("\x01\x00\x00", 3));
  ASSERT_EQ(Open(&src, "SHORT.DIR"), 0);
  EXPECT_EQ(ix.entries(), 0u);
  EXPECT_EQ(ix.Close(), 0);
  EXPECT_EQ(ReadBytes(Host("SHORT.DIR")), std::string("\x01\x00\x00", 3));
}

TEST_F(IndexTest, SearchFirstOfEqualAndPrefixes) {
  FakeRecords src({2});
  ASSERT_EQ(Open(&src), 0);
  for (const char* k : {"C", "B", "A", "B"}) Insert(&src, {k});  // records 0..3
  EXPECT_EQ(List(1), (std::vector<uint32_t>{2, 1, 3, 0}));
  struct Case {
    const char* value;
    IndexWhich which;
    ErrCode status;
    uint32_t position, recno;
  } cases[] = {
      {"B", INDEX_FIRST, INDEX_ON, 1, 1},
      {"B", INDEX_LAST, INDEX_ON, 2, 3},
      {"BZ", INDEX_FIRST, INDEX_BEFORE, 3, 0},
      {"D", INDEX_FIRST, INDEX_PAST, 4, kNoRecord},
      {"", INDEX_FIRST, INDEX_BEFORE, 0, 2},  // one blank: before "A"
      {"A", INDEX_FIRST, INDEX_ON, 0, 2},
      {"A ", INDEX_FIRST, INDEX_ON, 0, 2},
      {"CXYZ", INDEX_FIRST, INDEX_PAST, 4, kNoRecord},  // cut to the key's length first
      {"0", INDEX_FIRST, INDEX_BEFORE, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    IndexHit hit;
    EXPECT_EQ(ix.Search(1, StrRef::FromC(c.value), c.which, &hit), c.status);
    EXPECT_EQ(hit.position, c.position);
    EXPECT_EQ(hit.recno, c.recno);
    EXPECT_EQ(ix.cursor(), c.position);
  }
  // Another "B" goes behind the equal keys.
  uint32_t r = Insert(&src, {"B"});
  EXPECT_EQ(r, 4u);
  EXPECT_EQ(ix.cursor(), 3u);
  EXPECT_EQ(List(1), (std::vector<uint32_t>{2, 1, 3, 4, 0}));
}

TEST_F(IndexTest, PrefixFindsFirstKeyBeginningWithIt) {
  FakeRecords src({4});
  ASSERT_EQ(Open(&src), 0);
  for (const char* k : {"BBB", "AZZ", "BA", "BAC", "C"}) Insert(&src, {k});
  IndexHit hit;
  EXPECT_EQ(ix.Search(1, "B", INDEX_FIRST, &hit), INDEX_ON);
  EXPECT_EQ(hit.recno, 2u);  // "BA  "
  EXPECT_EQ(ix.Search(1, "BAC", INDEX_FIRST, &hit), INDEX_ON);
  EXPECT_EQ(hit.recno, 3u);
  EXPECT_EQ(ix.Search(1, "B", INDEX_LAST, &hit), INDEX_ON);
  EXPECT_EQ(hit.recno, 0u);  // "BBB "
}

TEST_F(IndexTest, SearchFindsFirstOfManyEqualKeysWithFewProbes) {
  FakeRecords src({1});
  ASSERT_EQ(Open(&src), 0);
  Insert(&src, {"A"});
  for (int i = 0; i < 1000; ++i) Insert(&src, {"M"});
  Insert(&src, {"Z"});
  src.probes = 0;
  IndexHit hit;
  EXPECT_EQ(ix.Search(1, "M", INDEX_FIRST, &hit), INDEX_ON);
  EXPECT_EQ(hit.position, 1u);
  EXPECT_EQ(hit.recno, 1u);
  EXPECT_LT(src.probes, 40u);
  EXPECT_EQ(ix.Search(1, "M", INDEX_LAST, &hit), INDEX_ON);
  EXPECT_EQ(hit.position, 1000u);
  EXPECT_EQ(hit.recno, 1000u);
}

TEST_F(IndexTest, MoveClampsAndReportsTheEnds) {
  FakeRecords src({1});
  ASSERT_EQ(Open(&src), 0);
  IndexHit hit;
  EXPECT_EQ(ix.Move(1, 0x24, &hit), INDEX_PAST);  // empty index
  for (const char* k : {"A", "B", "C"}) Insert(&src, {k});
  struct Case {
    uint8_t flags;
    ErrCode status;
    uint32_t cursor;
  } cases[] = {
      {0x24, 0, 0}, {0x14, 1, 0}, {0x26, 0, 0}, {0x10, 0, 1}, {0x00, 0, 1}, {0x04, 0, 1},
      {0x30, 0, 1}, {0x34, 0, 1}, {0x20, 0, 2}, {0x12, 2, 2}, {0x16, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.flags));
    EXPECT_EQ(ix.Move(1, c.flags, &hit), c.status);
    EXPECT_EQ(ix.cursor(), c.cursor);
    EXPECT_EQ(hit.recno, c.cursor);  // records were inserted in key order
    EXPECT_EQ(ix.Recno(1), c.cursor);
  }
}

TEST_F(IndexTest, FreedNumbersAreReusedLastFirst) {
  FakeRecords src({2});
  ASSERT_EQ(Open(&src), 0);
  for (int i = 0; i < 12; ++i) Insert(&src, {std::to_string(i % 10)});
  ASSERT_EQ(ix.Drop(5), 0);
  ASSERT_EQ(ix.Drop(9), 0);
  EXPECT_EQ(Free(), (std::vector<uint32_t>{5, 9}));
  EXPECT_EQ(ix.Drop(9), E_INDEXCMDERROR);  // no longer live: nothing changes
  EXPECT_EQ(Free(), (std::vector<uint32_t>{5, 9}));
  EXPECT_EQ(Insert(&src, {"x"}), 9u);
  EXPECT_EQ(Insert(&src, {"y"}), 5u);
  EXPECT_EQ(Insert(&src, {"z"}), 12u);
}

TEST_F(IndexTest, NewNumbersNeverOverwriteRecordsTheIndexDoesNotKnow) {
  // The record file holds 5 records but the index, saved before the last
  // two were written, knows 3: the next record goes after all of them.
  dir.Touch("T.DIR", LE({0, 3, 0, 1, 2}));
  FakeRecords src({1});
  for (uint32_t r = 0; r < 5; ++r) src.Put(r, {std::string(1, char('a' + r))});
  ASSERT_EQ(Open(&src), 0);
  EXPECT_EQ(Insert(&src, {"q"}), 5u);
}

TEST_F(IndexTest, GrowthStaysInMemory) {
  FakeRecords src({3});
  ASSERT_EQ(Open(&src), 0);
  for (int i = 0; i < 64; ++i) Insert(&src, {std::to_string(1000 - i)});
  EXPECT_EQ(ix.key_spare(), 0u);
  EXPECT_EQ(std::filesystem::file_size(Host()), 0u);
  ASSERT_EQ(ix.Grow(), 0);
  EXPECT_EQ(ix.key_spare(), 64u);
  Insert(&src, {"0"});  // the 65th
  EXPECT_EQ(ix.key_spare(), 63u);
  EXPECT_EQ(std::filesystem::file_size(Host()), 0u);  // growth writes nothing
  EXPECT_EQ(ix.entries(), 65u);
  EXPECT_EQ(ix.KeyEntry(1, 0), 64u);
  ASSERT_EQ(ix.Close(), 0);
  EXPECT_EQ(std::filesystem::file_size(Host()), 8u + 4 * 65);
  // A 65th insert without an explicit growth grows by itself.
  IndexCtrl fresh;
  FakeRecords src2({1});
  ASSERT_EQ(fresh.Open(StrRef::Of(Rt("U.DIR")), 1, &src2), 0);
  for (int i = 0; i < 65; ++i) {
    StrRef v("k");
    uint32_t r;
    ASSERT_EQ(fresh.Take(&v, &r), 0);
    src2.Put(r, {"k"});
  }
  EXPECT_EQ(fresh.key_spare(), 63u);
  EXPECT_EQ(fresh.Close(), 0);
}

// A hand-built file: F = 2 (7, 3), N = 4, two key lists, and bytes beyond
// the last list that the index ignores.
class IndexFileTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    const char* k1[] = {"d", "b", "e", "x", "a", "y", "x", "c"};
    const char* k2[] = {"4", "2", "3", "x", "1", "y", "x", "0"};
    for (uint32_t r = 0; r < 8; ++r) src.Put(r, {k1[r], k2[r]});
  }
  const std::string lists = LE({2, 4, 7, 3, 4, 1, 0, 2, 4, 1, 2, 0});
  FakeRecords src{{1, 1}};
};

TEST_F(IndexFileTest, LoadsAndSavesByteForByte) {
  dir.Touch("T.DIR", lists + "trailing junk");
  ASSERT_EQ(Open(&src), 0);
  EXPECT_EQ(ix.entries(), 4u);
  EXPECT_EQ(Free(), (std::vector<uint32_t>{7, 3}));
  EXPECT_EQ(List(1), (std::vector<uint32_t>{4, 1, 0, 2}));
  EXPECT_EQ(List(2), (std::vector<uint32_t>{4, 1, 2, 0}));
  EXPECT_EQ(ix.key_spare(), 60u);
  EXPECT_EQ(ix.free_spare(), 62u);
  // Unchanged: Save leaves the file alone.
  ASSERT_EQ(ix.Save(), 0);
  EXPECT_EQ(ReadBytes(Host()), lists + "trailing junk");
  ASSERT_EQ(ix.Load(), 0);
  // A take and a drop of the same number give the same lists back.
  StrRef vals[] = {"b", "5"};
  uint32_t r;
  ASSERT_EQ(ix.Take(vals, &r), 0);
  EXPECT_EQ(r, 3u);
  src.Put(3, {"b", "5"});
  ASSERT_EQ(ix.Drop(3), 0);
  EXPECT_TRUE(ix.changed());
  ASSERT_EQ(ix.Close(), 0);
  EXPECT_EQ(ReadBytes(Host()), lists);
}

TEST_F(IndexFileTest, BuiltFromNothingMatchesAHandBuiltFile) {
  FakeRecords fresh({1, 1});
  ASSERT_EQ(Open(&fresh), 0);
  for (uint32_t r = 0; r < 8; ++r) ASSERT_EQ(Insert(&fresh, src.keys[r]), r);
  ASSERT_EQ(ix.Drop(7), 0);
  ASSERT_EQ(ix.Drop(3), 0);
  ASSERT_EQ(ix.Close(), 0);
  // Free 7, 3; list 1 a b d e x y; list 2 1 2 3 4 x y.
  EXPECT_EQ(ReadBytes(Host()), LE({2, 6, 7, 3, 4, 1, 0, 2, 6, 5, 4, 1, 2, 0, 6, 5}));
}

TEST_F(IndexFileTest, DamagedFilesAreRefusedAndLeftAlone) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"counts larger than the file", LE({2, 5, 7, 3, 4, 1, 0, 2, 4, 1, 2, 0})},
      {"truncated key list", lists.substr(0, lists.size() - 2)},
      {"number past the record file", LE({2, 4, 7, 3, 4, 1, 0, 8, 4, 1, 8, 0})},
      {"number twice in a list", LE({2, 4, 7, 3, 4, 1, 1, 2, 4, 1, 2, 0})},
      {"lists holding different numbers", LE({2, 4, 7, 3, 4, 1, 0, 2, 4, 1, 2, 5})},
      {"free number also live", LE({2, 4, 7, 2, 4, 1, 0, 2, 4, 1, 2, 0})},
      {"free number twice", LE({2, 4, 7, 7, 4, 1, 0, 2, 4, 1, 2, 0})},
      {"foreign file", "PK\x03\x04\x14\x00\x00\x00\x08\x00 some archive"s},
      {"huge counts", LE({0xFFFFFFF0u, 0xFFFFFFF0u}) + std::string(64, '\0')},
  };
  // A record file far larger than the index is checked another way.
  for (uint32_t extra : {0u, 3u << 20}) {
    src.extra_records = extra;
    dir.Touch("T.DIR", lists);
    ASSERT_EQ(Open(&src), 0) << extra;
    ASSERT_EQ(ix.Close(), 0);
    for (const Case& c : cases) {
      if (extra && std::string_view(c.what) == "number past the record file") continue;
      SCOPED_TRACE(std::string(c.what) + (extra ? " (large record file)" : ""));
      ClearError();
      dir.Touch("T.DIR", c.bytes);
      EXPECT_EQ(Open(&src), E_INDEXCMDERROR);
      EXPECT_EQ(LastErrorCode(), E_INDEXCMDERROR);
      EXPECT_EQ(LastErrorModule(), M_DATAFILE);
      EXPECT_NE(ErrorDetail().view().find("T.DIR"), std::string_view::npos) << ErrorDetail();
      EXPECT_FALSE(ix.loaded());
      IndexHit hit;
      StrRef v("a");
      uint32_t r;
      EXPECT_EQ(ix.Search(1, "a", INDEX_FIRST, &hit), E_FILENOTINIT);
      EXPECT_EQ(ix.Take(&v, &r), E_FILENOTINIT);
      EXPECT_EQ(ix.Close(), 0);
      EXPECT_EQ(ReadBytes(Host()), c.bytes);
    }
  }
  src.extra_records = 0;
}

TEST_F(IndexFileTest, FullDiskKeepsTheOldIndex) {
  dir.Touch("T.DIR", lists);
  ASSERT_EQ(Open(&src), 0);
  StrRef vals[] = {"b", "5"};
  uint32_t r;
  ASSERT_EQ(ix.Take(vals, &r), 0);
  ClearError();
  {
    host::DiskFullScope full(10);
    EXPECT_EQ(ix.Close(), E_DISKIO);
  }
  EXPECT_EQ(LastErrorCode(), E_DISKIO);
  EXPECT_EQ(LastErrorModule(), M_DATAFILE);
  EXPECT_EQ(ReadBytes(Host()), lists);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.host()))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"T.DIR"});  // no temporary file left behind
}

TEST_F(IndexFileTest, ReloadSeesAnIndexAnotherStationReplaced) {
  dir.Touch("T.DIR", lists);
  ASSERT_EQ(Open(&src), 0);
  // Another station saves: a new file renamed over the name.
  dir.Touch("OTHER.tmp", LE({1, 5, 7, 4, 1, 0, 2, 3, 4, 1, 2, 0, 3}));
  std::filesystem::rename(Host("OTHER.tmp"), Host());
  ASSERT_EQ(ix.Load(), 0);
  EXPECT_EQ(ix.entries(), 5u);
  EXPECT_EQ(List(1), (std::vector<uint32_t>{4, 1, 0, 2, 3}));
  ASSERT_EQ(ix.Close(), 0);
}

TEST_F(IndexTest, FailedReadChangesNothing) {
  FakeRecords src({1, 1});
  ASSERT_EQ(Open(&src), 0);
  Insert(&src, {"a", "e"});
  Insert(&src, {"c", "c"});
  Insert(&src, {"e", "a"});
  Insert(&src, {"g", "g"});
  ASSERT_EQ(ix.Drop(1), 0);
  std::vector<uint32_t> l1 = List(1), l2 = List(2), fr = Free();
  ASSERT_EQ(l1, (std::vector<uint32_t>{0, 2, 3}));
  ASSERT_EQ(l2, (std::vector<uint32_t>{2, 0, 3}));
  src.fail_at = 0;  // the first probe of list 2, not read by list 1's search for "h"
  StrRef vals[] = {"h", "b"};
  uint32_t r;
  EXPECT_EQ(ix.Take(vals, &r), E_READ);
  IndexHit hit;
  EXPECT_EQ(ix.Search(1, "d", INDEX_FIRST, &hit), E_READ);
  EXPECT_EQ(ix.Rekey(2, 2, "b"), E_READ);
  EXPECT_EQ(List(1), l1);
  EXPECT_EQ(List(2), l2);
  EXPECT_EQ(Free(), fr);
  EXPECT_EQ(ix.entries(), 3u);
}

// The value an entry is looked for by: mostly the one the lists order it
// by; sometimes none (the list is scanned) or a wrong one (the bisection
// misses and the scan must still find the entry).
StrRef Was(const std::string& right, unsigned how) {
  static const std::string wrong = "zzz";
  switch (how % 8) {
    case 0:
      return StrRef();
    case 1:
      return StrRef(wrong.data(), static_cast<uint16_t>(std::min<size_t>(3, right.size())));
    default:
      return StrRef::Of(right);
  }
}

// Thousands of random takes, rekeys and drops, with saves and reloads on
// the way, against a model of the lists.  The record file already holds a
// record's new bytes when its entries move or go, as the record layer
// writes it first.
TEST_F(IndexTest, RandomChangesMatchTheModel) {
  const std::vector<uint16_t> lens = {2, 3, 1};
  FakeRecords src(lens);
  ASSERT_EQ(Open(&src), 0);
  std::mt19937 rng(20261211);
  auto value = [&](uint16_t k) {
    std::string v;
    for (uint16_t i = 0; i < lens[k - 1]; ++i) v += char('a' + rng() % 4);
    return v;
  };
  // The model: per key, the live numbers in key order, equal keys in the
  // order they were entered; the free numbers oldest first.
  std::vector<std::vector<uint32_t>> model(lens.size());
  std::vector<uint32_t> free_model;
  auto enter = [&](uint16_t k, uint32_t r) {
    auto& l = model[k - 1];
    const std::string& v = src.keys[r][k - 1];
    auto at = std::upper_bound(l.begin(), l.end(), v, [&](const std::string& x, uint32_t e) {
      return x < src.keys[e][k - 1];
    });
    l.insert(at, r);
  };
  auto leave = [&](uint16_t k, uint32_t r) {
    auto& l = model[k - 1];
    l.erase(std::find(l.begin(), l.end(), r));
  };
  auto check = [&]() {
    ASSERT_EQ(ix.entries(), model[0].size());
    for (uint16_t k = 1; k <= lens.size(); ++k) ASSERT_EQ(List(k), model[k - 1]) << "key " << k;
    ASSERT_EQ(Free(), free_model);
  };
  for (int step = 0; step < 6000; ++step) {
    unsigned op = rng() % 10;
    const std::vector<uint32_t>& live = model[0];
    if (op < 5 || live.empty()) {
      std::vector<std::string> vals;
      for (uint16_t k = 1; k <= lens.size(); ++k) vals.push_back(value(k));
      uint32_t expect =
          free_model.empty() ? static_cast<uint32_t>(src.keys.size()) : free_model.back();
      std::vector<StrRef> refs;
      for (const std::string& v : vals) refs.push_back(StrRef::Of(v));
      uint32_t r;
      ASSERT_EQ(ix.Take(refs.data(), &r), 0);
      ASSERT_EQ(r, expect);
      if (!free_model.empty()) free_model.pop_back();
      src.Put(r, vals);
      for (uint16_t k = 1; k <= lens.size(); ++k) enter(k, r);
    } else if (op < 8) {
      uint32_t r = live[rng() % live.size()];
      uint16_t k = static_cast<uint16_t>(1 + rng() % lens.size());
      std::string v = value(k);
      std::string old = src.keys[r][k - 1];
      leave(k, r);
      src.keys[r][k - 1] = v;  // the record is written before its entry moves
      enter(k, r);
      ASSERT_EQ(ix.Rekey(r, k, StrRef::Of(v), Was(old, rng())), 0) << step;
    } else {
      uint32_t r = live[rng() % live.size()];
      // The record file holds the deleted record (marked) by now.
      std::vector<std::string> old = src.keys[r];
      std::vector<StrRef> was;
      unsigned how = rng();
      for (uint16_t k = 1; k <= lens.size(); ++k) {
        src.keys[r][k - 1][0] = '\x1b';
        was.push_back(Was(old[k - 1], how));
      }
      ASSERT_EQ(ix.Drop(r, how % 4 ? was.data() : nullptr), 0) << step;
      for (uint16_t k = 1; k <= lens.size(); ++k) leave(k, r);
      free_model.push_back(r);
    }
    if (op >= 5) {
      ASSERT_NO_FATAL_FAILURE(check()) << step;
    }
    if (step % 500 == 499) {
      check();
      // Searches agree with the model: the first entry not below the value.
      for (int q = 0; q < 20; ++q) {
        uint16_t k = static_cast<uint16_t>(1 + rng() % lens.size());
        std::string v = value(k).substr(0, 1 + rng() % lens[k - 1]);
        auto& l = model[k - 1];
        auto at = std::find_if(l.begin(), l.end(), [&](uint32_t e) {
          return src.keys[e][k - 1].compare(0, v.size(), v) >= 0;
        });
        IndexHit hit;
        ErrCode st = ix.Search(k, StrRef::Of(v), INDEX_FIRST, &hit);
        ASSERT_EQ(hit.position, uint32_t(at - l.begin()));
        ErrCode want = at == l.end()                                       ? 2
                       : src.keys[*at][k - 1].compare(0, v.size(), v) == 0 ? 0
                                                                           : 1;
        ASSERT_EQ(st, want);
      }
      ASSERT_EQ(ix.Save(), 0);
      ASSERT_EQ(ix.Load(), 0);
      check();
      EXPECT_EQ(ix.key_spare(), 64 - ix.entries() % 64);
    }
  }
  check();
  ASSERT_EQ(ix.Close(), 0);
  std::string bytes = ReadBytes(Host());
  EXPECT_EQ(bytes.size(), 8 + 4 * (free_model.size() + 3 * model[0].size()));
}

// The operations by structure number over the fixture's invoices
// (structure 3: key 1 = series and number; key 2 = customer, date, series, number), reading records
// from an in-memory record file.
std::vector<std::string>* g_file = nullptr;

ErrCode ReadRecord(uint16_t s, uint32_t recno, char* buf) {
  if (s != 3 || recno >= g_file->size()) return E_READ;
  std::memcpy(buf, (*g_file)[recno].data(), (*g_file)[recno].size());
  return 0;
}

uint32_t Records(uint16_t) {
  return static_cast<uint32_t>(g_file->size());
}

class IndexStructTest : public IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
    ASSERT_EQ(BufferAlloc(3), 0);
    g_file = &file;
  }
  void TearDown() override { g_file = nullptr; }
  // Fills the current half as the record layer would before an insert.
  uint32_t Add(const char* series, const char* number, const char* customer) {
    EXPECT_EQ(BufferClear(3), 0);
    EXPECT_EQ(FieldSet(3, 1, StrRef::FromC(series)), 0);
    EXPECT_EQ(FieldSet(3, 2, StrRef::FromC(number)), 0);
    EXPECT_EQ(FieldSet(3, 3, StrRef::FromC(customer)), 0);
    uint32_t r = kNoRecord;
    EXPECT_EQ(IndexTake(3, &r), 0);
    std::string rec = BufferHalf(3, HALF_CURRENT).str();
    if (r >= file.size()) file.resize(r + 1);
    file[r] = rec;
    return r;
  }
  std::vector<std::string> file;
};

TEST_F(IndexStructTest, TakeRekeyDropThroughTheRecordBuffer) {
  EXPECT_EQ(IndexTake(3, nullptr), E_FILENOTINIT);
  ASSERT_EQ(IndexOpen(3, StrRef::Of(Rt("facturas.DIR")), {ReadRecord, Records}), 0);
  EXPECT_EQ(Add("B", "2", "C3"), 0u);
  EXPECT_EQ(Add("A", "7", "C1"), 1u);
  EXPECT_EQ(Add("A", "3", "C2"), 2u);
  IndexCtrl* ix3 = IndexOf(3);
  ASSERT_NE(ix3, nullptr);
  auto order = [&](uint16_t k) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < ix3->entries(); ++i) out.push_back(ix3->KeyEntry(k, i));
    return out;
  };
  EXPECT_EQ(order(1), (std::vector<uint32_t>{2, 1, 0}));
  EXPECT_EQ(order(2), (std::vector<uint32_t>{1, 2, 0}));
  IndexHit hit;
  EXPECT_EQ(IndexSearch(3, 1, "A", INDEX_FIRST, &hit), INDEX_ON);
  EXPECT_EQ(hit.recno, 2u);
  // Record 1 changes customer: only key 2 moves.
  ASSERT_EQ(BufferStore(3, HALF_BOTH, StrRef::Of(file[1])), 0);
  ASSERT_EQ(FieldSet(3, 3, "C9"), 0);
  file[1] = BufferHalf(3, HALF_CURRENT).str();
  ASSERT_EQ(IndexRekey(3, 1), 0);
  EXPECT_EQ(order(1), (std::vector<uint32_t>{2, 1, 0}));
  EXPECT_EQ(order(2), (std::vector<uint32_t>{2, 0, 1}));
  ASSERT_EQ(IndexDrop(3, 2), 0);
  EXPECT_EQ(IndexMove(3, 2, 0x24, &hit), INDEX_ON);
  EXPECT_EQ(hit.recno, 0u);
  EXPECT_EQ(IndexRecno(3, 1), 1u);
  EXPECT_EQ(Add("C", "1", "C0"), 2u);
  ASSERT_EQ(IndexClose(3), 0);
  EXPECT_EQ(ReadBytes(Host("facturas.DIR")), LE({0, 3, 1, 0, 2, 2, 0, 1}));
  EXPECT_EQ(IndexSearch(3, 1, "A", INDEX_FIRST, &hit), E_FILENOTINIT);
  EXPECT_EQ(IndexOpen(3, StrRef::Of(Rt("y.DIR")), {}), E_DATA);  // no reader
}

}  // namespace
}  // namespace tol::testing
