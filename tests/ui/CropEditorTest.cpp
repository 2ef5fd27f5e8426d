// The crop editor window with simulated mouse and keys: its layout, the frame
// and the handle dragged, "Hor/Ver Rotate", the two commands that close it, a
// failing "OK/NEXT", input not meant for the picture shown, a large photo
// shown whole, scrolling at the view's edge, framing by keys, and a
// remembered frame placed at the show.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <memory>

#include "engine/AntiAlias.h"
#include "engine/CropCommit.h"
#include "tests/support/Surfaces.h"
#include "tests/support/UiTesting.h"
#include "ui/CropEditor.h"
#include "ui/CropEditorBar.h"
#include "ui/StopQuestion.h"

using namespace batchfit;
using testpics::colourAt;
using testpics::patterned;
using testpics::sampleOf;

namespace {

class CropEditorTest : public ::testing::Test {
 protected:
  // Shows the editor modally; once it runs, does actions and then clicks closer.
  bool edit(const PixelSurface& picture, const std::function<void()>& actions,
            QPushButton* closer) {
    QTimer::singleShot(0, editor.get(), [&] {
      // At 100 % a screen pixel is a picture pixel, whatever the photo's size.
      QTest::keyClick(editor.get(), Qt::Key_1, Qt::ControlModifier);
      actions();
      QTest::mouseClick(closer, Qt::LeftButton);
    });
    return commit(picture, editor->editPicture(picture, settings));
  }

  // As the run does: "OK/NEXT" fills target from the photo; returns skipped.
  bool commit(PixelSurface picture, const CropDecision& decision) {
    if (!decision.skipped) commitCrop(picture, decision.part, settings, target);
    return decision.skipped;
  }

  std::unique_ptr<CropEditor> editor = std::make_unique<CropEditor>();
  JobSettings settings;
  PictureRole target;
};

QRgb shown(ColorRef c) {
  return qRgb(redOf(c), greenOf(c), blueOf(c));
}

}  // namespace

TEST_F(CropEditorTest, FillsTheWorkAreaWithTheBarBelow) {
  CropEditor& f = *editor;
  edit(
      patterned(300, 400),
      [&] {
        EXPECT_EQ(f.windowTitle(), "Select part of image.");
        EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(f.geometry(), f.screen()->availableGeometry());
        EXPECT_EQ(f.bottomBar()->geometry(), QRect(0, f.height() - 41, f.width(), 41));
        EXPECT_EQ(f.bottomBar()->rotateFrameButton()->geometry(), QRect(8, 8, 89, 25));
        EXPECT_EQ(f.bottomBar()->skipButton()->geometry(), QRect(104, 8, 89, 25));
        EXPECT_EQ(f.bottomBar()->okButton()->geometry(), QRect(200, 8, 89, 25));
        EXPECT_EQ(f.progressBar()->geometry(), QRect(296, 12, 321, 17));
        EXPECT_EQ(f.progressLabel()->pos(), QPoint(624, 9));
        EXPECT_EQ(f.progressLabel()->font().pixelSize(), 16);
        EXPECT_EQ(f.bottomBar()->skipButton()->nextInFocusChain(),
                  f.bottomBar()->rotateFrameButton());
        EXPECT_EQ(f.bottomBar()->rotateFrameButton()->nextInFocusChain(),
                  f.bottomBar()->okButton());
        for (QPushButton* b : {f.bottomBar()->skipButton(), f.bottomBar()->rotateFrameButton(),
                               f.bottomBar()->okButton()}) {
          EXPECT_FALSE(b->isDefault() || b->autoDefault());
        }
      },
      f.bottomBar()->skipButton());
}

TEST_F(CropEditorTest, DragTheFrameAndTheHandleThenOkFillsTheTarget) {
  CropEditor& f = *editor;
  const PixelSurface picture = patterned(700, 800);
  target.prepare(176, 220);
  const bool skipped = edit(
      picture,
      [&] {
        EXPECT_EQ(f.pictureView()->size(), QSize(700, 800));
        EXPECT_EQ(f.pictureView()->image().pixel(123, 456), shown(colourAt(123, 456)));
        // The frame follows the pointer; the press point stays under it.
        QTest::mousePress(f.frameShape(), Qt::LeftButton, {}, QPoint(50, 60));
        QTest::mouseMove(f.frameShape(), QPoint(80, 100));
        QTest::mouseRelease(f.frameShape(), Qt::LeftButton, {}, QPoint(50, 60));
        EXPECT_EQ(f.frameShape()->geometry(), QRect(30, 40, 176, 220));
        EXPECT_EQ(f.frameShape()->cursor().shape(), Qt::SizeAllCursor);
        // The handle drags the frame's right edge; the move ends outside the handle.
        QTest::mousePress(f.handleShape(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(f.handleShape(), QPoint(134, 5));
        QTest::mouseRelease(f.handleShape(), Qt::LeftButton, {}, QPoint(10, -150));
        EXPECT_EQ(f.frameShape()->geometry(), QRect(30, 40, 300, 375));
        EXPECT_EQ(f.handleShape()->geometry(), QRect(320, 405, 10, 10));
        EXPECT_EQ(f.handleShape()->cursor().shape(), Qt::SizeFDiagCursor);
      },
      f.bottomBar()->okButton());
  EXPECT_FALSE(skipped);
  // Up for the next photo, until none comes.
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }, 2000));
  // The framed part's corners, scaled (every pixel: the crop commit's tests).
  const PixelSurface& t = target.surface();
  EXPECT_EQ(t.getPixel(0, 0), colourAt(30, 40));
  EXPECT_EQ(t.getPixel(175, 219),
            colourAt(30 + sampleOf(175, 300, 176), 40 + sampleOf(219, 375, 220)));
  EXPECT_EQ(picture.getPixel(0, 0), colourAt(0, 0));  // the editor cut its own copy
}

TEST_F(CropEditorTest, MovesWithoutAButtonReachTheFrame) {
  CropEditor& f = *editor;
  edit(
      patterned(100, 150),
      [&] {
        EXPECT_FALSE(f.frameShape()->testAttribute(Qt::WA_SetCursor));
        QTest::mouseMove(f.frameShape(), QPoint(150, 100));
        EXPECT_EQ(f.frameShape()->cursor().shape(), Qt::SizeAllCursor);
        EXPECT_EQ(f.frame().left(), -120);  // clamped, sticking out at the left and top
        EXPECT_EQ(f.frame().top(), -26);
      },
      f.bottomBar()->skipButton());
}

TEST_F(CropEditorTest, RotateThenOkTurnsClockwiseForRight) {
  CropEditor& f = *editor;
  settings.rotateDirection = batchfit::Turn::Right;
  target.prepare(176, 220);
  edit(
      patterned(400, 300),
      [&] {
        QTest::mouseClick(f.bottomBar()->rotateFrameButton(), Qt::LeftButton);
        EXPECT_TRUE(f.frame().frameSwapped());
        EXPECT_EQ(f.frameShape()->geometry(), QRect(0, 0, 220, 176));
      },
      f.bottomBar()->okButton());
  const PixelSurface& t = target.surface();
  EXPECT_EQ(t.getPixel(0, 0), colourAt(0, 175));
  EXPECT_EQ(t.getPixel(175, 0), colourAt(0, 0));
  EXPECT_EQ(t.getPixel(175, 219), colourAt(219, 0));
}

// A photo's remembered frame comes up in place of the show's own, lying as it
// lay, and changes as ever; the next photo, without one, starts afresh.
TEST_F(CropEditorTest, ARememberedFrameComesUpInPlaceOfTheShowsOwn) {
  CropEditor& f = *editor;
  const PixelSurface photo = patterned(500, 400);
  QTimer::singleShot(0, &f, [&] {
    EXPECT_EQ(f.frameShape()->geometry(), QRect(100, 50, 375, 300));
    EXPECT_TRUE(f.frame().frameSwapped());
    QTest::keyClick(f.windowHandle(), Qt::Key_Right);
    QTest::mouseClick(f.bottomBar()->okButton(), Qt::LeftButton);
  });
  const CropDecision decision =
      f.editPicture(photo, settings, {}, FramedPart{{100, 50, 475, 350}, true});
  const SurfaceRect& frame = decision.part.frame;
  EXPECT_EQ(QRect(frame.left, frame.top, frame.width(), frame.height()), QRect(101, 50, 375, 300));
  EXPECT_TRUE(decision.part.turned);
  edit(
      photo,
      [&] {
        EXPECT_EQ(f.frameShape()->geometry(), QRect(0, 0, 176, 220));
        EXPECT_FALSE(f.frame().frameSwapped());
      },
      f.bottomBar()->skipButton());
}

TEST_F(CropEditorTest, SkipLeavesTheTargetAndOnlyTheTwoCommandsClose) {
  CropEditor& f = *editor;
  target.prepare(176, 220);
  target.surface().setPixel(3, 3, 0x010203);
  const bool skipped = edit(
      patterned(300, 400),
      [&] {
        QTest::keyClick(&f, Qt::Key_Escape);
        EXPECT_FALSE(f.close());
        EXPECT_FALSE(f.windowHandle()->close());  // as the window manager asks
        QTest::keyClick(&f, Qt::Key_F4, Qt::AltModifier);
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.editorSkipped());
      },
      f.bottomBar()->skipButton());
  EXPECT_TRUE(skipped);
  EXPECT_EQ(target.surface().getPixel(3, 3), 0x010203u);
  EXPECT_EQ(target.surface().getPixel(0, 0), White);
  EXPECT_FALSE(edit(
      patterned(300, 400), [] {}, f.bottomBar()->okButton()));
}

TEST_F(CropEditorTest, FailedOkShowsTheErrorAndStaysOpenWithTheCutMade) {
  CropEditor& f = *editor;
  EXPECT_TRUE(edit(
      patterned(300, 400), [] {}, f.bottomBar()->skipButton()));
  settings.targetWidth = 0;
  target.prepare(0, 220);
  const bool skipped = edit(
      patterned(300, 400),
      [&] {
        QTest::mousePress(f.frameShape(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(f.frameShape(), QPoint(40, 50));
        QTest::mouseRelease(f.frameShape(), Qt::LeftButton, {}, QPoint(10, 10));
        uitest::ModalAnswerer errorBox;
        QTest::mouseClick(f.bottomBar()->okButton(), Qt::LeftButton);
        ASSERT_EQ(errorBox.seen.size(), 1u);
        EXPECT_EQ(errorBox.seen[0].text, "Floating point division by zero.");
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.editorSkipped());
        EXPECT_EQ(f.picture().getPixel(0, 0), colourAt(30, 40));
        EXPECT_EQ(f.pictureView()->image().pixel(0, 0), shown(colourAt(30, 40)));
      },
      f.bottomBar()->skipButton());
  EXPECT_TRUE(skipped);
  EXPECT_FALSE(target.holdsSurface());
}

// The next picture comes up at once in the same place, so the second click of
// a double click that closed the editor would land on its button.
TEST_F(CropEditorTest, DoubleClickOnACommandLeavesTheNextPictureAlone) {
  CropEditor& f = *editor;
  target.prepare(176, 220);
  for (QPushButton* command : {f.bottomBar()->okButton(), f.bottomBar()->skipButton()}) {
    const auto click = [&](int delay) {
      const QPoint at = command->mapTo(&f, command->rect().center());
      QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {}, at, delay);
    };
    QTimer::singleShot(0, &f, [&] { click(-1); });
    f.editPicture(patterned(300, 400), settings);
    QTimer::singleShot(0, &f, [&] {
      // QTest spaces clicks so that they never pair; these two are 120 ms apart.
      QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
      click(120);
      QTest::keyClick(f.windowHandle(), Qt::Key_Space);
      EXPECT_TRUE(f.isVisible()) << command->text().toStdString();
      click(-1);  // a click of its own acts
    });
    f.editPicture(patterned(300, 400), settings);
  }
}

// Input that reaches the editor while it is hidden between two pictures.
TEST_F(CropEditorTest, ButtonsTakeNoInputBetweenPictures) {
  CropEditor& f = *editor;
  target.prepare(176, 220);
  EXPECT_TRUE(edit(
      patterned(300, 400), [] {}, f.bottomBar()->skipButton()));
  QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {},
                    f.bottomBar()->okButton()->mapTo(&f, QPoint(5, 5)));
  EXPECT_TRUE(f.editorSkipped());
  EXPECT_EQ(target.surface().getPixel(0, 0), White);
}

// A key hit as the next picture comes up finds no button to press: the focus
// starts where the first picture had it, and Tab shows it on the buttons.
TEST_F(CropEditorTest, KeysRightAfterAPictureComesUpPressNoCommand) {
  CropEditor& f = *editor;
  target.prepare(176, 220);
  const auto keysThen = [&](const std::function<void()>& then) {
    QTimer::singleShot(0, &f, [&] {
      for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(f.windowHandle(), key);
      EXPECT_TRUE(f.isVisible());
      then();
    });
    return f.editPicture(patterned(300, 400), settings).skipped;
  };
  EXPECT_FALSE(keysThen([&] { QTest::mouseClick(f.bottomBar()->okButton(), Qt::LeftButton); }));
  EXPECT_TRUE(keysThen([&] {
    QTest::keyClick(f.windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(f.bottomBar()->skipButton()->hasFocus());
    EXPECT_TRUE(f.testAttribute(Qt::WA_KeyboardFocusChange));  // the style draws the focus
    QTest::keyClick(f.windowHandle(), Qt::Key_Space);
  }));
  EXPECT_TRUE(keysThen([&] { QTest::mouseClick(f.bottomBar()->skipButton(), Qt::LeftButton); }));
}

TEST_F(CropEditorTest, ALargePhotoOpensWholeAndThePreviewIsTheResult) {
  CropEditor& f = *editor;
  settings.antiAlias = true;
  target.prepare(176, 220);
  QTimer::singleShot(0, &f, [&] {
    const QSize view = f.scrollArea()->maximumViewportSize();
    const Zoom fit = Zoom::toFit({2400, 1600}, {view.width(), view.height()});
    EXPECT_EQ(f.zoom(), fit);
    EXPECT_EQ(f.pictureView()->size(), QSize(int(fit.toScreen(2400)), int(fit.toScreen(1600))));
    EXPECT_EQ(f.bottomBar()->photoLabel()->toolTip(), "/photos/IMG_2041.JPG");
    // Ten screen pixels move the frame by the picture pixels they cover.
    const QPoint grip(40, 40);
    QTest::mousePress(f.frameShape(), Qt::LeftButton, {}, grip);
    QTest::mouseMove(f.frameShape(), grip + QPoint(10, 0));
    QTest::mouseRelease(f.frameShape(), Qt::LeftButton, {}, grip + QPoint(10, 0));
    EXPECT_EQ(f.frame().left(), fit.toPicture(50) - fit.toPicture(40));
    QTest::keyClick(f.windowHandle(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(f.pictureView()->size(), QSize(2400, 1600));
    QTest::keyClick(f.windowHandle(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(f.zoom(), fit);
    QTest::keyClick(f.windowHandle(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(f.zoom(), fit.in());
    QTest::qWait(50);  // the preview catches up with the last move
    EXPECT_TRUE(f.previewView()->isVisible());
    f.resize(1600, f.height());  // room in the bar for the whole name
    EXPECT_EQ(f.bottomBar()->photoLabel()->text(), "IMG_2041.JPG  2400 x 1600");
    // At 1280 the name keeps its room and the last buttons fold into "More",
    // whose menu does what they do; the bar holds all it shows.
    CropEditorBar& bar = *f.bottomBar();
    f.resize(1280, f.height());
    EXPECT_EQ(bar.photoLabel()->text(), "IMG_2041.JPG  2400 x 1600");
    EXPECT_TRUE(bar.fitButton()->isHidden());
    EXPECT_LE(bar.moreButton()->geometry().right() + bar.moreButton()->parentWidget()->x(),
              bar.width());
    QTest::keyClick(f.windowHandle(), Qt::Key_1, Qt::ControlModifier);
    QMenu& more = *bar.moreButton()->menu();
    emit more.aboutToShow();
    const QList<QAction*> folded = more.actions();
    const auto fitEntry = std::find_if(folded.begin(), folded.end(), [&](QAction* a) {
      return a->text() == bar.fitButton()->toolTip();
    });
    ASSERT_NE(fitEntry, folded.end());
    (*fitEntry)->trigger();
    const QSize narrower = f.scrollArea()->maximumViewportSize();
    EXPECT_EQ(f.zoom(), Zoom::toFit({2400, 1600}, {narrower.width(), narrower.height()}));
    // Narrower still, the name is cut; the size stays whole.
    f.resize(1040, f.height());
    const QString cut = f.bottomBar()->photoLabel()->text();
    EXPECT_TRUE(cut.startsWith("IM") && cut.contains(u'\u2026') && cut.endsWith("G  2400 x 1600"))
        << cut.toStdString();
    QTest::mouseClick(f.bottomBar()->okButton(), Qt::LeftButton);
  });
  const PixelSurface photo = patterned(2400, 1600);
  EXPECT_FALSE(commit(photo, f.editPicture(photo, settings, "/photos/IMG_2041.JPG")));
  antiAliasPass(true, target);
  const PixelSurface& preview = f.previewView()->output();
  for (int x = 0; x < 176; ++x) {
    for (int y = 0; y < 220; ++y)
      ASSERT_EQ(preview.getPixel(x, y), target.surface().getPixel(x, y));
  }
}

TEST_F(CropEditorTest, DraggingPastTheViewsEdgeScrollsAndTheFrameFollows) {
  CropEditor& f = *editor;
  edit(
      patterned(2400, 1600),
      [&] {
        QScrollBar* across = f.scrollArea()->horizontalScrollBar();
        QScrollBar* down = f.scrollArea()->verticalScrollBar();
        QWidget* view = f.scrollArea()->viewport();
        across->setValue(0);
        down->setValue(0);
        // The frame's right edge follows the pointer, up to where its height would reach H.
        const QPoint rightOfView(view->width() + 20, 100);
        QTest::mousePress(f.handleShape(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(f.handleShape(), f.handleShape()->mapFrom(view, rightOfView));
        EXPECT_TRUE(QTest::qWaitFor([&] { return across->value() > 100; }));

        QTest::mouseRelease(f.handleShape(), Qt::LeftButton);
        EXPECT_EQ(f.frame().width(), std::min(across->value() + rightOfView.x(), 1279));
        const int scrolled = across->value();
        QTest::qWait(100);
        EXPECT_EQ(across->value(), scrolled);  // the release ended it

        // The pressed point stays under the pointer, as long as the frame fits.
        const QPoint belowView(100, view->height() + 20);
        QTest::mousePress(f.frameShape(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(f.frameShape(), f.frameShape()->mapFrom(view, belowView));
        EXPECT_TRUE(QTest::qWaitFor([&] { return down->value() > 100; }));
        QTest::mouseRelease(f.frameShape(), Qt::LeftButton);
        EXPECT_EQ(f.frame().top(),
                  std::min(down->value() + belowView.y() - 50, 1600 - f.frame().height()));
      },
      f.bottomBar()->skipButton());
}

// Each photo comes up with the keys on the picture: arrows frame it, and
// the keys that press a focused button press nothing.
TEST_F(CropEditorTest, ArrowKeysMoveAndSizeTheFrame) {
  CropEditor& f = *editor;
  edit(
      patterned(700, 800),
      [&] {
        QWindow* window = f.windowHandle();
        EXPECT_EQ(f.focusWidget(), f.pictureView());
        QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(f.frameShape()->geometry(), QRect(1, 10, 176, 220));
        QTest::keyClick(window, Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(f.frameShape()->geometry(), QRect(1, 10, 177, 221));
        QTest::keyClick(window, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(f.frameShape()->geometry(), QRect(1, 10, 176, 220));
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
          QTest::keyClick(window, key);
        EXPECT_TRUE(f.isVisible());
        QTest::keyClick(window, Qt::Key_P);
        EXPECT_EQ(f.previewMode(), CropEditor::PreviewMode::Double);
        QTest::keyClick(window, Qt::Key_P);
        EXPECT_EQ(f.previewMode(), CropEditor::PreviewMode::Off);
        QTest::keyClick(window, Qt::Key_P);
      },
      f.bottomBar()->skipButton());
}

// "STOP" and a close request ask first; Return and Escape go on, and only
// "Stop the Run" (Alt+S) ends the photo, with the editor gone.
TEST_F(CropEditorTest, StopAndACloseRequestAskBeforeTheyEndThePhoto) {
  CropEditor& f = *editor;
  f.askToStop = [&] { return askToStopRun(&f); };
  QTimer::singleShot(0, &f, [&] {
    for (Qt::Key answer : {Qt::Key_Return, Qt::Key_Escape}) {
      uitest::ModalAnswerer question([&](QWidget* box) { QTest::keyClick(box, answer); });
      QTest::mouseClick(f.bottomBar()->stopButton(), Qt::LeftButton);
      ASSERT_EQ(question.seen.size(), 1u);
      EXPECT_EQ(question.seen[0].text, "Stop the run? The pictures written so far stay.");
      EXPECT_TRUE(f.isVisible());
    }
    uitest::ModalAnswerer goOn([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_FALSE(f.close());
    EXPECT_EQ(goOn.seen.size(), 1u);
    EXPECT_TRUE(f.isVisible());
    // The box comes up with "Go On" chosen; Alt+S chooses "Stop the Run".
    uitest::ModalAnswerer stop([](QWidget* box) {
      QAbstractButton* choice = static_cast<QMessageBox*>(box)->defaultButton();
      EXPECT_EQ(choice->text(), "Go On");
      for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) {
        if (button->shortcut() == QKeySequence(Qt::ALT | Qt::Key_S)) choice = button;
      }
      EXPECT_EQ(choice->text(), "&Stop the Run");
      choice->click();
    });
    f.close();
  });
  f.editPicture(patterned(300, 400), settings);
  EXPECT_FALSE(f.isVisible());
}

// At 100 % on a photo wider than the view: the frame moved to the right
// edge, then turned, stays in view; F and L frame it in one key.
TEST_F(CropEditorTest, TheViewFollowsTheFrameThroughItsCommands) {
  CropEditor& f = *editor;
  target.prepare(176, 220);
  const auto inView = [&] {
    const QRect view(f.scrollArea()->horizontalScrollBar()->value(),
                     f.scrollArea()->verticalScrollBar()->value(),
                     f.scrollArea()->viewport()->width(), f.scrollArea()->viewport()->height());
    return view.contains(f.frameShape()->geometry());
  };
  edit(
      patterned(2560, 1600),
      [&] {
        for (int i = 0; i < 300; ++i) {
          QTest::keyClick(f.pictureView(), Qt::Key_Right, Qt::ShiftModifier);
        }
        EXPECT_EQ(f.frame().left(), 2560 - 176);
        EXPECT_TRUE(inView());
        QTest::mouseClick(f.bottomBar()->rotateFrameButton(), Qt::LeftButton);
        EXPECT_EQ(f.frame().left(), 0);
        EXPECT_TRUE(f.frame().frameSwapped());
        EXPECT_TRUE(inView());
        QTest::keyClick(f.pictureView(), Qt::Key_L);  // the run's first photo: nothing
        EXPECT_EQ(f.frame().width(), 220);
        QTest::keyClick(f.pictureView(), Qt::Key_F);
        EXPECT_EQ(f.frameShape()->geometry(), QRect(280, 0, 1999, 1599));
      },
      f.bottomBar()->okButton());
  edit(
      patterned(1280, 800),
      [&] {
        QTest::keyClick(f.pictureView(), Qt::Key_L);
        EXPECT_EQ(f.frameShape()->geometry(), QRect(140, 0, 999, 799));
        EXPECT_TRUE(f.frame().frameSwapped());
      },
      f.bottomBar()->skipButton());
}
