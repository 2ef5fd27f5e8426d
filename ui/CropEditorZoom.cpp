// The crop editor's zoom (fit, steps, the picture pixel kept under the
// pointer) and its preview of the result, placed where the frame is not.
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "editor/ViewGeometry.h"
#include "engine/CropCommit.h"
#include "ui/CropEditor.h"
#include "ui/CropEditorBar.h"
#include "ui/ErrorBox.h"
#include "ui/FrameShape.h"
#include "ui/PictureView.h"
#include "ui/PreviewView.h"

namespace batchfit {

namespace {

constexpr int PreviewMargin = 12;

}  // namespace

// A photo is never shown larger to fit.
Zoom CropEditor::fitZoom() const {
  const QSize view = scrollArea_->maximumViewportSize();
  return Zoom::atShow(pictureSize(), {view.width(), view.height()});
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
  bottomBar_->setZoomPercent(zoom_.percent());
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
  bottomBar_->previewButton()->setText(QString::fromLatin1(Captions[int(previewMode_)]));
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
  guarded([this] { previewView_->setOutput(previewCrop(picture_, frame_.part(), settings_)); });
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
  const QSize box = previewView_->size();
  const ScreenPoint at = previewCorner(
      {view.width(), view.height()}, {box.width(), box.height()},
      {frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1}, PreviewMargin);
  previewView_->move(int(at.x), int(at.y));
  previewView_->raise();
}

}  // namespace batchfit
