#include "ui/CropEditor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/ViewGeometry.h"
#include "engine/CropCommit.h"
#include "image/Reduction.h"
#include "ui/CropEditorBar.h"
#include "ui/ErrorBox.h"
#include "ui/StopQuestion.h"

namespace batchfit {

namespace {

// How far beyond the handle's square a press still takes the handle.
constexpr int GripMargin = 7;
constexpr int AutoScrollInterval = 25;  // milliseconds
// How long the editor stays up after a photo for the next one to come.
constexpr int NextPhotoWait = 300;  // milliseconds

}  // namespace

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
  hideSoon_.setSingleShot(true);
  hideSoon_.setInterval(NextPhotoWait);
  connect(&hideSoon_, &QTimer::timeout, this, [this] { hide(); });
}

void CropEditor::buildBottomBar() {
  bottomBar_ = new CropEditorBar(this);
  QPushButton* skip = bottomBar_->skipButton();
  QPushButton* rotate = bottomBar_->rotateFrameButton();
  QPushButton* ok = bottomBar_->okButton();
  setTabOrder(skip, rotate);
  setTabOrder(rotate, ok);
  setTabOrder(ok, bottomBar_->stopButton());
  // The picture comes after the buttons, so Tab reaches the buttons first.
  setTabOrder(bottomBar_->stopButton(), pictureView_);
  connect(skip, &QPushButton::clicked, this, [this] { skipPicture(); });
  connect(rotate, &QPushButton::clicked, this, [this] { turnFrame(); });
  connect(ok, &QPushButton::clicked, this, [this] { confirmCrop(); });
  const CropEditorBar& bar = *bottomBar_;
  connect(bar.stopButton(), &QPushButton::clicked, this, [this] { stopRun(); });
  connect(bar.largestButton(), &QToolButton::clicked, this, [this] { largestFrame(); });
  connect(bar.likeLastButton(), &QToolButton::clicked, this, [this] { likeLastFrame(); });
  for (QWidget* button : std::initializer_list<QWidget*>{
           skip, rotate, ok, bar.stopButton(), bar.largestButton(), bar.likeLastButton()}) {
    button->installEventFilter(this);
  }

  connect(bar.previewButton(), &QToolButton::clicked, this, [this] { cyclePreview(); });
  connect(bar.zoomOutButton(), &QToolButton::clicked, this,
          [this] { zoomBy(false, frameCentre()); });
  connect(bar.zoomInButton(), &QToolButton::clicked, this, [this] { zoomBy(true, frameCentre()); });
  connect(bar.fitButton(), &QToolButton::clicked, this,
          [this] { setZoom(fitZoom(), frameCentre()); });
  connect(bar.naturalButton(), &QToolButton::clicked, this,
          [this] { setZoom(Zoom(), frameCentre()); });
}

void CropEditor::buildPictureArea() {
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setFocusPolicy(Qt::NoFocus);
  // A photo smaller than the view sits in its middle.
  scrollArea_->setAlignment(Qt::AlignCenter);
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
  } else if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) && key == Qt::Key_F) {
    largestFrame();
  } else if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier) && key == Qt::Key_L) {
    likeLastFrame();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void CropEditor::letGoOfPicture() {
  picture_ = PixelSurface();
  pictureView_->setPicture(picture_);
}

CropDecision CropEditor::editPicture(const PixelSurface& source, const JobSettings& s,
                                     const std::string& file,
                                     const std::optional<FramedPart>& remembered) {
  picture_ = source;
  settings_ = s;
  remembered_ = remembered;
  pictureView_->setPicture(picture_, ready_ ? &*ready_ : nullptr);
  ready_.reset();
  const QString path = QFile::decodeName(file.c_str());
  bottomBar_->setPhoto(QFileInfo(path).fileName(),
                       QStringLiteral("%1 x %2").arg(source.width()).arg(source.height()), path);
  bottomBar_->progressLabel()->adjustSize();
  // Each picture starts with its top-left corner in view.
  scrollArea_->horizontalScrollBar()->setValue(0);
  scrollArea_->verticalScrollBar()->setValue(0);
  setGeometry(screen()->availableGeometry());
  bottomBar_->placeEnd();

  QEventLoop loop;
  loop_ = &loop;
  hideSoon_.stop();
  // Up already, from the photo before: the new one takes its place at once.
  if (isVisible()) startPhoto();
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
  // Deliberate: as the last command left it; a show does not reset it.
  return {editorSkipped_, frame_.part()};
}

void CropEditor::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) startPhoto();
}

void CropEditor::startPhoto() {
  bottomBar_->placeEnd();
  placeFrame();
  // A photo that fits is shown at its own size, a larger one whole.
  setZoom(fitZoom(), QPoint());
  pictureView_->reduceNow();
  keepFrameInView();
}

void CropEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  bottomBar_->placeEnd();
  placePreview();
}

void CropEditor::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (loop_) stopRun();
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
  if (event->isInputEvent() && !loop_) return true;
  // The first click of a double click on "OK/NEXT" or "SKIP" has closed the
  // editor, and the next picture comes up at once with the same button under
  // the pointer: the second click is not meant for a picture not yet seen.
  if (event->type() == QEvent::MouseButtonDblClick && watched != bottomBar_->rotateFrameButton())
    return true;
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
  frameShape_->showCursor(frame_.frameCursor());
  handleShape_->showCursor(frame_.handleCursor());
  handleGrip_->showCursor(frame_.handleCursor());
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

void CropEditor::keepFrameInView() {
  const QWidget* view = scrollArea_->viewport();
  QScrollBar* across = scrollArea_->horizontalScrollBar();
  QScrollBar* down = scrollArea_->verticalScrollBar();
  // The bars' ranges follow the canvas only once its resize is delivered.
  const ScreenPoint to =
      scrollToShow(frameOnScreen(frame_, zoom_), {across->value(), down->value()},
                   {view->width(), view->height()},
                   {canvas_->width() - view->width(), canvas_->height() - view->height()});
  across->setMaximum(std::max(across->maximum(), int(to.x)));
  down->setMaximum(std::max(down->maximum(), int(to.y)));
  across->setValue(int(to.x));
  down->setValue(int(to.y));
}

// The window stays up for the next photo; it hides if none comes soon.
void CropEditor::endPhoto() {
  grab_ = Grab::None;
  autoScroll_.stop();
  if (loop_) loop_->quit();
  loop_ = nullptr;
  hideSoon_.start();
}

void CropEditor::closeEditor() {
  endPhoto();
  hideSoon_.stop();
  hide();
}

void CropEditor::placeFrame() {
  guarded([this] {
    frame_.placeAtShow(pictureSize(), settings_);
    if (remembered_) frame_.placeRemembered(*remembered_);
  });
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
  return {depthIntoEdge(at.x(), view->width()), depthIntoEdge(at.y(), view->height())};
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
    keepFrameInView();
    // The corner that moves, where the frame is larger than the view.
    keepInView(handleShape_->geometry());
  } else {
    guarded([&] { frame_.moveBy(dx * step, dy * step, pictureSize()); });
    showFrame();
    keepFrameInView();
  }
  return true;
}

void CropEditor::skipPicture() {
  guarded([this] {
    editorSkipped_ = true;
    endPhoto();
  });
}

void CropEditor::turnFrame() {
  guarded([this] { frame_.rotate(pictureSize(), settings_); });
  showFrame();
  keepFrameInView();
}

void CropEditor::largestFrame() {
  guarded([this] { frame_.largest(pictureSize(), settings_); });
  showFrame();
  keepFrameInView();
}

void CropEditor::likeLastFrame() {
  // The run's first photo has none to be like.
  if (!lastFrame_) return;
  guarded([this] { frame_.likeLast(*lastFrame_, pictureSize(), settings_); });
  showFrame();
  keepFrameInView();
}

// The photo on screen is left as it is, and the run ends.
void CropEditor::stopRun() {
  if (!loop_ || !askToStop || !askToStop()) return;
  closeEditor();
}

void CropEditor::confirmCrop() {
  // The editor makes the factors the run will make, so that a target size of
  // 0 fails here, with the editor still open. Deliberate: the outcome comes
  // first, so a failed commit leaves editorSkipped false and the picture cut.
  guarded([this] {
    editorSkipped_ = false;
    proveCommit(picture_, frame_.part(), settings_);
    lastFrame_ = frame_.shareOf(pictureSize());
    endPhoto();
  });
  // A commit that failed stays open with the cut made; the picture shows it.
  if (loop_) pictureView_->refresh(picture_, QRect(0, 0, frame_.width(), frame_.height()));
}

PrepareShow CropEditor::showAhead() {
  // The view's size as the editor will stand when it comes up.
  setGeometry(screen()->availableGeometry());
  layout()->activate();
  const QSize view = scrollArea_->maximumViewportSize();
  const PictureSize room{view.width(), view.height()};
  return [room](const PixelSurface& picture) -> std::optional<PixelSurface> {
    const Zoom zoom = Zoom::atShow({picture.width(), picture.height()}, room);
    if (zoom.isNatural()) return std::nullopt;
    return reducedCopy(picture, std::int32_t(zoom.toScreen(picture.width())),
                       std::int32_t(zoom.toScreen(picture.height())));
  };
}

}  // namespace batchfit
