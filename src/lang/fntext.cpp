// Text, list, number, date and time functions.  Each reads its arguments
// through the accessors of lang/functions.h and pushes one value.
#include "lang/fntext.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "format/dates.h"
#include "format/mask.h"
#include "format/times.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/variables.h"

namespace tol {

namespace {

constexpr uint8_t kComma = 44, kApostrophe = 39;

// A character argument: a number is its code, a text its first byte.
uint8_t CharArg(const FnCall& c, uint16_t i, uint8_t def) {
  ArgVal v = ArgValue(c, i);
  if (v.kind == ARG_NUMBER) return static_cast<uint8_t>(NumberToInteger(v.number) & 0xFF);
  if (v.kind == ARG_TEXT && v.text.size()) return v.text[0];
  return def;
}

// Every run of blanks outside quotes made one blank.
StrRef CollapseBlanks(StrRef t) {
  ScratchMark m = Scratch().Mark();
  StrRef r = Copy(t);
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  uint16_t n = 0;
  uint8_t quote = 0;
  bool run = false;
  for (uint16_t i = 0; i < r.size(); ++i) {
    uint8_t ch = static_cast<uint8_t>(p[i]);
    bool blank = !quote && (ch == ' ' || ch == '\t');
    if (blank && run) continue;
    run = blank;
    if (blank) {
      ch = ' ';
    } else if (quote) {
      if (ch == quote) quote = 0;
    } else if (ch == '\'' || ch == '"') {
      quote = ch;
    }
    p[n++] = static_cast<char>(ch);
  }
  return Scratch().CopyOut(m, StrRef(p, n));
}

// to cut into set.size() pieces of equal length; every occurrence of piece
// k becomes character k of set, in one pass from the left.
StrRef FilterPieces(StrRef t, StrRef to, StrRef set) {
  uint16_t width = set.size() ? static_cast<uint16_t>(to.size() / set.size()) : 0;
  if (width == 0) return Copy(t);
  ScratchMark m = Scratch().Mark();
  StrRef r = Copy(t);  // the result is never longer than the text
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  uint16_t n = 0;
  for (uint32_t i = 0; i < t.size();) {
    uint16_t k = 0;
    for (; k < set.size(); ++k) {
      if (i + width <= t.size() &&
          StrRef(t.data() + i, width).view() == StrRef(to.data() + k * width, width).view())
        break;
    }
    if (k < set.size()) {
      p[n++] = static_cast<char>(set[k]);
      i += width;
    } else {
      p[n++] = t.data()[i++];
    }
  }
  return Scratch().CopyOut(m, StrRef(p, n));
}

// A number text as edited for the user: the conventions' marks made "."
// and, when that leaves several points, all but the last taken as
// thousands marks.
ErrCode EditedNumber(StrRef text, int64_t* out) {
  ScratchFrame f;
  StrRef t = NumberClean(text);
  if (!t.ok()) return t.err();
  uint16_t last = FindLast(t, '.');
  if (last != kNpos && FindByte(t, '.') != last) {
    StrRef whole = KeepOnly(Slice(t, 0, last), "-0123456789D");
    t = Concat(whole, Slice(t, last));
  }
  return ReadNumber(t, Places(), out);
}

}  // namespace

ErrCode ResultText(StrRef t) {
  if (!t.ok()) return t.err();
  return Scratch().PushCopy(t) ? E_OUTOFMEMORY : kValueText;
}

ErrCode ResultNumber(int64_t number) {
  return PushNumber(number) ? E_OUTOFMEMORY : kValueNumber;
}

ErrCode ResultInteger(int64_t integer) {
  return ResultNumber(IntegerToNumber(integer));
}

ErrCode FnTextLength(const FnCall& c) {
  StrRef t = ArgText(c, 1);
  if (!t.ok()) return t.err();
  return ResultInteger(t.size());
}

ErrCode FnListPosition(const FnCall& c) {
  StrRef list = ArgText(c, 1);
  if (!list.ok()) return list.err();
  uint16_t n = ArgCount(c);
  if (n == 1) return ResultInteger(ListCount(list, kComma));
  ArgVal values = ArgValue(c, 3);
  if (values.kind == ARG_NUMBER) {
    int64_t v;
    if (ErrCode e = ArgInteger(c, 2, 0, &v)) return e;
    return ResultInteger(InRanges(list, v));
  }
  StrRef item = ArgAsText(c, 2);
  if (!item.ok()) return item.err();
  uint16_t pos = ListIndex(list, item, kComma);
  if (values.kind == ARG_ABSENT) return ResultInteger(pos);
  int64_t v = 0;
  if (pos) {
    if (ErrCode e = ReadNumber(ListItem(values.text, kComma, pos), Places(), &v)) return e;
  }
  return ResultNumber(v);
}

ErrCode FnValueOf(const FnCall& c) {
  StrRef text = ArgAsText(c, 1);
  StrRef type = Upper(Trim(ArgText(c, 2, "N")));
  if (!text.ok()) return text.err();
  if (!type.ok()) return type.err();
  if (Equal(type, "N")) {
    int64_t v;
    if (ErrCode e = EditedNumber(text, &v)) return e;
    return ResultNumber(v);
  }
  static constexpr int kUnits[] = {DATE_DAY, DATE_MONTH, DATE_YEAR, DATE_NUMBER};
  uint16_t k = type.size() == 1 ? FindByte("DMYV", type[0]) : kNpos;
  if (k == kNpos) return E_SINTAXERROR;
  StrRef date = Trim(text);
  if (!ArgPresent(c, 3)) return ResultInteger(DatePart(date, kUnits[k]));
  ArgVal base = ArgValue(c, 3);
  int64_t amount = base.kind == ARG_NUMBER ? NumberToInteger(base.number)
                                           : DatePart(Trim(base.text), DATE_NUMBER);
  return ResultInteger(DateShift(date, amount, kUnits[k]));
}

ErrCode FnChange(const FnCall& c) {
  StrRef text = ArgText(c, 1);
  StrRef from = ArgAsText(c, 2);
  if (!text.ok()) return text.err();
  if (!from.ok()) return from.err();
  StrRef mode = Upper(from);
  if (Equal(mode, "UCASE")) return ResultText(Upper(text));
  if (Equal(mode, "LCASE")) return ResultText(Lower(text));
  if (Equal(mode, "CLEAN")) return ResultText(CollapseBlanks(text));
  StrRef to = ArgAsText(c, 3);
  if (!to.ok()) return to.err();
  if (Equal(mode, "FILTER")) {
    if (!ArgPresent(c, 4)) return ResultText(KeepOnly(text, to));
    StrRef set = ArgAsText(c, 4);
    if (!set.ok()) return set.err();
    return ResultText(FilterPieces(text, to, set));
  }
  int64_t inside_quotes;
  if (ErrCode e = ArgInteger(c, 4, 0, &inside_quotes)) return e;
  return ResultText(ReplaceAll(text, from, to, inside_quotes == 1));
}

ErrCode FnCharacters(const FnCall& c) {
  ArgVal v = ArgValue(c, 1);
  int64_t count;
  if (ErrCode e = ArgInteger(c, 2, 1, &count)) return e;
  StrRef unit =
      v.kind == ARG_NUMBER ? OneChar(static_cast<uint8_t>(NumberToInteger(v.number))) : v.text;
  if (count <= 0 || unit.size() == 0) return ResultText(StrRef());
  if (count * unit.size() > 0xFFFF) return E_STRINGTOOLONG;
  return ResultText(Repeat(unit, static_cast<uint16_t>(count)));
}

ErrCode FnDate(const FnCall& c) {
  int64_t format;
  if (ErrCode e = ArgInteger(c, 2, 0, &format)) return e;
  ArgVal v = ArgValue(c, 1);
  StrRef date;
  if (format & 128) {
    // The date the file named by the first argument was last written.
    auto file_time = Lang().expr.hooks.file_time;
    if (!file_time) return FunctionNotAvailable(c.name);
    if (v.kind != ARG_TEXT) return E_TYPES;
    int32_t d = file_time(Trim(v.text), 1);
    return ResultText(DateDisplay(d ? IntToText(d) : StrRef(), static_cast<int>(format & 127)));
  }
  if (v.kind == ARG_NUMBER) {
    int64_t n = NumberToInteger(v.number);
    if (n != 0) date = IntToText(n);
  } else if (v.kind == ARG_TEXT) {
    date = Trim(v.text);
    if (FindAny(date, "-./") != kNpos) {
      // A date that does not parse stays as written, so that it shows as
      // invalid instead of as today.
      StrRef parsed = DateParse(date);
      if (parsed.size()) date = parsed;
    }
  }
  return ResultText(DateDisplay(date, static_cast<int>(format & 127)));
}

ErrCode FnMask(const FnCall& c) {
  StrRef mask = ArgText(c, 1);
  StrRef value = ArgAsText(c, 2);
  int64_t how;
  if (ErrCode e = ArgInteger(c, 3, kMaskIfNumeric, &how)) return e;
  if (!mask.ok()) return mask.err();
  if (!value.ok()) return value.err();
  return ResultText(MaskFormat(mask, value, static_cast<uint8_t>(how & 0xFF)));
}

ErrCode FnMiddle(const FnCall& c) {
  StrRef text = ArgText(c, 1);
  if (!text.ok()) return text.err();
  int64_t start, count;
  if (ErrCode e = ArgInteger(c, 2, -1, &start)) return e;
  if (ErrCode e = ArgInteger(c, 3, kNpos, &count)) return e;
  int64_t n = text.size();
  int64_t from = start < 0 ? n + start : start - 1;
  if (from < 0) from = 0;
  if (count <= 0 || from >= n) return ResultText(StrRef());
  if (count > n - from) count = n - from;
  return ResultText(Slice(text, static_cast<int32_t>(from), static_cast<uint16_t>(count)));
}

ErrCode FnListItem(const FnCall& c) {
  StrRef list = ArgText(c, 1);
  if (!list.ok()) return list.err();
  int64_t item;
  if (ErrCode e = ArgInteger(c, 2, -1, &item)) return e;
  uint8_t sep = CharArg(c, 3, kComma);
  if (item <= 0 || item > 0xFFFF) return ResultText(StrRef());
  return ResultText(ListItem(list, sep, static_cast<uint16_t>(item)));
}

ErrCode FnTrim(const FnCall& c) {
  StrRef text = ArgAsText(c, 1);
  StrRef mode = Upper(Trim(ArgText(c, 2, "BOTHTRIM")));
  if (!text.ok()) return text.err();
  if (!mode.ok()) return mode.err();
  switch (ListIndex("LEFTTRIM,RIGHTRIM,BOTHTRIM,FIT", mode, kComma)) {
    case 1:
      return ResultText(Trim(text, TRIM_LEFT));
    case 2:
      return ResultText(Trim(text, TRIM_RIGHT));
    case 3:
      return ResultText(Trim(text, TRIM_BOTH));
    case 4:
      return ResultText(CleanValue(text));
    default:
      return E_SINTAXERROR;
  }
}

ErrCode FnEnvelop(const FnCall& c) {
  StrRef text = ArgAsText(c, 1);
  if (!text.ok()) return text.err();
  return ResultText(Wrap(text, CharArg(c, 2, kApostrophe)));
}

ErrCode FnTime(const FnCall& c) {
  int64_t format;
  if (ErrCode e = ArgInteger(c, 2, 0, &format)) return e;
  ArgVal v = ArgValue(c, 1);
  if (v.kind == ARG_NUMBER && v.number != 0) return E_TYPES;
  if (format & 128) {
    // The time of day the file named by the first argument was last written.
    auto file_time = Lang().expr.hooks.file_time;
    if (!file_time) return FunctionNotAvailable(c.name);
    if (v.kind != ARG_TEXT) return E_TYPES;
    return ResultText(TimeFormat(file_time(Trim(v.text), 0), static_cast<uint8_t>(format & 127)));
  }
  int32_t millis = v.kind == ARG_TEXT ? TimeParse(Trim(v.text)) : TimeNow();
  return ResultText(TimeFormat(millis, static_cast<uint8_t>(format & 127)));
}

ErrCode FnExpand(const FnCall& c) {
  StrRef tpl = ArgText(c, 1);
  if (!tpl.ok()) return tpl.err();
  StrRef raw = Slice(c.args, c.raw_at);
  ScratchMark m = Scratch().Mark();
  StrRef out = Copy(StrRef());
  uint16_t done = 0;  // template bytes already in out
  for (uint16_t i = 0; i < tpl.size(); ++i) {
    if (tpl[i] != '$') continue;
    uint32_t j = i + 1u, k = 0;
    while (j < tpl.size() && tpl[j] >= '0' && tpl[j] <= '9' && k < 1000)
      k = k * 10 + (tpl[j++] - '0');
    if (j == i + 1u || j >= tpl.size() || tpl[j] != '_' || k == 0) continue;
    StrRef operand = FindOperand(raw, static_cast<uint16_t>(k));
    if (!operand.ok()) continue;  // no such operand: the marker stays
    out = Concat(Concat(out, Slice(tpl, done, static_cast<uint16_t>(i - done))), operand);
    out = Scratch().CopyOut(m, out);
    if (!out.ok()) return out.err();
    done = static_cast<uint16_t>(j + 1);
    i = static_cast<uint16_t>(j);
  }
  return ResultText(Concat(out, Slice(tpl, done)));
}

}  // namespace tol
