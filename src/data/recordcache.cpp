// Pages of a record file held for the index's probes, kept equal to the
// file through every write and cut the record layer makes.
#include "data/recordcache.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tol {

RecordCache::Page* RecordCache::Load(host::File f, uint64_t page, uint32_t need) {
  if (page >= pages_.size()) {
    // The table of pages grows only as far as the file reaches.
    int64_t size = host::Size(f);
    if (size < 0 || page * page_bytes_ + need > uint64_t(size)) return nullptr;
    try {
      pages_.resize(page + 1);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  Page& p = pages_[page];
  if (p.bytes && p.valid >= need) return &p;
  if (!p.bytes) {
    if (order_.size() >= max_pages_) {
      uint64_t oldest = order_.front();
      order_.pop_front();
      pages_[oldest] = Page{};
    }
    p.bytes.reset(new (std::nothrow) char[page_bytes_]);
    if (!p.bytes) return nullptr;
    order_.push_back(page);
  }
  int64_t got = host::ReadAt(f, p.bytes.get(), page_bytes_, int64_t(page) * page_bytes_);
  p.valid = got > 0 ? uint32_t(got) : 0;
  return p.valid >= need ? &p : nullptr;
}

bool RecordCache::Read(host::File f, int64_t offset, uint32_t n, char* out) {
  if (offset < 0) return false;
  uint64_t at = uint64_t(offset), end = at + n;
  while (at < end) {
    uint64_t page = at / page_bytes_;
    uint32_t from = uint32_t(at - page * page_bytes_);
    uint32_t to = uint32_t(std::min<uint64_t>(page_bytes_, end - page * page_bytes_));
    Page* p = Load(f, page, to);
    if (p == nullptr) return false;
    std::memcpy(out, p->bytes.get() + from, to - from);
    out += to - from;
    at += to - from;
  }
  return true;
}

void RecordCache::Wrote(int64_t offset, const char* bytes, uint32_t n) {
  if (offset < 0) return Clear();
  uint64_t at = uint64_t(offset), end = at + n;
  while (at < end) {
    uint64_t page = at / page_bytes_;
    uint32_t from = uint32_t(at - page * page_bytes_);
    uint32_t to = uint32_t(std::min<uint64_t>(page_bytes_, end - page * page_bytes_));
    if (page < pages_.size() && pages_[page].bytes) {
      Page& p = pages_[page];
      if (from <= p.valid) {
        std::memcpy(p.bytes.get() + from, bytes, to - from);
        p.valid = std::max(p.valid, to);
      } else {
        Drop(page);  // the bytes between would be unknown
      }
    }
    bytes += to - from;
    at += to - from;
  }
}

void RecordCache::Cut(int64_t size) {
  if (size < 0) return Clear();
  uint64_t keep = uint64_t(size);
  for (uint64_t page = keep / page_bytes_; page < pages_.size(); ++page) {
    if (!pages_[page].bytes) continue;
    uint64_t start = page * page_bytes_;
    if (start >= keep) {
      Drop(page);
    } else {
      pages_[page].valid = std::min<uint32_t>(pages_[page].valid, uint32_t(keep - start));
    }
  }
}

void RecordCache::Drop(uint64_t page) {
  pages_[page] = Page{};
  order_.erase(std::remove(order_.begin(), order_.end(), page), order_.end());
}

void RecordCache::Forget() {
  for (uint64_t page : order_) pages_[page].valid = 0;
}

void RecordCache::Clear() {
  std::vector<Page>().swap(pages_);
  order_.clear();
}

}  // namespace tol
