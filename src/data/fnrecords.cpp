// FILEFIND, FILELOCATE, KEY$, IER and SORT$.  A status below 128 is the
// function's numeric value; 128 and above is the call's failure.
#include "data/fnrecords.h"

#include "core/core.h"
#include "core/text.h"
#include "data/access.h"
#include "data/datafile.h"
#include "data/dict.h"
#include "data/locallist.h"
#include "data/record.h"
#include "lang/fntext.h"
#include "lang/functions.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

constexpr uint8_t kFindNew = 0x01, kFindNext = 0x02, kFindInsert = 0x04, kFindWalk = 0x08;
constexpr uint16_t kCodeDelete = 0x0642, kCodeNone = 0x00FF;

ErrCode Status(ErrCode r) {
  return r >= 128 ? r : ResultInteger(r);
}

// The structure argument i: a number (0 and absent mean the current
// structure); a text is 128 through ArgInteger.
ErrCode StructArg(const FnCall& c, uint16_t i, uint16_t* s) {
  int64_t v;
  if (ErrCode e = ArgInteger(c, i, kCurrentStruct, &v)) return e;
  if (v < 0 || v > kCurrentStruct) return E_DATAOUTBOUND;
  *s = static_cast<uint16_t>(v);
  return E_OK;
}

// A key argument: 0 or absent is the active key.
ErrCode KeyArg(const FnCall& c, uint16_t i, uint16_t* k) {
  int64_t v;
  if (ErrCode e = ArgInteger(c, i, 0, &v)) return e;
  if (v < 0 || v > 0xFFFE) return E_DATAOUTBOUND;
  *k = v == 0 ? 0xFFFF : static_cast<uint16_t>(v);
  return E_OK;
}

// The command code of a record command word; 147 with the word as detail
// for a word that is none.
ErrCode RecordCommand(StrRef word, uint16_t* code) {
  *code = CommandCode(word);
  if (*code != kCodeNone) return E_OK;
  SetDetail(0, word);
  return E_SINTAXERROR;
}

// FILEFIND(key; file; index; flags).  Flag 8 walks from the first record
// one record forward; otherwise the search, with flag 1 preparing a new
// record on a miss, flag 2 taking the next greater key, and flag 4
// inserting a record with the key when the search ends past the last key.
// After an insert the value is the insert's status (0, or 6 when the key
// was there already).
ErrCode FnFileFind(const FnCall& c) {
  if (ErrCode e = CheckCount(c, 1, 4)) return e;
  uint16_t s, k;
  int64_t flags;
  if (ErrCode e = StructArg(c, 2, &s)) return e;
  if (ErrCode e = KeyArg(c, 3, &k)) return e;
  if (ErrCode e = ArgInteger(c, 4, 0, &flags)) return e;
  if (flags & kFindWalk) {
    ErrCode r = FileMove(s, NAV_TOP);
    if (r == ST_ON_RECORD) r = FileMove(s, NAV_NEXT);
    if (r == ST_ON_RECORD) r = FileInRange(s, NAV_NEXT, StrRef());
    return Status(r);
  }
  StrRef value = ArgAsText(c, 1);
  if (!value.ok()) return value.err();
  ErrCode r = FileFind(s, k, value, static_cast<uint8_t>(flags & (kFindNew | kFindNext)));
  if (r == ST_PAST && (flags & kFindInsert) && !value.empty()) {
    DataFileCtrl* ctrl = FileCtrl(s);
    if (ErrCode e = KeySpread(s, ctrl->active_key, value)) return e;
    r = FileInsert(s);
  }
  return Status(r);
}

// FILELOCATE(command; file): DEL deletes the current record, every other
// command word moves by its navigation flags.  A word that is no record
// command is 147.
ErrCode FnFileLocate(const FnCall& c) {
  if (ErrCode e = CheckCount(c, 0, 2)) return e;
  StrRef word = ArgText(c, 1, "NXT");
  if (!word.ok()) return word.err();
  uint16_t s;
  if (ErrCode e = StructArg(c, 2, &s)) return e;
  uint16_t code;
  if (ErrCode e = RecordCommand(word, &code)) return e;
  if (code == kCodeDelete) return Status(FileDelete(s, 0));
  return Status(FileMove(s, static_cast<uint8_t>(code & 0xFF)));
}

// KEY$(file; index; part; buffer): the key of the record in the buffer's
// half, cut to the length of its first `part` segments (all for 0); the
// empty text when the structure has no open record buffer.
ErrCode FnKey(const FnCall& c) {
  if (ErrCode e = CheckCount(c, 0, 4)) return e;
  uint16_t s, k;
  int64_t part, half;
  if (ErrCode e = StructArg(c, 1, &s)) return e;
  if (ErrCode e = KeyArg(c, 2, &k)) return e;
  if (ErrCode e = ArgInteger(c, 3, 0, &part)) return e;
  if (ErrCode e = ArgInteger(c, 4, HALF_CURRENT, &half)) return e;
  DataFileCtrl* ctrl = FileCtrl(s);
  if (ctrl == nullptr) return ResultText(StrRef());
  s = StructResolve(s);
  if (k == 0xFFFF) k = ctrl->active_key;
  if (ErrCode e = CheckKey(s, k)) return e;
  if (half != HALF_CURRENT && half != HALF_READ) return E_DATAOUTBOUND;
  if (part < 0 || part > 0xFFFF) return E_DATAOUTBOUND;
  StrRef record = BufferHalf(s, static_cast<uint8_t>(half));
  if (!record.ok()) return ResultText(StrRef());
  StrRef key = KeyValue(s, k, record);
  if (!key.ok()) return key.err();
  uint16_t length = KeyLength(s, k, static_cast<uint16_t>(part));
  return ResultText(StrRef(key.data(), length < key.size() ? length : key.size()));
}

// IER(file): the structure's last status.
ErrCode FnIer(const FnCall& c) {
  if (ErrCode e = CheckCount(c, 0, 1)) return e;
  uint16_t s;
  if (ErrCode e = StructArg(c, 1, &s)) return e;
  DataFileCtrl* ctrl = FileCtrl(s);
  if (ctrl == nullptr) return E_DATAOUTBOUND;
  return ResultInteger(ctrl->status);
}

// The list named by argument 2, checked against the live lists.
ErrCode ListArg(const FnCall& c, LocalList* list) {
  StrRef text = ArgText(c, 2);
  if (!text.ok()) return text.err();
  return ListFromText(text, list);
}

// ADD's and MOVE's answer: a failure, or the code kept in _IER and the
// list's handle as the value.
ErrCode ListResult(ErrCode r, const LocalList& list) {
  if (r >= 128) return r;
  SysSet(_IER, static_cast<int16_t>(r));
  return ResultText(ListToText(list));
}

// SORT$(command; ...): NEW; a; b; flags gives a new list's handle; ADD;
// handle; item and MOVE; handle; word give the handle again (a list that
// grew has a new one; MOVE keeps its result in _IER, and so does ADD, so
// that a refused duplicate can be seen); GET; handle the item at the
// cursor; KILL; handle frees the list.  Any other first argument is a list
// sorted in one call with the flags of the second.
ErrCode FnSort(const FnCall& c) {
  StrRef word = ArgAsText(c, 1);
  if (!word.ok()) return word.err();
  LocalList list;
  if (Equal(word, "NEW")) {
    if (ErrCode e = CheckCount(c, 2, 4)) return e;
    int64_t a, b, flags;
    if (ErrCode e = ArgInteger(c, 2, 0, &a)) return e;
    if (ErrCode e = ArgInteger(c, 3, 0, &b)) return e;
    if (ErrCode e = ArgInteger(c, 4, 0, &flags)) return e;
    if (a < 0 || a > 0xFFFF || b < 0 || b > 0xFFFF) return E_DATA;
    if (ErrCode e = ListNew(static_cast<uint16_t>(a), static_cast<uint16_t>(b),
                            static_cast<uint8_t>(flags), &list))
      return e;
    return ResultText(ListToText(list));
  }
  if (Equal(word, "ADD")) {
    if (ErrCode e = CheckCount(c, 3, 3)) return e;
    if (ErrCode e = ListArg(c, &list)) return e;
    StrRef item = ArgAsText(c, 3);
    if (!item.ok()) return item.err();
    return ListResult(ListAdd(&list, item), list);
  }
  if (Equal(word, "MOVE")) {
    if (ErrCode e = CheckCount(c, 3, 3)) return e;
    if (ErrCode e = ListArg(c, &list)) return e;
    StrRef move = ArgText(c, 3);
    if (!move.ok()) return move.err();
    uint16_t code;
    if (ErrCode e = RecordCommand(move, &code)) return e;
    return ListResult(ListMove(&list, static_cast<uint8_t>(code & 0xFF)), list);
  }
  if (Equal(word, "GET")) {
    if (ErrCode e = CheckCount(c, 2, 2)) return e;
    if (ErrCode e = ListArg(c, &list)) return e;
    return ResultText(ListGet(list));
  }
  if (Equal(word, "KILL")) {
    if (ErrCode e = CheckCount(c, 2, 2)) return e;
    if (ErrCode e = ListArg(c, &list)) return e;
    if (ErrCode e = ListFree(&list)) return e;
    return ResultText(StrRef());
  }
  if (ErrCode e = CheckCount(c, 1, 2)) return e;
  int64_t flags;
  if (ErrCode e = ArgInteger(c, 2, 0, &flags)) return e;
  StrRef sorted = ListSort(word, static_cast<uint8_t>(flags));
  if (!sorted.ok()) return sorted.err();
  return ResultText(sorted);
}

}  // namespace

void ConnectRecordFunctions() {
  SetLayerFunction(FN_FILEFIND, FnFileFind);
  SetLayerFunction(FN_FILELOCATE, FnFileLocate);
  SetLayerFunction(FN_KEY, FnKey);
  SetLayerFunction(FN_IER, FnIer);
  SetLayerFunction(FN_SORT, FnSort);
}

}  // namespace tol
