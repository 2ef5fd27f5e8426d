// The main window with simulated mouse and keys: the file list commands, the
// controls feeding the run's settings, the output folder and the tab order.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <set>

#include "BGImageUnit.h"
#include "MainUnit.h"
#include "UiTesting.h"
#include "WindowFrontEnd.h"

using namespace batchfit;

namespace {

struct MainWindowTest : ::testing::Test {
  TMainForm form;
  TBGImageForm editor;
  WindowFrontEnd frontEnd{form, editor};

  void SetUp() override {
    form.setFrontEnd(&frontEnd);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }

  void fillList(int count) {
    for (int i = 0; i < count; ++i) form.ListBox1->addItem(QString("/photos/%1.jpg").arg(i));
  }
  void select(const std::set<int>& rows) {
    for (int row : rows) form.ListBox1->item(row)->setSelected(true);
  }
  QStringList items() const {
    QStringList result;
    for (int i = 0; i < form.ListBox1->count(); ++i) result << form.ListBox1->item(i)->text();
    return result;
  }
  std::set<int> selectedRows() const {
    std::set<int> rows;
    for (int i = 0; i < form.ListBox1->count(); ++i) {
      if (form.ListBox1->item(i)->isSelected()) rows.insert(i);
    }
    return rows;
  }
  void clickRemove() { QTest::mouseClick(form.SpeedButton2, Qt::LeftButton); }
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
  EXPECT_EQ(form.ListBox1->count(), 0);
  clickRemove();
  EXPECT_EQ(form.ListBox1->count(), 0);
  EXPECT_TRUE(form.ListBox1->selectedItems().isEmpty());
}

TEST_F(MainWindowTest, DeleteKeyRemovesWhateverModifiersAreHeld) {
  const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                             Qt::AltModifier};
  for (Qt::KeyboardModifiers held : modifiers) {
    form.ListBox1->clear();
    fillList(3);
    select({1});
    form.ListBox1->setFocus();
    QTest::keyClick(form.ListBox1, Qt::Key_Delete, held);
    EXPECT_EQ(items(), QStringList({"/photos/0.jpg", "/photos/2.jpg"})) << held;
  }
}

TEST_F(MainWindowTest, OtherKeysStayWithTheList) {
  fillList(3);
  form.ListBox1->setFocus();
  form.ListBox1->setCurrentRow(0);
  QTest::keyClick(form.ListBox1, Qt::Key_Down);
  EXPECT_EQ(form.ListBox1->currentRow(), 1);
  EXPECT_EQ(form.ListBox1->count(), 3);
}

TEST_F(MainWindowTest, AddedFilesAreAppendedAsChosenEvenTwice) {
  fillList(1);
  select({0});
  QStringList openedWith;
  QStringList answer = {"/a/b.jpg", "/a/c.JPG"};
  form.openFiles = [&](QWidget*, const QString& fileName) {
    openedWith << fileName;
    return answer;
  };
  QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
  answer = {"/a/b.jpg"};
  QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
  answer = {};  // cancelled
  QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
  EXPECT_EQ(items(), QStringList({"/photos/0.jpg", "/a/b.jpg", "/a/c.JPG", "/a/b.jpg"}));
  EXPECT_EQ(selectedRows(), std::set<int>{0});
  // The dialog opens where the previous selection began.
  EXPECT_EQ(openedWith, QStringList({"", "/a/b.jpg", "/a/b.jpg"}));
}

TEST_F(MainWindowTest, DefaultControlsGiveTheDefaultSettings) {
  const JobSettings settings = form.jobSettings();
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
  EXPECT_EQ(settings.outputPath, "/tmp/Save Your Resized Files Here");
  EXPECT_TRUE(settings.files.empty());
  EXPECT_EQ(form.windowTitle(), "Options");
  EXPECT_EQ(form.Edit1->text(), "/tmp");
  EXPECT_EQ(form.Label9->text(), "Picture 0 of 0");
  EXPECT_EQ(form.ProgressBar1->value(), 0);
  EXPECT_EQ(form.ProgressBar1->maximum(), 100);
}

TEST_F(MainWindowTest, EveryControlFeedsItsOwnField) {
  form.SpinEdit1->setFocus();
  form.SpinEdit1->editor()->selectAll();
  QTest::keyClicks(form.SpinEdit1->editor(), "200");
  form.SpinEdit2->setText("-3");
  clickRadio(form.RadioGroup2->button(1));
  QTest::mouseClick(form.SpinEdit3->downButton(), Qt::LeftButton);
  clickRadio(form.RadioGroup1->button(2));
  QTest::mouseClick(form.SpinEdit4->downButton(), Qt::LeftButton);
  clickRadio(form.RadioGroup3->button(1));
  QTest::mouseClick(form.SR, Qt::LeftButton);
  QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
  form.ComboBox1->lineEdit()->selectAll();
  QTest::keyClicks(form.ComboBox1->lineEdit(), "right");
  QTest::keyClick(form.ComboBox1->lineEdit(), Qt::Key_Return);

  const JobSettings settings = form.jobSettings();
  EXPECT_EQ(settings.targetWidth, 200);
  EXPECT_EQ(settings.targetHeight, -3);
  EXPECT_EQ(settings.saveFormat, 1);
  EXPECT_EQ(settings.jpegQuality, 99);
  EXPECT_EQ(settings.mode, 2);
  EXPECT_EQ(settings.aspectTolerance, 9);
  EXPECT_EQ(settings.mismatchAction, 1);
  EXPECT_FALSE(settings.autoRotate);
  EXPECT_TRUE(settings.antiAlias);
  // Typed text stands as typed: no completion to "Right", no new item.
  EXPECT_EQ(settings.rotateDirection, "right");
  EXPECT_EQ(form.ComboBox1->count(), 2);
}

TEST_F(MainWindowTest, OutputDialogSetsTheOutputPathAndShowsItsFolder) {
  QStringList openedWith;
  QString answer = "/srv/out/x.jpg";
  form.saveFile = [&](QWidget*, const QString& fileName) {
    openedWith << fileName;
    return answer;
  };
  QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
  EXPECT_EQ(form.Edit1->text(), "/srv/out/");
  EXPECT_EQ(form.jobSettings().outputPath, "/srv/out/x.jpg");
  answer = "";  // cancelled: nothing changes
  QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
  EXPECT_EQ(form.Edit1->text(), "/srv/out/");
  EXPECT_EQ(form.jobSettings().outputPath, "/srv/out/x.jpg");
  EXPECT_EQ(openedWith, QStringList({"/tmp/Save Your Resized Files Here", "/srv/out/x.jpg"}));
}

TEST_F(MainWindowTest, TabVisitsTheControlsInOrder) {
  form.RadioGroup2->setItemIndex(1);  // the chosen item is the group's tab stop
  const std::vector<QWidget*> expected = {form.ListBox1,
                                          form.Edit1,
                                          form.RadioGroup1->button(0),
                                          form.SpinEdit4->editor(),
                                          form.RadioGroup3->button(0),
                                          form.SpinEdit1->editor(),
                                          form.SpinEdit2->editor(),
                                          form.RadioGroup2->button(1),
                                          form.SpinEdit3->editor(),
                                          form.SR,
                                          form.ComboBox1,
                                          form.CheckBox1,
                                          form.ListBox1};
  form.ListBox1->setFocus();
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
  for (QToolButton* button :
       {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3, form.SpeedButton4}) {
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_FALSE(button->icon().isNull());
  }
  EXPECT_EQ(form.SpeedButton4->text(), "Start");
  for (QLabel* label : {form.Label1, form.Label2, form.Label3, form.Label4, form.Label5,
                        form.Label6, form.Label7, form.Label8, form.Label9}) {
    EXPECT_EQ(label->font().pixelSize(), 16) << label->text().toStdString();
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           form.Edit1, form.ListBox1, form.SpinEdit1->editor(), form.RadioGroup1->button(0),
           form.SR, form.ComboBox1, form.CheckBox1, form.GroupBox1, form.SpeedButton4}) {
    EXPECT_EQ(control->font().pixelSize(), 11) << control->metaObject()->className();
  }
}

}  // namespace
