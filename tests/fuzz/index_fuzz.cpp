// Fuzz target for index files: any bytes as an index of 1 to 4 keys over a
// record file of 0 to 255 records.  A file that loads is walked, searched,
// changed, saved and loaded again, and its lists checked; a refused file
// must be left byte for byte as it was.
//
// Not part of the test build.  From the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc  (continued)
//     tests/fuzz/index_fuzz.cpp $(ls src/core/*.cpp src/host/*.cpp src/lang/*.cpp  (continued)
//     src/format/*.cpp src/data/*.cpp) -o build/index_fuzz
//   build/index_fuzz -max_len=4096 build/index_corpus
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/core.h"
#include "data/data.h"
#include "data/index.h"
#include "host/path.h"

namespace {

using namespace tol;

// Record r's key k is two letters that follow from r and k.
class FakeFile final : public KeySource {
 public:
  explicit FakeFile(uint32_t n) : n_(n) {}
  StrRef KeyOf(uint32_t recno, uint16_t k) override {
    if (recno >= n_) return StrRef::Fail(E_READ);
    uint32_t h = (recno + 1) * 2654435761u ^ k * 40503u;
    buf_[0] = char('a' + h % 5);
    buf_[1] = char('a' + (h >> 8) % 5);
    return StrRef(buf_, 2);
  }
  uint32_t Records() override { return n_; }
  uint16_t KeyLen(uint16_t) override { return 2; }
  void Grow(uint32_t to) { n_ = std::max(n_, to); }

 private:
  uint32_t n_;
  char buf_[2];
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every list holds the same distinct numbers, none of them free.  (Key
// order is not checked: a file need not be sorted for our stand-in keys.)
void Check(const IndexCtrl& ix) {
  std::vector<uint32_t> first, other, free;
  for (uint32_t i = 0; i < ix.free_count(); ++i) free.push_back(ix.FreeEntry(i));
  std::sort(free.begin(), free.end());
  if (std::adjacent_find(free.begin(), free.end()) != free.end()) __builtin_trap();
  for (uint16_t k = 1; k <= ix.key_count(); ++k) {
    other.clear();
    for (uint32_t i = 0; i < ix.entries(); ++i) other.push_back(ix.KeyEntry(k, i));
    std::sort(other.begin(), other.end());
    if (std::adjacent_find(other.begin(), other.end()) != other.end()) __builtin_trap();
    if (k == 1) first = other;
    if (other != first) __builtin_trap();
  }
  std::vector<uint32_t> both;
  std::set_intersection(first.begin(), first.end(), free.begin(), free.end(),
                        std::back_inserter(both));
  if (!both.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  CoreScope core;
  StateScope<DataState> state;
  uint16_t keys = 1 + data[0] % 4;
  FakeFile src(data[1]);
  std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  char dir[] = "/tmp/tolixfuzzXXXXXX";
  if (mkdtemp(dir) == nullptr) return 0;
  std::string host_name = std::string(dir) + "/F.DIR";
  std::ofstream(host_name, std::ios::binary) << bytes;
  std::string name = host::RuntimePath(host_name);

  IndexCtrl ix;
  ErrCode e = ix.Open(StrRef::Of(name), keys, &src);
  if (e != 0) {
    (void)ix.Close();
    if (ReadBytes(host_name) != bytes) __builtin_trap();
  } else {
    Check(ix);
    IndexHit hit;
    for (uint8_t f : {0x24, 0x10, 0x10, 0x20, 0x14, 0x00})
      if (ix.Move(1, f, &hit) < 2 && hit.recno != ix.Recno(1)) __builtin_trap();
    for (uint16_t k = 1; k <= keys; ++k) (void)ix.Search(k, "bc", INDEX_FIRST, &hit);
    // A few changes driven by the input's bytes.
    for (size_t i = 2; i < std::min<size_t>(size, 40); ++i) {
      uint8_t b = data[i];
      if (b % 3 == 0 || ix.entries() == 0) {
        StrRef vals[4] = {"aa", "bb", "cc", "dd"};
        uint32_t r;
        if (ix.Take(vals, &r) == 0) {
          src.Grow(r + 1);
          // The stand-in records have their own keys: move the entries there.
          for (uint16_t k = 1; k <= keys; ++k) (void)ix.Rekey(r, k, src.KeyOf(r, k));
        }
      } else if (b % 3 == 1) {
        (void)ix.Drop(ix.KeyEntry(1, b % ix.entries()));
      } else {
        uint32_t r = ix.KeyEntry(1, b % ix.entries());
        (void)ix.Rekey(r, 1, src.KeyOf(r, 1));
      }
    }
    Check(ix);
    if (ix.Save() == 0 && ix.Load() == 0) Check(ix);
    (void)ix.Close();
  }
  unlink(host_name.c_str());
  rmdir(dir);
  return 0;
}
