// The main window "Options": the file list (which also takes files dropped
// on it), the output folder, the target size, format and quality, the
// resizing mode and its options, "Start", and the last run's totals.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/RunRecord.h"
#include "ui/InputBlock.h"
#include "ui/PlanLine.h"
#include "ui/RadioGroup.h"
#include "ui/SpinEdit.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QTimer;
class QToolButton;

namespace batchfit {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  // The open dialog: given the file name it opens with, the full paths the
  // user chose (empty when cancelled). Tests put their own choice here.
  std::function<QStringList(QWidget* parent, const QString& fileName)> openFiles;
  // The save dialog: given the file name it opens with, the full file name
  // the user chose (empty when cancelled).
  std::function<QString(QWidget* parent, const QString& fileName)> saveFile;
  // The save dialog for the report: given the file name it opens with, the
  // file name the user chose (empty when cancelled).
  std::function<QString(QWidget* parent, const QString& fileName)> saveReportFile;
  // The batch run that "Start" calls.
  std::function<void(const JobSettings&, FrontEnd&, WorkPictures&, RunRecord&)> run = runBatch;

  // The windows the run reports to; set once both windows exist.
  void setFrontEnd(FrontEnd* frontEnd) { frontEnd_ = frontEnd; }
  // Called for a request to close the window during a run, which the window
  // refuses: the run's front end asks whether to stop the run instead.
  std::function<void()> closeDuringRun;

  // The settings of a run, read from the controls.
  JobSettings jobSettings() const;
  bool running() const { return inputBlock_->active(); }
  // Repaints the window at once, and lets the window system through while
  // its own input is dropped.
  void repaintNow();

  // The controls that the run's progress and the tests reach.
  QToolButton* addFilesButton() const { return addFilesButton_; }
  QToolButton* removeFilesButton() const { return removeFilesButton_; }
  QLineEdit* outputDirEdit() const { return outputDirEdit_; }
  QToolButton* outputFolderButton() const { return outputFolderButton_; }
  QListWidget* fileList() const { return fileList_; }
  PlanLine* planLine() const { return planLine_; }
  SpinEdit* targetWidthBox() const { return targetWidthBox_; }
  SpinEdit* targetHeightBox() const { return targetHeightBox_; }
  RadioGroup* formatGroup() const { return formatGroup_; }
  SpinEdit* qualityBox() const { return qualityBox_; }
  QCheckBox* rotateCheck() const { return rotateCheck_; }
  QComboBox* rotateDirectionBox() const { return rotateDirectionBox_; }
  QCheckBox* antiAliasCheck() const { return antiAliasCheck_; }
  QCheckBox* exifOrientationCheck() const { return exifOrientationCheck_; }
  QCheckBox* smoothScalingCheck() const { return smoothScalingCheck_; }
  QCheckBox* otherFormatsCheck() const { return otherFormatsCheck_; }
  QCheckBox* toSrgbCheck() const { return toSrgbCheck_; }
  QCheckBox* rememberFramesCheck() const { return rememberFramesCheck_; }
  RadioGroup* modeGroup() const { return modeGroup_; }
  SpinEdit* toleranceBox() const { return toleranceBox_; }
  RadioGroup* mismatchGroup() const { return mismatchGroup_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QLabel* progressLabel() const { return progressLabel_; }
  QToolButton* startButton() const { return startButton_; }
  QLabel* totalsLabel() const { return totalsLabel_; }
  QToolButton* saveReportButton() const { return saveReportButton_; }

 signals:
  // A run is over (its report closed, or an error shown): the windows let
  // go of the photos it showed.
  void runEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  // Rows that keep their place and size however large the window is made.
  QWidget* keptPart(const QList<QLayout*>& rows);
  void keepDesignedWidth();
  QLayout* firstRow();
  QLayout* sizeRow();
  QLayout* rotateRow();
  // The check boxes of what the program does beyond its classic run.
  QLayout* optInRow();
  QLayout* optionsRow();
  QLayout* progressRow();
  QLayout* totalsRow();
  void setFonts();
  void setTabOrder();
  void replanOnChanges();

  void createDefaultOutputFolder();
  void addFiles();
  void removeFiles();
  void chooseOutputFolder();
  void start();
  void showTotals();
  // Each listed photo shows its plan; an unreadable one is marked.
  void showPlans(const ListPlan& plan);
  void saveReport();
  // True when the key was the list's Delete command.
  bool removeFilesOnDelete(const QKeyEvent& event);

  QWidget* topPart_;     // the row above the list
  QWidget* bottomPart_;  // everything below the list
  QLabel* filesLabel_;   // "Files to Resize:"
  QToolButton* addFilesButton_;
  QToolButton* removeFilesButton_;
  QLabel* outputDirLabel_;  // "Output Dir"
  QLineEdit* outputDirEdit_;
  QToolButton* outputFolderButton_;
  QListWidget* fileList_;
  PlanLine* planLine_;
  QLabel* sizeLabel_;  // "Picture Size:"
  SpinEdit* targetWidthBox_;
  QLabel* sizeCrossLabel_;  // "X"
  SpinEdit* targetHeightBox_;
  RadioGroup* formatGroup_;
  QLabel* qualityLabel_;  // "JPEG Quality:"
  SpinEdit* qualityBox_;
  QLabel* qualityPercentLabel_;  // "%"
  QCheckBox* rotateCheck_;
  QComboBox* rotateDirectionBox_;
  QCheckBox* antiAliasCheck_;
  QCheckBox* exifOrientationCheck_;  // "Camera Orientation"
  QCheckBox* smoothScalingCheck_;
  QCheckBox* otherFormatsCheck_;    // "Other Formats"
  QCheckBox* toSrgbCheck_;          // "Convert to sRGB"
  QCheckBox* rememberFramesCheck_;  // "Remember Frames"
  RadioGroup* modeGroup_;
  QGroupBox* keenOptionsBox_;
  QLabel* toleranceLabel_;  // "Aspect Ratio Accurancy ±"
  SpinEdit* toleranceBox_;
  QLabel* tolerancePercentLabel_;  // "%"
  RadioGroup* mismatchGroup_;
  QProgressBar* progressBar_;
  QLabel* progressLabel_;
  QToolButton* startButton_;
  QLabel* totalsLabel_;
  QToolButton* saveReportButton_;

  // The file name the open dialog opens with: the first of the last files added.
  QString openDialogFile_;
  // The save dialog's file name: the run's output path, and where the dialog opens.
  QString outputPath_;
  // The run's working pictures, never shown: PI and TI.
  WorkPictures pictures_;
  // What became of each file in the last run, for its totals and its report.
  RunRecord record_;
  // The report's file name: where its save dialog opens.
  QString reportFile_;

  FrontEnd* frontEnd_ = nullptr;
  // Gathers the changes of one command into one new plan.
  QTimer* replanSoon_;
  InputBlock* inputBlock_;
};

}  // namespace batchfit
