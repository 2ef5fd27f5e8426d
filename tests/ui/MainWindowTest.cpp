// The main window with simulated mouse and keys: the file list commands, the
// controls feeding the run's settings, the output folder and the tab order.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <set>

#include "tests/ui/UiTesting.h"
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
};

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
  EXPECT_EQ(window.exifOrientationCheck()->text(), "Camera Orientation");
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
  // The eight captions and the progress label.
  const QList<QLabel*> labels = window.findChildren<QLabel*>();
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
           window.antiAliasCheck(), keenOptions, window.startButton()}) {
    EXPECT_EQ(control->font().pixelSize(), 11) << control->metaObject()->className();
  }
}

}  // namespace
