// The number box with simulated mouse and keys: arrows, bounds, typing rules.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "tests/support/UiTesting.h"
#include "ui/SpinEdit.h"

using batchfit::SpinArrow;
using batchfit::SpinEdit;

namespace {

struct SpinEditTest : ::testing::Test {
  // Two boxes in one window, so that the focus can leave either of them.
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  SpinEdit* typed = new SpinEdit(0, 0, true, window.get());
  SpinEdit* quality = new SpinEdit(0, 100, false, window.get());

  void SetUp() override {
    typed->move(0, 0);
    quality->move(0, 40);
    window->resize(200, 100);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  static void click(SpinArrow* arrow) { QTest::mouseClick(arrow, Qt::LeftButton); }
  static void type(SpinEdit* box, const QString& keys) {
    box->setFocus();
    QTest::keyClicks(box->editor(), keys);
  }
};

TEST_F(SpinEditTest, ArrowsClampToTheBoundsOfABoundedBox) {
  quality->setValue(100);
  click(quality->upButton());
  EXPECT_EQ(quality->text(), "100");
  quality->setValue(0);
  click(quality->downButton());
  EXPECT_EQ(quality->text(), "0");
  click(quality->upButton());
  EXPECT_EQ(quality->text(), "1");
}

TEST_F(SpinEditTest, ABoxWithoutBoundsStepsBelowZero) {
  SpinEdit tolerance(0, 0, false, window.get());
  tolerance.setValue(0);
  click(tolerance.downButton());
  EXPECT_EQ(tolerance.text(), "-1");
  EXPECT_EQ(tolerance.value(), -1);
}

TEST_F(SpinEditTest, StepsFromTheValueAsReadAndWritesPlainDecimal) {
  typed->setText("abc");
  click(typed->upButton());
  EXPECT_EQ(typed->text(), "1");
  typed->setText("17.6");
  click(typed->downButton());
  EXPECT_EQ(typed->text(), "-1");
  typed->setText("$B0");
  click(typed->upButton());
  EXPECT_EQ(typed->text(), "177");
}

TEST_F(SpinEditTest, UpAndDownKeysStepLikeTheArrows) {
  type(typed, "");
  typed->setText("5");
  QTest::keyClick(typed->editor(), Qt::Key_Up);
  QTest::keyClick(typed->editor(), Qt::Key_Up);
  EXPECT_EQ(typed->text(), "7");
  QTest::keyClick(typed->editor(), Qt::Key_Down);
  EXPECT_EQ(typed->text(), "6");
  quality->setValue(100);
  quality->setFocus();
  QTest::keyClick(quality->editor(), Qt::Key_Up);
  EXPECT_EQ(quality->text(), "100");
}

TEST_F(SpinEditTest, ReadingNeverChangesTheText) {
  for (const char* text : {"17.6", "abc", "176 ", "", "   176", "+176", "$B0", "-5"}) {
    typed->setText(text);
    const std::int32_t value = typed->value();
    EXPECT_EQ(typed->text(), text);
    EXPECT_EQ(value, typed->value());
  }
}

TEST_F(SpinEditTest, LeavingABoundedBoxWritesBackTheClampedValue) {
  quality->setText("150");
  quality->setFocus();
  typed->setFocus();
  EXPECT_EQ(quality->text(), "100");
  quality->setText("$32");  // in bounds: left as typed
  quality->setFocus();
  typed->setFocus();
  EXPECT_EQ(quality->text(), "$32");
  typed->setText("-40");  // no bounds: nothing to clamp
  quality->setFocus();
  EXPECT_EQ(typed->text(), "-40");
}

TEST_F(SpinEditTest, ATypedBoxAcceptsDigitsSignsAndTheDecimalSeparatorOnly) {
  typed->setText("");
  const QString separator = QLocale::system().decimalPoint();
  type(typed, "1a7" + separator + "6 x+-");
  EXPECT_EQ(typed->text(), "17" + separator + "6+-");
  QTest::keyClick(typed->editor(), Qt::Key_Return);
  QTest::keyClick(typed->editor(), Qt::Key_Backspace);
  EXPECT_EQ(typed->text(), "17" + separator + "6+");
}

TEST_F(SpinEditTest, ATypedBoxTakesAnyPastedText) {
  typed->setText("");
  QApplication::clipboard()->setText("12 ab");
  type(typed, "");
  QTest::keySequence(typed->editor(), QKeySequence::Paste);
  EXPECT_EQ(typed->text(), "12 ab");
  EXPECT_EQ(typed->value(), 0);
}

TEST_F(SpinEditTest, ABoxThatCannotBeTypedIntoKeepsOnlyDeleteAndTheArrows) {
  quality->setValue(100);
  QApplication::clipboard()->setText("55");
  type(quality, "7x");
  QTest::keyClick(quality->editor(), Qt::Key_Backspace);
  QTest::keyClick(quality->editor(), Qt::Key_Return);
  QTest::keySequence(quality->editor(), QKeySequence::Paste);
  QTest::keySequence(quality->editor(), QKeySequence::Cut);
  EXPECT_EQ(quality->text(), "100");
  quality->editor()->setCursorPosition(0);
  QTest::keyClick(quality->editor(), Qt::Key_Delete);
  EXPECT_EQ(quality->text(), "00");
  EXPECT_EQ(quality->value(), 0);
}

TEST_F(SpinEditTest, HeldArrowRepeatsAfterADelayAndStepsOnceMoreOnRelease) {
  typed->setValue(0);
  SpinArrow* up = typed->upButton();
  QTest::mousePress(up, Qt::LeftButton);
  EXPECT_TRUE(up->repeatTimer().isActive());
  EXPECT_EQ(up->repeatTimer().interval(), SpinArrow::RepeatDelayMs);
  EXPECT_EQ(typed->value(), 0);
  // Wait for the repeat, not for a time: the machine may be slow.
  QTRY_VERIFY_WITH_TIMEOUT(typed->value() >= 2, 20000);
  EXPECT_EQ(up->repeatTimer().interval(), SpinArrow::RepeatIntervalMs);
  const std::int32_t held = typed->value();
  QTest::mouseRelease(up, Qt::LeftButton);
  EXPECT_EQ(typed->value(), held + 1);
  EXPECT_FALSE(up->repeatTimer().isActive());
}

TEST_F(SpinEditTest, ReleasingAnArrowAwayFromItDoesNotStep) {
  typed->setValue(5);
  SpinArrow* down = typed->downButton();
  QTest::mousePress(down, Qt::LeftButton);
  QTest::mouseMove(down, QPoint(-30, -30));
  // A slow machine may have let the repeat step once before the move.
  const std::int32_t beforeRelease = typed->value();
  QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(-30, -30));
  EXPECT_EQ(typed->value(), beforeRelease);
  EXPECT_FALSE(down->isDown());
}

TEST_F(SpinEditTest, ArrowsNeverTakeTheFocusThemselves) {
  click(quality->upButton());
  EXPECT_EQ(QApplication::focusWidget(), quality->editor());
  EXPECT_EQ(quality->upButton()->focusPolicy(), Qt::NoFocus);
}

}  // namespace
