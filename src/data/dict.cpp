// The structure dictionary: definition of structures, fields and keys, the
// loader of DICC.DAT and REL.DAT (with includes and default keys), and the
// name and reference lookups.
#include "data/dict.h"

#include <cstring>
#include <string_view>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/data.h"
#include "data/record.h"
#include "data/streams.h"
#include "host/fs.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

constexpr uint16_t kLineMax = 512;  // longest dictionary line accepted
constexpr uint8_t kIncludeDepth = 8;
constexpr uint16_t kAuxExactNames = 8;  // _AUXSTAT: names keep their case

StructDef* MutableStruct(uint16_t s) {
  auto& t = Dict().structs;
  return s >= 1 && s <= t.size() ? &t[s - 1] : nullptr;
}

bool IsDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

// The n bytes at pos as a decimal number; -1 unless all are digits.
int32_t Digits(StrRef line, uint16_t pos, uint16_t n) {
  if (pos + n > line.size()) return -1;
  int32_t v = 0;
  for (uint16_t i = pos; i < pos + n; ++i) {
    if (!IsDigit(line[i])) return -1;
    v = v * 10 + (line[i] - '0');
  }
  return v;
}

StrRef TrimRight(StrRef t) {
  return Trim(t, TRIM_RIGHT);
}

std::string NameForTable(StrRef name) {
  if (SysTest(_AUXSTAT, kAuxExactNames)) return name.str();
  ScratchFrame frame;
  return Lower(name).str();
}

void DefaultKey(StructDef& st) {
  const DictTables& d = Dict();
  KeyDef k;
  k.segment_count = 1;
  k.seg[0].offset = 0;
  k.seg[0].length = 0;
  for (uint16_t f = 0; f < st.field_count; ++f) {
    const FieldDef& fd = d.fields[st.first_field + f];
    if (fd.name == "N_LINE") {
      k.seg[0].length = static_cast<uint16_t>(fd.offset + fd.width);
      break;
    }
    if (f == 0) k.seg[0].length = fd.width;
  }
  st.keys.push_back(k);
}

// Reads lines of at most kLineMax bytes, ended by CR LF, CR or LF, from a
// stream or from memory; a Ctrl-Z alone at the end of the data ends it.
// The stream is read in fixed chunks so that an overlong line is seen as
// such instead of coming back in pieces.
class LineReader {
 public:
  explicit LineReader(std::string_view mem) : mem_(mem) {}
  explicit LineReader(uint16_t handle) : handle_(handle) {}

  enum Result { LINE, END, TOO_LONG };

  Result Next(StrRef* line) {
    for (;;) {
      const char* p = buf_ + start_;
      size_t avail = end_ - start_;
      size_t i = 0;
      while (i < avail && p[i] != '\r' && p[i] != '\n') ++i;
      if (i > kLineMax) return TOO_LONG;
      if (i < avail) {
        size_t term = 1;
        if (p[i] == '\r') {
          if (i + 1 == avail && !eof_) {
            Fill();
            continue;  // whether an LF follows is not known yet
          }
          if (i + 1 < avail && p[i + 1] == '\n') term = 2;
        }
        *line = StrRef(p, static_cast<uint16_t>(i));
        start_ += i + term;
        ++number_;
        return LINE;
      }
      if (!eof_) {
        Fill();
        continue;
      }
      if (avail == 0 || (avail == 1 && p[0] == 26)) return END;
      *line = StrRef(p, static_cast<uint16_t>(avail));
      start_ = end_;
      ++number_;
      return LINE;
    }
  }
  uint32_t number() const { return number_; }

 private:
  // Moves what is left to the front and reads more behind it; a read that
  // fails ends the data like the end of the file.
  void Fill() {
    std::memmove(buf_, buf_ + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
    size_t want = sizeof buf_ - end_;
    int64_t got;
    if (handle_ != kStreamFail) {
      uint16_t n = StreamRead(handle_, STREAM_HERE, static_cast<uint16_t>(want), buf_ + end_,
                              static_cast<uint16_t>(want));
      got = n == kStreamFail ? 0 : n;
    } else {
      got = static_cast<int64_t>(std::min(want, mem_.size() - mem_pos_));
      std::memcpy(buf_ + end_, mem_.data() + mem_pos_, static_cast<size_t>(got));
      mem_pos_ += static_cast<size_t>(got);
    }
    if (got == 0) eof_ = true;
    end_ += static_cast<size_t>(got);
  }

  uint16_t handle_ = kStreamFail;
  std::string_view mem_;
  size_t mem_pos_ = 0;
  char buf_[4096];
  size_t start_ = 0, end_ = 0;
  bool eof_ = false;
  uint32_t number_ = 0;
};

// One run of the loader: a main dictionary (with the includes it names)
// and its relation file.
struct LoadRun {
  StrRef folders;
  StrRef default_folder;
  uint8_t depth = 0;
  std::string chain;  // prefixes being loaded, for include cycles
};

std::string FindFile(StrRef folders, StrRef name) {
  std::string bare = name.str();
  if (host::Exists(bare)) return bare;
  ScratchFrame frame;
  uint16_t n = ListCount(folders, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    StrRef dir = Trim(ListItem(folders, ',', i));
    if (dir.empty()) continue;
    std::string path = dir.str();
    if (path.back() != '\\' && bare.front() != '\\') path += '\\';
    path += bare;
    if (host::Exists(path)) return path;
  }
  return std::string();
}

ErrCode LoadDictionary(LoadRun& run, StrRef prefix);

// Lines read from one file; stops at the first failure.  *last_kind is the
// kind (0 structure or field, 1 key, 2 relation) of the last line handled.
struct LineResult {
  ErrCode code = 0;
  bool reported = false;  // the failure already carries its own detail
};

LineResult HandleLine(LoadRun& run, StrRef line, uint16_t* base, int* last_kind) {
  if (Trim(line).empty()) return {};
  int32_t nn = Digits(line, 0, 2);
  if (nn < 0) nn = 0;
  if (nn > 90) return {};
  int kind = nn == 0 ? 0 : (nn - 1) / 30;
  uint16_t target = static_cast<uint16_t>(*base + (nn - 1) % 30 + 1);
  *last_kind = kind;

  if (kind == 1) {
    if (target > StructCount()) return {E_DATA};
    uint16_t lt = FindByte(line, '<');
    if (lt == kNpos) return {E_LOADSTRERROR};
    KeySeg segs[kMaxSegments];
    uint8_t count = 0;
    for (uint16_t pos = lt + 1; pos + 1 < line.size() && count < kMaxSegments; pos += 7) {
      int32_t at = Digits(line, pos, 4), len = Digits(line, pos + 4, 3);
      if (at < 1 || len < 0) return {E_LOADSTRERROR};
      segs[count++] = {static_cast<uint16_t>(at - 1), static_cast<uint16_t>(len)};
    }
    return {KeyDefine(target, segs, count)};
  }
  if (kind == 2) {
    if (target > StructCount()) return {E_BADFILENUMBER};
    uint16_t colon = FindByte(line, ':');
    if (colon == kNpos) return {};
    return {RelationAppend(target, Slice(line, colon + 1))};
  }

  uint16_t star = FindByte(line, '*');
  if (star == kNpos) {
    // Field line: width in columns 9-11, type in 13, name from 14.
    int32_t width = Digits(line, 9, 3);
    if (width < 0 || line.size() < 14) return {E_LOADSTRERROR};
    return {FieldDefine(TrimRight(Slice(line, 14)), static_cast<uint16_t>(width), line[13])};
  }
  uint16_t star2 = FindByte(line, '*', star + 1);
  StrRef folder = Slice(line, star + 1, star2 == kNpos ? kNpos : star2 - star - 1);
  StrRef item3;
  if (star2 != kNpos) {
    uint16_t star3 = FindByte(line, '*', star2 + 1);
    item3 = Slice(line, star2 + 1, star3 == kNpos ? kNpos : star3 - star2 - 1);
  }
  StrRef name = TrimRight(Slice(item3, 2));
  if (FindByte(folder, '$') != kNpos) {
    if (name.size() < 2) return {E_LOADSTRERROR};
    ErrCode rc = LoadDictionary(run, Slice(name, 0, 2));
    if (rc) return {rc, true};
    *base = static_cast<uint16_t>(StructCount() - 1);
    return {};
  }
  folder = TrimRight(folder);
  if (folder.empty()) folder = run.default_folder;
  int32_t given = ToInteger(Slice(item3, 0, 2));
  return {StructDefine(static_cast<uint8_t>(given < 0     ? 0
                                            : given > 255 ? 255
                                                          : given),
                       name, folder)};
}

// Reads every line of one file; the failure of a line is recorded against
// DataFile with the file name and the line number as detail.
ErrCode ReadLines(LoadRun& run, LineReader& in, StrRef file_name, uint16_t base, int* last_kind) {
  for (;;) {
    ScratchFrame frame;
    StrRef line;
    LineReader::Result r = in.Next(&line);
    if (r == LineReader::END) return 0;
    LineResult res;
    if (r == LineReader::LINE) {
      res = HandleLine(run, line, &base, last_kind);
    } else {
      res.code = E_LOADSTRERROR;  // a line longer than kLineMax
    }
    if (res.code == 0) continue;
    if (!res.reported) {
      uint32_t at = in.number() + (r == LineReader::LINE ? 0 : 1);
      SetDetail(0, Concat(file_name, Wrap(IntToText(at), '(')));
      Fail(M_DATAFILE, res.code);
    }
    return res.code;
  }
}

// One file, found through the folder list.  A missing main dictionary is
// 164 with the name and the folder list as detail; a missing relation
// file is nothing.
ErrCode ReadFile(LoadRun& run, StrRef name, bool required, uint16_t base, int* last_kind) {
  std::string path = FindFile(run.folders, name);
  uint16_t h = kStreamFail;
  if (!path.empty()) h = StreamOpen(StrRef::Of(path), OPEN_READONLY | OPEN_QUIET);
  if (h >= E_TYPES) {
    if (!required) return 0;
    ScratchFrame frame;
    SetDetail(0, Concat(Concat(name, " "), Wrap(run.folders, '[')));
    return Fail(M_DATAFILE, E_FILENOTFOUND);
  }
  LineReader in(h);
  ErrCode rc = ReadLines(run, in, StrRef::Of(path), base, last_kind);
  StreamClose(h);
  return rc;
}

ErrCode LoadDictionary(LoadRun& run, StrRef prefix) {
  std::string pre = Slice(prefix, 0, 2).str();
  std::string upper = pre;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  for (size_t i = 0; i < run.chain.size(); i += 2) {
    if (run.chain.compare(i, 2, upper) == 0 || run.depth >= kIncludeDepth) {
      // A dictionary that includes itself, directly or not, would never end.
      SetDetail(0, StrRef::Of(pre + "DICC.DAT"));
      return Fail(M_DATAFILE, E_LOADSTRERROR);
    }
  }
  run.chain += upper;
  ++run.depth;
  uint16_t base = StructCount();
  int last_kind = 0;
  ErrCode rc = ReadFile(run, StrRef::Of(pre + "DICC.DAT"), true, base, &last_kind);
  if (rc == 0 && run.depth == 1 && last_kind == 0) DefaultKeysUpTo(StructCount());
  if (rc == 0) rc = ReadFile(run, StrRef::Of(pre + "REL.DAT"), false, base, &last_kind);
  --run.depth;
  run.chain.resize(run.chain.size() - 2);
  return rc;
}

}  // namespace

uint16_t KeyDef::Length(uint8_t count) const {
  uint16_t n = 0;
  for (uint8_t i = 0; i < segment_count && i < count; ++i) n += seg[i].length;
  return n;
}

ErrCode StructDefine(uint8_t given, StrRef name, StrRef folder) {
  DictTables& d = Dict();
  if (d.structs.size() >= kMaxStructs) return E_FILEOUTBOUND;
  if (d.structs.empty()) d.last_keyed = 0;
  StructDef st;
  st.number = static_cast<uint8_t>(d.structs.size() + 1);
  st.given = given;
  st.first_field = static_cast<uint16_t>(d.fields.size());
  st.name = NameForTable(name);
  st.folder = folder.str();
  d.structs.push_back(std::move(st));
  BufferForget(static_cast<uint16_t>(d.structs.size()));
  return 0;
}

ErrCode FieldDefine(StrRef name, uint16_t width, uint8_t type) {
  DictTables& d = Dict();
  if (d.structs.empty()) return E_FILEOUTBOUND;
  StructDef& st = d.structs.back();
  if (d.fields.size() >= 0xFFFE || st.field_count >= 0xFFFE) return E_FILEOUTBOUND;
  if (width > kMaxFieldWidth || uint32_t{st.record_length} + width > kMaxRecord)
    return E_DATAOUTBOUND;
  FieldDef f;
  f.structure = st.number;
  f.number = static_cast<uint16_t>(st.field_count + 1);
  f.offset = st.record_length;
  f.width = width;
  f.type = type;
  f.name = name.str();
  d.fields.push_back(std::move(f));
  ++st.field_count;
  st.record_length = static_cast<uint16_t>(st.record_length + width);
  return 0;
}

void DefaultKeysUpTo(uint16_t s) {
  DictTables& d = Dict();
  if (s > d.structs.size()) s = static_cast<uint16_t>(d.structs.size());
  for (uint16_t i = static_cast<uint16_t>(d.last_keyed + 1); i <= s; ++i) {
    if (d.structs[i - 1].keys.empty()) DefaultKey(d.structs[i - 1]);
  }
  if (s > d.last_keyed) d.last_keyed = s;
}

ErrCode KeyDefine(uint16_t s, const KeySeg* segs, uint8_t count) {
  DictTables& d = Dict();
  if (s < 1 || s > d.structs.size() || count > kMaxSegments) return E_DATA;
  StructDef& st = d.structs[s - 1];
  if (st.keys.size() >= 0xFFFE) return E_DATAOUTBOUND;
  DefaultKeysUpTo(static_cast<uint16_t>(s - 1));
  KeyDef k;
  k.segment_count = count;
  for (uint8_t i = 0; i < count; ++i) k.seg[i] = segs[i];
  st.keys.push_back(k);
  if (s > d.last_keyed) d.last_keyed = s;
  return 0;
}

ErrCode RelationAppend(uint16_t s, StrRef text) {
  StructDef* st = MutableStruct(s);
  if (st == nullptr) return E_BADFILENUMBER;
  if (st->relations.size() + 1 + text.size() > 0xFFFF) return E_STRINGTOOLONG;
  st->relations += ':';
  st->relations.append(text.view());
  return 0;
}

ErrCode DictLoad(StrRef folders, StrRef prefix, StrRef default_folder) {
  LoadRun run;
  run.folders = folders;
  run.default_folder = default_folder;
  return LoadDictionary(run, prefix);
}

ErrCode DictLoadText(StrRef file_name, std::string_view text, StrRef folders,
                     StrRef default_folder) {
  LoadRun run;
  run.folders = folders;
  run.default_folder = default_folder;
  run.depth = 1;
  LineReader in(text);
  int last_kind = 0;
  ErrCode rc = ReadLines(run, in, file_name, StructCount(), &last_kind);
  if (rc == 0 && last_kind == 0) DefaultKeysUpTo(StructCount());
  return rc;
}

uint16_t StructCount() {
  return static_cast<uint16_t>(Dict().structs.size());
}

const StructDef* StructAt(uint16_t s) {
  return MutableStruct(s);
}

const FieldDef* FieldAt(uint16_t s, uint16_t f) {
  const StructDef* st = StructAt(s);
  if (st == nullptr || f < 1 || f > st->field_count) return nullptr;
  return &Dict().fields[st->first_field + f - 1];
}

const KeyDef* KeyAt(uint16_t s, uint16_t k) {
  const StructDef* st = StructAt(s);
  if (st == nullptr || k < 1 || k > st->keys.size()) return nullptr;
  return &st->keys[k - 1];
}

uint16_t StructResolve(uint16_t s) {
  if (s == 0 || s > StructCount()) return static_cast<uint16_t>(SysGet(_CURFIL));
  return s;
}

uint16_t StructFind(StrRef text) {
  if (!text.ok()) return 0;
  if (text.empty()) return static_cast<uint16_t>(SysGet(_CURFIL));
  if (text[0] > 64) {
    ScratchFrame frame;
    StrRef key = SysTest(_AUXSTAT, kAuxExactNames) ? text : Lower(text);
    const auto& t = Dict().structs;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i].name == key.view()) return static_cast<uint16_t>(i + 1);
    }
    return 0;
  }
  int32_t n = ToInteger(text);
  return static_cast<uint16_t>(n < 0 || n > 0xFFFF ? 0 : n);
}

uint16_t FieldFind(uint16_t s, StrRef name) {
  const StructDef* st = StructAt(s);
  if (st == nullptr || !name.ok()) return kNpos;
  const auto& fields = Dict().fields;
  for (uint16_t f = 0; f < st->field_count; ++f) {
    if (fields[st->first_field + f].name == name.view()) return static_cast<uint16_t>(f + 1);
  }
  return kNpos;
}

uint16_t KeyGlobalIndex(uint16_t s, uint16_t k) {
  uint32_t n = 0;
  for (uint16_t i = 1; i < s && i <= StructCount(); ++i) n += StructAt(i)->keys.size();
  return static_cast<uint16_t>(n + k - 1);
}

StrRef StructRelations(uint16_t s) {
  const StructDef* st = StructAt(s);
  return st ? StrRef::Of(st->relations) : StrRef();
}

ErrCode FieldRefParse(StrRef text, FieldRef* out) {
  *out = FieldRef();
  if (!text.ok()) return text.err();
  uint16_t open = FindByte(text, '{');
  auto bad = [&](ErrCode code) {
    ScratchFrame frame;
    SetDetail(0, Concat("Field:", text));
    return code;
  };
  if (open == kNpos || text.size() < 2 || text[text.size() - 1] != '}' ||
      FindByte(text, '}') != text.size() - 1) {
    return bad(E_SINTAXERROR);
  }
  uint16_t s = StructFind(Slice(text, open + 1, static_cast<uint16_t>(text.size() - open - 2)));
  if (s < 1 || s > StructCount()) return bad(E_FILEOUTBOUND);
  StrRef part = Slice(text, 0, open);
  uint16_t f = 0;
  if (!part.empty()) {
    f = FieldFind(s, part);
    if (f == kNpos) {
      int32_t n = 0;
      for (uint16_t i = 0; i < part.size(); ++i) {
        if (!IsDigit(part[i]) || n > 0xFFFF) return bad(E_SINTAXERROR);
        n = n * 10 + (part[i] - '0');
      }
      f = static_cast<uint16_t>(n > 0xFFFE ? 0xFFFE : n);
    }
  }
  out->structure = s;
  out->field = f;
  return 0;
}

StrRef FieldRefText(uint16_t s, uint16_t f) {
  const FieldDef* fd = FieldAt(s, f);
  if (fd == nullptr) return StrRef::Fail(CheckField(s, f));
  // A name that would not lead back to this field (empty, or an earlier
  // field's) is written as the number, so the reference always round-trips.
  StrRef name = StrRef::Of(fd->name);
  bool by_name = !name.empty() && FieldFind(s, name) == f && FindByte(name, '{') == kNpos &&
                 FindByte(name, '}') == kNpos;
  ScratchFrame frame;
  return frame.Keep(Concat(by_name ? name : IntToText(f), Wrap(IntToText(s), '{')));
}

StrRef StructNames() {
  ScratchFrame frame;
  std::string all;
  for (const StructDef& st : Dict().structs) {
    if (!all.empty()) all += ',';
    all += st.name;
  }
  if (all.size() > 0xFFFF) return StrRef::Fail(E_STRINGTOOLONG);
  return frame.Keep(StrRef::Of(all));
}

ErrCode CheckField(uint16_t s, uint16_t f) {
  const StructDef* st = StructAt(s);
  if (st != nullptr && (f == kStructOnly || (f >= 1 && f <= st->field_count))) return 0;
  ScratchFrame frame;
  SetDetail(0, FormatMessage(64, "(File:%u, Field:%u)", static_cast<unsigned>(s),
                             static_cast<unsigned>(f)));
  return E_DATAOUTBOUND;
}

ErrCode CheckKey(uint16_t s, uint16_t k) {
  const StructDef* st = StructAt(s);
  if (st != nullptr && k >= 1 && k <= st->keys.size()) return 0;
  ScratchFrame frame;
  SetDetail(0, FormatMessage(64, "(File:%u, Field:%u)", static_cast<unsigned>(s),
                             static_cast<unsigned>(k)));
  return E_DATAOUTBOUND;
}

}  // namespace tol
