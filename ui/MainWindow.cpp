#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "engine/RunTotals.h"
#include "image/FileIo.h"
#include "image/PathRules.h"
#include "image/PictureReaders.h"
#include "ui/ErrorBox.h"
#include "ui/FileDialogs.h"
#include "ui/FileDrop.h"
#include "ui/Glyphs.h"

namespace batchfit {

namespace {

constexpr int WindowFontPixels = 11;
constexpr int LabelFontPixels = 16;
constexpr int SpinEditWidth = 60;

// File names go to the engine in the file system's own encoding.
std::string filePath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QToolButton* toolButton(const QIcon& glyph, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setIcon(glyph);
  button->setIconSize(QSize(GlyphSize, GlyphSize));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent),
      openFiles([this](QWidget* parent, const QString& fileName) {
        return chooseInputFiles(parent, fileName, offeredFiles(otherFormatsCheck_->isChecked()));
      }),
      saveFile(chooseOutputFile),
      saveReportFile(chooseReportFile),
      inputBlock_(new InputBlock(*this)) {
  setWindowTitle("Options");
  outputPath_ = DefaultOutputPath;
  createControls();
  setFonts();
  keepDesignedWidth();
  setTabOrder();
  replanOnChanges();
  guarded([this] { createDefaultOutputFolder(); });
  // The window opens at its designed size, the smallest it can be.
  resize(minimumSizeHint());
}

void MainWindow::createControls() {
  auto* column = new QVBoxLayout(this);
  // The window may be made larger: the list takes all the room.
  column->setSizeConstraint(QLayout::SetMinimumSize);
  column->setContentsMargins(8, 6, 8, 8);
  column->setSpacing(6);
  topPart_ = keptPart({firstRow()});
  column->addWidget(topPart_, 0, Qt::AlignLeft);
  fileList_ = new QListWidget(this);
  fileList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  fileList_->installEventFilter(this);
  // Files are dropped onto the list's viewport, the part that shows the lines.
  fileList_->viewport()->setAcceptDrops(true);
  fileList_->viewport()->installEventFilter(this);
  column->addWidget(fileList_, 1);
  planLine_ = new PlanLine(this);
  planLine_->onShown = [this](const ListPlan& plan) { showPlans(plan); };
  auto* planRow = new QHBoxLayout;
  planRow->addWidget(planLine_);
  bottomPart_ = keptPart(
      {planRow, sizeRow(), rotateRow(), optInRow(), optionsRow(), progressRow(), totalsRow()});
  column->addWidget(bottomPart_, 0, Qt::AlignLeft);
}

QWidget* MainWindow::keptPart(const QList<QLayout*>& rows) {
  auto* part = new QWidget(this);
  part->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* column = new QVBoxLayout(part);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);
  // Added as layouts, their widgets become the part's.
  for (QLayout* row : rows) column->addLayout(row);
  return part;
}

// The rows above and below the list are as wide as the widest of them and
// the list's least width, as at the designed size, whatever the window's width.
void MainWindow::keepDesignedWidth() {
  const int width = std::max(
      {topPart_->sizeHint().width(), bottomPart_->sizeHint().width(), fileList_->minimumWidth()});
  topPart_->setFixedWidth(width);
  bottomPart_->setFixedWidth(width);
}

QLayout* MainWindow::firstRow() {
  filesLabel_ = new QLabel("Files to Resize:", this);
  addFilesButton_ = toolButton(addFilesGlyph(), this);
  removeFilesButton_ = toolButton(removeFilesGlyph(), this);
  outputDirLabel_ = new QLabel("Output Dir", this);
  outputDirEdit_ = new QLineEdit(DefaultOutputFolder, this);
  outputFolderButton_ = toolButton(outputFolderGlyph(), this);
  connect(addFilesButton_, &QToolButton::clicked, this, [this] { addFiles(); });
  connect(removeFilesButton_, &QToolButton::clicked, this, [this] { removeFiles(); });
  connect(outputFolderButton_, &QToolButton::clicked, this, [this] { chooseOutputFolder(); });
  auto* row = new QHBoxLayout;
  row->addWidget(filesLabel_);
  row->addWidget(addFilesButton_);
  row->addWidget(removeFilesButton_);
  row->addSpacing(16);
  row->addWidget(outputDirLabel_);
  row->addWidget(outputDirEdit_, 1);
  row->addWidget(outputFolderButton_);
  return row;
}

QLayout* MainWindow::sizeRow() {
  sizeLabel_ = new QLabel("Picture Size:", this);
  targetWidthBox_ = new SpinEdit(0, 0, true, this);
  targetWidthBox_->setValue(176);
  sizeCrossLabel_ = new QLabel("X", this);
  targetHeightBox_ = new SpinEdit(0, 0, true, this);
  targetHeightBox_->setValue(220);
  formatGroup_ = new RadioGroup("Picture Save Format", {"JPG", "BMP"}, 2, this);
  formatGroup_->setItemIndex(0);
  qualityLabel_ = new QLabel("JPEG Quality:", this);
  qualityBox_ = new SpinEdit(0, 100, false, this);
  qualityBox_->setValue(100);
  qualityPercentLabel_ = new QLabel("%", this);
  auto* row = new QHBoxLayout;
  for (QWidget* widget :
       {static_cast<QWidget*>(sizeLabel_), static_cast<QWidget*>(targetWidthBox_),
        static_cast<QWidget*>(sizeCrossLabel_), static_cast<QWidget*>(targetHeightBox_)}) {
    row->addWidget(widget);
  }
  row->addStretch();
  row->addWidget(formatGroup_);
  row->addStretch();
  row->addWidget(qualityLabel_);
  row->addWidget(qualityBox_);
  row->addWidget(qualityPercentLabel_);
  return row;
}

QLayout* MainWindow::rotateRow() {
  rotateCheck_ = new QCheckBox("KeenRotate", this);
  rotateCheck_->setChecked(true);
  rotateDirectionBox_ = new QComboBox(this);
  rotateDirectionBox_->setEditable(true);
  rotateDirectionBox_->addItems({"Left", "Right"});
  rotateDirectionBox_->setCurrentText("Left");
  // What the user types stands as typed: no completion, and Enter adds no item.
  rotateDirectionBox_->setCompleter(nullptr);
  rotateDirectionBox_->setInsertPolicy(QComboBox::NoInsert);
  antiAliasCheck_ = new QCheckBox("AntiAliasing", this);
  exifOrientationCheck_ = new QCheckBox("Camera Orientation", this);
  auto* row = new QHBoxLayout;
  row->addWidget(rotateCheck_);
  row->addWidget(rotateDirectionBox_);
  row->addSpacing(24);
  row->addWidget(antiAliasCheck_);
  row->addSpacing(24);
  row->addWidget(exifOrientationCheck_);
  row->addStretch();
  return row;
}

QLayout* MainWindow::optInRow() {
  otherFormatsCheck_ = new QCheckBox("Other Formats", this);
  toSrgbCheck_ = new QCheckBox("Convert to sRGB", this);
  smoothScalingCheck_ = new QCheckBox("Smooth Scaling", this);
  rememberFramesCheck_ = new QCheckBox("Remember Frames", this);
  auto* row = new QHBoxLayout;
  for (QCheckBox* check :
       {otherFormatsCheck_, toSrgbCheck_, smoothScalingCheck_, rememberFramesCheck_}) {
    if (row->count() > 0) row->addSpacing(24);
    row->addWidget(check);
  }
  row->addStretch();
  return row;
}

QLayout* MainWindow::optionsRow() {
  modeGroup_ =
      new RadioGroup("Resizing Options",
                     {"Keen Resizing", "Give User to Edit All Files", "Resize All Files"}, 1, this);
  modeGroup_->setItemIndex(0);
  keenOptionsBox_ = new QGroupBox("Keen Resize Options", this);
  toleranceLabel_ = new QLabel("Aspect Ratio Accurancy ±", keenOptionsBox_);
  toleranceBox_ = new SpinEdit(0, 0, false, keenOptionsBox_);
  toleranceBox_->setValue(10);
  tolerancePercentLabel_ = new QLabel("%", keenOptionsBox_);
  mismatchGroup_ = new RadioGroup("If Aspect Ratio does not Match.",
                                  {"Give User to Edit", "Skip File"}, 2, keenOptionsBox_);
  mismatchGroup_->setItemIndex(0);
  auto* tolerance = new QHBoxLayout;
  tolerance->addWidget(toleranceLabel_);
  tolerance->addWidget(toleranceBox_);
  tolerance->addWidget(tolerancePercentLabel_);
  tolerance->addStretch();
  auto* keen = new QVBoxLayout(keenOptionsBox_);
  keen->addLayout(tolerance);
  keen->addWidget(mismatchGroup_);
  auto* row = new QHBoxLayout;
  row->addWidget(modeGroup_);
  row->addWidget(keenOptionsBox_, 1);
  return row;
}

QLayout* MainWindow::progressRow() {
  progressBar_ = new QProgressBar(this);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressLabel_ = new QLabel("Picture 0 of 0", this);
  startButton_ = toolButton(startGlyph(), this);
  startButton_->setText("Start");
  startButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(startButton_, &QToolButton::clicked, this, [this] { start(); });
  auto* row = new QHBoxLayout;
  row->addWidget(progressBar_, 1);
  row->addWidget(progressLabel_);
  row->addSpacing(16);
  row->addWidget(startButton_);
  return row;
}

QLayout* MainWindow::totalsRow() {
  totalsLabel_ = new QLabel(this);
  // However long the line, the window keeps its size.
  totalsLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  saveReportButton_ = new QToolButton(this);
  saveReportButton_->setText("Save as CSV...");
  saveReportButton_->setFocusPolicy(Qt::NoFocus);
  saveReportButton_->setEnabled(false);
  connect(saveReportButton_, &QToolButton::clicked, this, [this] { saveReport(); });
  auto* row = new QHBoxLayout;
  row->addWidget(totalsLabel_, 1);
  row->addWidget(saveReportButton_);
  return row;
}

void MainWindow::setFonts() {
  QFont windowFont = font();
  windowFont.setPixelSize(WindowFontPixels);
  setFont(windowFont);
  QFont labelFont = windowFont;
  labelFont.setPixelSize(LabelFontPixels);
  for (QLabel* label :
       {filesLabel_, outputDirLabel_, sizeLabel_, sizeCrossLabel_, qualityLabel_,
        qualityPercentLabel_, toleranceLabel_, tolerancePercentLabel_, progressLabel_}) {
    label->setFont(labelFont);
  }
  for (SpinEdit* box : {targetWidthBox_, targetHeightBox_, qualityBox_, toleranceBox_}) {
    box->setFixedWidth(SpinEditWidth);
  }
  fileList_->setMinimumHeight(6 * fileList_->fontMetrics().lineSpacing() +
                              2 * fileList_->frameWidth() + 6);
  fileList_->setMinimumWidth(560);
  // A photo's mark takes no more height than its line.
  const int markSize = fileList_->fontMetrics().height();
  fileList_->setIconSize(QSize(markSize, markSize));
  // Room for both lines from the start, so the window never grows after a run.
  totalsLabel_->setMinimumHeight(2 * totalsLabel_->fontMetrics().lineSpacing());
}

void MainWindow::setTabOrder() {
  QList<QWidget*> chain = {fileList_, outputDirEdit_};
  auto addGroup = [&chain](RadioGroup* group) {
    for (int i = 0; i < group->count(); ++i) chain.append(group->button(i));
  };
  addGroup(modeGroup_);
  chain.append(toleranceBox_);
  addGroup(mismatchGroup_);
  chain.append({targetWidthBox_, targetHeightBox_});
  addGroup(formatGroup_);
  chain.append({qualityBox_, rotateCheck_, rotateDirectionBox_, antiAliasCheck_,
                exifOrientationCheck_, otherFormatsCheck_, toSrgbCheck_, smoothScalingCheck_,
                rememberFramesCheck_});
  for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// The counts under the list, and their warnings, follow the list and every
// setting they depend on; quality, direction and anti-aliasing change none.
void MainWindow::replanOnChanges() {
  replanSoon_ = new QTimer(this);
  replanSoon_->setSingleShot(true);
  replanSoon_->setInterval(0);
  connect(replanSoon_, &QTimer::timeout, this, [this] { planLine_->plan(jobSettings()); });
  // The timer, not the window, receives the changes: the window's children
  // signal changes while the window is destroyed, when it is no window any more.
  QTimer* timer = replanSoon_;
  const auto replan = [timer] { timer->start(); };
  const QAbstractItemModel* list = fileList_->model();
  connect(list, &QAbstractItemModel::rowsInserted, timer, replan);
  connect(list, &QAbstractItemModel::rowsRemoved, timer, replan);
  connect(list, &QAbstractItemModel::modelReset, timer, replan);
  for (SpinEdit* box : {targetWidthBox_, targetHeightBox_, toleranceBox_}) {
    connect(box->editor(), &QLineEdit::textChanged, timer, replan);
  }
  for (RadioGroup* group : {modeGroup_, mismatchGroup_, formatGroup_}) {
    for (int i = 0; i < group->count(); ++i) {
      connect(group->button(i), &QRadioButton::toggled, timer, replan);
    }
  }
  for (QCheckBox* check : {rotateCheck_, exifOrientationCheck_, otherFormatsCheck_}) {
    connect(check, &QCheckBox::toggled, timer, replan);
  }
  planLine_->plan(jobSettings());
}

JobSettings MainWindow::jobSettings() const {
  JobSettings settings;
  settings.targetWidth = targetWidthBox_->value();
  settings.targetHeight = targetHeightBox_->value();
  settings.saveFormat = saveFormatAt(formatGroup_->itemIndex());
  settings.jpegQuality = qualityBox_->value();
  settings.mode = modeAt(modeGroup_->itemIndex());
  settings.aspectTolerance = toleranceBox_->value();
  settings.mismatchAction = mismatchActionAt(mismatchGroup_->itemIndex());
  settings.autoRotate = rotateCheck_->isChecked();
  settings.rotateDirection = directionNamed(rotateDirectionBox_->currentText().toStdString());
  settings.antiAlias = antiAliasCheck_->isChecked();
  settings.exifOrientation = exifOrientationCheck_->isChecked();
  settings.smoothScaling = smoothScalingCheck_->isChecked();
  settings.otherFormats = otherFormatsCheck_->isChecked();
  settings.toSrgb = toSrgbCheck_->isChecked();
  if (rememberFramesCheck_->isChecked()) settings.rememberFrames = FrameMemory::Edit;
  // Deliberate: the output dialog's file name, never the folder box's text.
  settings.outputPath = filePath(outputPath_);
  for (int i = 0; i < fileList_->count(); ++i) {
    settings.files.push_back(filePath(fileList_->item(i)->text()));
  }
  // The next pictures decode on every core while this one is worked on or
  // shown in the crop editor; what the run writes and shows stays the same.
  settings.jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  return settings;
}

void MainWindow::repaintNow() {
  repaint();
  QCoreApplication::processEvents();
}

// The default output folder; one level only, and whether it worked is not
// looked at: a run that then cannot write there says so itself.
void MainWindow::createDefaultOutputFolder() {
  std::error_code ignored;
  std::filesystem::create_directory(DefaultOutputFolder, ignored);
}

void MainWindow::addFiles() {
  guarded([this] {
    const QStringList paths = openFiles(this, openDialogFile_);
    if (paths.isEmpty()) return;
    fileList_->addItems(paths);
    openDialogFile_ = paths.first();
  });
}

void MainWindow::removeFiles() {
  guarded([this] {
    int i = 0;
    while (i < fileList_->count()) {
      if (fileList_->item(i)->isSelected()) {
        delete fileList_->takeItem(i);
      } else {
        ++i;
      }
    }
    // Deliberate: the first file is selected even when nothing was removed.
    if (fileList_->count() > 0) fileList_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  });
}

void MainWindow::chooseOutputFolder() {
  guarded([this] {
    const QString chosen = saveFile(this, outputPath_);
    if (chosen.isEmpty()) return;
    outputPath_ = chosen;
    outputDirEdit_->setText(QString::fromStdString(folderPart(chosen.toStdString())));
    replanSoon_->start();
  });
}

void MainWindow::start() {
  totalsLabel_->clear();
  saveReportButton_->setEnabled(false);
  guarded(
      [this] {
        InputBlock::Scope blocked(*inputBlock_);
        run(jobSettings(), *frontEnd_, pictures_, record_);
      },
      [this](const std::string& message) { record_.fail(message); });
  // Idle, the program holds no photo: the next run takes its memory afresh.
  emit runEnded();
  letGoOfPhotos(pictures_);
  showTotals();
  // The run may have replaced listed photos with its outputs: plan the list
  // as it now stands.
  replanSoon_->start();
}

void MainWindow::showTotals() {
  totalsLabel_->setText(QString::fromStdString(totalsText(record_)));
  totalsLabel_->setToolTip(totalsLabel_->text());
  saveReportButton_->setEnabled(true);
}

void MainWindow::showPlans(const ListPlan& plan) {
  // A plan of a list that has changed meanwhile is followed by the next one.
  if (int(plan.files.size()) != fileList_->count()) return;
  for (int i = 0; i < fileList_->count(); ++i) {
    if (filePath(fileList_->item(i)->text()) != plan.files[std::size_t(i)]) return;
  }
  const QIcon mark = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  for (int i = 0; i < fileList_->count(); ++i) {
    const PlannedPhoto& photo = plan.photos[std::size_t(i)];
    QListWidgetItem* item = fileList_->item(i);
    item->setToolTip(QString::fromStdString(plannedPhotoText(photo)));
    item->setIcon(photo.outcome == PlannedOutcome::Unreadable ? mark : QIcon());
  }
}

void MainWindow::saveReport() {
  guarded([this] {
    if (reportFile_.isEmpty()) {
      reportFile_ = QString::fromStdString(folderPart(outputPath_.toStdString())) + "report.csv";
    }
    const QString chosen = saveReportFile(this, reportFile_);
    if (chosen.isEmpty()) return;
    reportFile_ = chosen;
    const std::string csv = reportCsv(record_);
    writeWholeFile(filePath(chosen), {csv.begin(), csv.end()});
  });
}

bool MainWindow::removeFilesOnDelete(const QKeyEvent& event) {
  if (event.key() != Qt::Key_Delete) return false;
  removeFiles();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running()) {
    event->ignore();
    if (closeDuringRun) closeDuringRun();
    return;
  }
  QWidget::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == fileList_ && event->type() == QEvent::KeyPress) {
    return removeFilesOnDelete(static_cast<const QKeyEvent&>(*event));
  }
  const QEvent::Type type = event->type();
  if (watched == fileList_->viewport() &&
      (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
    return takeFileDrag(static_cast<QDropEvent&>(*event),
                        offeredFiles(otherFormatsCheck_->isChecked()),
                        [this](const QStringList& files) { fileList_->addItems(files); });
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace batchfit
