#include "BGImageUnit.h"

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

#include "CropCommit.h"
#include "Error.h"
#include "ErrorBox.h"

namespace batchfit {

namespace {

constexpr int PanelHeight = 41;

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

TBGImageForm::TBGImageForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle(QStringLiteral("Select part of image."));
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildPictureArea();
  buildPanel();
  layout->addWidget(ScrollBox1, 1);
  layout->addWidget(Panel1);
}

void TBGImageForm::buildPanel() {
  Panel1 = new QWidget(this);
  Panel1->setFixedHeight(PanelHeight);
  Button2 = makeButton("Hor/Ver Rotate", 8, Panel1);
  Button1 = makeButton("SKIP", 104, Panel1);
  Button3 = makeButton("OK/NEXT", 200, Panel1);
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, Button3);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  for (QPushButton* button : {Button1, Button2, Button3}) button->installEventFilter(this);

  ProgressBar1 = new QProgressBar(Panel1);
  ProgressBar1->setGeometry(296, 12, 321, 17);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);

  Label9 = new QLabel(QStringLiteral("Picture 0 of 0"), Panel1);
  QFont font = Label9->font();
  font.setPixelSize(16);
  Label9->setFont(font);
  Label9->move(624, 9);
  Label9->adjustSize();
}

void TBGImageForm::buildPictureArea() {
  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setFocusPolicy(Qt::NoFocus);
  ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Canvas = new QWidget;
  Image1 = new PictureView(Canvas);
  Shape1 = new FrameShape(FrameShape::Look::Outline, Canvas);
  Shape2 = new FrameShape(FrameShape::Look::Filled, Canvas);
  Shape2->raise();  // where the handle lies over the frame, the handle gets the pointer
  ScrollBox1->setWidget(Canvas);

  Shape1->onPress = [this](const QMouseEvent& e) { Shape1MouseDown(e); };
  Shape1->onMove = [this](const QMouseEvent& e) { Shape1MouseMove(e); };
  Shape2->onPress = [this](const QMouseEvent& e) { Shape2MouseDown(e); };
  Shape2->onMove = [this](const QMouseEvent& e) { Shape2MouseMove(e); };
}

bool TBGImageForm::editPicture(const PixelSurface& source, PictureRole& target,
                               const JobSettings& s) {
  picture_.assign(source);
  settings_ = s;
  target_ = &target;
  Image1->setPicture(picture_);
  Label9->adjustSize();
  // Each picture starts with its top-left corner in view.
  ScrollBox1->horizontalScrollBar()->setValue(0);
  ScrollBox1->verticalScrollBar()->setValue(0);
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
  return editorSkipped_;
}

void TBGImageForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TBGImageForm::closeEvent(QCloseEvent* event) {
  event->ignore();
}

bool TBGImageForm::eventFilter(QObject* watched, QEvent* event) {
  // Input that reaches the buttons between two pictures is meant for neither.
  if (event->isInputEvent() && !isVisible()) return true;
  // The first click of a double click on "OK/NEXT" or "SKIP" has closed the
  // editor, and the next picture comes up at once with the same button under
  // the pointer: the second click is not meant for a picture not yet seen.
  if (event->type() == QEvent::MouseButtonDblClick && watched != Button2) return true;
  return QWidget::eventFilter(watched, event);
}

PictureSize TBGImageForm::pictureSize() const {
  return {picture_.width(), picture_.height()};
}

void TBGImageForm::showFrame() {
  Shape1->setGeometry(frame_.left(), frame_.top(), frame_.width(), frame_.height());
  Shape2->setGeometry(frame_.handleLeft(), frame_.handleTop(), HandleSize, HandleSize);
  applyCursor(Shape1, frame_.frameCursor());
  applyCursor(Shape2, frame_.handleCursor());
  // The scrolled area reaches as far right and down as the picture or the frame.
  Canvas->resize(std::max({picture_.width(), Shape1->geometry().right() + 1, 0}),
                 std::max({picture_.height(), Shape1->geometry().bottom() + 1, 0}));
}

void TBGImageForm::closeEditor() {
  hide();
  if (loop_) loop_->quit();
}

void TBGImageForm::FormShow() {
  guarded([this] { frame_.placeAtShow(pictureSize(), settings_); });
  showFrame();
}

void TBGImageForm::Shape1MouseDown(const QMouseEvent& event) {
  guarded([&] {
    const PointerEvent p = pointerOf(event);
    frame_.framePress(p.x, p.y);
  });
}

void TBGImageForm::Shape1MouseMove(const QMouseEvent& event) {
  guarded([&] { frame_.frameMove(pointerOf(event), pictureSize()); });
  showFrame();
}

void TBGImageForm::Shape2MouseDown(const QMouseEvent&) {
  guarded([this] { frame_.handlePress(); });
}

void TBGImageForm::Shape2MouseMove(const QMouseEvent& event) {
  // A failing move has already changed the handle's cursor; show it.
  guarded([&] { frame_.handleMove(pointerOf(event), pictureSize(), settings_); });
  showFrame();
}

void TBGImageForm::Button1Click() {
  guarded([this] {
    skipCrop(editorSkipped_);
    closeEditor();
  });
}

void TBGImageForm::Button2Click() {
  guarded([this] { frame_.rotate(pictureSize(), settings_); });
  showFrame();
}

void TBGImageForm::Button3Click() {
  guarded([this] {
    commitCrop(picture_, frame_, settings_, *target_, editorSkipped_);
    closeEditor();
  });
  // A commit that failed stays open with the cut made; the picture shows it.
  if (isVisible()) Image1->refresh(picture_, QRect(0, 0, frame_.width(), frame_.height()));
}

}  // namespace batchfit
