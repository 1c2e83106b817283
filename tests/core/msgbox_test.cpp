// Message box kinds, answer letters, Ask and Show error, through a display
// that records the boxes.
#include <gtest/gtest.h>

#include <optional>

#include "core/core.h"
#include "core/coremsg.h"
#include "core/errors.h"
#include "core/msgbox.h"
#include "support/recording_display.h"

namespace tol {
namespace {

using testing::RecordingDisplay;

class MsgBoxTest : public ::testing::Test {
 protected:
  CoreScope core;
  RecordingDisplay display;
  DisplayScope installed{display};
};

TEST_F(MsgBoxTest, EachKindHasItsIconButtonsAndDefaultCaption) {
  struct Case {
    int kind;
    BoxIcon icon;
    BoxButtons buttons;
    const char* caption;
  } cases[] = {
      {0, ICON_INFORMATION, BUTTONS_OK, "Solicitud de Informaci\xF3n"},
      {1, ICON_WARNING, BUTTONS_OK, "Mensaje Informativo"},
      {2, ICON_INFORMATION, BUTTONS_OKCANCEL, "Solicitud de Informaci\xF3n"},
      {3, ICON_ERROR, BUTTONS_OK, "Alerta de Mensaje Fatal"},
      {4, ICON_ERROR, BUTTONS_RETRYCANCEL, "Mensaje Informativo"},
      {5, ICON_INFORMATION, BUTTONS_YESNO, "Solicitud de Informaci\xF3n"},
      {6, ICON_INFORMATION, BUTTONS_YESNOCANCEL, "Solicitud de Informaci\xF3n"},
      {7, ICON_NONE, BUTTONS_OK, "Solicitud de Informaci\xF3n"},
      {-1, ICON_NONE, BUTTONS_OK, "Solicitud de Informaci\xF3n"},
  };
  for (const Case& c : cases) {
    display.boxes.clear();
    MessageBox("texto", "", c.kind);
    ASSERT_EQ(display.boxes.size(), 1u);
    const RecordingDisplay::Box& b = display.boxes[0];
    EXPECT_EQ(b.text, "texto");
    EXPECT_EQ(b.caption, c.caption) << c.kind;
    EXPECT_EQ(b.style.icon, c.icon) << c.kind;
    EXPECT_EQ(b.style.buttons, c.buttons) << c.kind;
  }
  MessageBox("texto", "Mi caption", 3);
  EXPECT_EQ(display.boxes.back().caption, "Mi caption");
}

TEST_F(MsgBoxTest, ButtonPressedBecomesTheAnswerLetter) {
  struct Case {
    int kind;
    std::optional<BoxAnswer> pressed;  // none: the default button
    uint8_t letter;
  } cases[] = {
      {0, std::nullopt, 'S'},
      {2, ANSWER_OK, 'S'},
      {2, ANSWER_CANCEL, kAnswerCancel},
      {3, std::nullopt, 'S'},
      {4, std::nullopt, 'S'},  // Retry
      {4, ANSWER_CANCEL, kAnswerCancel},
      {5, std::nullopt, 'S'},  // Yes
      {5, ANSWER_NO, 'N'},
      {6, ANSWER_NO, 'N'},
      {6, ANSWER_CANCEL, kAnswerCancel},
      // A button the box does not have counts as dismissing it: Cancel when
      // there is one, No rather than Yes, else OK.
      {2, ANSWER_YES, kAnswerCancel},
      {5, ANSWER_CANCEL, 'N'},
      {5, ANSWER_ABORT, 'N'},
      {0, ANSWER_NO, 'S'},
  };
  for (const Case& c : cases) {
    if (c.pressed) display.answers.push_back(*c.pressed);
    EXPECT_EQ(MessageBox("?", "", c.kind), c.letter) << c.kind;
    EXPECT_TRUE(display.answers.empty());
  }
}

StrRef EnglishLetters(uint16_t number) {
  if (number == kMsgYesNo) return "Yy,Nn";
  return StrRef::Fail(E_NOTFOUND);
}
StrRef BrokenLetters(uint16_t number) {
  if (number == kMsgYesNo) return ",";
  return StrRef::Fail(E_NOTFOUND);
}

TEST_F(MsgBoxTest, LettersComeFromTheCatalogue) {
  SetMessageHook(EnglishLetters);
  EXPECT_EQ(MessageBox("?", "", MSG_YESNO), 'Y');
  display.answers.push_back(ANSWER_NO);
  EXPECT_EQ(MessageBox("?", "", MSG_YESNO), 'N');
  SetMessageHook(BrokenLetters);  // empty items: the built-in letters
  EXPECT_EQ(MessageBox("?", "", MSG_YESNO), 'S');
  display.answers.push_back(ANSWER_NO);
  EXPECT_EQ(MessageBox("?", "", MSG_YESNO), 'N');
}

TEST_F(MsgBoxTest, AskIsAYesNoBox) {
  display.answers = {ANSWER_YES, ANSWER_NO};
  EXPECT_TRUE(
      Ask("\xBF"
          "Continuar?"));
  EXPECT_FALSE(
      Ask("\xBF"
          "Continuar?"));
  EXPECT_TRUE(
      Ask("\xBF"
          "Continuar?"));  // default button
  ASSERT_EQ(display.boxes.size(), 3u);
  EXPECT_EQ(display.boxes[0].style.buttons, BUTTONS_YESNO);
  EXPECT_EQ(display.boxes[0].caption, "Solicitud de Informaci\xF3n");
}

TEST_F(MsgBoxTest, QueueIsEmptiedOnlyWhileThereIsNoMainWindow) {
  MessageBox("a", "", 0);
  EXPECT_EQ(display.discards, 1);
  display.main_window = true;
  MessageBox("b", "", 0);
  Ask("c");
  EXPECT_EQ(display.discards, 1);
}

TEST_F(MsgBoxTest, FailedTextShowsItsErrorTextAndTextsEndAtANul) {
  MessageBox(StrRef::Fail(E_FILENOTFOUND), "", 1);
  EXPECT_EQ(display.boxes.back().text, "Fichero no encontrado");
  MessageBox(StrRef("ab\0cd", 5), StrRef("T\0x", 3), 1);
  EXPECT_EQ(display.boxes.back().text, "ab");
  EXPECT_EQ(display.boxes.back().caption, "T");
}

TEST_F(MsgBoxTest, ShowErrorPicksKindByCodeThenClearsTheDetailOnly) {
  struct Case {
    ErrCode code;
    uint16_t module;
    const char* detail;
    BoxIcon icon;
    const char* caption;
    const char* text;
  } cases[] = {
      {E_BADDATA, 0, "", ICON_WARNING, "Mensaje Informativo", "Datos incorrectos"},
      {E_BADDATA, 0, "Fecha no valida", ICON_WARNING, "Mensaje Informativo", "Fecha no valida"},
      {E_NODATA, M_DATAFILE, "x.dat", ICON_WARNING, "Mensaje Informativo", "No hay datos"},
      {0, 0, "", ICON_WARNING, "Mensaje Informativo", "Proceso Completado Satisfactoriamente"},
      {E_TYPES, 0, "", ICON_ERROR, "Alerta de Mensaje Fatal", "Error Tipos Incompatibles"},
      {E_FILENOTFOUND, M_DATAFILE, "x.dat", ICON_ERROR, "Alerta de Mensaje Fatal",
       "Error Fichero no encontrado(DataFile): x.dat"},
      {E_NOTFOUND, M_DATAFILE, "x.dat", ICON_ERROR, "Alerta de Mensaje Fatal",
       "Error Fichero no encontrado(DataFile): x.dat"},  // the recorded code
  };
  ASSERT_EQ(Slots().Set(kGroupRuntime, kItemLogName, "mi.log"), E_OK);
  for (const Case& c : cases) {
    ClearError();
    Report(2, c.module, c.code == E_NOTFOUND ? E_FILENOTFOUND : c.code, 0);
    SetDetail(0, StrRef::FromC(c.detail));
    uint32_t record = LastError();
    ShowError(c.code);
    const RecordingDisplay::Box& b = display.boxes.back();
    EXPECT_EQ(b.style.icon, c.icon) << c.code;
    EXPECT_EQ(b.style.buttons, BUTTONS_OK);
    EXPECT_EQ(b.caption, c.caption) << c.code;
    EXPECT_EQ(b.text, c.text) << c.code;
    EXPECT_EQ(ErrorDetail(), StrRef(""));
    EXPECT_EQ(LastError(), record);
  }
  EXPECT_EQ(Slots().Get(kGroupRuntime, kItemLogName), StrRef("mi.log"));
}

TEST(MsgBoxStandIn, WithoutADisplayBoxesGoToStandardErrorAndTakeTheDefault) {
  CoreScope core;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(Ask("\xBFSeguro?"));
  EXPECT_EQ(MessageBox("Reintentar", "", MSG_RETRYCANCEL), 'S');
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Solicitud de Informaci\xC3\xB3n] \xC2\xBFSeguro?\n"
            "[Mensaje Informativo] Reintentar\n");
}

}  // namespace
}  // namespace tol
