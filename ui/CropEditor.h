// The crop editor window: the picture with the crop frame and its handle over
// it, a preview of the result, and a bar with "Hor/Ver Rotate", "SKIP",
// "OK/NEXT", the run's progress, the photo's name and size, and the zoom.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "editor/CropFrame.h"
#include "editor/Zoom.h"
#include "engine/JobSettings.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

class QEventLoop;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace batchfit {

// The editor picture on screen at the editor's zoom, shaded outside the
// frame. The surface is converted for display once per show (and reduced
// once per zoom below 100 %), never once per paint. Takes the keys for the frame.
class PictureView : public QWidget {
 public:
  explicit PictureView(QWidget* parent);
  // Shows surface from now on at 100 % (reusing the display memory when the size is the same).
  void setPicture(const PixelSurface& surface);
  // Takes the pixels of area from surface again, after surface changed there.
  void refresh(const PixelSurface& surface, const QRect& area);
  // Below 100 % the nearest pixels show until the zoom has stayed a moment;
  // then the picture is reduced with its pixels averaged.
  void setZoom(const Zoom& zoom);
  // Reduces the picture for the zoom now, if it waits for that.
  void reduceNow();
  // The frame on screen: everything outside it is shaded.
  void setFrameRect(const QRect& frame);
  // The picture at its natural size.
  const QImage& image() const { return image_; }

  // A key pressed while the view has the focus; true when it was used.
  std::function<bool(const QKeyEvent&)> onKey;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void paintSampled(QPainter& painter, const QRect& area) const;
  void reduce();

  QImage image_;
  QImage reduced_;  // the picture at a zoom below 100 %
  QTimer reduceTimer_;
  Zoom zoom_;
  QRect frame_;
};

// The crop frame (an outline, light with dark edges, transparent inside),
// its handle (a filled square), or the larger invisible grip around the
// handle. Passes its mouse events on, with the place on the canvas it lies on.
class FrameShape : public QWidget {
 public:
  enum class Look { Outline, Filled, Invisible };
  FrameShape(Look look, QWidget* parent);

  using Handler = std::function<void(const QMouseEvent&, QPoint atCanvas)>;
  Handler onPress;
  Handler onMove;
  Handler onRelease;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint atCanvas(const QMouseEvent& event) const;

  Look look_;
};

// What "OK/NEXT" would write, at 1:1 or 2:1, in a box over the picture.
class PreviewView : public QWidget {
 public:
  explicit PreviewView(QWidget* parent);
  void setOutput(PixelSurface output);
  void setScale(int scale);
  // Sizes the box to the output at the scale, within room.
  void fitInto(const QSize& room);
  const PixelSurface& output() const { return output_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PixelSurface output_;
  QImage image_;
  int scale_ = 1;
};

class CropEditor : public QWidget {
  Q_OBJECT

 public:
  enum class PreviewMode { Off, Natural, Double };

  explicit CropEditor(QWidget* parent = nullptr);

  // The editor's picture becomes a copy of source, the photo read from file;
  // shows the window application-modal and waits until "OK/NEXT" or "SKIP"
  // closes it; returns editorSkipped. "OK/NEXT" fills target from the frame.
  bool editPicture(const PixelSurface& source, PictureRole& target, const JobSettings& s,
                   const std::string& file = {});

  // Once a run is over: the picture and its copies on screen are let go of,
  // so an idle program holds no photo; the next show makes them afresh.
  void letGoOfPicture();

  const CropFrame& frame() const { return frame_; }
  bool editorSkipped() const { return editorSkipped_; }
  const PixelSurface& picture() const { return picture_; }
  const Zoom& zoom() const { return zoom_; }
  PreviewMode previewMode() const { return previewMode_; }

  // The controls that the run's progress and the tests reach.
  QWidget* bottomBar() const { return bottomBar_; }
  QPushButton* rotateFrameButton() const { return rotateFrameButton_; }
  QPushButton* skipButton() const { return skipButton_; }
  QPushButton* okButton() const { return okButton_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QLabel* progressLabel() const { return progressLabel_; }
  QLabel* photoLabel() const { return photoLabel_; }
  QScrollArea* scrollArea() const { return scrollArea_; }
  PictureView* pictureView() const { return pictureView_; }
  FrameShape* frameShape() const { return frameShape_; }
  FrameShape* handleShape() const { return handleShape_; }
  PreviewView* previewView() const { return previewView_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Only "OK/NEXT" and "SKIP" close the editor; every other close request is refused.
  void closeEvent(QCloseEvent* event) override;
  // Keeps from the buttons what is not meant for the picture shown; Ctrl
  // with the wheel over the picture zooms.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Grab { None, Frame, Handle };

  void buildBottomBar();
  void buildZoomControl();
  void buildPictureArea();
  void placeBarEnd();

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
  void closeEditor();

  CropFrame frame_;
  bool editorSkipped_ = false;
  PixelSurface picture_;
  JobSettings settings_;
  PictureRole* target_ = nullptr;
  QEventLoop* loop_ = nullptr;
  Zoom zoom_;
  PreviewMode previewMode_ = PreviewMode::Natural;
  Grab grab_ = Grab::None;
  QPointF pointer_;  // where the pointer of a drag was last seen, on the screen
  QTimer autoScroll_;
  QTimer previewTimer_;

  QWidget* bottomBar_;
  QPushButton* rotateFrameButton_;  // "Hor/Ver Rotate"
  QPushButton* skipButton_;         // "SKIP"
  QPushButton* okButton_;           // "OK/NEXT"
  QProgressBar* progressBar_;
  QLabel* progressLabel_;
  QLabel* photoLabel_;  // the photo's file name and size
  QString photoText_;
  QWidget* zoomControl_;
  QToolButton* previewButton_;
  QLabel* zoomLabel_;
  QScrollArea* scrollArea_;
  QWidget* canvas_;  // what the scroll area scrolls: the picture, the frame, the handle
  PictureView* pictureView_;
  FrameShape* frameShape_;
  FrameShape* handleGrip_;
  FrameShape* handleShape_;
  PreviewView* previewView_;
};

}  // namespace batchfit
