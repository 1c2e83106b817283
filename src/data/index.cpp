// The in-memory index, its file (free list and key lists of 32-bit
// little-endian record numbers after the two counts), the checks that
// refuse a damaged file, and the per-structure index operations.
#include "data/index.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/core.h"
#include "core/errors.h"
#include "data/data.h"
#include "data/record.h"
#include "host/fs.h"

namespace tol {

namespace {

constexpr uint32_t kHeaderBytes = 8;

uint32_t Room(uint32_t n) {
  return (n / kIndexStep + 1) * kIndexStep;
}

uint32_t GetLE(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLE(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// memcmp order of v against the first |v| bytes of key; a key shorter than
// v compares as if cut where it ends and counts smaller when equal so far.
int Compare(StrRef v, StrRef key) {
  size_t n = std::min<size_t>(v.size(), key.size());
  int c = n ? std::memcmp(v.data(), key.data(), n) : 0;
  if (c != 0 || key.size() >= v.size()) return c;
  return 1;
}

// Reads count numbers at offset into out, in transfers of kIndexChunk.
bool ReadNumbers(host::File f, int64_t offset, uint32_t count, uint32_t* out) {
  unsigned char buf[kIndexChunk * 4];
  while (count) {
    uint32_t part = std::min(count, kIndexChunk);
    int64_t want = int64_t(part) * 4;
    if (host::ReadAt(f, buf, want, offset) != want) return false;
    for (uint32_t i = 0; i < part; ++i) out[i] = GetLE(buf + 4 * i);
    out += part;
    count -= part;
    offset += want;
  }
  return true;
}

void AppendNumbers(std::string* image, const uint32_t* p, uint32_t count) {
  size_t at = image->size();
  image->resize(at + size_t(count) * 4);
  unsigned char* q = reinterpret_cast<unsigned char*>(image->data()) + at;
  for (uint32_t i = 0; i < count; ++i) PutLE(q + 4 * i, p[i]);
}

}  // namespace

IndexCtrl::~IndexCtrl() = default;

ErrCode IndexCtrl::Open(StrRef name, uint16_t key_count, KeySource* source) {
  if (!name.ok()) return name.err();
  if (key_count == 0 || source == nullptr) return E_DATA;
  if (open()) (void)Close();
  uint16_t h = StreamOpen(name, OPEN_UPDATE);
  if (h == kStreamFail) return E_FILEOPEN;
  handle_ = h;
  name_ = name.str();
  key_count_ = key_count;
  source_ = source;
  return Load(true);
}

void IndexCtrl::Release() {
  std::vector<uint32_t>().swap(keys_);
  std::vector<uint32_t>().swap(free_);
  n_ = f_ = cursor_ = key_room_ = free_room_ = stride_ = next_ = 0;
  loaded_ = changed_ = false;
}

ErrCode IndexCtrl::Reserve(uint32_t key_room, uint32_t free_room) {
  try {
    if (key_room > stride_) {
      uint32_t stride = stride_ == 0 ? key_room : std::max(key_room, stride_ + stride_ / 2);
      std::vector<uint32_t> keys(size_t(stride) * key_count_);
      for (uint16_t k = 1; k <= key_count_ && n_; ++k)
        std::memcpy(keys.data() + size_t(k - 1) * stride, List(k), size_t(n_) * 4);
      keys_.swap(keys);
      stride_ = stride;
    }
    if (free_room > free_.size())
      free_.resize(free_.empty() ? free_room : std::max<size_t>(free_room, free_.size() * 3 / 2));
  } catch (const std::bad_alloc&) {
    return Fail(M_DATAFILE, E_OUTOFMEMORY);
  }
  key_room_ = key_room;
  free_room_ = free_room;
  return 0;
}

ErrCode IndexCtrl::Damaged() {
  Release();
  SetDetail(0, StrRef::Of(name_), true);
  return Fail(M_DATAFILE, E_INDEXCMDERROR);
}

ErrCode IndexCtrl::Load(bool /*from_start*/) {
  if (!open()) return E_FILENOTINIT;
  Release();
  host::File* entry = Data().streams.Entry(handle_);
  if (entry == nullptr) return E_BADFILENUMBER;
  // Another station replaces the file by renaming a new one over it: the
  // name, not the descriptor held since the open, leads to the index now.
  host::File fresh = host::Open(name_, host::OPEN_READ | host::OPEN_WRITE | host::OPEN_CREATE);
  if (fresh.ok()) {
    host::Close(*entry);
    Data().streams.Put(handle_, fresh);
    entry = Data().streams.Entry(handle_);
  }
  host::File f = *entry;
  int64_t size = host::Size(f);
  if (size < 0) return Fail(M_DATAFILE, E_DISKIO);
  uint32_t n = 0, fc = 0;
  if (size >= kHeaderBytes) {
    unsigned char head[kHeaderBytes];
    if (host::ReadAt(f, head, kHeaderBytes, 0) != kHeaderBytes) return Fail(M_DATAFILE, E_DISKIO);
    fc = GetLE(head);
    n = GetLE(head + 4);
    uint64_t need = kHeaderBytes + 4 * (uint64_t(fc) + uint64_t(n) * key_count_);
    if (need > uint64_t(size)) return Damaged();
  }
  if (n >= kNoRecord - kIndexStep || fc >= kNoRecord - kIndexStep) return Damaged();
  if (ErrCode e = Reserve(Room(n), Room(fc))) return e;
  f_ = fc;
  n_ = n;
  int64_t at = kHeaderBytes;
  bool ok = ReadNumbers(f, at, fc, free_.data());
  at += int64_t(fc) * 4;
  for (uint16_t k = 1; ok && k <= key_count_; ++k) {
    ok = ReadNumbers(f, at, n, List(k));
    at += int64_t(n) * 4;
  }
  if (!ok) {
    Release();
    return Fail(M_DATAFILE, E_DISKIO);
  }
  if (!Consistent()) return Damaged();
  loaded_ = true;
  changed_ = false;
  return 0;
}

// Every number is below the record count; the free numbers are distinct;
// every key list holds the same distinct numbers, none of them free.
bool IndexCtrl::Consistent() {
  uint32_t records = source_->Records();
  next_ = 0;
  uint64_t held = uint64_t(n_) * key_count_ + f_;
  // A mark per record number costs memory by the record file's size: when
  // that is far beyond what the index holds, the lists are sorted instead.
  if (key_count_ == 0xFFFF || records > 4 * held + (1u << 20)) return ConsistentBySorting(records);
  try {
    // Each number gets the mark of the last list that held it: k for key k's
    // list, key_count_ + 1 for the free list.  A number of list k must carry
    // mark k - 1, so each list holds exactly the numbers of the one before.
    std::vector<uint16_t> mark(records, 0);
    uint32_t high = 0;
    for (uint16_t k = 1; k <= key_count_; ++k) {
      const uint32_t* list = List(k);
      for (uint32_t i = 0; i < n_; ++i) {
        uint32_t r = list[i];
        if (r >= records || mark[r] != k - 1) return false;
        mark[r] = k;
        high = std::max(high, r + 1);
      }
    }
    const uint16_t free_mark = static_cast<uint16_t>(key_count_ + 1);
    for (uint32_t i = 0; i < f_; ++i) {
      uint32_t r = free_[i];
      if (r >= records || mark[r] != 0) return false;
      mark[r] = free_mark;
      high = std::max(high, r + 1);
    }
    next_ = high;
  } catch (const std::bad_alloc&) {
    return ConsistentBySorting(records);
  }
  return true;
}

bool IndexCtrl::ConsistentBySorting(uint32_t records) {
  next_ = 0;
  try {
    std::vector<uint32_t> live(List(1), List(1) + n_);
    std::vector<uint32_t> spare(free_.begin(), free_.begin() + f_);
    std::sort(live.begin(), live.end());
    std::sort(spare.begin(), spare.end());
    if (std::adjacent_find(live.begin(), live.end()) != live.end()) return false;
    if (std::adjacent_find(spare.begin(), spare.end()) != spare.end()) return false;
    if (n_ && live.back() >= records) return false;
    if (f_ && spare.back() >= records) return false;
    std::vector<uint32_t> both;
    std::set_intersection(live.begin(), live.end(), spare.begin(), spare.end(),
                          std::back_inserter(both));
    if (!both.empty()) return false;
    std::vector<uint32_t> other(n_);
    for (uint16_t k = 2; k <= key_count_; ++k) {
      std::copy(List(k), List(k) + n_, other.begin());
      std::sort(other.begin(), other.end());
      if (other != live) return false;
    }
    if (n_) next_ = live.back() + 1;
    if (f_) next_ = std::max(next_, spare.back() + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

ErrCode IndexCtrl::WriteFile() {
  std::string image;
  try {
    image.reserve(kHeaderBytes + 4 * (size_t(f_) + size_t(n_) * key_count_));
    uint32_t head[2] = {f_, n_};
    AppendNumbers(&image, head, 2);
    for (uint32_t i = 0; i < f_; i += kIndexChunk)
      AppendNumbers(&image, free_.data() + i, std::min(kIndexChunk, f_ - i));
    for (uint16_t k = 1; k <= key_count_; ++k)
      for (uint32_t i = 0; i < n_; i += kIndexChunk)
        AppendNumbers(&image, List(k) + i, std::min(kIndexChunk, n_ - i));
  } catch (const std::bad_alloc&) {
    return Fail(M_DATAFILE, E_OUTOFMEMORY);
  }
  // A fresh file beside the index, flushed and renamed over it: a reader
  // (or a crash, or a full disk) meets the old index or the new one whole.
  if (!host::WriteAll(name_, image)) {
    SetDetail(0, StrRef::Of(name_), true);
    return Fail(M_DATAFILE, E_DISKIO);
  }
  return 0;
}

ErrCode IndexCtrl::Save() {
  if (!loaded_) return 0;
  ErrCode e = changed_ ? WriteFile() : 0;
  Release();
  return e;
}

ErrCode IndexCtrl::Close() {
  ErrCode e = Save();
  if (open()) StreamClose(handle_);
  handle_ = kNoHandle;
  source_ = nullptr;
  key_count_ = 0;
  name_.clear();
  return e;
}

ErrCode IndexCtrl::Grow() {
  if (!loaded_) return E_FILENOTINIT;
  uint32_t kr = std::max(key_room_, Room(n_)), fr = std::max(free_room_, Room(f_));
  if (kr == key_room_ && fr == free_room_) return 0;
  return Reserve(kr, fr);
}

ErrCode IndexCtrl::Bisect(uint16_t k, StrRef value, uint32_t len, IndexWhich which, IndexHit* hit,
                          uint32_t skip) {
  uint16_t klen = source_->KeyLen(k);
  if (value.size() > klen) value = StrRef(value.data(), klen);
  if (value.size() == 0) value = StrRef(" ");
  const uint32_t* list = List(k);
  // Position i of the list without the entry at skip.
  auto at = [&](uint32_t i) { return list[i >= skip ? i + 1 : i]; };
  uint32_t lo = 0, hi = len;
  bool equal = false;
  uint32_t pos = 0;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    StrRef key = Probe(at(mid), k);
    if (!key.ok()) return key.err();
    int c = Compare(value, key);
    if (c > 0) {
      lo = mid + 1;
    } else if (c < 0) {
      hi = mid;
    } else {
      equal = true;
      pos = mid;
      break;
    }
  }
  if (equal) {
    // The neighbours with equal keys lie between lo and hi; bisect for the
    // first or the last of them instead of stepping one record at a time.
    if (which == INDEX_FIRST) {
      uint32_t a = lo, b = pos;
      while (a < b) {
        uint32_t mid = a + (b - a) / 2;
        StrRef key = Probe(at(mid), k);
        if (!key.ok()) return key.err();
        if (Compare(value, key) == 0)
          b = mid;
        else
          a = mid + 1;
      }
      pos = a;
    } else {
      uint32_t a = pos + 1, b = hi;
      while (a < b) {
        uint32_t mid = a + (b - a) / 2;
        StrRef key = Probe(at(mid), k);
        if (!key.ok()) return key.err();
        if (Compare(value, key) == 0)
          a = mid + 1;
        else
          b = mid;
      }
      pos = a - 1;
    }
    hit->status = INDEX_ON;
    hit->position = pos;
    hit->recno = at(pos);
    return 0;
  }
  hit->position = lo;
  hit->status = lo >= len ? INDEX_PAST : INDEX_BEFORE;
  hit->recno = lo < len ? at(lo) : kNoRecord;
  return 0;
}

ErrCode IndexCtrl::Search(uint16_t k, StrRef value, IndexWhich which, IndexHit* hit) {
  if (!loaded_) return E_FILENOTINIT;
  if (k == 0 || k > key_count_) return E_DATAOUTBOUND;
  if (!value.ok()) return value.err();
  IndexHit h;
  if (ErrCode e = Bisect(k, value, n_, which, &h)) return e;
  cursor_ = h.position;
  *hit = h;
  return h.status;
}

ErrCode IndexCtrl::Move(uint16_t k, uint8_t flags, IndexHit* hit) {
  IndexHit h;
  if (!loaded_) return E_FILENOTINIT;
  if (k == 0 || k > key_count_) return E_DATAOUTBOUND;
  if (n_ == 0) {
    cursor_ = 0;
    *hit = h;
    return h.status;
  }
  int64_t p = cursor_;
  switch (flags & 0x34) {
    case 0x24:
      p = 0;
      break;
    case 0x20:
      p = int64_t(n_) - 1;
      break;
    case 0x14:
      p -= 1;
      break;
    case 0x10:
      p += 1;
      break;
    default:
      break;
  }
  h.status = INDEX_ON;
  if (p < 0) {
    p = 0;
    h.status = INDEX_BEFORE;
  } else if (p >= int64_t(n_)) {
    p = int64_t(n_) - 1;
    h.status = INDEX_PAST;
  }
  cursor_ = uint32_t(p);
  h.position = cursor_;
  h.recno = List(k)[cursor_];
  *hit = h;
  return h.status;
}

uint32_t IndexCtrl::Recno(uint16_t k) const {
  if (!loaded_ || k == 0 || k > key_count_ || cursor_ >= n_) return kNoRecord;
  return List(k)[cursor_];
}

// Enters recno into key k's list of len entries after the equal keys.
ErrCode IndexCtrl::Insert(uint16_t k, uint32_t recno, StrRef value, uint32_t len, uint32_t* pos) {
  IndexHit h;
  if (ErrCode e = Bisect(k, value, len, INDEX_LAST, &h)) return e;
  uint32_t at = h.status == INDEX_ON ? h.position + 1 : h.position;
  uint32_t* list = List(k);
  std::memmove(list + at + 1, list + at, size_t(len - at) * 4);
  list[at] = recno;
  *pos = at;
  return 0;
}

void IndexCtrl::RemoveAt(uint16_t k, uint32_t pos, uint32_t len) {
  uint32_t* list = List(k);
  std::memmove(list + pos, list + pos + 1, size_t(len - pos - 1) * 4);
}

ErrCode IndexCtrl::Take(const StrRef* values, uint32_t* recno) {
  if (!loaded_) return E_FILENOTINIT;
  for (uint16_t k = 0; k < key_count_; ++k)
    if (!values[k].ok()) return values[k].err();
  if (key_spare() == 0)
    if (ErrCode e = Grow()) return e;
  uint32_t r;
  if (f_) {
    r = free_[f_ - 1];
  } else {
    // Records written after the index was last saved (a run that ended
    // abnormally) lie past the numbers the index knows: never reuse them.
    r = std::max(next_, source_->Records());
    if (r >= kNoRecord - 1) return Fail(M_DATAFILE, E_DATAOUTBOUND);
  }
  uint32_t pos = 0;
  for (uint16_t k = 1; k <= key_count_; ++k) {
    if (ErrCode e = Insert(k, r, values[k - 1], n_, &pos)) {
      for (uint16_t j = 1; j < k; ++j) RemoveAt(j, FindIn(j, r, n_ + 1), n_ + 1);
      return e;
    }
  }
  if (f_) --f_;
  ++n_;
  next_ = std::max(next_, r + 1);
  cursor_ = pos;
  changed_ = true;
  *recno = r;
  return 0;
}

uint32_t IndexCtrl::FindIn(uint16_t k, uint32_t recno, uint32_t len) const {
  const uint32_t* list = List(k);
  const uint32_t* p = std::find(list, list + len, recno);
  return p == list + len ? kNoRecord : uint32_t(p - list);
}

StrRef IndexCtrl::Probe(uint32_t recno, uint16_t k) {
  return recno == pinned_ ? pinned_value_ : source_->KeyOf(recno, k);
}

uint32_t IndexCtrl::Locate(uint16_t k, uint32_t recno, StrRef was, uint32_t len) {
  uint32_t from = 0;
  if (was.ok() && !was.empty()) {
    // The record file may already hold the record's new bytes (an update
    // or a deletion is written before the index changes): its own probe
    // answers the value it is filed under.
    uint16_t klen = source_->KeyLen(k);
    pinned_ = recno;
    pinned_value_ = was.size() > klen ? StrRef(was.data(), klen) : was;
    IndexHit first;
    if (Bisect(k, was, len, INDEX_FIRST, &first) == 0 && first.status == INDEX_ON)
      from = first.position;
    pinned_ = kNoRecord;
    pinned_value_ = StrRef();
  }
  // From the first of the equal keys on, the number is among the next
  // entries; when the lists do not file the record under that value
  // (another station's change, a value from elsewhere) the scan goes on
  // round the whole list.
  const uint32_t* list = List(k);
  const uint32_t* p = std::find(list + from, list + len, recno);
  if (p != list + len) return uint32_t(p - list);
  p = std::find(list, list + from, recno);
  return p == list + from ? kNoRecord : uint32_t(p - list);
}

ErrCode IndexCtrl::Drop(uint32_t recno, const StrRef* was) {
  if (!loaded_) return E_FILENOTINIT;
  std::vector<uint32_t> at;
  try {
    at.resize(key_count_);
  } catch (const std::bad_alloc&) {
    return Fail(M_DATAFILE, E_OUTOFMEMORY);
  }
  for (uint16_t k = 1; k <= key_count_; ++k) {
    at[k - 1] = Locate(k, recno, was ? was[k - 1] : StrRef(), n_);
    if (at[k - 1] == kNoRecord) return Fail(M_DATAFILE, E_INDEXCMDERROR);
  }
  if (free_spare() == 0)
    if (ErrCode e = Grow()) return e;
  for (uint16_t k = key_count_; k >= 1; --k) RemoveAt(k, at[k - 1], n_);
  free_[f_++] = recno;
  --n_;
  changed_ = true;
  return 0;
}

ErrCode IndexCtrl::Rekey(uint32_t recno, uint16_t k, StrRef value, StrRef was) {
  if (!loaded_) return E_FILENOTINIT;
  if (k == 0 || k > key_count_) return E_DATAOUTBOUND;
  if (!value.ok()) return value.err();
  uint32_t at = Locate(k, recno, was, n_);
  if (at == kNoRecord) return Fail(M_DATAFILE, E_INDEXCMDERROR);
  // The new place among the other entries, after the equal keys; then only
  // the entries between the old and the new place move.
  IndexHit h;
  if (ErrCode e = Bisect(k, value, n_ - 1, INDEX_LAST, &h, at)) return e;
  uint32_t to = h.status == INDEX_ON ? h.position + 1 : h.position;
  uint32_t* list = List(k);
  if (to < at)
    std::memmove(list + to + 1, list + to, size_t(at - to) * 4);
  else if (to > at)
    std::memmove(list + at, list + at + 1, size_t(to - at) * 4);
  list[to] = recno;
  changed_ = true;
  return 0;
}

// The record layer's records seen as key values.

ErrCode StructKeys::Bind(uint16_t s, RecordReader reader) {
  const StructDef* st = StructAt(s);
  if (st == nullptr) return E_DATAOUTBOUND;
  if (reader.read == nullptr || reader.records == nullptr) return E_DATA;
  s_ = s;
  reader_ = reader;
  record_length_ = st->record_length;
  keys_ = st->keys;
  size_t longest = 0;
  for (const KeyDef& k : keys_) longest = std::max<size_t>(longest, k.Length());
  try {
    record_.assign(std::max<size_t>(record_length_, 1), ' ');
    key_.assign(std::max<size_t>(longest, 1), ' ');
  } catch (const std::bad_alloc&) {
    return Fail(M_DATAFILE, E_OUTOFMEMORY);
  }
  return 0;
}

StrRef StructKeys::KeyOf(uint32_t recno, uint16_t k) {
  if (k == 0 || k > keys_.size()) return StrRef::Fail(E_DATAOUTBOUND);
  const KeyDef& key = keys_[k - 1];
  if (reader_.read_part != nullptr && record_length_ != 0) {
    size_t at = 0;
    for (uint8_t i = 0; i < key.segment_count; ++i) {
      const KeySeg& g = key.seg[i];
      uint16_t inside = g.offset >= record_length_
                            ? 0
                            : uint16_t(std::min<uint32_t>(g.length, record_length_ - g.offset));
      if (inside)
        if (ErrCode e = reader_.read_part(s_, recno, g.offset, inside, key_.data() + at))
          return StrRef::Fail(e);
      std::memset(key_.data() + at + inside, ' ', g.length - inside);
      at += g.length;
    }
    return StrRef(key_.data(), static_cast<uint16_t>(at));
  }
  if (ErrCode e = reader_.read(s_, recno, record_.data())) return StrRef::Fail(e);
  size_t at = 0;
  for (uint8_t i = 0; i < key.segment_count; ++i) {
    const KeySeg& g = key.seg[i];
    for (uint16_t j = 0; j < g.length; ++j) {
      size_t src = size_t(g.offset) + j;
      key_[at++] = src < record_length_ ? record_[src] : ' ';
    }
  }
  return StrRef(key_.data(), static_cast<uint16_t>(at));
}

uint32_t StructKeys::Records() {
  return reader_.records ? reader_.records(s_) : 0;
}

uint16_t StructKeys::KeyLen(uint16_t k) {
  return k == 0 || k > keys_.size() ? 0 : keys_[k - 1].Length();
}

// By structure number.

namespace {

// The resolved structure, or 0 after reporting 168.
uint16_t Checked(uint16_t s) {
  s = StructResolve(s);
  if (CheckField(s, kStructOnly)) return 0;
  return s;
}

}  // namespace

IndexCtrl* IndexOf(uint16_t s) {
  s = StructResolve(s);
  if (s == 0 || s > StructCount() || s > kMaxStructs) return nullptr;
  return &Data().indexes.ctrl[s];
}

ErrCode IndexOpen(uint16_t s, StrRef name, RecordReader reader) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  StructKeys& keys = Data().indexes.keys[s];
  IndexCtrl& ctrl = Data().indexes.ctrl[s];
  if (ctrl.open()) (void)ctrl.Close();
  if (ErrCode e = keys.Bind(s, reader)) return e;
  uint16_t count = static_cast<uint16_t>(std::max<size_t>(StructAt(s)->keys.size(), 1));
  return ctrl.Open(name, count, &keys);
}

ErrCode IndexLoad(uint16_t s, bool from_start) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Load(from_start);
}

ErrCode IndexSave(uint16_t s) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Save();
}

ErrCode IndexClose(uint16_t s) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Close();
}

ErrCode IndexGrow(uint16_t s) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Grow();
}

ErrCode IndexSearch(uint16_t s, uint16_t k, StrRef value, IndexWhich which, IndexHit* hit) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Search(k, value, which, hit);
}

ErrCode IndexMove(uint16_t s, uint16_t k, uint8_t flags, IndexHit* hit) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  return Data().indexes.ctrl[s].Move(k, flags, hit);
}

uint32_t IndexRecno(uint16_t s, uint16_t k) {
  IndexCtrl* ctrl = IndexOf(s);
  return ctrl ? ctrl->Recno(k) : kNoRecord;
}

ErrCode IndexTake(uint16_t s, uint32_t* recno) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  IndexCtrl& ctrl = Data().indexes.ctrl[s];
  if (!ctrl.loaded()) return E_FILENOTINIT;
  ScratchFrame frame;
  std::vector<StrRef> values(ctrl.key_count());
  for (uint16_t k = 1; k <= ctrl.key_count(); ++k) values[k - 1] = KeyValue(s, k);
  return ctrl.Take(values.data(), recno);
}

ErrCode IndexDrop(uint16_t s, uint32_t recno) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  IndexCtrl& ctrl = Data().indexes.ctrl[s];
  if (!ctrl.loaded()) return E_FILENOTINIT;
  ScratchFrame frame;
  std::vector<StrRef> was;
  try {
    was.resize(ctrl.key_count());
  } catch (const std::bad_alloc&) {
    return Fail(M_DATAFILE, E_OUTOFMEMORY);
  }
  StrRef read = BufferHalf(s, HALF_READ);
  for (uint16_t k = 1; k <= ctrl.key_count(); ++k) was[k - 1] = KeyValue(s, k, read);
  return ctrl.Drop(recno, was.data());
}

ErrCode IndexRekey(uint16_t s, uint32_t recno) {
  if ((s = Checked(s)) == 0) return E_DATAOUTBOUND;
  IndexCtrl& ctrl = Data().indexes.ctrl[s];
  if (!ctrl.loaded()) return E_FILENOTINIT;
  for (uint16_t k = 1; k <= ctrl.key_count(); ++k) {
    ScratchFrame frame;
    StrRef now = KeyValue(s, k, BufferHalf(s, HALF_CURRENT));
    StrRef was = KeyValue(s, k, BufferHalf(s, HALF_READ));
    if (!now.ok()) return now.err();
    if (!was.ok()) return was.err();
    if (now == was) continue;
    if (ErrCode e = ctrl.Rekey(recno, k, now, was)) return e;
  }
  return 0;
}

}  // namespace tol
