#include "ui/CropEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "editor/CropCommit.h"
#include "image/Error.h"
#include "ui/ErrorBox.h"

namespace batchfit {

namespace {

constexpr int BottomBarHeight = 41;

PointerEvent pointerOf(const QMouseEvent& event) {
  const QPointF p = event.position();
  return {std::int32_t(std::floor(p.x())), std::int32_t(std::floor(p.y())),
          bool(event.buttons() & Qt::LeftButton)};
}

Qt::CursorShape cursorShape(CursorKind kind) {
  switch (kind) {
    case CursorKind::Move:
      return Qt::SizeAllCursor;
    case CursorKind::SizeDiagonal:
      return Qt::SizeFDiagCursor;
    case CursorKind::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

// The arrow is what an element shows before its cursor is ever set.
void applyCursor(QWidget* widget, CursorKind kind) {
  if (kind == CursorKind::Arrow) return;
  if (!widget->testAttribute(Qt::WA_SetCursor) || widget->cursor().shape() != cursorShape(kind)) {
    widget->setCursor(cursorShape(kind));
  }
}

QPushButton* makeButton(const char* caption, int left, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setGeometry(left, 8, 89, 25);
  button->setAutoDefault(false);
  button->setDefault(false);
  // The focus moves by key alone, where the style shows it: a click, even one
  // the editor drops, leaves it where it was.
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::setPicture(const PixelSurface& surface) {
  const QSize size(std::max(surface.width(), 0), std::max(surface.height(), 0));
  if (image_.size() != size) {
    image_ = QImage();  // let go of the old picture's memory first
    image_ = QImage(size, QImage::Format_RGB32);
    if (!size.isEmpty() && image_.isNull()) throw Error("Out of system resources");
  }
  refresh(surface, QRect(QPoint(0, 0), size));
  resize(size);
}

void PictureView::refresh(const PixelSurface& surface, const QRect& area) {
  const QRect part = area & image_.rect();
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const ColorRef* source = surface.row(y);
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = part.left(); x <= part.right(); ++x) {
      const ColorRef c = source[x];
      line[x] = qRgb(redOf(c), greenOf(c), blueOf(c));
    }
  }
  update(part);
}

void PictureView::paintEvent(QPaintEvent* event) {
  // The view is exactly the picture's size: the picture covers all of it.
  QPainter painter(this);
  const QRect area = event->rect();
  painter.drawImage(area.topLeft(), image_, area);
}

FrameShape::FrameShape(Look look, QWidget* parent) : QWidget(parent), look_(look) {
  // Moves without a button held reach the frame and the handle too.
  setMouseTracking(true);
}

void FrameShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor colour = palette().color(QPalette::HighlightedText);
  if (look_ == Look::Filled) {
    painter.fillRect(rect(), colour);
    return;
  }
  // A 3-pixel line, 1 pixel inside the bounds; the inside stays see-through.
  const QRect outer = rect().adjusted(1, 1, -1, -1);
  painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), 3), colour);
  painter.fillRect(QRect(outer.left(), outer.bottom() - 2, outer.width(), 3), colour);
  painter.fillRect(QRect(outer.left(), outer.top(), 3, outer.height()), colour);
  painter.fillRect(QRect(outer.right() - 2, outer.top(), 3, outer.height()), colour);
}

void FrameShape::mousePressEvent(QMouseEvent* event) {
  if (onPress) onPress(*event);
}

void FrameShape::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(*event);
}

CropEditor::CropEditor(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle(QStringLiteral("Select part of image."));
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildPictureArea();
  buildBottomBar();
  layout->addWidget(scrollArea_, 1);
  layout->addWidget(bottomBar_);
}

void CropEditor::buildBottomBar() {
  bottomBar_ = new QWidget(this);
  bottomBar_->setFixedHeight(BottomBarHeight);
  rotateFrameButton_ = makeButton("Hor/Ver Rotate", 8, bottomBar_);
  skipButton_ = makeButton("SKIP", 104, bottomBar_);
  okButton_ = makeButton("OK/NEXT", 200, bottomBar_);
  setTabOrder(skipButton_, rotateFrameButton_);
  setTabOrder(rotateFrameButton_, okButton_);
  connect(skipButton_, &QPushButton::clicked, this, [this] { skipPicture(); });
  connect(rotateFrameButton_, &QPushButton::clicked, this, [this] { turnFrame(); });
  connect(okButton_, &QPushButton::clicked, this, [this] { confirmCrop(); });
  for (QPushButton* button : {skipButton_, rotateFrameButton_, okButton_}) {
    button->installEventFilter(this);
  }

  progressBar_ = new QProgressBar(bottomBar_);
  progressBar_->setGeometry(296, 12, 321, 17);
  progressBar_->setTextVisible(false);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);

  progressLabel_ = new QLabel(QStringLiteral("Picture 0 of 0"), bottomBar_);
  QFont font = progressLabel_->font();
  font.setPixelSize(16);
  progressLabel_->setFont(font);
  progressLabel_->move(624, 9);
  progressLabel_->adjustSize();
}

void CropEditor::buildPictureArea() {
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setFocusPolicy(Qt::NoFocus);
  scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  canvas_ = new QWidget;
  pictureView_ = new PictureView(canvas_);
  frameShape_ = new FrameShape(FrameShape::Look::Outline, canvas_);
  handleShape_ = new FrameShape(FrameShape::Look::Filled, canvas_);
  handleShape_->raise();  // where the handle lies over the frame, the handle gets the pointer
  scrollArea_->setWidget(canvas_);

  frameShape_->onPress = [this](const QMouseEvent& e) { grabFrame(e); };
  frameShape_->onMove = [this](const QMouseEvent& e) { moveFrame(e); };
  handleShape_->onPress = [this](const QMouseEvent& e) { grabHandle(e); };
  handleShape_->onMove = [this](const QMouseEvent& e) { resizeFrame(e); };
}

bool CropEditor::editPicture(const PixelSurface& source, PictureRole& target,
                             const JobSettings& s) {
  picture_ = source;
  settings_ = s;
  target_ = &target;
  pictureView_->setPicture(picture_);
  progressLabel_->adjustSize();
  // Each picture starts with its top-left corner in view.
  scrollArea_->horizontalScrollBar()->setValue(0);
  scrollArea_->verticalScrollBar()->setValue(0);
  setGeometry(screen()->availableGeometry());

  QEventLoop loop;
  loop_ = &loop;
  show();
  // Every picture starts as the first did, with the focus on no button, so
  // that a key hit as it comes up presses nothing; Tab reaches the buttons.
  setFocus();
  // With no window manager to move it away on hide, the keyboard may still be
  // on this window, so the window system announces nothing; the widgets would
  // then not know themselves active, and the style would draw no focus.
  if (QGuiApplication::focusWindow() == windowHandle()) QApplication::setActiveWindow(this);
  loop.exec();
  loop_ = nullptr;
  target_ = nullptr;
  // Deliberate: as the last command left it; a show does not reset it.
  return editorSkipped_;
}

void CropEditor::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) placeFrame();
}

void CropEditor::closeEvent(QCloseEvent* event) {
  event->ignore();
}

bool CropEditor::eventFilter(QObject* watched, QEvent* event) {
  // Input that reaches the buttons between two pictures is meant for neither.
  if (event->isInputEvent() && !isVisible()) return true;
  // The first click of a double click on "OK/NEXT" or "SKIP" has closed the
  // editor, and the next picture comes up at once with the same button under
  // the pointer: the second click is not meant for a picture not yet seen.
  if (event->type() == QEvent::MouseButtonDblClick && watched != rotateFrameButton_) return true;
  return QWidget::eventFilter(watched, event);
}

PictureSize CropEditor::pictureSize() const {
  return {picture_.width(), picture_.height()};
}

void CropEditor::showFrame() {
  frameShape_->setGeometry(frame_.left(), frame_.top(), frame_.width(), frame_.height());
  handleShape_->setGeometry(frame_.handleLeft(), frame_.handleTop(), HandleSize, HandleSize);
  applyCursor(frameShape_, frame_.frameCursor());
  applyCursor(handleShape_, frame_.handleCursor());
  // The scrolled area reaches as far right and down as the picture or the frame.
  canvas_->resize(std::max({picture_.width(), frameShape_->geometry().right() + 1, 0}),
                  std::max({picture_.height(), frameShape_->geometry().bottom() + 1, 0}));
}

void CropEditor::closeEditor() {
  hide();
  if (loop_) loop_->quit();
}

void CropEditor::placeFrame() {
  guarded([this] { frame_.placeAtShow(pictureSize(), settings_); });
  showFrame();
}

void CropEditor::grabFrame(const QMouseEvent& event) {
  guarded([&] {
    const PointerEvent p = pointerOf(event);
    frame_.framePress(p.x, p.y);
  });
}

void CropEditor::moveFrame(const QMouseEvent& event) {
  guarded([&] { frame_.frameMove(pointerOf(event), pictureSize()); });
  showFrame();
}

void CropEditor::grabHandle(const QMouseEvent&) {
  guarded([this] { frame_.handlePress(); });
}

void CropEditor::resizeFrame(const QMouseEvent& event) {
  // A failing move has already changed the handle's cursor; show it.
  guarded([&] { frame_.handleMove(pointerOf(event), pictureSize(), settings_); });
  showFrame();
}

void CropEditor::skipPicture() {
  guarded([this] {
    skipCrop(editorSkipped_);
    closeEditor();
  });
}

void CropEditor::turnFrame() {
  guarded([this] { frame_.rotate(pictureSize(), settings_); });
  showFrame();
}

void CropEditor::confirmCrop() {
  guarded([this] {
    commitCrop(picture_, frame_, settings_, *target_, editorSkipped_);
    closeEditor();
  });
  // A commit that failed stays open with the cut made; the picture shows it.
  if (isVisible()) pictureView_->refresh(picture_, QRect(0, 0, frame_.width(), frame_.height()));
}

}  // namespace batchfit
