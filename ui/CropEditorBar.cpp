#include "ui/CropEditorBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

namespace batchfit {

namespace {

// Where the bar's controls stand, in pixels from the bar's top-left corner.
namespace place {
constexpr int BarHeight = 41;
constexpr QRect RotateButton(8, 8, 89, 25);
constexpr QRect SkipButton(104, 8, 89, 25);
constexpr QRect OkButton(200, 8, 89, 25);
constexpr QRect ProgressBar(296, 12, 321, 17);
constexpr QPoint ProgressLabel(624, 9);
constexpr int LabelFontPixels = 16;
constexpr int LabelTop = 9;  // the photo's name and size too
// Between the progress label, the photo's name and the zoom buttons.
constexpr int Gap = 16;
constexpr int RightMargin = 8;
constexpr int ZoomButtonSpacing = 2;
constexpr int StopButtonHeight = 25;
// The room the photo's name keeps before the bar folds its last buttons
// away: a camera's name, whole.
constexpr const char* NameRoom = "IMG_0000.JPG";
}  // namespace place

QPushButton* makeButton(const char* caption, const QRect& at, QWidget* parent, const char* tip) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setGeometry(at);
  button->setAutoDefault(false);
  button->setDefault(false);
  // The focus moves by key alone, where the style shows it: a click, even one
  // the editor drops, leaves it where it was.
  button->setFocusPolicy(Qt::TabFocus);
  button->setToolTip(QString::fromUtf8(tip));
  return button;
}

// A bar button that never takes the focus: the keys stay where they were.
QToolButton* makeToolButton(const char* caption, const char* tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(QString::fromUtf8(caption));
  button->setToolTip(QString::fromUtf8(tip));
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

CropEditorBar::CropEditorBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(place::BarHeight);
  rotateFrameButton_ =
      makeButton("Hor/Ver Rotate", place::RotateButton, this,
                 "Turn the frame between upright and lying; it starts again at the top-left "
                 "corner at the picture's size");
  skipButton_ = makeButton("SKIP", place::SkipButton, this,
                           "Leave this photo out: nothing is written for it");
  okButton_ = makeButton("OK/NEXT", place::OkButton, this,
                         "Write the framed part as this photo's result and go on with the next");

  progressBar_ = new QProgressBar(this);
  progressBar_->setGeometry(place::ProgressBar);
  progressBar_->setTextVisible(false);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);

  progressLabel_ = new QLabel(QStringLiteral("Picture 0 of 0"), this);
  QFont font = progressLabel_->font();
  font.setPixelSize(place::LabelFontPixels);
  progressLabel_->setFont(font);
  progressLabel_->move(place::ProgressLabel);
  progressLabel_->adjustSize();

  photoLabel_ = new QLabel(this);
  photoLabel_->setFont(font);
  buildZoomControl();
}

void CropEditorBar::buildZoomControl() {
  zoomControl_ = new QWidget(this);
  auto* row = new QHBoxLayout(zoomControl_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(place::ZoomButtonSpacing);
  largestButton_ = makeToolButton(
      "Largest", "The largest frame the photo holds, lying as it lies, in its middle (F)",
      zoomControl_);
  likeLastButton_ = makeToolButton(
      "Like Last", "Frame this photo as \"OK/NEXT\" framed the one before it in this run (L)",
      zoomControl_);
  previewButton_ =
      makeToolButton("Preview 1:1", "Preview of the result: off, 1:1 or 2:1 (P)", zoomControl_);
  zoomOutButton_ = makeToolButton("\u2212", "Show the photo smaller (Ctrl+minus)", zoomControl_);
  zoomLabel_ = new QLabel(QStringLiteral("100 %"), zoomControl_);
  zoomLabel_->setAlignment(Qt::AlignCenter);
  zoomLabel_->setMinimumWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) +
                              8);
  zoomInButton_ = makeToolButton("+", "Show the photo larger (Ctrl+plus)", zoomControl_);
  fitButton_ = makeToolButton("Fit", "Show the whole photo (Ctrl+0)", zoomControl_);
  naturalButton_ = makeToolButton(
      "100 %", "Show the photo at its own size, a screen pixel a pixel (Ctrl+1)", zoomControl_);
  // As narrow as its caption: the bar's end has little room to spare.
  stopButton_ = makeButton("STOP", QRect(), zoomControl_,
                           "End the run here, after asking; the pictures written so far stay");
  stopButton_->setFixedSize(stopButton_->fontMetrics().horizontalAdvance("STOP") + 16,
                            place::StopButtonHeight);
  // "More" holds the buttons a narrow bar folds away, last ones first; its
  // menu does what they do.
  moreButton_ = makeToolButton("\u00bb", "More commands", zoomControl_);
  moreButton_->setPopupMode(QToolButton::InstantPopup);
  auto* more = new QMenu(moreButton_);
  moreButton_->setMenu(more);
  connect(more, &QMenu::aboutToShow, this, [this, more] { fillMoreMenu(*more); });
  // "STOP" first: a bar too narrow for them all folds the zoom's end, which
  // the keys also reach, never the way out.
  row->addWidget(stopButton_);
  row->addSpacing(place::RightMargin);
  folding_ = {largestButton_, likeLastButton_, previewButton_, zoomOutButton_,
              zoomLabel_,     zoomInButton_,   fitButton_,     naturalButton_};
  for (QWidget* w : folding_) row->addWidget(w);
  row->addWidget(moreButton_);
  moreButton_->hide();
}

// Shows as many of the folding buttons, from the first, as fit in width, and
// "More" when any are left out.
void CropEditorBar::foldTo(int width) {
  for (QWidget* w : folding_) w->show();
  moreButton_->hide();
  const auto fits = [this, width] {
    zoomControl_->layout()->invalidate();
    return zoomControl_->sizeHint().width() <= width;
  };
  for (auto last = folding_.rbegin(); last != folding_.rend() && !fits(); ++last) {
    (*last)->hide();
    moreButton_->show();
  }
}

void CropEditorBar::fillMoreMenu(QMenu& menu) {
  menu.clear();
  for (QWidget* w : folding_) {
    auto* button = qobject_cast<QToolButton*>(w);
    if (!button || !button->isHidden()) continue;
    connect(menu.addAction(button->toolTip()), &QAction::triggered, button, &QToolButton::click);
  }
}

void CropEditorBar::setPhoto(const QString& name, const QString& size, const QString& path) {
  photoName_ = name;
  photoSize_ = size;
  photoLabel_->setToolTip(path);
}

void CropEditorBar::placeEnd() {
  const int after = progressLabel_->geometry().right() + 1 + place::Gap;
  const QFontMetrics metrics = photoLabel_->fontMetrics();
  const QString separator = photoName_.isEmpty() ? QString() : QStringLiteral("  ");
  const int least = metrics.horizontalAdvance(separator + photoSize_);
  const int nameRoom = photoName_.isEmpty() ? 0 : metrics.horizontalAdvance(place::NameRoom);
  foldTo(width() - place::RightMargin - (after + nameRoom + least + place::Gap));
  const QSize size = zoomControl_->sizeHint();
  const int left =
      std::max(width() - size.width() - place::RightMargin, after + least + place::Gap);
  zoomControl_->setGeometry(left, (place::BarHeight - size.height()) / 2, size.width(),
                            size.height());
  const QString name =
      metrics.elidedText(photoName_, Qt::ElideMiddle, left - place::Gap - after - least);
  photoLabel_->setText(name.isEmpty() ? photoSize_ : name + separator + photoSize_);
  photoLabel_->move(after, place::LabelTop);
  photoLabel_->adjustSize();
}

void CropEditorBar::setZoomPercent(int percent) {
  zoomLabel_->setText(QStringLiteral("%1 %").arg(percent));
}

}  // namespace batchfit
