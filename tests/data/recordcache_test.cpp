// The read buffer of record files: random reads, writes, cuts and changes
// behind its back against a model of the file, with pages small enough
// that reads straddle them and the oldest are dropped.
#include "data/recordcache.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "host/fs.h"
#include "support/host_temp.h"

namespace tol::testing {
namespace {

using host::testing::TempDir;

class RecordCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f_ = host::Open(dir_.rt() + "R.FD", host::OPEN_READ | host::OPEN_WRITE | host::OPEN_CREATE);
    ASSERT_TRUE(f_.ok());
  }
  void TearDown() override { host::Close(f_); }

  // Writes through the file and tells the cache, as the record layer does.
  void Write(int64_t at, const std::string& bytes) {
    ASSERT_EQ(host::WriteAt(f_, bytes.data(), int64_t(bytes.size()), at), int64_t(bytes.size()));
    cache_.Wrote(at, bytes.data(), uint32_t(bytes.size()));
    if (model_.size() < at + bytes.size()) model_.resize(at + bytes.size(), '\0');
    model_.replace(size_t(at), bytes.size(), bytes);
  }
  std::string Random(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += char('a' + rng_() % 26);
    return s;
  }

  TempDir dir_;
  host::File f_;
  RecordCache cache_{16, 4};  // 16-byte pages, at most 4 held
  std::string model_;
  std::mt19937 rng_{20261211};
};

TEST_F(RecordCacheTest, ReadsAlwaysMatchTheFile) {
  Write(0, Random(100));
  for (int step = 0; step < 5000; ++step) {
    unsigned op = rng_() % 10;
    if (op < 5) {
      int64_t at = rng_() % (model_.size() + 20);
      uint32_t n = 1 + rng_() % 40;
      std::string got(n, '?');
      bool ok = cache_.Read(f_, at, n, got.data());
      bool fits = uint64_t(at) + n <= model_.size();
      ASSERT_EQ(ok, fits) << step << " at " << at << " n " << n;
      if (ok) {
        ASSERT_EQ(got, model_.substr(size_t(at), n)) << step;
      }
    } else if (op < 8) {
      // In place or appended right at the end, as records are written.
      int64_t at = rng_() % (model_.size() + 1);
      Write(at, Random(1 + rng_() % 30));
    } else if (op == 8) {
      int64_t keep = rng_() % (model_.size() + 1);
      if (keep < 10) keep = 10;
      if (size_t(keep) > model_.size()) continue;
      ASSERT_TRUE(host::Truncate(f_, keep));
      cache_.Cut(keep);
      model_.resize(size_t(keep));
    } else {
      // Another program changes the file; the cache is told to forget.
      std::string bytes = Random(1 + rng_() % 20);
      int64_t at = rng_() % model_.size();
      ASSERT_EQ(host::WriteAt(f_, bytes.data(), int64_t(bytes.size()), at), int64_t(bytes.size()));
      if (model_.size() < at + bytes.size()) model_.resize(at + bytes.size(), '\0');
      model_.replace(size_t(at), bytes.size(), bytes);
      if (rng_() % 2)
        cache_.Forget();
      else
        cache_.Clear();
    }
  }
  // Far past the end: refused without a table of pages out to there.
  char got[8];
  EXPECT_FALSE(cache_.Read(f_, int64_t{1} << 45, sizeof got, got));
}

// Held pages are not read again, so a change the cache was not told of
// stays unseen until it forgets them; then the file is read as it is.
TEST_F(RecordCacheTest, ForgetReadsTheFileAgain) {
  Write(0, std::string(64, 'a'));
  std::string got(8, '?');
  ASSERT_TRUE(cache_.Read(f_, 20, 8, got.data()));
  ASSERT_EQ(host::WriteAt(f_, "bbbbbbbb", 8, 20), 8);
  ASSERT_TRUE(cache_.Read(f_, 20, 8, got.data()));
  EXPECT_EQ(got, "aaaaaaaa");
  cache_.Forget();
  ASSERT_TRUE(cache_.Read(f_, 20, 8, got.data()));
  EXPECT_EQ(got, "bbbbbbbb");
}

}  // namespace
}  // namespace tol::testing
