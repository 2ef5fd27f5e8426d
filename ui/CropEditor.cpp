#include "ui/CropEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/CropCommit.h"
#include "image/Error.h"
#include "ui/ErrorBox.h"

namespace batchfit {

namespace {

constexpr int BottomBarHeight = 41;
// How far beyond the handle's square a press still takes the handle.
constexpr int GripMargin = 7;
// The band along the view's edges where a drag scrolls the view.
constexpr int EdgeBand = 16;
constexpr int AutoScrollInterval = 25;  // milliseconds
constexpr int PreviewMargin = 12;
constexpr int PreviewBorder = 2;
constexpr int PreviewCaption = 18;
// How long a zoom below 100 % stays before the picture is reduced for it.
constexpr int ReduceDelay = 150;  // milliseconds

const QColor LightLine(255, 255, 255);
const QColor DarkEdge(0, 0, 0, 170);
const QColor Shade(0, 0, 0, 110);

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

QPushButton* makeButton(const char* caption, int left, QWidget* parent, const char* tip) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setGeometry(left, 8, 89, 25);
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

QPoint floored(QPointF p) {
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

void fillRing(QPainter& painter, const QRect& outer, int thickness, const QColor& colour) {
  painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), thickness), colour);
  painter.fillRect(QRect(outer.left(), outer.bottom() - thickness + 1, outer.width(), thickness),
                   colour);
  const int inner = outer.height() - 2 * thickness;
  painter.fillRect(QRect(outer.left(), outer.top() + thickness, thickness, inner), colour);
  painter.fillRect(QRect(outer.right() - thickness + 1, outer.top() + thickness, thickness, inner),
                   colour);
}

// Area of image (a Format_RGB32 image of the surface's size) takes the surface's pixels.
void showPixels(const PixelSurface& surface, const QRect& area, QImage& image) {
  const QRect part = area & image.rect();
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const ColorRef* source = surface.row(y);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = part.left(); x <= part.right(); ++x) {
      line[x] = qRgb(redOf(source[x]), greenOf(source[x]), blueOf(source[x]));
    }
  }
}

// Steps of the scroll bar for a pointer that far into the edge band or past it.
int scrollStep(int depth) {
  if (depth == 0) return 0;
  const int speed = std::min(2 + std::abs(depth) / 2, 60);
  return depth < 0 ? -speed : speed;
}

}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  reduceTimer_.setSingleShot(true);
  reduceTimer_.setInterval(ReduceDelay);
  QObject::connect(&reduceTimer_, &QTimer::timeout, [this] { reduceNow(); });
  // A click on the picture, the frame or the handle gives the view the keys.
  setFocusPolicy(Qt::StrongFocus);
}

void PictureView::setPicture(const PixelSurface& surface) {
  const QSize size(std::max(surface.width(), 0), std::max(surface.height(), 0));
  reduced_ = QImage();
  reduceTimer_.stop();
  zoom_ = Zoom();
  if (image_.size() != size) {
    image_ = QImage();  // let go of the old picture's memory first
    image_ = QImage(size, QImage::Format_RGB32);
    if (!size.isEmpty() && image_.isNull()) throw Error("Out of system resources");
  }
  refresh(surface, QRect(QPoint(0, 0), size));
  resize(size);
}

void PictureView::refresh(const PixelSurface& surface, const QRect& area) {
  showPixels(surface, area, image_);
  if (!reduced_.isNull()) reduce();
  update();
}

void PictureView::setZoom(const Zoom& zoom) {
  zoom_ = zoom;
  reduced_ = QImage();
  resize(int(zoom.toScreen(image_.width())), int(zoom.toScreen(image_.height())));
  // Zooming on, the user sees the nearest pixels; once the zoom stays, the
  // averaged ones.
  if (zoom.toScreen(1) == 1 && !zoom.isNatural()) reduceTimer_.start();
  update();
}

void PictureView::reduceNow() {
  if (!reduceTimer_.isActive()) return;
  reduceTimer_.stop();
  reduce();
}

void PictureView::reduce() {
  // Without the memory for it, the nearest pixels stay.
  reduced_ = image_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  update();
}

void PictureView::setFrameRect(const QRect& frame) {
  if (frame == frame_) return;
  // Only where the shade changes.
  update(QRegion(frame_).xored(QRegion(frame)));
  frame_ = frame;
}

void PictureView::paintEvent(QPaintEvent* event) {
  // The view is exactly the shown picture's size: the picture covers all of it.
  QPainter painter(this);
  const QRect area = event->rect();
  if (zoom_.isNatural()) {
    painter.drawImage(area.topLeft(), image_, area);
  } else if (!reduced_.isNull()) {
    painter.drawImage(area.topLeft(), reduced_, area);
  } else {
    paintSampled(painter, area);
  }
  for (const QRect& outside : QRegion(area).subtracted(frame_)) painter.fillRect(outside, Shade);
}

// Each screen pixel shows the picture pixel it converts to: above 100 % (whole
// numbers) every picture pixel is a square of screen pixels.
void PictureView::paintSampled(QPainter& painter, const QRect& area) const {
  const double scale = zoom_.scale();
  // Below 100 % the last screen pixels of a row or column may show less than a pixel.
  if (scale < 1) painter.fillRect(area, palette().window());
  painter.drawImage(
      QRectF(area), image_,
      QRectF(area.x() / scale, area.y() / scale, area.width() / scale, area.height() / scale));
}

void PictureView::keyPressEvent(QKeyEvent* event) {
  if (onKey && onKey(*event)) return;
  QWidget::keyPressEvent(event);
}

FrameShape::FrameShape(Look look, QWidget* parent) : QWidget(parent), look_(look) {
  // Moves without a button held reach the frame and the handle too.
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void FrameShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (look_ == Look::Filled) {
    painter.fillRect(rect(), LightLine);
    fillRing(painter, rect(), 1, DarkEdge);
  } else if (look_ == Look::Outline) {
    // A light line with a thin dark edge on either side, inside the bounds,
    // so it shows on light and dark photos alike; the inside stays see-through.
    fillRing(painter, rect(), 1, DarkEdge);
    fillRing(painter, rect().adjusted(1, 1, -1, -1), 3, LightLine);
    fillRing(painter, rect().adjusted(4, 4, -4, -4), 1, DarkEdge);
  }
}

QPoint FrameShape::atCanvas(const QMouseEvent& event) const {
  return pos() + floored(event.position());
}

void FrameShape::mousePressEvent(QMouseEvent* event) {
  if (onPress) onPress(*event, atCanvas(*event));
}

void FrameShape::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(*event, atCanvas(*event));
}

void FrameShape::mouseReleaseEvent(QMouseEvent* event) {
  if (onRelease) onRelease(*event, atCanvas(*event));
}

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
  // The frame under the box still takes the pointer.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PreviewView::setOutput(PixelSurface output) {
  const QSize size(output.width(), output.height());
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  if (image_.isNull()) throw Error("Out of system resources");
  showPixels(output, image_.rect(), image_);
  output_ = std::move(output);
  update();
}

void PreviewView::setScale(int scale) {
  scale_ = scale;
  update();
}

void PreviewView::fitInto(const QSize& room) {
  const QSize box(image_.width() * scale_ + 2 * PreviewBorder,
                  image_.height() * scale_ + 2 * PreviewBorder + PreviewCaption);
  resize(box.boundedTo(room));
}

void PreviewView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(40, 40, 40));
  painter.setPen(LightLine);
  const QRect caption(PreviewBorder + 2, 0, width() - 2 * PreviewBorder - 4, PreviewCaption);
  painter.drawText(
      caption, Qt::AlignVCenter | Qt::AlignLeft,
      QStringLiteral("Result %1 x %2, %3:1").arg(image_.width()).arg(image_.height()).arg(scale_));
  // Each pixel of the result as a square of scale_ screen pixels, never smoothed.
  painter.setClipRect(rect().adjusted(PreviewBorder, PreviewCaption + PreviewBorder, -PreviewBorder,
                                      -PreviewBorder));
  painter.drawImage(QRect(PreviewBorder, PreviewCaption + PreviewBorder, image_.width() * scale_,
                          image_.height() * scale_),
                    image_);
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

  autoScroll_.setInterval(AutoScrollInterval);
  connect(&autoScroll_, &QTimer::timeout, this, [this] { autoScrollStep(); });
  // One preview for all the moves that came in since the last one.
  previewTimer_.setSingleShot(true);
  previewTimer_.setInterval(0);
  connect(&previewTimer_, &QTimer::timeout, this, [this] { updatePreview(); });
}

void CropEditor::buildBottomBar() {
  bottomBar_ = new QWidget(this);
  bottomBar_->setFixedHeight(BottomBarHeight);
  rotateFrameButton_ =
      makeButton("Hor/Ver Rotate", 8, bottomBar_,
                 "Turn the frame between upright and lying; it starts again at the top-left "
                 "corner at the picture's size");
  skipButton_ =
      makeButton("SKIP", 104, bottomBar_, "Leave this photo out: nothing is written for it");
  okButton_ = makeButton("OK/NEXT", 200, bottomBar_,
                         "Write the framed part as this photo's result and go on with the next");
  setTabOrder(skipButton_, rotateFrameButton_);
  setTabOrder(rotateFrameButton_, okButton_);
  // The picture comes after the buttons, so Tab reaches the buttons first.
  setTabOrder(okButton_, pictureView_);
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

  photoLabel_ = new QLabel(bottomBar_);
  photoLabel_->setFont(font);
  buildZoomControl();
}

void CropEditor::buildZoomControl() {
  zoomControl_ = new QWidget(bottomBar_);
  auto* row = new QHBoxLayout(zoomControl_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  previewButton_ =
      makeToolButton("Preview 1:1", "Preview of the result: off, 1:1 or 2:1 (P)", zoomControl_);
  auto* zoomOut = makeToolButton("\u2212", "Show the photo smaller (Ctrl+minus)", zoomControl_);
  zoomLabel_ = new QLabel(QStringLiteral("100 %"), zoomControl_);
  zoomLabel_->setAlignment(Qt::AlignCenter);
  zoomLabel_->setMinimumWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) +
                              8);
  auto* zoomIn = makeToolButton("+", "Show the photo larger (Ctrl+plus)", zoomControl_);
  auto* fit = makeToolButton("Fit", "Show the whole photo (Ctrl+0)", zoomControl_);
  auto* natural = makeToolButton(
      "100 %", "Show the photo at its own size, a screen pixel a pixel (Ctrl+1)", zoomControl_);
  for (QWidget* w : {static_cast<QWidget*>(previewButton_), static_cast<QWidget*>(zoomOut),
                     static_cast<QWidget*>(zoomLabel_), static_cast<QWidget*>(zoomIn),
                     static_cast<QWidget*>(fit), static_cast<QWidget*>(natural)}) {
    row->addWidget(w);
  }
  connect(previewButton_, &QToolButton::clicked, this, [this] { cyclePreview(); });
  connect(zoomOut, &QToolButton::clicked, this, [this] { zoomBy(false, frameCentre()); });
  connect(zoomIn, &QToolButton::clicked, this, [this] { zoomBy(true, frameCentre()); });
  connect(fit, &QToolButton::clicked, this, [this] { setZoom(fitZoom(), frameCentre()); });
  connect(natural, &QToolButton::clicked, this, [this] { setZoom(Zoom(), frameCentre()); });
  zoomControl_->adjustSize();
}

// At the bar's right end, never over what comes before it; the photo's name
// and size take the room between, and in a narrow bar at least the room of
// the size.
void CropEditor::placeBarEnd() {
  const int after = progressLabel_->geometry().right() + 1 + 16;
  const QFontMetrics metrics = photoLabel_->fontMetrics();
  const int least = metrics.horizontalAdvance(photoText_.section(QStringLiteral("  "), -1));
  const QSize size = zoomControl_->sizeHint();
  const int left = std::max(bottomBar_->width() - size.width() - 8, after + least + 16);
  zoomControl_->setGeometry(left, (BottomBarHeight - size.height()) / 2, size.width(),
                            size.height());
  photoLabel_->setText(metrics.elidedText(photoText_, Qt::ElideMiddle, left - 16 - after));
  photoLabel_->move(after, 9);
  photoLabel_->adjustSize();
}

void CropEditor::buildPictureArea() {
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setFocusPolicy(Qt::NoFocus);
  scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  scrollArea_->viewport()->installEventFilter(this);
  canvas_ = new QWidget;
  pictureView_ = new PictureView(canvas_);
  frameShape_ = new FrameShape(FrameShape::Look::Outline, canvas_);
  handleGrip_ = new FrameShape(FrameShape::Look::Invisible, canvas_);
  handleShape_ = new FrameShape(FrameShape::Look::Filled, canvas_);
  // Where the handle (or its grip) lies over the frame, the handle gets the pointer.
  handleGrip_->raise();
  handleShape_->raise();
  scrollArea_->setWidget(canvas_);
  previewView_ = new PreviewView(scrollArea_->viewport());
  previewView_->hide();

  for (FrameShape* shape : {frameShape_, handleGrip_, handleShape_}) {
    shape->setFocusProxy(pictureView_);
    shape->onRelease = [this](const QMouseEvent& e, QPoint) { releaseGrab(e); };
  }
  frameShape_->onPress = [this](const QMouseEvent& e, QPoint at) { grabFrame(e, at); };
  frameShape_->onMove = [this](const QMouseEvent& e, QPoint at) { moveFrame(e, at); };
  for (FrameShape* shape : {handleGrip_, handleShape_}) {
    shape->onPress = [this](const QMouseEvent& e, QPoint at) { grabHandle(e, at); };
    shape->onMove = [this](const QMouseEvent& e, QPoint at) { resizeFrame(e, at); };
  }
  pictureView_->onKey = [this](const QKeyEvent& e) { return frameKey(e); };
  for (QScrollBar* bar : {scrollArea_->horizontalScrollBar(), scrollArea_->verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] { placePreview(); });
  }
}

// The zoom and preview keys, wherever the focus is: no widget of the editor uses them.
void CropEditor::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods =
      event->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
  // Where "+" takes Shift, with it or with the key itself ("=").
  const bool control =
      mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier);
  const int key = event->key();
  if (control && key == Qt::Key_0) {
    setZoom(fitZoom(), frameCentre());
  } else if (control && key == Qt::Key_1) {
    setZoom(Zoom(), frameCentre());
  } else if (control && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
    zoomBy(true, frameCentre());
  } else if (control && key == Qt::Key_Minus) {
    zoomBy(false, frameCentre());
  } else if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) && key == Qt::Key_P) {
    cyclePreview();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void CropEditor::letGoOfPicture() {
  picture_ = PixelSurface();
  pictureView_->setPicture(picture_);
}

bool CropEditor::editPicture(const PixelSurface& source, PictureRole& target, const JobSettings& s,
                             const std::string& file) {
  picture_ = source;
  settings_ = s;
  target_ = &target;
  pictureView_->setPicture(picture_);
  const QString path = QFile::decodeName(file.c_str());
  photoText_ = QStringLiteral("%1  %2 x %3")
                   .arg(QFileInfo(path).fileName())
                   .arg(source.width())
                   .arg(source.height())
                   .trimmed();
  photoLabel_->setToolTip(path);
  progressLabel_->adjustSize();
  // Each picture starts with its top-left corner in view.
  scrollArea_->horizontalScrollBar()->setValue(0);
  scrollArea_->verticalScrollBar()->setValue(0);
  setGeometry(screen()->availableGeometry());
  placeBarEnd();

  QEventLoop loop;
  loop_ = &loop;
  show();
  // Every picture starts as the first did, with the focus on no button, so
  // that a key hit as it comes up presses nothing: the picture has the keys,
  // and Tab reaches the buttons.
  pictureView_->setFocus();
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
  if (event->spontaneous()) return;
  placeBarEnd();
  placeFrame();
  // A photo that fits is shown at its own size, a larger one whole.
  const Zoom fit = fitZoom();
  setZoom(fit.isNatural() ? Zoom() : fit, QPoint());
  pictureView_->reduceNow();
}

void CropEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeBarEnd();
  placePreview();
}

void CropEditor::closeEvent(QCloseEvent* event) {
  event->ignore();
}

bool CropEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scrollArea_->viewport()) {
    if (event->type() != QEvent::Wheel) return QWidget::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier) || wheel->angleDelta().y() == 0) return false;
    zoomBy(wheel->angleDelta().y() > 0, floored(wheel->position()));
    return true;
  }
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

QRect CropEditor::onScreen(const ScreenRect& rect) const {
  const auto clamp = [](std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  };
  return QRect(QPoint(clamp(rect.left), clamp(rect.top)),
               QPoint(clamp(rect.right) - 1, clamp(rect.bottom) - 1));
}

void CropEditor::showFrame() {
  const QRect frame = onScreen(frameOnScreen(frame_, zoom_));
  const QRect handle = onScreen(handleOnScreen(frame_, zoom_));
  frameShape_->setGeometry(frame);
  handleShape_->setGeometry(handle);
  handleGrip_->setGeometry(handle.adjusted(-GripMargin, -GripMargin, GripMargin, GripMargin));
  pictureView_->setFrameRect(frame);
  applyCursor(frameShape_, frame_.frameCursor());
  applyCursor(handleShape_, frame_.handleCursor());
  applyCursor(handleGrip_, frame_.handleCursor());
  // The scrolled area reaches as far right and down as the picture or the frame.
  canvas_->resize(std::max({pictureView_->width(), frame.right() + 1, 0}),
                  std::max({pictureView_->height(), frame.bottom() + 1, 0}));
  placePreview();
  schedulePreview();
}

void CropEditor::keepInView(const QRect& area) {
  scrollArea_->ensureVisible(area.right(), area.bottom(), EdgeBand, EdgeBand);
  scrollArea_->ensureVisible(area.left(), area.top(), EdgeBand, EdgeBand);
}

void CropEditor::closeEditor() {
  grab_ = Grab::None;
  autoScroll_.stop();
  hide();
  if (loop_) loop_->quit();
}

void CropEditor::placeFrame() {
  guarded([this] { frame_.placeAtShow(pictureSize(), settings_); });
  showFrame();
}

void CropEditor::grabFrame(const QMouseEvent& event, QPoint at) {
  guarded([&] {
    const PointerEvent p = framePointer(frame_, zoom_, {at.x(), at.y()}, false);
    frame_.framePress(p.x, p.y);
  });
  if (event.button() == Qt::LeftButton) grab_ = Grab::Frame;
}

void CropEditor::moveFrame(const QMouseEvent& event, QPoint at) {
  const bool held = event.buttons() & Qt::LeftButton;
  guarded([&] {
    frame_.frameMove(framePointer(frame_, zoom_, {at.x(), at.y()}, held), pictureSize());
  });
  showFrame();
  followPointer(event);
}

void CropEditor::grabHandle(const QMouseEvent& event, QPoint) {
  guarded([this] { frame_.handlePress(); });
  if (event.button() == Qt::LeftButton) grab_ = Grab::Handle;
}

void CropEditor::resizeFrame(const QMouseEvent& event, QPoint at) {
  const bool held = event.buttons() & Qt::LeftButton;
  // A failing move has already changed the handle's cursor; show it.
  guarded([&] {
    frame_.handleMove(handlePointer(frame_, zoom_, {at.x(), at.y()}, held), pictureSize(),
                      settings_);
  });
  showFrame();
  followPointer(event);
}

void CropEditor::releaseGrab(const QMouseEvent& event) {
  if (event.button() != Qt::LeftButton) return;
  grab_ = Grab::None;
  autoScroll_.stop();
}

// A drag that reaches the view's edge scrolls the view, and the frame or the
// handle with it, for as long as the pointer stays there.
void CropEditor::followPointer(const QMouseEvent& event) {
  if (!(event.buttons() & Qt::LeftButton)) grab_ = Grab::None;
  pointer_ = event.globalPosition();
  if (grab_ != Grab::None && !edgeDepth().isNull()) {
    if (!autoScroll_.isActive()) autoScroll_.start();
  } else {
    autoScroll_.stop();
  }
}

// How far the pointer is into the band along the view's edges, or past it:
// negative at the left and the top.
QPoint CropEditor::edgeDepth() const {
  const QWidget* view = scrollArea_->viewport();
  const QPoint at = floored(view->mapFromGlobal(pointer_));
  const auto along = [](int place, int length) {
    if (place < EdgeBand) return place - EdgeBand;
    if (place >= length - EdgeBand) return place - (length - EdgeBand) + 1;
    return 0;
  };
  return {along(at.x(), view->width()), along(at.y(), view->height())};
}

void CropEditor::autoScrollStep() {
  const QPoint depth = edgeDepth();
  // An error box that came up during the drag has ended it.
  if (grab_ == Grab::None || depth.isNull() || QApplication::activeModalWidget() != this) {
    autoScroll_.stop();
    return;
  }
  QScrollBar* across = scrollArea_->horizontalScrollBar();
  QScrollBar* down = scrollArea_->verticalScrollBar();
  across->setValue(across->value() + scrollStep(depth.x()));
  down->setValue(down->value() + scrollStep(depth.y()));
  dragTo(floored(canvas_->mapFromGlobal(pointer_)), true);
}

void CropEditor::dragTo(QPoint at, bool leftHeld) {
  const ScreenPoint place{at.x(), at.y()};
  guarded([&] {
    if (grab_ == Grab::Frame) {
      frame_.frameMove(framePointer(frame_, zoom_, place, leftHeld), pictureSize());
    } else {
      frame_.handleMove(handlePointer(frame_, zoom_, place, leftHeld), pictureSize(), settings_);
    }
  });
  showFrame();
}

bool CropEditor::frameKey(const QKeyEvent& event) {
  int dx = 0, dy = 0;
  switch (event.key()) {
    case Qt::Key_Left:
      dx = -1;
      break;
    case Qt::Key_Right:
      dx = 1;
      break;
    case Qt::Key_Up:
      dy = -1;
      break;
    case Qt::Key_Down:
      dy = 1;
      break;
    default:
      return false;
  }
  const Qt::KeyboardModifiers mods =
      event.modifiers() & ~Qt::KeypadModifier & ~Qt::GroupSwitchModifier;
  if (mods & ~(Qt::ControlModifier | Qt::ShiftModifier)) return false;
  const int step = (mods & Qt::ShiftModifier) ? 10 : 1;
  if (mods & Qt::ControlModifier) {
    // Right and down make the frame larger, as the handle dragged that way does.
    guarded([&] { frame_.resizeBy((dx + dy) * step, pictureSize(), settings_); });
    showFrame();
    keepInView(handleShape_->geometry());
  } else {
    guarded([&] { frame_.moveBy(dx * step, dy * step, pictureSize()); });
    showFrame();
    keepInView(frameShape_->geometry());
  }
  return true;
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

Zoom CropEditor::fitZoom() const {
  const QSize view = scrollArea_->maximumViewportSize();
  const Zoom fit = Zoom::toFit(pictureSize(), {view.width(), view.height()});
  // A photo is never shown larger to fit.
  return fit.toPicture(1) == 0 ? Zoom() : fit;
}

// The centre of the frame, or the place in the view nearest to it.
QPoint CropEditor::frameCentre() const {
  const QRect view = scrollArea_->viewport()->rect();
  const QPoint centre = frameShape_->geometry().translated(canvas_->pos()).center();
  return {std::clamp(centre.x(), view.left(), view.right()),
          std::clamp(centre.y(), view.top(), view.bottom())};
}

// The picture pixel at anchor, a place in the view, stays there.
void CropEditor::setZoom(const Zoom& zoom, QPoint anchor) {
  QScrollBar* across = scrollArea_->horizontalScrollBar();
  QScrollBar* down = scrollArea_->verticalScrollBar();
  const std::int64_t x = zoom_.toPicture(across->value() + anchor.x());
  const std::int64_t y = zoom_.toPicture(down->value() + anchor.y());
  zoom_ = zoom;
  pictureView_->setZoom(zoom_);
  showFrame();
  across->setValue(int(zoom_.toScreen(x)) - anchor.x());
  down->setValue(int(zoom_.toScreen(y)) - anchor.y());
  zoomLabel_->setText(QStringLiteral("%1 %").arg(zoom_.percent()));
}

void CropEditor::zoomBy(bool in, QPoint anchor) {
  const Zoom next = in ? zoom_.in() : zoom_.out();
  // The shown picture stays within what a widget can be.
  if (next.toScreen(std::max(picture_.width(), picture_.height())) > QWIDGETSIZE_MAX) return;
  setZoom(next, anchor);
}

void CropEditor::cyclePreview() {
  static constexpr const char* Captions[] = {"Preview off", "Preview 1:1", "Preview 2:1"};
  previewMode_ = PreviewMode((int(previewMode_) + 1) % 3);
  previewButton_->setText(QString::fromLatin1(Captions[int(previewMode_)]));
  schedulePreview();
}

void CropEditor::schedulePreview() {
  if (!previewTimer_.isActive()) previewTimer_.start();
}

void CropEditor::updatePreview() {
  // A target without pixels makes no result to show.
  if (!isVisible() || previewMode_ == PreviewMode::Off || settings_.targetWidth <= 0 ||
      settings_.targetHeight <= 0) {
    previewView_->hide();
    return;
  }
  guarded([this] { previewView_->setOutput(previewCrop(picture_, frame_, settings_)); });
  previewView_->setScale(previewMode_ == PreviewMode::Double ? 2 : 1);
  previewView_->show();
  placePreview();
}

// In a corner of the view the frame does not cover, or covers least.
void CropEditor::placePreview() {
  if (previewView_->isHidden()) return;
  const QRect view = scrollArea_->viewport()->rect();
  previewView_->fitInto(view.size() - QSize(2 * PreviewMargin, 2 * PreviewMargin));
  const QRect frame = frameShape_->geometry().translated(canvas_->pos());
  const QRect inner = view.adjusted(PreviewMargin, PreviewMargin, -PreviewMargin, -PreviewMargin);
  const QSize box = previewView_->size();
  const QPoint corners[] = {{inner.right() - box.width() + 1, inner.bottom() - box.height() + 1},
                            {inner.left(), inner.bottom() - box.height() + 1},
                            {inner.right() - box.width() + 1, inner.top()},
                            inner.topLeft()};
  QPoint best = corners[0];
  long long leastCovered = std::numeric_limits<long long>::max();
  for (const QPoint& corner : corners) {
    const QRect covered = QRect(corner, box) & frame;
    const long long area = covered.isEmpty() ? 0 : 1LL * covered.width() * covered.height();
    if (area < leastCovered) {
      leastCovered = area;
      best = corner;
    }
  }
  previewView_->move(best);
  previewView_->raise();
}

}  // namespace batchfit
