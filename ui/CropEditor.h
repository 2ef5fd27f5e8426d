// The crop editor window: the picture with the crop frame and its handle over
// it, a preview of the result, and a bar with "Hor/Ver Rotate", "SKIP",
// "OK/NEXT", the run's progress, the photo's name and size, and the zoom.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "editor/CropFrame.h"
#include "editor/Zoom.h"
#include "engine/CropDecision.h"
#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "image/PixelSurface.h"
#include "ui/CropEditorBar.h"
#include "ui/FrameShape.h"
#include "ui/PictureView.h"
#include "ui/PreviewView.h"

class QEventLoop;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QProgressBar;
class QScrollArea;

namespace batchfit {

class CropEditor : public QWidget {
  Q_OBJECT

 public:
  enum class PreviewMode { Off, Natural, Double };

  explicit CropEditor(QWidget* parent = nullptr);

  // The editor's picture becomes a copy of source, the photo read from file;
  // shows the window application-modal and waits until "OK/NEXT", "SKIP" or
  // a stop ends the photo; returns editorSkipped and the frame, for the run
  // to commit. The frame comes up where remembered lays it, where given. The
  // window stays up after "OK/NEXT" and "SKIP", so that the next photo takes
  // the place of this one; it hides when none comes soon.
  CropDecision editPicture(const PixelSurface& source, const JobSettings& s,
                           const std::string& file = {},
                           const std::optional<FramedPart>& remembered = {});

  // Once a run is over: the picture and its copies on screen are let go of,
  // so an idle program holds no photo; the next show makes them afresh.
  void letGoOfPicture();
  // Asks whether to stop the run, for "STOP" and a close request; true when
  // the user chose to stop. The editor then ends the photo and hides.
  std::function<bool()> askToStop;
  // A new run: "Like Last" has no frame to take until "OK/NEXT" makes one.
  void forgetLastFrame() { lastFrame_.reset(); }
  // How the photos of a run can be made ready ahead, on worker threads, for
  // the zoom they come up at in this editor on this screen.
  PrepareShow showAhead();
  // The next photo, made ready ahead: editPicture shows it at once.
  void takeReady(const PixelSurface& shown) { ready_ = shown; }

  const CropFrame& frame() const { return frame_; }
  bool editorSkipped() const { return editorSkipped_; }
  const PixelSurface& picture() const { return picture_; }
  const Zoom& zoom() const { return zoom_; }
  PreviewMode previewMode() const { return previewMode_; }

  // The controls that the run's progress and the tests reach.
  CropEditorBar* bottomBar() const { return bottomBar_; }
  QProgressBar* progressBar() const { return bottomBar_->progressBar(); }
  QLabel* progressLabel() const { return bottomBar_->progressLabel(); }
  QScrollArea* scrollArea() const { return scrollArea_; }
  PictureView* pictureView() const { return pictureView_; }
  FrameShape* frameShape() const { return frameShape_; }
  FrameShape* handleShape() const { return handleShape_; }
  PreviewView* previewView() const { return previewView_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Only "OK/NEXT" and "SKIP" end a photo; a close request asks whether to
  // stop the run instead.
  void closeEvent(QCloseEvent* event) override;
  // Keeps from the buttons what is not meant for the picture shown; Ctrl
  // with the wheel over the picture zooms.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Grab { None, Frame, Handle };

  void buildBottomBar();
  void buildPictureArea();

  void placeFrame();
  void grabFrame(const QMouseEvent& event, QPoint at);
  void moveFrame(const QMouseEvent& event, QPoint at);
  void grabHandle(const QMouseEvent& event, QPoint at);
  void resizeFrame(const QMouseEvent& event, QPoint at);
  void releaseGrab(const QMouseEvent& event);
  bool frameKey(const QKeyEvent& event);
  void skipPicture();
  void turnFrame();
  void confirmCrop();
  void stopRun();
  void largestFrame();
  void likeLastFrame();
  // What a new photo starts with: the frame placed, the zoom, the view.
  void startPhoto();

  // The frame or the handle follows the pointer to `at` on the canvas.
  void dragTo(QPoint at, bool leftHeld);
  void followPointer(const QMouseEvent& event);
  QPoint edgeDepth() const;
  void autoScrollStep();

  void setZoom(const Zoom& zoom, QPoint anchor);
  void zoomBy(bool in, QPoint anchor);
  Zoom fitZoom() const;
  QPoint frameCentre() const;
  void cyclePreview();
  void schedulePreview();
  void updatePreview();
  void placePreview();

  PictureSize pictureSize() const;
  QRect onScreen(const ScreenRect& rect) const;
  // Puts the frame, the handle, their cursors, the shade and the scrolled
  // area where the model and the zoom have them.
  void showFrame();
  void keepInView(const QRect& area);
  // Scrolls the view as little as it takes to show the whole frame, or as
  // much of it as the view holds.
  void keepFrameInView();
  void endPhoto();
  void closeEditor();

  CropFrame frame_;
  bool editorSkipped_ = false;
  PixelSurface picture_;
  JobSettings settings_;
  // The photo's remembered frame, which the show places in place of its own.
  std::optional<FramedPart> remembered_;
  QEventLoop* loop_ = nullptr;
  Zoom zoom_;
  PreviewMode previewMode_ = PreviewMode::Natural;
  Grab grab_ = Grab::None;
  QPointF pointer_;  // where the pointer of a drag was last seen, on the screen
  QTimer autoScroll_;
  QTimer previewTimer_;
  QTimer hideSoon_;
  // Where "OK/NEXT" last framed a photo in this run, for "Like Last".
  std::optional<FrameShare> lastFrame_;
  std::optional<PixelSurface> ready_;

  CropEditorBar* bottomBar_;
  QScrollArea* scrollArea_;
  QWidget* canvas_;  // what the scroll area scrolls: the picture, the frame, the handle
  PictureView* pictureView_;
  FrameShape* frameShape_;
  FrameShape* handleGrip_;
  FrameShape* handleShape_;
  PreviewView* previewView_;
};

}  // namespace batchfit
