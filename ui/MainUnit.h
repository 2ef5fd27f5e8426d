// The main window "Options": the file list, the output folder, the target
// size, format and quality, the resizing mode and its options, and "Start".
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "FrontEnd.h"
#include "JobSettings.h"
#include "RadioGroup.h"
#include "Run.h"
#include "SpinEdit.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QToolButton;

namespace batchfit {

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);

  // The open dialog: given the file name it opens with, the full paths the
  // user chose (empty when cancelled). Tests put their own choice here.
  std::function<QStringList(QWidget* parent, const QString& fileName)> openFiles;
  // The save dialog: given the file name it opens with, the full file name
  // the user chose (empty when cancelled).
  std::function<QString(QWidget* parent, const QString& fileName)> saveFile;
  // The batch run that "Start" calls.
  std::function<void(const JobSettings&, FrontEnd&, WorkPictures&)> run = runBatch;

  // The windows the run reports to; set once both windows exist.
  void setFrontEnd(FrontEnd* frontEnd) { frontEnd_ = frontEnd; }

  // The settings of a run, read from the controls.
  JobSettings jobSettings() const;
  bool running() const { return running_; }
  // Repaints the window at once, and lets the window system through while
  // its own input is dropped.
  void repaintNow();

  void FormCreate();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SpeedButton4Click();
  // True when the key was the list's Delete command.
  bool ListBox1KeyDown(const QKeyEvent& event);

  QLabel* Label1;  // "Files to Resize:"
  QToolButton* SpeedButton1;
  QToolButton* SpeedButton2;
  QLabel* Label2;  // "Output Dir"
  QLineEdit* Edit1;
  QToolButton* SpeedButton3;
  QListWidget* ListBox1;
  QLabel* Label3;  // "Picture Size:"
  SpinEdit* SpinEdit1;
  QLabel* Label4;  // "X"
  SpinEdit* SpinEdit2;
  RadioGroup* RadioGroup2;
  QLabel* Label5;  // "JPEG Quality:"
  SpinEdit* SpinEdit3;
  QLabel* Label8;  // "%"
  QCheckBox* SR;
  QComboBox* ComboBox1;
  QCheckBox* CheckBox1;
  RadioGroup* RadioGroup1;
  QGroupBox* GroupBox1;
  QLabel* Label6;  // "Aspect Ratio Accurancy ±"
  SpinEdit* SpinEdit4;
  QLabel* Label7;  // "%"
  RadioGroup* RadioGroup3;
  QProgressBar* ProgressBar1;
  QLabel* Label9;
  QToolButton* SpeedButton4;
  // The file name the open dialog opens with: the first of the last files added.
  QString OpenDialog1;
  // The save dialog's file name: the run's output path, and where the dialog opens.
  QString SaveDialog1;

  // The run's working pictures, never shown: PI and TI.
  WorkPictures pictures;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class RunScope;
  class InputDrop;

  void createControls();
  QLayout* firstRow();
  QLayout* sizeRow();
  QLayout* rotateRow();
  QLayout* optionsRow();
  QLayout* progressRow();
  void setFonts();
  void setTabOrder();

  FrontEnd* frontEnd_ = nullptr;
  bool running_ = false;
  InputDrop* inputDrop_;
};

}  // namespace batchfit
