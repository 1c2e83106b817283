// The read buffer of a record file for index searches: pages of the file
// read with one positioned transfer each and kept while the structure is
// open, so that the probes of a bisection do not each cost a read.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "host/fs.h"

namespace tol {

class RecordCache {
 public:
  static constexpr uint32_t kPageBytes = 32768;
  // Pages held at most per file; the oldest page is dropped for a new one.
  static constexpr uint32_t kMaxPages = 2048;  // 64 MB

  explicit RecordCache(uint32_t page_bytes = kPageBytes, uint32_t max_pages = kMaxPages)
      : page_bytes_(page_bytes ? page_bytes : 1), max_pages_(max_pages ? max_pages : 1) {}

  // Copies n bytes at offset of the file f into out, reading the pages
  // that are not held; false on a short read (nothing is kept then).
  bool Read(host::File f, int64_t offset, uint32_t n, char* out);
  // Keeps the held pages equal to the file after n bytes were written at
  // offset (the bytes as written).
  void Wrote(int64_t offset, const char* bytes, uint32_t n);
  // The file was cut to size bytes.
  void Cut(int64_t size);
  // Forgets every page: the file was opened, closed or reopened, or may
  // have changed in ways the cache did not see.
  void Clear();
  // Forgets what the pages hold but keeps their memory for the next reads.
  void Forget();

 private:
  struct Page {
    std::unique_ptr<char[]> bytes;
    uint32_t valid = 0;  // bytes of the file the page holds from its start
  };
  Page* Load(host::File f, uint64_t page, uint32_t need);
  void Drop(uint64_t page);

  uint32_t page_bytes_, max_pages_;
  std::vector<Page> pages_;     // by page number; empty where none is held
  std::deque<uint64_t> order_;  // held page numbers, oldest first
};

}  // namespace tol
