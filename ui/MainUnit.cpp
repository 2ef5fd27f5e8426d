#include "MainUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

#include "ErrorBox.h"
#include "Glyphs.h"
#include "PathRules.h"

namespace batchfit {

namespace {

constexpr int WindowFontPixels = 11;
constexpr int LabelFontPixels = 16;
constexpr int SpinEditWidth = 60;

QStringList chooseInputFiles(QWidget* parent, const QString& fileName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilter("Graphic Files (*.jpg *.bmp *.jpeg)");
  dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
  if (!fileName.isEmpty()) dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString chooseOutputFile(QWidget* parent, const QString& fileName) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

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

bool isInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
      return true;
    default:
      return false;
  }
}

}  // namespace

// While a run goes on, input that reaches the main window is thrown away, so
// that nothing the user did meanwhile takes effect once the run is over.
class TMainForm::InputDrop : public QObject {
 public:
  explicit InputDrop(TMainForm& form) : QObject(&form), form_(form) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isInputEvent(event->type())) return false;
    if (watched->isWidgetType()) return static_cast<QWidget*>(watched)->window() == &form_;
    return watched == static_cast<QObject*>(form_.windowHandle());
  }

 private:
  TMainForm& form_;
};

// Marks the window busy for one run. Input that queued up during the run is
// delivered, and dropped, before the window takes input again.
class TMainForm::RunScope {
 public:
  explicit RunScope(TMainForm& form) : form_(form) {
    form_.running_ = true;
    qApp->installEventFilter(form_.inputDrop_);
  }
  ~RunScope() {
    QCoreApplication::processEvents();
    qApp->removeEventFilter(form_.inputDrop_);
    form_.running_ = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  TMainForm& form_;
};

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent),
      openFiles(chooseInputFiles),
      saveFile(chooseOutputFile),
      inputDrop_(new InputDrop(*this)) {
  setWindowTitle("Options");
  SaveDialog1 = DefaultOutputPath;
  createControls();
  setFonts();
  setTabOrder();
  guarded([this] { FormCreate(); });
}

void TMainForm::createControls() {
  auto* column = new QVBoxLayout(this);
  column->setSizeConstraint(QLayout::SetFixedSize);
  column->setContentsMargins(8, 6, 8, 8);
  column->setSpacing(6);
  column->addLayout(firstRow());
  ListBox1 = new QListWidget(this);
  ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox1->installEventFilter(this);
  column->addWidget(ListBox1);
  column->addLayout(sizeRow());
  column->addLayout(rotateRow());
  column->addLayout(optionsRow());
  column->addLayout(progressRow());
}

QLayout* TMainForm::firstRow() {
  Label1 = new QLabel("Files to Resize:", this);
  SpeedButton1 = toolButton(addFilesGlyph(), this);
  SpeedButton2 = toolButton(removeFilesGlyph(), this);
  Label2 = new QLabel("Output Dir", this);
  Edit1 = new QLineEdit(DefaultOutputFolder, this);
  SpeedButton3 = toolButton(outputFolderGlyph(), this);
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
  auto* row = new QHBoxLayout;
  row->addWidget(Label1);
  row->addWidget(SpeedButton1);
  row->addWidget(SpeedButton2);
  row->addSpacing(16);
  row->addWidget(Label2);
  row->addWidget(Edit1, 1);
  row->addWidget(SpeedButton3);
  return row;
}

QLayout* TMainForm::sizeRow() {
  Label3 = new QLabel("Picture Size:", this);
  SpinEdit1 = new SpinEdit(0, 0, true, this);
  SpinEdit1->setValue(176);
  Label4 = new QLabel("X", this);
  SpinEdit2 = new SpinEdit(0, 0, true, this);
  SpinEdit2->setValue(220);
  RadioGroup2 = new RadioGroup("Picture Save Format", {"JPG", "BMP"}, 2, this);
  RadioGroup2->setItemIndex(0);
  Label5 = new QLabel("JPEG Quality:", this);
  SpinEdit3 = new SpinEdit(0, 100, false, this);
  SpinEdit3->setValue(100);
  Label8 = new QLabel("%", this);
  auto* row = new QHBoxLayout;
  for (QWidget* widget : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(SpinEdit1),
                          static_cast<QWidget*>(Label4), static_cast<QWidget*>(SpinEdit2)}) {
    row->addWidget(widget);
  }
  row->addStretch();
  row->addWidget(RadioGroup2);
  row->addStretch();
  row->addWidget(Label5);
  row->addWidget(SpinEdit3);
  row->addWidget(Label8);
  return row;
}

QLayout* TMainForm::rotateRow() {
  SR = new QCheckBox("KeenRotate", this);
  SR->setChecked(true);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox1->addItems({"Left", "Right"});
  ComboBox1->setCurrentText("Left");
  // What the user types stands as typed: no completion, and Enter adds no item.
  ComboBox1->setCompleter(nullptr);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  CheckBox1 = new QCheckBox("AntiAliasing", this);
  auto* row = new QHBoxLayout;
  row->addWidget(SR);
  row->addWidget(ComboBox1);
  row->addSpacing(24);
  row->addWidget(CheckBox1);
  row->addStretch();
  return row;
}

QLayout* TMainForm::optionsRow() {
  RadioGroup1 =
      new RadioGroup("Resizing Options",
                     {"Keen Resizing", "Give User to Edit All Files", "Resize All Files"}, 1, this);
  RadioGroup1->setItemIndex(0);
  GroupBox1 = new QGroupBox("Keen Resize Options", this);
  Label6 = new QLabel("Aspect Ratio Accurancy ±", GroupBox1);
  SpinEdit4 = new SpinEdit(0, 0, false, GroupBox1);
  SpinEdit4->setValue(10);
  Label7 = new QLabel("%", GroupBox1);
  RadioGroup3 = new RadioGroup("If Aspect Ratio does not Match.",
                               {"Give User to Edit", "Skip File"}, 2, GroupBox1);
  RadioGroup3->setItemIndex(0);
  auto* tolerance = new QHBoxLayout;
  tolerance->addWidget(Label6);
  tolerance->addWidget(SpinEdit4);
  tolerance->addWidget(Label7);
  tolerance->addStretch();
  auto* keen = new QVBoxLayout(GroupBox1);
  keen->addLayout(tolerance);
  keen->addWidget(RadioGroup3);
  auto* row = new QHBoxLayout;
  row->addWidget(RadioGroup1);
  row->addWidget(GroupBox1, 1);
  return row;
}

QLayout* TMainForm::progressRow() {
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  Label9 = new QLabel("Picture 0 of 0", this);
  SpeedButton4 = toolButton(startGlyph(), this);
  SpeedButton4->setText("Start");
  SpeedButton4->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
  auto* row = new QHBoxLayout;
  row->addWidget(ProgressBar1, 1);
  row->addWidget(Label9);
  row->addSpacing(16);
  row->addWidget(SpeedButton4);
  return row;
}

void TMainForm::setFonts() {
  QFont windowFont = font();
  windowFont.setPixelSize(WindowFontPixels);
  setFont(windowFont);
  QFont labelFont = windowFont;
  labelFont.setPixelSize(LabelFontPixels);
  for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9}) {
    label->setFont(labelFont);
  }
  for (SpinEdit* box : {SpinEdit1, SpinEdit2, SpinEdit3, SpinEdit4}) {
    box->setFixedWidth(SpinEditWidth);
  }
  ListBox1->setFixedHeight(6 * ListBox1->fontMetrics().lineSpacing() + 2 * ListBox1->frameWidth() +
                           6);
  ListBox1->setMinimumWidth(560);
}

void TMainForm::setTabOrder() {
  QList<QWidget*> chain = {ListBox1, Edit1};
  auto addGroup = [&chain](RadioGroup* group) {
    for (int i = 0; i < group->count(); ++i) chain.append(group->button(i));
  };
  addGroup(RadioGroup1);
  chain.append(SpinEdit4);
  addGroup(RadioGroup3);
  chain.append({SpinEdit1, SpinEdit2});
  addGroup(RadioGroup2);
  chain.append({SpinEdit3, SR, ComboBox1, CheckBox1});
  for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

JobSettings TMainForm::jobSettings() const {
  JobSettings settings;
  settings.targetWidth = SpinEdit1->value();
  settings.targetHeight = SpinEdit2->value();
  settings.saveFormat = RadioGroup2->itemIndex();
  settings.jpegQuality = SpinEdit3->value();
  settings.mode = RadioGroup1->itemIndex();
  settings.aspectTolerance = SpinEdit4->value();
  settings.mismatchAction = RadioGroup3->itemIndex();
  settings.autoRotate = SR->isChecked();
  settings.rotateDirection = ComboBox1->currentText().toStdString();
  settings.antiAlias = CheckBox1->isChecked();
  settings.outputPath = filePath(SaveDialog1);
  for (int i = 0; i < ListBox1->count(); ++i) {
    settings.files.push_back(filePath(ListBox1->item(i)->text()));
  }
  // The next pictures decode on every core while this one is worked on or
  // shown in the crop editor; what the run writes and shows stays the same.
  settings.jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  return settings;
}

void TMainForm::repaintNow() {
  repaint();
  QCoreApplication::processEvents();
}

// The default output folder; one level only, and whether it worked is not
// looked at: a run that then cannot write there says so itself.
void TMainForm::FormCreate() {
  std::error_code ignored;
  std::filesystem::create_directory(DefaultOutputFolder, ignored);
}

void TMainForm::SpeedButton1Click() {
  guarded([this] {
    const QStringList paths = openFiles(this, OpenDialog1);
    if (paths.isEmpty()) return;
    ListBox1->addItems(paths);
    OpenDialog1 = paths.first();
  });
}

void TMainForm::SpeedButton2Click() {
  guarded([this] {
    int i = 0;
    while (i < ListBox1->count()) {
      if (ListBox1->item(i)->isSelected()) {
        delete ListBox1->takeItem(i);
      } else {
        ++i;
      }
    }
    if (ListBox1->count() > 0) ListBox1->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  });
}

void TMainForm::SpeedButton3Click() {
  guarded([this] {
    const QString chosen = saveFile(this, SaveDialog1);
    if (chosen.isEmpty()) return;
    SaveDialog1 = chosen;
    Edit1->setText(QString::fromStdString(folderPart(chosen.toStdString())));
  });
}

void TMainForm::SpeedButton4Click() {
  guarded([this] {
    RunScope scope(*this);
    run(jobSettings(), *frontEnd_, pictures);
  });
}

bool TMainForm::ListBox1KeyDown(const QKeyEvent& event) {
  if (event.key() != Qt::Key_Delete) return false;
  SpeedButton2Click();
  return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
    return ListBox1KeyDown(static_cast<const QKeyEvent&>(*event));
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace batchfit
