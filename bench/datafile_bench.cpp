// The record layer against SQLite on one customer workload: 100,000
// records of 200 bytes with three keys (code; name; city, post code and
// code), bulk insert, finds by code, a scan in name order, updates that
// change the name, deletes and a selection of a tenth of the records under
// a condition.  The same steps run through SQLite (one transaction per
// writing phase, prepared statements, an index per key, WAL journal) in the
// same run.  Every phase is its own benchmark; the SQLite rows carry the
// ratios Tolvina time / SQLite time as the counters "tolvina_x" (wall
// time) and "tolvina_x_cpu" (processor time).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/errors.h"
#include "data/access.h"
#include "data/data.h"
#include "data/datafile.h"
#include "data/fieldexpr.h"
#include "data/index.h"
#include "data/record.h"
#include "data/selection.h"
#include "lang/lang.h"

namespace {

using tol::ErrCode;
using tol::StrRef;

constexpr int kRecords = 100000;
constexpr int kFinds = 100000;
constexpr int kUpdates = 10000;
constexpr int kDeletes = 10000;
constexpr int kRecordLength = 200;

// Field layout of the customer record: name, offset, width.
struct Column {
  const char* name;
  uint16_t offset, width;
};
constexpr Column kColumns[] = {{"CODE", 0, 8},    {"NAME", 8, 40},      {"STREET", 48, 40},
                               {"CITY", 88, 20},  {"ZIP", 108, 5},      {"PHONE", 113, 15},
                               {"NIF", 128, 12},  {"BALANCE", 140, 12}, {"SEGMENT", 152, 1},
                               {"NOTES", 153, 47}};
constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

const char* const kFirst[] = {"Ana",   "Luis",  "Marta",  "Jorge", "Elena", "Pablo", "Lucia",
                              "Diego", "Sara",  "Carlos", "Irene", "Mario", "Nuria", "Oscar",
                              "Rosa",  "Tomas", "Alba",   "Hugo",  "Julia", "Raul"};
const char* const kLast[] = {"Garcia", "Lopez",  "Martin",  "Sanchez", "Perez",  "Gomez",
                             "Ruiz",   "Diaz",   "Moreno",  "Alvarez", "Romero", "Navarro",
                             "Torres", "Ramos",  "Gil",     "Serrano", "Molina", "Blanco",
                             "Castro", "Ortega", "Delgado", "Rubio",   "Marin",  "Iglesias"};
const char* const kCities[] = {"Madrid", "Barcelona", "Valencia", "Sevilla",  "Zaragoza",
                               "Malaga", "Murcia",    "Bilbao",   "Alicante", "Cordoba"};

std::string Pad(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

std::string Code(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "C%07d", i);
  return buf;
}

// The records, generated once and shared by both engines: field texts and
// the whole 200-byte record.
struct Customer {
  std::string field[kColumnCount];
  std::string record;
};

std::string RandomName(std::mt19937& rng) {
  std::string n =
      std::string(kLast[rng() % 24]) + " " + kLast[rng() % 24] + ", " + kFirst[rng() % 20];
  return Pad(n, 40);
}

struct Data {
  std::vector<Customer> customers;
  std::vector<int> find_order;    // indexes into customers
  std::vector<int> update_order;  // distinct
  std::vector<std::string> new_names;
  std::vector<int> delete_order;  // distinct, none of them updated twice
  Data() {
    std::mt19937 rng(20261211);
    std::vector<int> order(kRecords);
    for (int i = 0; i < kRecords; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    customers.resize(kRecords);
    for (int i = 0; i < kRecords; ++i) {
      Customer& c = customers[i];
      char buf[64];
      c.field[0] = Code(order[i]);  // inserted in shuffled code order
      c.field[1] = RandomName(rng);
      std::snprintf(buf, sizeof buf, "Calle %s %u", kLast[rng() % 24], unsigned(rng() % 200 + 1));
      c.field[2] = Pad(buf, 40);
      c.field[3] = Pad(kCities[rng() % 10], 20);
      std::snprintf(buf, sizeof buf, "%05u", unsigned(rng() % 52000 + 1000));
      c.field[4] = buf;
      std::snprintf(buf, sizeof buf, "+34 9%08u", unsigned(rng() % 100000000));
      c.field[5] = Pad(buf, 15);
      std::snprintf(buf, sizeof buf, "%08uX", unsigned(rng() % 100000000));
      c.field[6] = Pad(buf, 12);
      std::snprintf(buf, sizeof buf, "%12.2f", double(rng() % 1000000) / 100.0);
      c.field[7] = Pad(buf, 12);
      c.field[8] = std::string(1, char('0' + rng() % 10));
      c.field[9] = Pad("cliente de prueba", 47);
      for (int f = 0; f < kColumnCount; ++f) c.record += Pad(c.field[f], kColumns[f].width);
    }
    find_order.resize(kFinds);
    for (int& f : find_order) f = int(rng() % kRecords);
    std::shuffle(order.begin(), order.end(), rng);
    update_order.assign(order.begin(), order.begin() + kUpdates);
    for (int i = 0; i < kUpdates; ++i) new_names.push_back(RandomName(rng));
    delete_order.assign(order.begin() + kUpdates, order.begin() + kUpdates + kDeletes);
  }
};

const Data& Work() {
  static const Data d;
  return d;
}

// A fresh folder under the system's temporary folder, removed at exit.
std::string Folder() {
  static const std::string dir = [] {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::mt19937_64 rng(std::random_device{}());
    std::filesystem::path p = base / ("tolvina-bench-" + std::to_string(rng() % 1000000000));
    std::filesystem::create_directories(p);
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    return p.string();
  }();
  return dir;
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "datafile bench: %s failed (%s)\n", what, tol::ErrorDetail().str().c_str());
  std::abort();
}

// One engine's workload, phase by phase; phases run in order, and a
// benchmark of a later phase first runs the earlier ones untimed.
// P_SAVE (Tolvina only): one index save (temporary file, flush, rename)
// and reload of the whole index, what a save after every write would cost.
enum Phase { P_INSERT, P_FIND, P_SCAN, P_UPDATE, P_DELETE, P_SELECT, P_SAVE, P_COUNT };
const char* const kPhaseNames[] = {"insert", "find",   "scan_key2", "update_key2",
                                   "delete", "select", "index_save"};

class Engine {
 public:
  virtual ~Engine() = default;
  virtual void Run(Phase p) = 0;
  // The phases that change nothing may run again.
  static bool Repeatable(Phase p) {
    return p == P_FIND || p == P_SCAN || p == P_SELECT || p == P_SAVE;
  }
  // Untimed work before each run of a phase.
  virtual void Prepare(Phase) {}
  void Reach(Phase p) {
    while (done_ < p) Run(Phase(done_++));
  }
  int done_ = 0;
  uint64_t checksum_ = 0;  // keeps the reads from being optimised away
};

// The record layer, set up as the program does: core, language, data
// state, field references for conditions, a structure defined in code.
class TolvinaEngine final : public Engine {
 public:
  TolvinaEngine() : data_(std::make_unique<tol::StateScope<tol::DataState>>()) {
    Check(lang_.init_result() == 0, "language start");
    tol::ConnectFieldReferences();
    std::filesystem::create_directories(Folder() + "/tol");
    std::filesystem::current_path(Folder() + "/tol");
    Check(tol::StructDefine(1, "clientes", "") == 0, "structure");
    s_ = tol::StructCount();
    for (const Column& c : kColumns)
      Check(tol::FieldDefine(StrRef::FromC(c.name), c.width, 'A') == 0, "field");
    tol::KeySeg k1[] = {{0, 8}}, k2[] = {{8, 40}}, k3[] = {{88, 20}, {108, 5}, {0, 8}};
    Check(tol::KeyDefine(s_, k1, 1) == 0 && tol::KeyDefine(s_, k2, 1) == 0 &&
              tol::KeyDefine(s_, k3, 3) == 0,
          "keys");
    Check(tol::StructAt(s_)->record_length == kRecordLength, "record length");
    Check(tol::FileOpen(s_, tol::MODE_CURRENT) == tol::ST_PAST, "open");
  }
  ~TolvinaEngine() override { tol::FileCloseAll(); }

  void Run(Phase p) override {
    const Data& d = Work();
    switch (p) {
      case P_INSERT:
        for (const Customer& c : d.customers) {
          (void)tol::FileMove(s_, tol::NAV_NEW);
          Check(tol::BufferStore(s_, tol::HALF_CURRENT, StrRef::Of(c.record)) == 0, "store");
          Check(tol::FileInsert(s_) == 0, "insert");
        }
        Durable();
        break;
      case P_FIND:
        for (int i : d.find_order) {
          Check(tol::FileFind(s_, 1, StrRef::Of(d.customers[i].field[0]), 0) == tol::ST_ON_RECORD ||
                    done_ > P_DELETE,
                "find");
          checksum_ += uint8_t(tol::BufferHalf(s_, tol::HALF_CURRENT)[9]);
        }
        break;
      case P_SCAN: {
        Check(tol::FileFind(s_, 2, "", tol::NAV_CLAMP) <= tol::ST_BEFORE, "scan start");
        uint32_t n = 0;
        do {
          checksum_ += uint8_t(tol::BufferHalf(s_, tol::HALF_CURRENT)[9]);
          ++n;
        } while (tol::FileMove(s_, tol::NAV_NEXT) == tol::ST_ON_RECORD);
        Check(n == tol::IndexOf(s_)->entries(), "scan count");
        break;
      }
      case P_UPDATE:
        for (int i = 0; i < kUpdates; ++i) {
          const Customer& c = d.customers[d.update_order[i]];
          Check(tol::FileFind(s_, 1, StrRef::Of(c.field[0]), 0) == tol::ST_ON_RECORD,
                "update find");
          Check(tol::FieldSet(s_, 2, StrRef::Of(d.new_names[i])) == 0, "set name");
          Check(tol::FileUpdate(s_) == 0, "update");
        }
        Durable();
        break;
      case P_DELETE:
        for (int i : d.delete_order) {
          Check(tol::FileFind(s_, 1, StrRef::Of(d.customers[i].field[0]), 0) == tol::ST_ON_RECORD,
                "delete find");
          Check(tol::FileDelete(s_, 0) == 0, "delete");
        }
        Durable();
        break;
      case P_SELECT: {
        ErrCode rc = tol::SelectionBuild(s_, 1, "", "", "SEGMENT{1}=='3'", 0);
        Check(rc == 0, "selection");
        uint16_t n = tol::SelectionCount(s_);
        Check(n > (kRecords - kDeletes) / 12 && n < (kRecords - kDeletes) / 8, "selection size");
        checksum_ += n;
        (void)tol::SelectionFree(s_);
        break;
      }
      case P_SAVE:
        Durable();
        break;
      case P_COUNT:
        break;
    }
  }

  // A save writes only a changed index: one record changes its name.
  void Prepare(Phase p) override {
    if (p != P_SAVE) return;
    const Customer& c = Work().customers[Work().update_order[0]];
    Check(tol::FileFind(s_, 1, StrRef::Of(c.field[0]), 0) == tol::ST_ON_RECORD, "save find");
    flip_ = !flip_;
    Check(tol::FieldSet(s_, 2, StrRef::Of(flip_ ? c.field[1] : Work().new_names[0])) == 0,
          "save set");
    Check(tol::FileUpdate(s_) == 0, "save update");
    Check(tol::IndexOf(s_)->changed(), "index changed");
  }

 private:
  bool flip_ = false;
  // Where SQLite commits, the index is saved (temporary file, flush,
  // rename) and read back, as a reopen does.
  void Durable() { Check(tol::FileReopen(s_, 0) == 0, "reopen"); }

  tol::LangScope lang_;
  std::unique_ptr<tol::StateScope<tol::DataState>> data_;
  uint16_t s_ = 0;
};

class SqliteEngine final : public Engine {
 public:
  SqliteEngine() {
    std::string path = Folder() + "/clientes.db";
    Check(sqlite3_open(path.c_str(), &db_) == SQLITE_OK, "sqlite open");
    Exec("PRAGMA journal_mode=WAL");
    // A page cache of 64 MB, as much as the record layer may hold of its file.
    Exec("PRAGMA cache_size=-65536");
    std::string create = "CREATE TABLE clientes(";
    for (int f = 0; f < kColumnCount; ++f)
      create += std::string(f ? "," : "") + kColumns[f].name + " TEXT";
    Exec(create + ")");
    Exec("CREATE INDEX k1 ON clientes(CODE)");
    Exec("CREATE INDEX k2 ON clientes(NAME)");
    Exec("CREATE INDEX k3 ON clientes(CITY, ZIP, CODE)");
    insert_ = Prepare("INSERT INTO clientes VALUES(?,?,?,?,?,?,?,?,?,?)");
    find_ = Prepare("SELECT * FROM clientes WHERE CODE >= ? ORDER BY CODE LIMIT 1");
    scan_ = Prepare("SELECT * FROM clientes ORDER BY NAME");
    update_ = Prepare("UPDATE clientes SET NAME = ? WHERE CODE = ?");
    delete_ = Prepare("DELETE FROM clientes WHERE CODE = ?");
    select_ = Prepare("SELECT rowid FROM clientes WHERE SEGMENT = '3' ORDER BY CODE");
  }
  ~SqliteEngine() override {
    for (sqlite3_stmt* st : {insert_, find_, scan_, update_, delete_, select_})
      sqlite3_finalize(st);
    sqlite3_close(db_);
  }

  void Run(Phase p) override {
    const Data& d = Work();
    switch (p) {
      case P_INSERT:
        Exec("BEGIN");
        for (const Customer& c : d.customers) {
          for (int f = 0; f < kColumnCount; ++f)
            sqlite3_bind_text(insert_, f + 1, c.field[f].data(), int(c.field[f].size()),
                              SQLITE_STATIC);
          Done(insert_, "insert");
        }
        Exec("COMMIT");
        break;
      case P_FIND:
        for (int i : d.find_order) {
          const std::string& code = d.customers[i].field[0];
          sqlite3_bind_text(find_, 1, code.data(), int(code.size()), SQLITE_STATIC);
          if (sqlite3_step(find_) == SQLITE_ROW) Touch(find_);
          sqlite3_reset(find_);
        }
        break;
      case P_SCAN: {
        uint32_t n = 0;
        while (sqlite3_step(scan_) == SQLITE_ROW) {
          Touch(scan_);
          ++n;
        }
        sqlite3_reset(scan_);
        Check(n == uint32_t(kRecords - (done_ > P_DELETE ? kDeletes : 0)), "sqlite scan count");
        break;
      }
      case P_UPDATE:
        Exec("BEGIN");
        for (int i = 0; i < kUpdates; ++i) {
          const std::string& code = d.customers[d.update_order[i]].field[0];
          sqlite3_bind_text(update_, 1, d.new_names[i].data(), int(d.new_names[i].size()),
                            SQLITE_STATIC);
          sqlite3_bind_text(update_, 2, code.data(), int(code.size()), SQLITE_STATIC);
          Done(update_, "update");
        }
        Exec("COMMIT");
        break;
      case P_DELETE:
        Exec("BEGIN");
        for (int i : d.delete_order) {
          const std::string& code = d.customers[i].field[0];
          sqlite3_bind_text(delete_, 1, code.data(), int(code.size()), SQLITE_STATIC);
          Done(delete_, "delete");
        }
        Exec("COMMIT");
        break;
      case P_SELECT: {
        std::vector<int64_t> rows;
        while (sqlite3_step(select_) == SQLITE_ROW)
          rows.push_back(sqlite3_column_int64(select_, 0));
        sqlite3_reset(select_);
        checksum_ += rows.size();
        break;
      }
      case P_SAVE:  // the commits of the writing phases are their saves
      case P_COUNT:
        break;
    }
  }

 private:
  void Exec(const std::string& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
      std::fprintf(stderr, "sqlite: %s: %s\n", sql.c_str(), msg ? msg : "?");
      std::abort();
    }
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* st = nullptr;
    Check(sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) == SQLITE_OK, sql);
    return st;
  }
  void Done(sqlite3_stmt* st, const char* what) {
    Check(sqlite3_step(st) == SQLITE_DONE, what);
    sqlite3_reset(st);
  }
  // Every column of the row is fetched, as the record layer reads the
  // whole record into its buffer.
  void Touch(sqlite3_stmt* st) {
    for (int f = 0; f < kColumnCount; ++f) {
      const unsigned char* t = sqlite3_column_text(st, f);
      if (t) checksum_ += t[0];
    }
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *insert_ = nullptr, *find_ = nullptr, *scan_ = nullptr, *update_ = nullptr,
               *delete_ = nullptr, *select_ = nullptr;
};

Engine& Tolvina() {
  static TolvinaEngine e;
  return e;
}
Engine& Sqlite() {
  static SqliteEngine e;
  return e;
}

struct Times {
  double wall = 0, cpu = 0;
};

// Seconds per phase of the Tolvina run, for the ratios on the SQLite rows.
std::map<int, Times>& TolvinaTimes() {
  static std::map<int, Times> t;
  return t;
}

// The machine is shared: the processor time of the process is measured
// beside the wall time, and the ratios are given for both.
void RunPhase(benchmark::State& state, Engine& e, Phase p, bool tolvina) {
  Times total;
  int64_t runs = 0;
  for (auto _ : state) {
    // Read-only phases run again on the data as it stands.
    if (!(Engine::Repeatable(p) && e.done_ > p)) e.Reach(p);
    e.Prepare(p);
    std::clock_t c0 = std::clock();
    auto t0 = std::chrono::steady_clock::now();
    e.Run(p);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    total.cpu += double(std::clock() - c0) / CLOCKS_PER_SEC;
    if (e.done_ == p) e.done_ = p + 1;
    state.SetIterationTime(secs);
    total.wall += secs;
    ++runs;
  }
  Times mean{total.wall / double(runs), total.cpu / double(runs)};
  static const int kOps[] = {kRecords, kFinds, kRecords, kUpdates, kDeletes, kRecords - kDeletes,
                             1};
  state.counters["ns_per_op"] = mean.wall * 1e9 / kOps[p];
  state.counters["cpu_ns_per_op"] = mean.cpu * 1e9 / kOps[p];
  if (tolvina) {
    TolvinaTimes()[p] = mean;
  } else if (TolvinaTimes().count(p)) {
    state.counters["tolvina_x"] = TolvinaTimes()[p].wall / mean.wall;
    state.counters["tolvina_x_cpu"] = TolvinaTimes()[p].cpu / mean.cpu;
  }
  benchmark::DoNotOptimize(e.checksum_);
}

void Register() {
  for (int p = 0; p < P_COUNT; ++p) {
    for (int engine = 0; engine < 2; ++engine) {
      if (engine == 1 && p == P_SAVE) continue;
      std::string name = std::string(engine == 0 ? "Tolvina/" : "SQLite/") + kPhaseNames[p];
      auto* b = benchmark::RegisterBenchmark(name.c_str(), [engine, p](benchmark::State& st) {
        RunPhase(st, engine == 0 ? Tolvina() : Sqlite(), Phase(p), engine == 0);
      });
      b->UseManualTime()->Unit(benchmark::kMillisecond);
      if (!Engine::Repeatable(Phase(p))) b->Iterations(1);
    }
  }
}

// Each engine runs its phases in the order of the workload; the two
// engines take turns phase by phase, so that the two figures of a ratio
// are taken close together on a shared machine.
const int kRegistered = (Register(), 0);

}  // namespace
