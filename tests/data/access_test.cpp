// Access methods: inserts with number reuse and duplicate keys, moves at
// the edges, deletion marks, finds, counts, scans and positions; a write
// that fails; and a model check of random work on a structure with three
// keys against an in-memory copy, across closing and reopening.
#include "data/access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "data/index.h"
#include "file_fixture.h"
#include "host/fs.h"
#include "lang/sysvars.h"

namespace tol::testing {
namespace {

class AccessTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_PAST);
  }
  std::string Record(uint32_t n) {
    std::string all = Slurp("DATOS/clientes.FD");
    return all.size() >= (n + 1) * 89 ? all.substr(n * 89, 89) : std::string();
  }
};

TEST_F(AccessTest, InsertReusesTheMostRecentlyFreedNumberFirst) {
  for (const char* code : {"C0", "C1", "C2", "C3"}) ASSERT_EQ(AddCustomer(code, code), 0);
  for (const char* code : {"C1", "C3"}) {
    ASSERT_EQ(FileFind(kClientes, 1, StrRef::FromC(code), 0), ST_ON_RECORD);
    ASSERT_EQ(FileDelete(kClientes, 0), 0);
  }
  ASSERT_EQ(AddCustomer("N1", "first new"), 0);
  EXPECT_EQ(FileRecno(kClientes), 3u);
  ASSERT_EQ(AddCustomer("N2", "second new"), 0);
  EXPECT_EQ(FileRecno(kClientes), 1u);
  ASSERT_EQ(AddCustomer("N3", "third new"), 0);
  EXPECT_EQ(FileRecno(kClientes), 4u) << "then past the end";
  EXPECT_EQ(Slurp("DATOS/clientes.FD").size(), 5u * 89);
}

TEST_F(AccessTest, DuplicateKeyGivesSixAndKeepsBothRecords) {
  ASSERT_EQ(AddCustomer("C1", "Ana"), 0);
  EXPECT_EQ(AddCustomer("C1", "Berta"), ST_DUPLICATE);
  EXPECT_EQ(FileCount(kClientes, 1, "", "", ""), 2u);
  EXPECT_EQ(Get(kClientes, "NAME"), "Berta") << "the buffer holds the new record";
  ASSERT_EQ(FileFind(kClientes, 2, "Ana", 0), ST_ON_RECORD);
  ASSERT_EQ(FileFind(kClientes, 2, "Berta", 0), ST_ON_RECORD);
  EXPECT_EQ(FileRecno(kClientes), 1u);

  // Lines (structures with N_LINE) take equal keys without a status.
  ASSERT_EQ(FileOpen(kLinFact, kReadWrite), ST_PAST);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(FileMove(kLinFact, NAV_NEW), ST_NEW);
    Set(kLinFact, {{"SERIES", "A"}, {"NUMBER", "1"}, {"N_LINE", "1"}});
    EXPECT_EQ(FileInsert(kLinFact), 0);
  }
}

TEST_F(AccessTest, MovesOffTheEdgesClearOrClamp) {
  for (const char* code : {"B", "A", "C"}) ASSERT_EQ(AddCustomer(code, code), 0);
  ASSERT_EQ(FileMove(kClientes, NAV_TOP), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "A");
  EXPECT_EQ(FileMove(kClientes, NAV_PREV), ST_BEFORE);
  EXPECT_EQ(Current(kClientes), std::string(89, ' '));
  EXPECT_EQ(FileMove(kClientes, NAV_PREV | NAV_CLAMP), ST_BEFORE);
  EXPECT_EQ(Get(kClientes, "CODE"), "A");
  EXPECT_FALSE(BufferModified(kClientes));
  ASSERT_EQ(FileMove(kClientes, NAV_BOTTOM), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C");
  EXPECT_EQ(FileMove(kClientes, NAV_NEXT), ST_PAST);
  EXPECT_EQ(Current(kClientes), std::string(89, ' '));
  EXPECT_EQ(FileMove(kClientes, NAV_RELOAD), ST_ON_RECORD) << "the cursor stayed on the last";
  EXPECT_EQ(Get(kClientes, "CODE"), "C");
  EXPECT_EQ(FileMove(kClientes, NAV_NEW), ST_NEW);
  EXPECT_EQ(FileCtrl(kClientes)->status, ST_NEW);
}

TEST_F(AccessTest, DeleteMarksTheRecordAndCanMoveToTheNext) {
  for (const char* code : {"A", "B", "C"}) ASSERT_EQ(AddCustomer(code, "x"), 0);
  std::string before = Record(1);
  ASSERT_EQ(FileFind(kClientes, 1, "B", 0), ST_ON_RECORD);
  EXPECT_EQ(FileDelete(kClientes, NAV_CLAMP), ST_BEFORE) << "B is gone: C is the next greater";
  EXPECT_EQ(Get(kClientes, "CODE"), "C") << "positioned on the following record";
  std::string after = Record(1);
  ASSERT_EQ(after.size(), 89u);
  EXPECT_EQ(after[0], '\x1b');
  EXPECT_EQ(after.substr(1), before.substr(1));
  EXPECT_EQ(FileFind(kClientes, 1, "B", 0), ST_BEFORE) << "B is gone from the key";
  EXPECT_EQ(FileCount(kClientes, 2, "", "", ""), 2u);
  FileClose(kClientes);
  EXPECT_EQ(Slurp("DATOS/clientes.DIR").size(), 8u + 4 + 2 * 2 * 4);
}

TEST_F(AccessTest, UpdateAndDeleteNeedARecordRead) {
  ASSERT_EQ(AddCustomer("A", "x"), 0);
  ASSERT_EQ(FileMove(kClientes, NAV_NEW), ST_NEW);
  Set(kClientes, {{"CODE", "Z"}});
  EXPECT_EQ(FileUpdate(kClientes), E_DATA) << "a new record is never written over another";
  EXPECT_EQ(FileDelete(kClientes, 0), E_DATA);
  EXPECT_EQ(Get(kClientes, "CODE"), "Z");
  ASSERT_EQ(FileMove(kClientes, NAV_TOP), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "A");
}

TEST_F(AccessTest, UpdateMovesChangedKeysOnly) {
  for (const char* code : {"A", "B", "C"}) ASSERT_EQ(AddCustomer(code, code), 0);
  ASSERT_EQ(FileFind(kClientes, 1, "A", 0), ST_ON_RECORD);
  EXPECT_EQ(FileUpdate(kClientes), 0) << "nothing changed, nothing written";
  Set(kClientes, {{"CODE", "D"}});
  ASSERT_EQ(FileUpdate(kClientes), 0);
  EXPECT_FALSE(BufferModified(kClientes));
  ASSERT_EQ(FileMove(kClientes, NAV_BOTTOM), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "D");
  EXPECT_EQ(Record(0).substr(0, 6), "D     ");
}

TEST_F(AccessTest, FindFlagsReadNextGreaterOrPrepareANewRecord) {
  for (const char* code : {"AB", "AD", "B"}) ASSERT_EQ(AddCustomer(code, code), 0);
  struct Case {
    const char* value;
    uint8_t flags;
    ErrCode status;
    const char* code;  // in the buffer afterwards
  } cases[] = {
      {"A", 0, ST_ON_RECORD, "AB"}, {"AD", 0, ST_ON_RECORD, "AD"},
      {"AC", 0, ST_BEFORE, "AD*"},  {"AC", NAV_CLAMP, ST_BEFORE, "AD"},
      {"Z", NAV_NEW, ST_PAST, "Z"}, {"AC", NAV_NEW, ST_BEFORE, "AC"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(FileFind(kClientes, 1, "B", 0), ST_ON_RECORD);  // a known buffer first
    EXPECT_EQ(FileFind(kClientes, 1, StrRef::FromC(c.value), c.flags), c.status) << c.value;
    std::string want = c.code;
    if (want.back() == '*') want = "B";  // left alone
    EXPECT_EQ(Get(kClientes, "CODE"), want) << c.value << " flags " << int(c.flags);
  }
  ASSERT_EQ(FileFind(kClientes, 1, "B", 0), ST_ON_RECORD);
  EXPECT_EQ(FileFindInto(kClientes, 1, "AD", HALF_READ), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "B") << "only the as-read half was read";
  EXPECT_TRUE(BufferModified(kClientes));
  EXPECT_EQ(FileFindInto(kClientes, 1, "AC", HALF_CURRENT), ST_BEFORE);
  EXPECT_EQ(Get(kClientes, "CODE"), "B") << "a next-greater key needs the 0x02 bit";
  EXPECT_EQ(FileFind(kClientes, 9, "A", 0), E_DATAOUTBOUND);
}

TEST_F(AccessTest, CountsAndScansHonourRangeConditionAndRoutine) {
  const char* codes[] = {"A1", "A2", "A3", "B1", "B2", "C1"};
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(FileMove(kClientes, NAV_NEW), ST_NEW);
    Set(kClientes, {{"CODE", codes[i]}, {"NAME", std::string(1, static_cast<char>('a' + i))}});
    ASSERT_EQ(FileInsert(kClientes), 0);
  }
  ASSERT_EQ(FileFind(kClientes, 1, "B2", 0), ST_ON_RECORD);
  struct Case {
    const char *from, *to, *cond;
    uint32_t count;
  } cases[] = {{"", "", "", 6},
               {"A", "A", "", 3},
               {"A2", "B", "", 4},
               {"", "", "NAME{1}>='d'", 3},
               {"B", "", "", 3},
               {"D", "", "", 0},
               {"A", "A9", "NAME{1}<'c'", 2}};
  for (const Case& c : cases) {
    ErrCode err = 1;
    EXPECT_EQ(FileCount(kClientes, 1, StrRef::FromC(c.from), StrRef::FromC(c.to),
                        StrRef::FromC(c.cond), &err),
              c.count)
        << c.from << ".." << c.to << " " << c.cond;
    EXPECT_EQ(err, 0);
  }
  EXPECT_EQ(Get(kClientes, "CODE"), "B2") << "counting keeps the position";

  // A backward scan stops at its limit; the routine sees each key and can stop it.
  ASSERT_EQ(FileMove(kClientes, NAV_BOTTOM), ST_ON_RECORD);
  uint8_t flags = NAV_PREV | NAV_SCANNING;
  ASSERT_EQ(FileScanNext(kClientes, &flags, "", "B"), 0);
  EXPECT_EQ(Get(kClientes, "CODE"), "B2");
  ASSERT_EQ(FileScanNext(kClientes, &flags, "", "B"), 0);
  EXPECT_EQ(FileScanNext(kClientes, &flags, "", "B"), ST_PAST);
  struct Seen {
    std::vector<std::string> keys;
  } seen;
  auto routine = [](StrRef value, void* ctx) -> ErrCode {
    auto* s = static_cast<Seen*>(ctx);
    s->keys.push_back(value.str());
    return s->keys.size() == 2 ? E_CANCEL : 0;
  };
  ASSERT_EQ(FileMove(kClientes, NAV_TOP), ST_ON_RECORD);
  flags = NAV_NEXT;
  EXPECT_EQ(FileScanNext(kClientes, &flags, "NAME{1}='z'", "", routine, &seen), E_CANCEL);
  EXPECT_EQ(seen.keys, (std::vector<std::string>{"A2    ", "A3    "}));
}

TEST_F(AccessTest, PositionRestoreBringsBackBufferAndCursor) {
  for (const char* code : {"A", "B", "C"}) ASSERT_EQ(AddCustomer(code, code), 0);
  ASSERT_EQ(FileFind(kClientes, 1, "B", 0), ST_ON_RECORD);
  Set(kClientes, {{"NAME", "edited"}});
  FilePosition p = PositionSave(kClientes);
  ASSERT_EQ(FileFind(kClientes, 2, "C", 0), ST_ON_RECORD);
  ASSERT_EQ(PositionRestore(kClientes, p), 0);
  EXPECT_EQ(Get(kClientes, "NAME"), "edited");
  EXPECT_EQ(FileCtrl(kClientes)->active_key, 1);
  EXPECT_EQ(FileMove(kClientes, NAV_NEXT), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C");
}

TEST_F(AccessTest, DeleteAllTakesThePrefixAndCondition) {
  for (const char* code : {"A1", "A2", "A3", "B1"}) {
    ASSERT_EQ(FileMove(kClientes, NAV_NEW), ST_NEW);
    Set(kClientes, {{"CODE", code}, {"NAME", code[1] == '2' ? "keep" : "drop"}});
    ASSERT_EQ(FileInsert(kClientes), 0);
  }
  ASSERT_EQ(FileDeleteAll(kClientes, 1, "A", "NAME{1}<'e'"), 0);
  EXPECT_EQ(FileCount(kClientes, 1, "", "", ""), 2u);
  EXPECT_EQ(FileFind(kClientes, 1, "A2", 0), ST_ON_RECORD);
  EXPECT_EQ(SelectionCount(kClientes), 0);
}

TEST_F(AccessTest, AConditionThatCannotBeEvaluatedSelectsAndDeletesNothing) {
  for (const char* code : {"A1", "A2", "A3"}) ASSERT_EQ(AddCustomer(code, code), 0);
  const std::string records = Slurp("DATOS/clientes.FD");
  ASSERT_EQ(SelectionBuild(kClientes, 1, "A", "A", "", 0), 0);  // one put aside
  const StrRef broken("NOSUCH{1}=='x'");
  EXPECT_GE(FileDeleteAll(kClientes, 1, "A", broken), E_CANCEL);
  EXPECT_EQ(Slurp("DATOS/clientes.FD"), records);
  EXPECT_EQ(SelectionCount(kClientes), 3);  // the one put aside is back
  ErrCode err = 0;
  EXPECT_EQ(FileCount(kClientes, 1, "", "", broken, &err), 0u);
  EXPECT_GE(err, E_CANCEL);
  EXPECT_GE(SelectionBuild(kClientes, 1, "", "", broken, 0), E_CANCEL);
  EXPECT_EQ(SelectionFree(kClientes), 0);
  EXPECT_EQ(SelectionCount(kClientes), 0);  // every row given back
  for (uint16_t i = 0; i < kSelectionRows; ++i) EXPECT_FALSE(Data().files.rows[i].in_use) << i;
}

// A write that fails (a full disk) leaves both files exactly as they were.
TEST_F(AccessTest, FailedWritesLeaveBothFilesAsTheyWere) {
  for (const char* code : {"A", "B", "C"}) ASSERT_EQ(AddCustomer(code, code), 0);
  ASSERT_EQ(FileFind(kClientes, 1, "B", 0), ST_ON_RECORD);
  ASSERT_EQ(FileDelete(kClientes, 0), 0);
  FileClose(kClientes);
  const std::string rec = Slurp("DATOS/clientes.FD"), idx = Slurp("DATOS/clientes.DIR");

  // Writes over records in place: nothing of them reaches the disk.
  {
    struct {
      const char* what;
      int64_t budget;
    } c{"nothing written", 0};
    ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_ON_RECORD);
    {
      // The insert would reuse freed record 1.
      {
        host::DiskFullScope full(c.budget);
        ClearError();
        EXPECT_EQ(AddCustomer("N", "new"), E_WRITE) << c.what;
        EXPECT_EQ(LastErrorModule(), M_DATAFILE);
      }
      ASSERT_EQ(FileFind(kClientes, 1, "A", 0), ST_ON_RECORD);
      Set(kClientes, {{"CODE", "Z"}});
      host::DiskFullScope full(c.budget);
      EXPECT_EQ(FileUpdate(kClientes), E_WRITE) << c.what;
    }
    EXPECT_EQ(IndexOf(kClientes)->entries(), 2u);
    EXPECT_EQ(FileFind(kClientes, 1, "A", 0), ST_ON_RECORD) << "the key was not moved";
    EXPECT_EQ(FileFind(kClientes, 1, "N", 0), ST_PAST);
    FileClose(kClientes);
    EXPECT_EQ(Slurp("DATOS/clientes.FD"), rec) << c.what;
    EXPECT_EQ(Slurp("DATOS/clientes.DIR"), idx) << c.what;
  }

  // With the freed number taken, a failing append is cut back.
  ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_ON_RECORD);
  ASSERT_EQ(AddCustomer("N", "new"), 0);
  FileClose(kClientes);
  const std::string rec2 = Slurp("DATOS/clientes.FD"), idx2 = Slurp("DATOS/clientes.DIR");
  for (int64_t budget : {0, 10, 88}) {
    ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_ON_RECORD);
    {
      host::DiskFullScope full(budget);
      EXPECT_EQ(AddCustomer("M", "append"), E_WRITE) << budget;
    }
    EXPECT_EQ(IndexOf(kClientes)->entries(), 3u);
    FileClose(kClientes);
    EXPECT_EQ(Slurp("DATOS/clientes.FD"), rec2) << budget;
    EXPECT_EQ(Slurp("DATOS/clientes.DIR"), idx2) << budget;
  }
  ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_ON_RECORD) << "and the files still open";
}

// Random work on a structure with three keys, one of two segments, checked
// against a model after every step and after closing and reopening.
class ModelTest : public FileTest {
 protected:
  static constexpr uint16_t L = 20;
  void SetUp() override {
    FileTest::SetUp();
    ASSERT_EQ(StructDefine(7, "modelo", ""), 0);
    s_ = StructCount();
    ASSERT_EQ(FieldDefine("A", 4, 'A'), 0);  // key 1
    ASSERT_EQ(FieldDefine("B", 3, 'A'), 0);  // key 2: B then A
    ASSERT_EQ(FieldDefine("C", 5, 'A'), 0);  // key 3
    ASSERT_EQ(FieldDefine("D", 8, 'A'), 0);
    KeySeg k1[] = {{0, 4}}, k2[] = {{4, 3}, {0, 4}}, k3[] = {{7, 5}};
    ASSERT_EQ(KeyDefine(s_, k1, 1), 0);
    ASSERT_EQ(KeyDefine(s_, k2, 2), 0);
    ASSERT_EQ(KeyDefine(s_, k3, 1), 0);
    ASSERT_EQ(FileOpen(s_, kReadWrite), ST_PAST);
  }

  static std::string KeyOf(const std::string& rec, int k) {
    if (k == 1) return rec.substr(0, 4);
    if (k == 2) return rec.substr(4, 3) + rec.substr(0, 4);
    return rec.substr(7, 5);
  }
  std::string RandomText(int n, int alphabet) {
    std::string t;
    for (int i = 0; i < n; ++i) t += static_cast<char>('a' + rng_() % alphabet);
    return t;
  }
  std::string RandomRecord() {
    return RandomText(4, 3) + RandomText(3, 2) + RandomText(5, 2) + RandomText(8, 26);
  }
  void Put(const std::string& rec) { ASSERT_EQ(BufferStore(s_, HALF_CURRENT, StrRef::Of(rec)), 0); }
  std::string Buf() { return BufferHalf(s_, HALF_CURRENT).str(); }

  void Check(const char* step) {
    SCOPED_TRACE(step);
    IndexCtrl* ix = IndexOf(s_);
    ASSERT_TRUE(ix->loaded());
    ASSERT_EQ(ix->entries(), live_.size());
    ASSERT_EQ(ix->free_count(), free_.size());
    for (uint32_t i = 0; i < free_.size(); ++i) ASSERT_EQ(ix->FreeEntry(i), free_[i]);
    for (int k = 1; k <= 3; ++k) {
      std::vector<uint32_t> in_list;
      std::string prev;
      for (uint32_t i = 0; i < ix->entries(); ++i) {
        uint32_t r = ix->KeyEntry(k, i);
        ASSERT_TRUE(live_.count(r)) << "key " << k << " holds " << r;
        std::string key = KeyOf(live_[r], k);
        ASSERT_LE(prev, key) << "key " << k << " out of order at " << i;
        prev = key;
        in_list.push_back(r);
      }
      std::sort(in_list.begin(), in_list.end());
      ASSERT_EQ(std::adjacent_find(in_list.begin(), in_list.end()), in_list.end());
    }
    std::string file = Slurp("modelo.FD");
    ASSERT_EQ(file.size(), (live_.size() + free_.size()) * L);
    for (const auto& [r, rec] : live_) ASSERT_EQ(file.substr(r * L, L), rec) << r;
    for (uint32_t r : free_) {
      ASSERT_EQ(file[r * L], '\x1b') << r;
      ASSERT_EQ(file.substr(r * L + 1, L - 1), dead_[r].substr(1)) << r;
    }
  }

  // Finds a random live record by key 1 and makes it the one read.
  bool PickLive(uint32_t* recno) {
    if (live_.empty()) return false;
    auto it = live_.begin();
    std::advance(it, rng_() % live_.size());
    int k = 1 + rng_() % 3;
    ErrCode st = FileFind(s_, k, StrRef::Of(KeyOf(it->second, k)), 0);
    EXPECT_EQ(st, ST_ON_RECORD);
    active_ = k;
    *recno = FileRecno(s_);
    EXPECT_TRUE(live_.count(*recno));
    EXPECT_EQ(Buf(), live_[*recno]);
    return st == ST_ON_RECORD;
  }

  uint16_t s_ = 0;
  int active_ = 1;
  std::mt19937 rng_{20261211};
  std::map<uint32_t, std::string> live_;
  std::map<uint32_t, std::string> dead_;
  std::vector<uint32_t> free_;
};

TEST_F(ModelTest, RandomWorkKeepsFileAndIndexExact) {
  for (int step = 0; step < 3000; ++step) {
    int op = rng_() % 10;
    std::string what = "step " + std::to_string(step) + " op " + std::to_string(op);
    if (op <= 3 || live_.size() < 5) {  // insert
      ASSERT_EQ(FileMove(s_, NAV_NEW), ST_NEW);
      std::string rec = RandomRecord();
      Put(rec);
      bool dup = false;
      for (const auto& [r, other] : live_) dup |= KeyOf(other, active_) == KeyOf(rec, active_);
      uint32_t expect = free_.empty() ? static_cast<uint32_t>(live_.size()) : free_.back();
      ErrCode st = FileInsert(s_);
      ASSERT_EQ(st, dup ? ST_DUPLICATE : 0) << what;
      ASSERT_EQ(FileRecno(s_), expect) << what;
      if (!free_.empty()) free_.pop_back(), dead_.erase(expect);
      live_[expect] = rec;
    } else if (op <= 5) {  // update, often changing keys
      uint32_t r;
      if (!PickLive(&r)) continue;
      std::string rec = live_[r];
      std::string fresh = RandomRecord();
      for (int i = 0; i < L; ++i)
        if (rng_() % 3 == 0) rec[i] = fresh[i];
      Put(rec);
      ASSERT_EQ(FileUpdate(s_), 0) << what;
      live_[r] = rec;
    } else if (op == 6) {  // delete
      uint32_t r;
      if (!PickLive(&r)) continue;
      ASSERT_LT(FileDelete(s_, rng_() % 2 ? NAV_CLAMP : 0), 3) << what;
      dead_[r] = live_[r];
      live_.erase(r);
      free_.push_back(r);
    } else if (op == 7) {  // find by a random prefix
      int k = 1 + rng_() % 3;
      std::string v = RandomText(1 + rng_() % 3, 3);
      std::string best;
      bool on = false;
      for (const auto& [r, rec] : live_) {
        std::string cut = KeyOf(rec, k).substr(0, v.size());
        if (cut >= v && (best.empty() || KeyOf(rec, k) < best)) best = KeyOf(rec, k);
        on |= cut == v;
      }
      ErrCode st = FileFind(s_, k, StrRef::Of(v), NAV_CLAMP);
      active_ = k;
      ASSERT_EQ(st, on ? ST_ON_RECORD : best.empty() ? ST_PAST : ST_BEFORE) << what << " " << v;
      if (st <= ST_BEFORE) {
        ASSERT_EQ(KeyOf(Buf(), k).substr(0, v.size()), best.substr(0, v.size())) << what;
      }
    } else {  // walk a few steps in the active key's order
      ASSERT_LE(FileMove(s_, NAV_TOP), ST_PAST);
      std::string prev;
      for (int i = 0; i < 5 && FileCtrl(s_)->status == ST_ON_RECORD; ++i) {
        std::string key = KeyOf(Buf(), active_);
        ASSERT_LE(prev, key) << what;
        ASSERT_EQ(Buf(), live_[FileRecno(s_)]) << what;
        prev = key;
        ASSERT_LE(FileMove(s_, NAV_NEXT), ST_PAST);
      }
    }
    if (step % 250 == 249) {
      FileClose(s_);
      ASSERT_EQ(FileOpen(s_, kReadWrite), live_.empty() ? ST_PAST : ST_ON_RECORD) << what;
      active_ = 1;
    }
    ASSERT_NO_FATAL_FAILURE(Check(what.c_str()));
  }
  FileClose(s_);
  ASSERT_EQ(FileOpen(s_, kReadWrite), ST_ON_RECORD);
  ASSERT_NO_FATAL_FAILURE(Check("reopened"));
  std::string index = Slurp("modelo.DIR");
  EXPECT_GE(index.size(), 8 + 4 * (free_.size() + 3 * live_.size()));
}

}  // namespace
}  // namespace tol::testing
