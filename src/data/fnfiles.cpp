// READ$, WRITE, FILESEL and FN#FLEN.
#include "data/fnfiles.h"

#include "core/core.h"
#include "core/text.h"
#include "data/access.h"
#include "data/datafile.h"
#include "data/dict.h"
#include "data/streams.h"
#include "lang/exprfile.h"
#include "lang/fntext.h"
#include "lang/functions.h"
#include "lang/lang.h"

namespace tol {

namespace {

// WRITE's file offsets that are not positions.
constexpr int64_t kWriteAppend = -1, kWriteVariables = -2, kWriteReplace = -3;

bool IsHandle(const FnCall& c, int64_t* h) {
  ArgVal v = ArgValue(c, 1);
  if (v.kind != ARG_NUMBER) return false;
  return ArgInteger(c, 1, 0, h) == E_OK;
}

// READ$(name or handle; offset; count): a named file's bytes (count -1 to
// the end); from a handle count -1 reads the next line, from the current
// position when no offset is given; count 0 asks whether it is at its end.
// Any failure gives the empty text.
ErrCode FnRead(const FnCall& c) {
  int64_t offset, count, h;
  if (ErrCode e = ArgInteger(c, 2, 0, &offset)) return e;
  if (ErrCode e = ArgInteger(c, 3, -1, &count)) return e;
  if (count < -1 || count > 0xFFFE) return ResultText(StrRef());
  if (IsHandle(c, &h)) {
    if (h < 0 || h > 0xFFFF) return ResultText(StrRef());
    if (count == 0) return ResultInteger(StreamAtEnd(static_cast<uint16_t>(h)) ? 1 : 0);
    int64_t at = ArgPresent(c, 2) ? offset : STREAM_HERE;
    StrRef r = StreamReadBlock(static_cast<uint16_t>(h), at,
                               count == -1 ? kLineMode : static_cast<uint16_t>(count));
    return ResultText(r.ok() ? r : StrRef());
  }
  StrRef name = ArgText(c, 1);
  if (!name.ok()) return name.err();
  StrRef r = FileLoad(name, offset, count == -1 ? kToEnd : static_cast<uint16_t>(count));
  return ResultText(r.ok() ? r : StrRef());
}

// WRITE(target; offset; text): the result code.
ErrCode FnWrite(const FnCall& c) {
  if (ErrCode e = CheckCount(c, 3, 3)) return e;
  int64_t offset, h;
  if (ErrCode e = ArgInteger(c, 2, 0, &offset)) return e;
  StrRef text = ArgAsText(c, 3);
  if (!text.ok()) return text.err();
  ErrCode r;
  if (IsHandle(c, &h)) {
    if (h < 0 || h > 0xFFFF) return E_BADFILENUMBER;
    r = StreamWriteText(static_cast<uint16_t>(h), offset, text);
  } else {
    StrRef name = ArgText(c, 1);
    if (!name.ok()) return name.err();
    if (offset == kWriteVariables) {
      r = SaveVariablesToFile(name, text);
    } else {
      int64_t at = offset == kWriteReplace  ? STREAM_REPLACE
                   : offset == kWriteAppend ? STREAM_HERE
                                            : offset;
      if (at < STREAM_REPLACE) return E_DATA;
      r = FileStoreChecked(name, at, text.data(), text.size());
    }
  }
  if (r >= 128) return r;
  return ResultInteger(r);
}

// FILESEL(name or handle; flags): a text and flags opens a stream (the
// handle); a number closes that stream; a text alone selects a record-file
// set ("RESTORE" the previous one).
ErrCode FnFileSel(const FnCall& c) {
  int64_t h;
  if (IsHandle(c, &h)) {
    if (h > 2 && h <= 0xFFFF) StreamClose(static_cast<uint16_t>(h));
    return ResultInteger(0);
  }
  StrRef name = ArgText(c, 1);
  if (!name.ok()) return name.err();
  if (!ArgPresent(c, 2)) {
    ErrCode r = FileSelect(name);
    return r >= 128 ? r : ResultInteger(r);
  }
  int64_t flags;
  if (ErrCode e = ArgInteger(c, 2, 1, &flags)) return e;
  uint16_t handle = StreamOpen(name, static_cast<uint8_t>(flags));
  if (handle == kStreamFail) {
    ErrCode last = LastErrorCode();
    return last >= 128 ? last : E_FILENOTFOUND;
  }
  return ResultInteger(handle);
}

// FN#FLEN(name): the records of the record file of that name, else the
// size in bytes of the disk file.
ErrCode FnFileLength(const FnCall& c) {
  StrRef name = ArgText(c, 1);
  if (!name.ok()) return name.err();
  uint16_t s =
      name.size() && ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') ? StructFind(name) : 0;
  if (s) {
    ErrCode err = E_OK;
    uint32_t n = FileCount(s, 1, StrRef(), StrRef(), StrRef(), &err);
    if (err >= 128) return err;
    return ResultInteger(n);
  }
  return ResultInteger(FileSize(name));
}

int32_t FileWritten(StrRef name, uint8_t form) {
  return FileTime(name, FILETIME_WRITTEN, form);
}

}  // namespace

void ConnectFileFunctions() {
  SetLayerFunction(FN_READ, FnRead);
  SetLayerFunction(FN_WRITE, FnWrite);
  SetLayerFunction(FN_FILESEL, FnFileSel);
  SetLayerFunction(FN_FLEN, FnFileLength);
  Lang().expr.hooks.file_time = FileWritten;
}

}  // namespace tol
