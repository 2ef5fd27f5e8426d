// The message dialog and the error box: captions, texts, buttons, Ctrl+C,
// and the application title.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <new>

#include "image/PathRules.h"
#include "tests/support/UiTesting.h"
#include "ui/ErrorBox.h"
#include "ui/MessageDialog.h"

using namespace batchfit;

namespace {

TEST(ApplicationTitle, IsTheProgramNameCutAtItsFirstDotWithTheRestInLowerCase) {
  EXPECT_EQ(titleFromProgramPath("C:\\Programs\\PHOTOS.EXE", WindowsFolderDelimiters), "Photos");
  EXPECT_EQ(titleFromProgramPath("D:my.tool.exe", WindowsFolderDelimiters), "my");
  EXPECT_EQ(titleFromProgramPath("/usr/local/bin/batchfit", PosixFolderDelimiters), "batchfit");
  EXPECT_EQ(titleFromProgramPath("/opt/v1.2/BatchFit", PosixFolderDelimiters), "Batchfit");
  EXPECT_EQ(titleFromProgramPath("/opt/tools/.hidden", PosixFolderDelimiters), "");
  // A backslash is an ordinary character of a POSIX file name.
  EXPECT_EQ(titleFromProgramPath("/opt/A\\B", PosixFolderDelimiters), "A\\b");
}

TEST(MessageDialog, ClipboardTextIsSevenLinesEndedByCrLf) {
  const QString rule(27, u'-');
  EXPECT_EQ(messageDialogClipboardText("Photos", "\"/a b/c.jpg\" & more", {"&OK"}),
            rule + "\r\nPhotos\r\n" + rule + "\r\n\"/a b/c.jpg\" & more\r\n" + rule +
                "\r\nOK   \r\n" + rule + "\r\n");
}

TEST(MessageDialog, ShowsTheTextAsItStandsUnderTheApplicationTitle) {
  MessageDialog dialog("Fish & Chips");
  EXPECT_EQ(dialog.windowTitle(), applicationTitle());
  EXPECT_EQ(dialog.textLabel()->text(), "Fish & Chips");
  EXPECT_EQ(dialog.textLabel()->textFormat(), Qt::PlainText);
  EXPECT_EQ(dialog.textLabel()->buddy(), nullptr);
  EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
  const auto buttons = dialog.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0]->text(), "OK");
  EXPECT_TRUE(buttons[0]->isDefault());
}

TEST(MessageDialog, WrapsLongTextAtHalfTheScreenWidthAndIsCentred) {
  QString text;
  for (int i = 0; i < 200; ++i) text += "word ";
  MessageDialog dialog(text);
  dialog.show();
  const QRect screen = dialog.screen()->geometry();
  EXPECT_LE(dialog.textLabel()->width(), screen.width() / 2);
  EXPECT_GT(dialog.textLabel()->height(), 3 * dialog.fontMetrics().height());
  EXPECT_NEAR(dialog.x() - screen.x(), screen.right() - (dialog.x() + dialog.width() - 1), 1);
  EXPECT_NEAR(dialog.y() - screen.y(), screen.bottom() - (dialog.y() + dialog.height() - 1), 1);
  // A fixed frame: the dialog cannot be resized.
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST(MessageDialog, EnterAndEscapeBothClose) {
  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    uitest::ModalAnswerer answerer([key](QWidget* modal) { QTest::keyClick(modal, Qt::Key(key)); });
    MessageDialog::showMessage("closing");
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "closing");
  }
}

TEST(MessageDialog, CtrlCPutsTheContentOnTheClipboard) {
  QApplication::clipboard()->clear();
  QString copied;
  uitest::ModalAnswerer answerer([&](QWidget* modal) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal, Qt::Key_C,
                    Qt::ControlModifier);
    copied = QApplication::clipboard()->text();
    QTest::keyClick(modal, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    static_cast<QDialog*>(modal)->accept();
  });
  MessageDialog::showMessage("\"/x.jpg\" has too small size and can not be resized!");
  EXPECT_EQ(copied, messageDialogClipboardText(
                        applicationTitle(), "\"/x.jpg\" has too small size and can not be resized!",
                        {"OK"}));
  // Ctrl+Shift+C is not the copy command.
  EXPECT_EQ(QApplication::clipboard()->text(), copied);
}

TEST(ErrorBox, GuardedCommandShowsItsErrorWithTheFullStopRule) {
  const std::pair<std::string, QString> cases[] = {
      {"JPEG error #53", "JPEG error #53."},
      {"Cannot do it.", "Cannot do it."},
      {"Why?", "Why?."},
      {"Stop!", "Stop!"},
      {"Done (partly)", "Done (partly)"},
  };
  for (const auto& [message, shown] : cases) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    uitest::ModalAnswerer answerer([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      icon = box->icon();
      buttons = int(box->buttons().size());
      box->accept();
    });
    bool after = false;
    guarded([&] { throw Error(message); });
    guarded([&] { after = true; });
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, shown);
    EXPECT_EQ(answerer.seen[0].title, applicationTitle());
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(after);
  }
  // A shortage the system raised reads as the memory limit's, for the box
  // and for the command's own record alike.
  uitest::ModalAnswerer answerer;
  std::string failed;
  guarded([] { throw std::bad_alloc(); }, [&](const std::string& message) { failed = message; });
  EXPECT_EQ(failed, "Out of system resources");
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].text, "Out of system resources.");
}

}  // namespace
