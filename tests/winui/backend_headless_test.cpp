// Headless message boxes: what reaches standard error and how boxes are
// answered.
#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/msgbox.h"
#include "winui/backend_headless.h"

namespace tol {
namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  CoreScope core;
  HeadlessBackend backend;
  DisplayScope installed{backend};
};

TEST_F(HeadlessTest, WritesCaptionAndTextAsOneUtf8Line) {
  ::testing::internal::CaptureStderr();
  MessageBox("Fichero no encontrado:\r\nGADICC.DAT\nfin", "", MSG_ERROR);
  Ask("\xBF"
      "Anular Registro(s)?");
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "error: [Alerta de Mensaje Fatal] Fichero no encontrado: | GADICC.DAT | fin\n"
            "info: [Solicitud de Informaci\xC3\xB3n] \xC2\xBF"
            "Anular Registro(s)?\n");
  EXPECT_EQ(backend.boxes_shown(), 2u);
}

TEST_F(HeadlessTest, AnswersFromTheQueueElseWithTheDefaultButton) {
  struct Case {
    int kind;
    int queued;  // 0: nothing queued
    uint8_t letter;
  } cases[] = {
      {MSG_INFO, 0, 'S'},
      {MSG_OKCANCEL, 0, 'S'},
      {MSG_OKCANCEL, ANSWER_CANCEL, kAnswerCancel},
      {MSG_RETRYCANCEL, 0, 'S'},
      {MSG_YESNO, 0, 'S'},
      {MSG_YESNO, ANSWER_NO, 'N'},
      {MSG_YESNOCANCEL, ANSWER_CANCEL, kAnswerCancel},
      {MSG_YESNO, ANSWER_CANCEL, 'S'},  // not on the box: used up, default answers
      {MSG_INFO, ANSWER_NO, 'S'},
  };
  ::testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    if (c.queued) backend.QueueAnswer(static_cast<BoxAnswer>(c.queued));
    EXPECT_EQ(MessageBox("?", "", c.kind), c.letter) << c.kind << " " << c.queued;
    EXPECT_EQ(backend.queued(), 0u);
  }
  backend.QueueAnswer(ANSWER_NO);
  backend.QueueAnswer(ANSWER_YES);
  EXPECT_FALSE(Ask("uno"));
  EXPECT_TRUE(Ask("dos"));
  ::testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace tol
