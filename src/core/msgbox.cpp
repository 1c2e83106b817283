// Message box kinds, answer letters, Show error and Ask.
#include "core/msgbox.h"

#include "core/core.h"
#include "core/coremsg.h"
#include "core/errors.h"
#include "core/errtext.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {

namespace {

// First character of item n of message 0011; the built-in letter when a
// language module leaves the item empty.
uint8_t Letter(uint16_t n, uint8_t built_in) {
  StrRef item = ListItem(CoreMessage(kMsgYesNo), ',', n);
  return item.empty() ? built_in : item[0];
}

uint8_t AnswerLetter(BoxAnswer a) {
  switch (a) {
    case ANSWER_OK:
    case ANSWER_RETRY:
    case ANSWER_YES:
      return Letter(1, 'S');
    case ANSWER_NO:
      return Letter(2, 'N');
    default:
      return kAnswerCancel;
  }
}

BoxAnswer Show(StrRef text, StrRef caption, int kind) {
  ScratchFrame frame;
  Display& d = CurrentDisplay();
  if (!d.HasMainWindow()) d.DiscardPendingMessages();
  if (!text.ok()) text = ErrorText(text.err());
  if (caption.empty()) caption = KindCaption(kind);
  // Boxes take C texts: whatever follows a NUL is not shown.
  text = Slice(text, 0, FindByte(text, 0));
  caption = Slice(caption, 0, FindByte(caption, 0));
  BoxStyle style = KindStyle(kind);
  BoxAnswer a = d.MessageBox(text, caption, style);
  if (Offers(style.buttons, a)) return a;
  // A backend can only press a button it showed; anything else counts as
  // the box being dismissed, which is Cancel where there is one and never
  // a Yes.
  if (Offers(style.buttons, ANSWER_CANCEL)) return ANSWER_CANCEL;
  return Offers(style.buttons, ANSWER_NO) ? ANSWER_NO : ANSWER_OK;
}

}  // namespace

BoxStyle KindStyle(int kind) {
  switch (kind) {
    case MSG_INFO:
      return {ICON_INFORMATION, BUTTONS_OK};
    case MSG_WARNING:
      return {ICON_WARNING, BUTTONS_OK};
    case MSG_OKCANCEL:
      return {ICON_INFORMATION, BUTTONS_OKCANCEL};
    case MSG_ERROR:
      return {ICON_ERROR, BUTTONS_OK};
    case MSG_RETRYCANCEL:
      return {ICON_ERROR, BUTTONS_RETRYCANCEL};
    case MSG_YESNO:
      return {ICON_INFORMATION, BUTTONS_YESNO};
    case MSG_YESNOCANCEL:
      return {ICON_INFORMATION, BUTTONS_YESNOCANCEL};
    default:
      return {ICON_NONE, BUTTONS_OK};
  }
}

StrRef KindCaption(int kind) {
  switch (kind) {
    case MSG_WARNING:
    case MSG_RETRYCANCEL:
      return CoreMessage(kMsgInfoCaption);
    case MSG_ERROR:
      return CoreMessage(kMsgFatalCaption);
    default:
      return CoreMessage(kMsgAskCaption);
  }
}

uint8_t MessageBox(StrRef text, StrRef caption, int kind) {
  return AnswerLetter(Show(text, caption, kind));
}

bool Ask(StrRef text) {
  return Show(text, StrRef(), MSG_YESNO) == ANSWER_YES;
}

void ShowError(ErrCode code) {
  {
    ScratchFrame frame;
    ErrCode shown = code == E_NOTFOUND ? LastErrorCode() : code;
    Show(FullErrorText(code), StrRef(), shown < E_TYPES ? MSG_WARNING : MSG_ERROR);
  }
  SetDetail(0, StrRef());
}

}  // namespace tol
