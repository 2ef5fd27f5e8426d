// Runs started with "Start" in the main window, through the real engine and
// the real windows: report dialogs, the error box, the output folder, the
// rotation direction, and input during a run.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <utility>

#include "tests/support/CraftedFiles.h"
#include "tests/support/TestPictures.h"
#include "tests/support/UiTesting.h"
#include "ui/CropEditor.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"
#include "ui/MessageDialog.h"
#include "ui/WindowFrontEnd.h"

using namespace batchfit;
namespace fs = std::filesystem;

namespace {

struct RunFromWindowTest : ::testing::Test {
  testpics::TempDir dir;
  MainWindow window;
  CropEditor editor;
  WindowFrontEnd frontEnd{window, editor};

  void SetUp() override {
    window.setFrontEnd(&frontEnd);
    window.saveFile = [this](QWidget*, const QString&) {
      return QString::fromStdString(dir.file("out/chosen"));
    };
    window.outputFolderButton()->click();
    fs::create_directory(dir.path() / "out");
    window.show();
  }

  std::string picture(const std::string& name, int width, int height) {
    testpics::writeFile(dir.path() / name, testpics::makeJpeg(width, height));
    return dir.file(name);
  }
  void list(const std::vector<std::string>& paths) {
    window.fileList()->clear();
    for (const std::string& path : paths) window.fileList()->addItem(QString::fromStdString(path));
  }
  void start() { QTest::mouseClick(window.startButton(), Qt::LeftButton); }
  bool written(const std::string& name) const { return fs::exists(dir.path() / "out" / name); }
};

TEST_F(RunFromWindowTest, ReportShowsOneDialogPerSkippedFileInOrder) {
  const std::string small1 = picture("small1.jpg", 100, 100);
  const std::string small2 = picture("small2.jpg", 170, 400);
  list({small1, picture("fits.jpg", 300, 400), small2});
  int buttons = 0;
  uitest::ModalAnswerer answerer([&](QWidget* modal) {
    buttons = int(modal->findChildren<QPushButton*>().size());
    static_cast<QDialog*>(modal)->accept();
  });
  start();
  ASSERT_EQ(answerer.seen.size(), 2u);
  const char* tooSmall = " has too small size and can not be resized!";
  EXPECT_EQ(answerer.seen[0].text, QString::fromStdString('"' + small1 + '"' + tooSmall));
  EXPECT_EQ(answerer.seen[1].text, QString::fromStdString('"' + small2 + '"' + tooSmall));
  for (const uitest::SeenModal& seen : answerer.seen) {
    EXPECT_EQ(seen.className, "MessageDialog");
    EXPECT_EQ(seen.title, applicationTitle());
  }
  EXPECT_EQ(buttons, 2);
  EXPECT_TRUE(written("fits.jpg"));
  EXPECT_EQ(window.progressLabel()->text(), "Picture 2 of 3");
  EXPECT_EQ(editor.progressLabel()->text(), "Picture 2 of 3");
  EXPECT_EQ(window.progressBar()->value(), 2);
  EXPECT_EQ(window.progressBar()->maximum(), 3);
  EXPECT_EQ(editor.progressBar()->value(), 2);
  EXPECT_EQ(editor.progressBar()->maximum(), 3);
}

TEST_F(RunFromWindowTest, CloseAllOnTheFirstOfThreeReportBoxesClosesThemAll) {
  list({picture("s1.jpg", 100, 100), picture("s2.jpg", 100, 100), picture("s3.jpg", 100, 100)});
  // Alt+A holds the button down for a moment, and the dialog is seen again
  // meanwhile: it is pressed once per dialog.
  QSet<QString> pressed;
  uitest::ModalAnswerer answerer([&](QWidget* modal) {
    const QString text = static_cast<MessageDialog*>(modal)->message();
    if (!modal->isActiveWindow() || pressed.contains(text)) return;
    pressed.insert(text);
    QTest::keyClick(modal, Qt::Key_A, Qt::AltModifier);
  });
  start();
  EXPECT_EQ(pressed.size(), 1);
  // The run's record still holds every line.
  EXPECT_NE(window.totalsLabel()->text().indexOf("; too small 3"), -1);
}

TEST_F(RunFromWindowTest, ErrorInTheThirdOfFiveFilesShowsOneErrorBoxAndKeepsEarlierOutputs) {
  testpics::writeFile(dir.path() / "c.bmp", crafted::makeBmp(300, 400));
  list({picture("a.jpg", 300, 400), picture("b.jpg", 300, 400), dir.file("c.bmp"),
        picture("small.jpg", 50, 50), picture("e.jpg", 300, 400)});
  uitest::ModalAnswerer answerer;
  start();
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].className, "QMessageBox");
  EXPECT_EQ(answerer.seen[0].title, applicationTitle());
  EXPECT_EQ(answerer.seen[0].text, "JPEG error #53.");
  EXPECT_TRUE(written("a.jpg"));
  EXPECT_TRUE(written("b.jpg"));
  EXPECT_FALSE(written("c.bmp"));
  EXPECT_FALSE(written("e.jpg"));
  EXPECT_EQ(window.progressLabel()->text(), "Picture 3 of 5");
  EXPECT_EQ(window.fileList()->count(), 5);
  // The totals name the file the error stopped at.
  EXPECT_TRUE(window.totalsLabel()->text().endsWith(QString::fromStdString(
      "; stopped by an error at picture 3 of 5 (" + dir.file("c.bmp") + ")")))
      << window.totalsLabel()->text().toStdString();

  // The window is usable again at once.
  EXPECT_FALSE(window.running());
  list({picture("f.jpg", 300, 400)});
  start();
  EXPECT_EQ(answerer.seen.size(), 1u);
  EXPECT_TRUE(written("f.jpg"));
  EXPECT_EQ(window.progressLabel()->text(), "Picture 1 of 1");
}

TEST_F(RunFromWindowTest, AfterTheReportALineGivesTheTotalsAndTheReportSavesAsCsv) {
  const std::string small = picture("small.jpg", 100, 100);
  const std::string fits = picture("fits.jpg", 300, 400);
  const std::string wide = picture("wide.jpg", 900, 300);
  list({small, fits, wide});
  window.mismatchGroup()->setItemIndex(1);  // Skip File
  EXPECT_FALSE(window.saveReportButton()->isEnabled());
  uitest::ModalAnswerer answerer([&](QWidget* modal) {
    EXPECT_TRUE(window.totalsLabel()->text().isEmpty());  // not before the report is read
    static_cast<QDialog*>(modal)->accept();
  });
  start();
  ASSERT_EQ(answerer.seen.size(), 2u);
  EXPECT_TRUE(QRegularExpression("^Written 1: 1 scaled, 0 edited; skipped by the user 0; wrong "
                                 "aspect ratio 1; too small 1\nTook 0:\\d\\d\\.\\d$")
                  .match(window.totalsLabel()->text())
                  .hasMatch())
      << window.totalsLabel()->text().toStdString();

  QString offered;
  window.saveReportFile = [&](QWidget*, const QString& fileName) {
    offered = fileName;
    return QString::fromStdString(dir.file("report.csv"));
  };
  QTest::mouseClick(window.saveReportButton(), Qt::LeftButton);
  EXPECT_EQ(offered.toStdString(), dir.file("out/report.csv"));
  // The report's lines as the dialogs showed them, quotes doubled.
  const auto quoted = [](QString line) { return "\"" + line.replace("\"", "\"\"") + "\""; };
  const QString csv =
      "file,outcome,reason,output path\r\n" + QString::fromStdString(small) + ",too small," +
      quoted(answerer.seen[0].text) + ",\r\n" + QString::fromStdString(fits) + ",written,," +
      QString::fromStdString(dir.file("out/fits.jpg")) + "\r\n" + QString::fromStdString(wide) +
      ",wrong aspect ratio," + quoted(answerer.seen[1].text) + ",\r\n";
  const std::vector<std::uint8_t> saved = testpics::readFile(dir.path() / "report.csv");
  EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(saved.data()), qsizetype(saved.size())),
            csv);
}

TEST_F(RunFromWindowTest, FilesGoToTheChosenFolderNotToTheTypedOne) {
  fs::create_directory(dir.path() / "typed");
  fs::create_directory(dir.path() / "dest");
  window.saveFile = [&](QWidget*, const QString&) {
    return QString::fromStdString(dir.file("dest/x.jpg"));
  };
  QTest::mouseClick(window.outputFolderButton(), Qt::LeftButton);
  EXPECT_EQ(window.outputDirEdit()->text().toStdString(), dir.file("dest/"));
  window.outputDirEdit()->selectAll();
  QTest::keyClicks(window.outputDirEdit(), QString::fromStdString(dir.file("typed/")));
  list({picture("in.jpg", 300, 400)});
  uitest::ModalAnswerer answerer;
  start();
  EXPECT_TRUE(answerer.seen.empty());
  EXPECT_TRUE(fs::exists(dir.path() / "dest" / "in.jpg"));
  EXPECT_FALSE(fs::exists(dir.path() / "dest" / "x.jpg"));
  EXPECT_TRUE(fs::is_empty(dir.path() / "typed"));
}

TEST_F(RunFromWindowTest, OnlyTheExactTextRightTurnsClockwise) {
  list({picture("wide.jpg", 400, 300)});
  window.formatGroup()->setItemIndex(1);  // BMP
  auto runWith = [&](const QString& direction) {
    window.rotateDirectionBox()->lineEdit()->selectAll();
    QTest::keyClicks(window.rotateDirectionBox()->lineEdit(), direction);
    start();
    return testpics::readFile(dir.path() / "out" / "wide.bmp");
  };
  const auto left = runWith("Left");
  const auto typedRight = runWith("right");
  const auto right = runWith("Right");
  EXPECT_FALSE(left.empty());
  EXPECT_EQ(typedRight, left);
  EXPECT_NE(right, left);
}

TEST_F(RunFromWindowTest, BarKeepsItsPositionWithinANewRangeAndNeverShowsBusy) {
  const std::string fits = picture("fits.jpg", 300, 400);
  list({fits, fits});
  start();
  EXPECT_EQ(window.progressBar()->value(), 2);

  // No file passes: the old position stays, held within the new range.
  list({picture("small.jpg", 20, 20)});
  uitest::ModalAnswerer answerer;
  start();
  EXPECT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(window.progressLabel()->text(), "Picture 0 of 1");
  EXPECT_EQ(window.progressBar()->maximum(), 1);
  EXPECT_EQ(window.progressBar()->value(), 1);

  // An empty list: an empty bar, not the busy animation of a 0..0 range.
  list({});
  start();
  EXPECT_EQ(window.progressLabel()->text(), "Picture 0 of 0");
  EXPECT_EQ(editor.progressLabel()->text(), "Picture 0 of 0");
  for (QProgressBar* bar : {window.progressBar(), editor.progressBar()}) {
    EXPECT_LT(bar->minimum(), bar->maximum());
    EXPECT_EQ(bar->value(), bar->minimum());
  }
}

void postClick(QWidget* widget) {
  const QPointF centre = QRectF(widget->rect()).center();
  const QPointF global = widget->mapToGlobal(centre);
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                      Qt::LeftButton, Qt::LeftButton, {}));
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                      Qt::LeftButton, Qt::NoButton, {}));
}

void postKey(QWidget* widget, int key) {
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, {}));
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, {}));
}

TEST_F(RunFromWindowTest, InputDuringARunIsDroppedNotQueued) {
  list({"/one.jpg", "/two.jpg"});
  window.fileList()->item(0)->setSelected(true);
  int runs = 0;
  bool closed = true;
  window.run = [&](const JobSettings&, FrontEnd& frontEnd, WorkPictures&, RunRecord&) {
    if (++runs > 1) return;
    postClick(window.startButton());
    postKey(window.fileList(), Qt::Key_Delete);
    frontEnd.repaintMain();  // lets the window system through
    // The close request asks whether to stop the run; Escape goes on.
    uitest::ModalAnswerer question([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    closed = window.close();
    EXPECT_EQ(question.seen.size(), 1u);
    EXPECT_FALSE(frontEnd.stopAsked());
    postClick(window.startButton());  // still queued when the run ends
    postClick(window.removeFilesButton());
  };
  start();
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.fileList()->count(), 2);

  // Once the run is over the same input works again.
  postClick(window.startButton());
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 2);
}

TEST_F(RunFromWindowTest, StartDuringAReportMessageNeverStartsASecondRun) {
  list({picture("small.jpg", 20, 20)});
  bool clicked = false;
  uitest::ModalAnswerer answerer([&](QWidget* modal) {
    if (!std::exchange(clicked, true)) postClick(window.startButton());
    QCoreApplication::processEvents();
    static_cast<QDialog*>(modal)->accept();
  });
  start();
  QCoreApplication::processEvents();
  EXPECT_EQ(answerer.seen.size(), 1u);
}

}  // namespace
