// The crop editor window: the picture with the crop frame and its handle over
// it, and a bar with "Hor/Ver Rotate", "SKIP", "OK/NEXT" and the run's progress.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "editor/CropFrame.h"
#include "engine/JobSettings.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

class QEventLoop;
class QLabel;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace batchfit {

// The editor picture on screen, at its natural size. The surface is converted
// for display once per show, never once per paint.
class PictureView : public QWidget {
 public:
  explicit PictureView(QWidget* parent);
  // Shows surface from now on (reusing the display memory when the size is the same).
  void setPicture(const PixelSurface& surface);
  // Takes the pixels of area from surface again, after surface changed there.
  void refresh(const PixelSurface& surface, const QRect& area);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

// The crop frame (a 3-pixel outline, transparent inside) or its handle (a
// filled square), in the palette's highlighted-text colour. Passes its mouse
// presses and moves on, with positions relative to itself.
class FrameShape : public QWidget {
 public:
  enum class Look { Outline, Filled };
  FrameShape(Look look, QWidget* parent);

  std::function<void(const QMouseEvent&)> onPress;
  std::function<void(const QMouseEvent&)> onMove;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  Look look_;
};

class CropEditor : public QWidget {
  Q_OBJECT

 public:
  explicit CropEditor(QWidget* parent = nullptr);

  // The editor's picture becomes a copy of source; shows the window
  // application-modal and waits until "OK/NEXT" or "SKIP" closes it;
  // returns editorSkipped. "OK/NEXT" fills target from the frame.
  bool editPicture(const PixelSurface& source, PictureRole& target, const JobSettings& s);

  const CropFrame& frame() const { return frame_; }
  bool editorSkipped() const { return editorSkipped_; }
  const PixelSurface& picture() const { return picture_; }

  // The controls that the run's progress and the tests reach.
  QWidget* bottomBar() const { return bottomBar_; }
  QPushButton* rotateFrameButton() const { return rotateFrameButton_; }
  QPushButton* skipButton() const { return skipButton_; }
  QPushButton* okButton() const { return okButton_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QLabel* progressLabel() const { return progressLabel_; }
  PictureView* pictureView() const { return pictureView_; }
  FrameShape* frameShape() const { return frameShape_; }
  FrameShape* handleShape() const { return handleShape_; }

 protected:
  void showEvent(QShowEvent* event) override;
  // Only "OK/NEXT" and "SKIP" close the editor; every other close request is refused.
  void closeEvent(QCloseEvent* event) override;
  // Keeps from the buttons what is not meant for the picture shown.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildBottomBar();
  void buildPictureArea();

  void placeFrame();
  void grabFrame(const QMouseEvent& event);
  void moveFrame(const QMouseEvent& event);
  void grabHandle(const QMouseEvent& event);
  void resizeFrame(const QMouseEvent& event);
  void skipPicture();
  void turnFrame();
  void confirmCrop();

  PictureSize pictureSize() const;
  // Puts the frame, the handle, their cursors and the scrolled area where the model has them.
  void showFrame();
  void closeEditor();

  CropFrame frame_;
  bool editorSkipped_ = false;
  PixelSurface picture_;
  JobSettings settings_;
  PictureRole* target_ = nullptr;
  QEventLoop* loop_ = nullptr;

  QWidget* bottomBar_;
  QPushButton* rotateFrameButton_;  // "Hor/Ver Rotate"
  QPushButton* skipButton_;         // "SKIP"
  QPushButton* okButton_;           // "OK/NEXT"
  QProgressBar* progressBar_;
  QLabel* progressLabel_;
  QScrollArea* scrollArea_;
  QWidget* canvas_;  // what the scroll area scrolls: the picture, the frame, the handle
  PictureView* pictureView_;
  FrameShape* frameShape_;
  FrameShape* handleShape_;
};

}  // namespace batchfit
