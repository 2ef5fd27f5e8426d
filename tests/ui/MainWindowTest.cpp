// The main window with simulated mouse and keys: the file list commands,
// files dropped on the list, the controls feeding the run's settings, the
// output folder and the tab order.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

#include "tests/support/TestPictures.h"
#include "tests/support/UiTesting.h"
#include "ui/CropEditor.h"
#include "ui/MainWindow.h"
#include "ui/WindowFrontEnd.h"

using namespace batchfit;

namespace {

struct MainWindowTest : ::testing::Test {
  MainWindow window;
  CropEditor editor;
  WindowFrontEnd frontEnd{window, editor};

  void SetUp() override {
    window.setFrontEnd(&frontEnd);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void fillList(int count) {
    for (int i = 0; i < count; ++i) window.fileList()->addItem(QString("/photos/%1.jpg").arg(i));
  }
  void select(const std::set<int>& rows) {
    for (int row : rows) window.fileList()->item(row)->setSelected(true);
  }
  QStringList items() const {
    QStringList result;
    for (int i = 0; i < window.fileList()->count(); ++i) {
      result << window.fileList()->item(i)->text();
    }
    return result;
  }
  std::set<int> selectedRows() const {
    std::set<int> rows;
    for (int i = 0; i < window.fileList()->count(); ++i) {
      if (window.fileList()->item(i)->isSelected()) rows.insert(i);
    }
    return rows;
  }
  void clickRemove() { QTest::mouseClick(window.removeFilesButton(), Qt::LeftButton); }

  // Drags the paths over the list as a file manager would, Shift held (which
  // proposes a move), and drops them if the list takes the drag; whether it did.
  bool drop(const QStringList& paths, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) {
      urls << (path.startsWith('/') ? QUrl::fromLocalFile(path) : QUrl(path));
    }
    data.setUrls(urls);
    QWidget* target = window.fileList()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(target, &move);
    EXPECT_EQ(move.isAccepted(), enter.isAccepted());
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(target, &dropped);
    // Never a move: the file manager would take the photos away.
    EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
    return dropped.isAccepted();
  }
};

// The counts line once it reads `expected` (it is planned on a worker), or
// as it reads after a few seconds.
QString countsOnceThey(const MainWindow& window, const QString& expected) {
  static_cast<void>(QTest::qWaitFor([&] { return window.planLine()->text() == expected; }, 5000));
  return window.planLine()->text();
}

// A radio button takes clicks on its circle and caption only, near its left edge.
void clickRadio(QRadioButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

TEST_F(MainWindowTest, RemovalTakesTheSelectedFilesAndSelectsTheFirstLeft) {
  fillList(4);
  select({1, 2});
  clickRemove();
  EXPECT_EQ(items(), QStringList({"/photos/0.jpg", "/photos/3.jpg"}));
  EXPECT_EQ(selectedRows(), std::set<int>{0});
}

TEST_F(MainWindowTest, RemovalWithNothingSelectedOnlySelectsTheFirstFile) {
  fillList(3);
  clickRemove();
  EXPECT_EQ(items().size(), 3);
  EXPECT_EQ(selectedRows(), std::set<int>{0});
}

TEST_F(MainWindowTest, RemovalOfEverythingOrOfNothingLeavesAnEmptyList) {
  fillList(3);
  select({0, 1, 2});
  clickRemove();
  EXPECT_EQ(window.fileList()->count(), 0);
  clickRemove();
  EXPECT_EQ(window.fileList()->count(), 0);
  EXPECT_TRUE(window.fileList()->selectedItems().isEmpty());
}

TEST_F(MainWindowTest, DeleteKeyRemovesWhateverModifiersAreHeld) {
  const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                             Qt::AltModifier};
  for (Qt::KeyboardModifiers held : modifiers) {
    window.fileList()->clear();
    fillList(3);
    select({1});
    window.fileList()->setFocus();
    QTest::keyClick(window.fileList(), Qt::Key_Delete, held);
    EXPECT_EQ(items(), QStringList({"/photos/0.jpg", "/photos/2.jpg"})) << held;
  }
}

TEST_F(MainWindowTest, OtherKeysStayWithTheList) {
  fillList(3);
  window.fileList()->setFocus();
  window.fileList()->setCurrentRow(0);
  QTest::keyClick(window.fileList(), Qt::Key_Down);
  EXPECT_EQ(window.fileList()->currentRow(), 1);
  EXPECT_EQ(window.fileList()->count(), 3);
}

TEST_F(MainWindowTest, AddedFilesAreAppendedAsChosenEvenTwice) {
  fillList(1);
  select({0});
  QStringList openedWith;
  QStringList answer = {"/a/b.jpg", "/a/c.JPG"};
  window.openFiles = [&](QWidget*, const QString& fileName) {
    openedWith << fileName;
    return answer;
  };
  QTest::mouseClick(window.addFilesButton(), Qt::LeftButton);
  answer = {"/a/b.jpg"};
  QTest::mouseClick(window.addFilesButton(), Qt::LeftButton);
  answer = {};  // cancelled
  QTest::mouseClick(window.addFilesButton(), Qt::LeftButton);
  EXPECT_EQ(items(), QStringList({"/photos/0.jpg", "/a/b.jpg", "/a/c.JPG", "/a/b.jpg"}));
  EXPECT_EQ(selectedRows(), std::set<int>{0});
  // The dialog opens where the previous selection began.
  EXPECT_EQ(openedWith, QStringList({"", "/a/b.jpg", "/a/b.jpg"}));
}

TEST_F(MainWindowTest, DroppedFilesAndFoldersAreAppendedOtherDropsAreRefused) {
  testpics::TempDir dir;
  const QString folder = QString::fromStdString(dir.file("photos"));
  std::filesystem::create_directories(dir.path() / "photos" / "sub.jpg");
  for (const char* name :
       {"b.JPG", "a.jpeg", "notes.txt", ".hidden.jpg", "C.bmp", "sub.jpg/d.jpg", "x.png"}) {
    testpics::writeFile(dir.path() / "photos" / name, {});
  }
  fillList(1);
  EXPECT_TRUE(drop({folder + "/b.JPG", folder, "/elsewhere/gone.jpg"}));
  // Each folder's own photos in name order, whatever the case; not its subfolders'.
  EXPECT_EQ(items(), QStringList({"/photos/0.jpg", folder + "/b.JPG", folder + "/.hidden.jpg",
                                  folder + "/a.jpeg", folder + "/b.JPG", folder + "/C.bmp",
                                  "/elsewhere/gone.jpg"}));

  // Anything else among what is dragged refuses the whole drag, as does a
  // source that only lets the files be moved.
  for (const QStringList& refused :
       {QStringList{folder + "/a.jpeg", folder + "/notes.txt"}, QStringList{folder + "/x.png"},
        QStringList{"https://example.org/a.jpg"}, QStringList{}}) {
    EXPECT_FALSE(drop(refused)) << refused.join(' ').toStdString();
  }
  EXPECT_FALSE(drop({folder + "/a.jpeg"}, Qt::MoveAction));

  // During a run the list takes no drop.
  bool takenDuringRun = true;
  window.run = [&](const JobSettings&, FrontEnd&, WorkPictures&, RunRecord&) {
    takenDuringRun = drop({folder + "/a.jpeg"});
  };
  QTest::mouseClick(window.startButton(), Qt::LeftButton);
  EXPECT_FALSE(takenDuringRun);
  EXPECT_EQ(items().size(), 7);
}

// "Other Formats" lets the list take their photos, whatever the case.
TEST_F(MainWindowTest, OtherFormatsAreDroppedOnlyWhileTheyAreRead) {
  testpics::TempDir dir;
  const QString folder = QString::fromStdString(dir.file("photos"));
  std::filesystem::create_directories(dir.path() / "photos");
  for (const char* name : {"a.PNG", "b.png", "c.jpg", "d.gif"}) {
    testpics::writeFile(dir.path() / "photos" / name, {});
  }
  EXPECT_FALSE(drop({folder + "/b.png"}));
  QTest::mouseClick(window.otherFormatsCheck(), Qt::LeftButton);
  EXPECT_TRUE(drop({folder + "/b.png", folder}));
  EXPECT_EQ(items(), QStringList({folder + "/b.png", folder + "/a.PNG", folder + "/b.png",
                                  folder + "/c.jpg"}));
}

TEST_F(MainWindowTest, DefaultControlsGiveTheDefaultSettings) {
  const JobSettings settings = window.jobSettings();
  const JobSettings defaults;
  EXPECT_EQ(settings.targetWidth, defaults.targetWidth);
  EXPECT_EQ(settings.targetHeight, defaults.targetHeight);
  EXPECT_EQ(settings.saveFormat, defaults.saveFormat);
  EXPECT_EQ(settings.jpegQuality, defaults.jpegQuality);
  EXPECT_EQ(settings.mode, defaults.mode);
  EXPECT_EQ(settings.aspectTolerance, defaults.aspectTolerance);
  EXPECT_EQ(settings.mismatchAction, defaults.mismatchAction);
  EXPECT_EQ(settings.autoRotate, defaults.autoRotate);
  EXPECT_EQ(settings.rotateDirection, defaults.rotateDirection);
  EXPECT_EQ(settings.antiAlias, defaults.antiAlias);
  EXPECT_EQ(settings.exifOrientation, defaults.exifOrientation);
  EXPECT_EQ(settings.rememberFrames, defaults.rememberFrames);
  EXPECT_EQ(window.exifOrientationCheck()->text(), "Camera Orientation");
  EXPECT_FALSE(settings.smoothScaling);
  EXPECT_EQ(window.smoothScalingCheck()->text(), "Smooth Scaling");
  EXPECT_FALSE(settings.otherFormats);
  EXPECT_FALSE(settings.toSrgb);
  EXPECT_EQ(window.otherFormatsCheck()->text(), "Other Formats");
  EXPECT_EQ(window.toSrgbCheck()->text(), "Convert to sRGB");
  EXPECT_EQ(settings.outputPath, "/tmp/Save Your Resized Files Here");
  EXPECT_TRUE(settings.files.empty());
  EXPECT_EQ(window.windowTitle(), "Options");
  EXPECT_EQ(window.outputDirEdit()->text(), "/tmp");
  EXPECT_EQ(window.progressLabel()->text(), "Picture 0 of 0");
  EXPECT_EQ(window.progressBar()->value(), 0);
  EXPECT_EQ(window.progressBar()->maximum(), 100);
}

TEST_F(MainWindowTest, EveryControlFeedsItsOwnField) {
  window.targetWidthBox()->setFocus();
  window.targetWidthBox()->editor()->selectAll();
  QTest::keyClicks(window.targetWidthBox()->editor(), "200");
  window.targetHeightBox()->setText("-3");
  clickRadio(window.formatGroup()->button(1));
  QTest::mouseClick(window.qualityBox()->downButton(), Qt::LeftButton);
  clickRadio(window.modeGroup()->button(2));
  QTest::mouseClick(window.toleranceBox()->downButton(), Qt::LeftButton);
  clickRadio(window.mismatchGroup()->button(1));
  QTest::mouseClick(window.rotateCheck(), Qt::LeftButton);
  QTest::mouseClick(window.antiAliasCheck(), Qt::LeftButton);
  QTest::mouseClick(window.exifOrientationCheck(), Qt::LeftButton);
  QTest::mouseClick(window.otherFormatsCheck(), Qt::LeftButton);
  QTest::mouseClick(window.toSrgbCheck(), Qt::LeftButton);
  QTest::mouseClick(window.smoothScalingCheck(), Qt::LeftButton);
  QTest::mouseClick(window.rememberFramesCheck(), Qt::LeftButton);
  window.rotateDirectionBox()->lineEdit()->selectAll();
  QTest::keyClicks(window.rotateDirectionBox()->lineEdit(), "right");
  QTest::keyClick(window.rotateDirectionBox()->lineEdit(), Qt::Key_Return);

  const JobSettings settings = window.jobSettings();
  EXPECT_EQ(settings.targetWidth, 200);
  EXPECT_EQ(settings.targetHeight, -3);
  EXPECT_EQ(settings.saveFormat, batchfit::SaveFormat::Bmp);
  EXPECT_EQ(settings.jpegQuality, 99);
  EXPECT_EQ(settings.mode, batchfit::Mode::ResizeAll);
  EXPECT_EQ(settings.aspectTolerance, 9);
  EXPECT_EQ(settings.mismatchAction, batchfit::MismatchAction::Skip);
  EXPECT_FALSE(settings.autoRotate);
  EXPECT_TRUE(settings.antiAlias);
  EXPECT_TRUE(settings.exifOrientation);
  EXPECT_TRUE(settings.smoothScaling);
  EXPECT_TRUE(settings.otherFormats);
  EXPECT_TRUE(settings.toSrgb);
  EXPECT_EQ(settings.rememberFrames, batchfit::FrameMemory::Edit);
  // Typed text stands as typed: no completion to "Right" (which would turn
  // clockwise), no new item.
  EXPECT_EQ(settings.rotateDirection, batchfit::Turn::Left);
  EXPECT_EQ(window.rotateDirectionBox()->count(), 2);
}

TEST_F(MainWindowTest, OutputDialogSetsTheOutputPathAndShowsItsFolder) {
  QStringList openedWith;
  QString answer = "/srv/out/x.jpg";
  window.saveFile = [&](QWidget*, const QString& fileName) {
    openedWith << fileName;
    return answer;
  };
  QTest::mouseClick(window.outputFolderButton(), Qt::LeftButton);
  EXPECT_EQ(window.outputDirEdit()->text(), "/srv/out/");
  EXPECT_EQ(window.jobSettings().outputPath, "/srv/out/x.jpg");
  answer = "";  // cancelled: nothing changes
  QTest::mouseClick(window.outputFolderButton(), Qt::LeftButton);
  EXPECT_EQ(window.outputDirEdit()->text(), "/srv/out/");
  EXPECT_EQ(window.jobSettings().outputPath, "/srv/out/x.jpg");
  EXPECT_EQ(openedWith, QStringList({"/tmp/Save Your Resized Files Here", "/srv/out/x.jpg"}));
}

TEST_F(MainWindowTest, TabVisitsTheControlsInOrder) {
  window.formatGroup()->setItemIndex(1);  // the chosen item is the group's tab stop
  const std::vector<QWidget*> expected = {window.fileList(),
                                          window.outputDirEdit(),
                                          window.modeGroup()->button(0),
                                          window.toleranceBox()->editor(),
                                          window.mismatchGroup()->button(0),
                                          window.targetWidthBox()->editor(),
                                          window.targetHeightBox()->editor(),
                                          window.formatGroup()->button(1),
                                          window.qualityBox()->editor(),
                                          window.rotateCheck(),
                                          window.rotateDirectionBox(),
                                          window.antiAliasCheck(),
                                          window.exifOrientationCheck(),
                                          window.otherFormatsCheck(),
                                          window.toSrgbCheck(),
                                          window.smoothScalingCheck(),
                                          window.rememberFramesCheck(),
                                          window.fileList()};
  window.fileList()->setFocus();
  std::vector<QWidget*> visited = {QApplication::focusWidget()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(visited[i], expected[i])
        << "stop " << i << ": " << visited[i]->metaObject()->className();
  }
}

TEST_F(MainWindowTest, ToolButtonsNeverTakeTheFocusAndLabelsUseTheLargerFont) {
  for (QToolButton* button : {window.addFilesButton(), window.removeFilesButton(),
                              window.outputFolderButton(), window.startButton()}) {
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_FALSE(button->icon().isNull());
  }
  EXPECT_EQ(window.startButton()->text(), "Start");
  // The eight captions and the progress label; the totals line is plain
  // text, and the counts line under the list is in the window's font.
  QList<QLabel*> labels = window.findChildren<QLabel*>();
  EXPECT_TRUE(labels.removeOne(window.totalsLabel()));
  EXPECT_TRUE(labels.removeOne(window.planLine()));
  EXPECT_EQ(window.planLine()->font().pixelSize(), 11);
  EXPECT_EQ(labels.size(), 9);
  EXPECT_TRUE(labels.contains(window.progressLabel()));
  for (QLabel* label : labels) {
    EXPECT_EQ(label->font().pixelSize(), 16) << label->text().toStdString();
  }
  QGroupBox* keenOptions = nullptr;
  for (QGroupBox* box : window.findChildren<QGroupBox*>()) {
    if (box->title() == "Keen Resize Options") keenOptions = box;
  }
  ASSERT_NE(keenOptions, nullptr);
  for (QWidget* control : std::initializer_list<QWidget*>{
           window.outputDirEdit(), window.fileList(), window.targetWidthBox()->editor(),
           window.modeGroup()->button(0), window.rotateCheck(), window.rotateDirectionBox(),
           window.antiAliasCheck(), keenOptions, window.startButton(), window.totalsLabel()}) {
    EXPECT_EQ(control->font().pixelSize(), 11) << control->metaObject()->className();
  }
}

TEST_F(MainWindowTest, CountsLineFollowsTheListAndTheSettings) {
  testpics::TempDir dir;
  QStringList photos;
  for (const auto& [name, width, height] :
       {std::tuple{"portrait.jpg", 600, 800}, std::tuple{"landscape.jpg", 800, 600},
        std::tuple{"small.jpg", 100, 100}}) {
    testpics::writeFile(dir.file(name), testpics::makeJpeg(width, height));
    photos << QString::fromStdString(dir.file(name));
  }
  window.openFiles = [&](QWidget*, const QString&) { return photos; };
  QTest::mouseClick(window.addFilesButton(), Qt::LeftButton);
  QString expected =
      "3 photos: 1 scaled straight, 1 scaled turned, 0 to the editor, "
      "1 too small, 0 unreadable";
  EXPECT_EQ(countsOnceThey(window, expected), expected);
  EXPECT_TRUE(window.planLine()->isEnabled());

  QTest::mouseClick(window.rotateCheck(), Qt::LeftButton);  // the landscape no longer turns
  expected =
      "3 photos: 1 scaled straight, 0 scaled turned, 1 to the editor, 1 too small, "
      "0 unreadable";
  EXPECT_EQ(countsOnceThey(window, expected), expected);

  window.targetWidthBox()->setText("100");
  window.targetHeightBox()->setText("100");
  clickRadio(window.mismatchGroup()->button(1));
  expected =
      "3 photos: 1 scaled straight, 0 scaled turned, 2 wrong aspect ratio, 0 too small, "
      "0 unreadable";
  EXPECT_EQ(countsOnceThey(window, expected), expected);

  window.fileList()->setCurrentRow(2);
  QTest::keyClick(window.fileList(), Qt::Key_Delete);
  clickRadio(window.modeGroup()->button(2));
  expected = "2 photos: 2 scaled straight, 0 scaled turned, 0 too small, 0 unreadable";
  EXPECT_EQ(countsOnceThey(window, expected), expected);
}

// The worker holds at every photo until the test lets it go on: the window
// takes a second photo meanwhile, and the plan of the one-photo list that
// the worker then finishes is never shown; a third photo taken while the
// two-photo list is planned stops that plan before its second photo.
TEST_F(MainWindowTest, CountsOfAListThatChangedMeanwhileAreNeverShown) {
  std::mutex mutex;
  std::condition_variable changed;
  int entered = 0, released = 0;
  window.planLine()->planner = [&](const JobSettings&, const std::string&) {
    std::unique_lock lock(mutex);
    const int mine = ++entered;
    changed.notify_all();
    changed.wait(lock, [&] { return released >= mine; });
    return PlannedPhoto{PlannedOutcome::TooSmall, {}};
  };
  const auto enteredCount = [&] {
    std::lock_guard lock(mutex);
    return entered;
  };
  const auto release = [&](int count) {
    std::lock_guard lock(mutex);
    released = count;
    changed.notify_all();
  };
  struct ReleaseAll {
    std::function<void()> release;
    ~ReleaseAll() { release(); }
  } releaseAll{[&] { release(1000); }};
  const QString before = countsOnceThey(window,
                                        "0 photos: 0 scaled straight, 0 scaled turned, "
                                        "0 to the editor, 0 too small, 0 unreadable");

  window.fileList()->addItem("/photos/first.jpg");
  ASSERT_TRUE(QTest::qWaitFor([&] { return enteredCount() == 1; }, 5000));
  EXPECT_FALSE(window.planLine()->isEnabled());
  window.fileList()->addItem("/photos/second.jpg");
  QTest::qWait(50);  // the window asks for the new plan
  release(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return enteredCount() == 2; }, 5000));
  QTest::qWait(50);
  EXPECT_EQ(window.planLine()->text(), before);
  EXPECT_FALSE(window.planLine()->isEnabled());

  window.fileList()->addItem("/photos/third.jpg");
  QTest::qWait(50);
  release(1000);
  const QString expected =
      "3 photos: 0 scaled straight, 0 scaled turned, 0 to the editor, "
      "3 too small, 0 unreadable";
  EXPECT_EQ(countsOnceThey(window, expected), expected);
  EXPECT_TRUE(window.planLine()->isEnabled());
  EXPECT_EQ(enteredCount(), 1 + 1 + 3);
}

// Before Start the counts line warns in a second line, its tooltip names
// the photo the run would stop at, and the list marks it.
TEST_F(MainWindowTest, CountsLineWarnsOfTheOutputFolderAndNamesUnreadablePhotos) {
  testpics::TempDir dir;
  testpics::writeFile(dir.file("photo.jpg"), testpics::makeJpeg(300, 400));
  testpics::writeFile(dir.file("notes.bmp"), std::vector<std::uint8_t>(10, 0));
  const QString photo = QString::fromStdString(dir.file("photo.jpg"));
  const QString notes = QString::fromStdString(dir.file("notes.bmp"));
  window.fileList()->addItems({photo, notes});
  const QString counts =
      "2 photos: 1 scaled straight, 0 scaled turned, 0 to the editor, 0 too small, 1 unreadable";
  EXPECT_EQ(countsOnceThey(window, counts), counts);
  EXPECT_EQ(window.planLine()->toolTip(), "unreadable: " + notes + ": Stream read error.");
  // In the list, each photo's plan; the unreadable one is marked.
  EXPECT_EQ(window.fileList()->item(0)->toolTip(), "scaled straight");
  EXPECT_TRUE(window.fileList()->item(0)->icon().isNull());
  EXPECT_EQ(window.fileList()->item(1)->toolTip(), "unreadable: Stream read error.");
  EXPECT_FALSE(window.fileList()->item(1)->icon().isNull());

  QString chosen = QString::fromStdString(dir.file("gone/x"));
  window.saveFile = [&](QWidget*, const QString&) { return chosen; };
  window.outputFolderButton()->click();
  QString expected =
      counts + "\nOutput folder " + QString::fromStdString(dir.file("gone/")) + " does not exist";
  EXPECT_EQ(countsOnceThey(window, expected), expected);

  chosen = QString::fromStdString(dir.file("x"));
  window.outputFolderButton()->click();
  expected = counts +
             "\n1 listed photo would be replaced by its own result (moved to the trash "
             "first)";
  EXPECT_EQ(countsOnceThey(window, expected), expected);
}

// Made larger, the window gives all the room to the list; every other
// control keeps its size and its place beside the list.
TEST_F(MainWindowTest, StartsAtItsDesignedSizeAndOnlyTheListGrows) {
  EXPECT_EQ(window.size(), window.minimumSize());
  const QFontMetrics list = window.fileList()->fontMetrics();
  EXPECT_EQ(window.fileList()->height(),
            6 * list.lineSpacing() + 2 * window.fileList()->frameWidth() + 6);
  const QList<QWidget*> kept = {window.outputFolderButton(), window.outputDirEdit(),
                                window.planLine(),           window.targetWidthBox(),
                                window.modeGroup(),          window.progressBar(),
                                window.startButton(),        window.totalsLabel()};
  const auto places = [&] {
    QList<QRect> rects;
    for (QWidget* widget : kept) rects << QRect(widget->mapTo(&window, QPoint()), widget->size());
    return rects;
  };
  const QList<QRect> before = places();
  const QSize listBefore = window.fileList()->size();
  window.resize(window.size() + QSize(200, 150));
  QApplication::processEvents();
  EXPECT_EQ(window.fileList()->size(), listBefore + QSize(200, 150));
  const QList<QRect> after = places();
  for (qsizetype i = 0; i < kept.size(); ++i) {
    const int below =
        kept[i] == window.outputFolderButton() || kept[i] == window.outputDirEdit() ? 0 : 150;
    EXPECT_EQ(after[i], before[i].translated(0, below)) << kept[i]->metaObject()->className();
  }
}

}  // namespace
