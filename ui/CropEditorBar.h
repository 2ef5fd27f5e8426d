// The crop editor's bottom bar: "Hor/Ver Rotate", "SKIP", "OK/NEXT", the
// run's progress, the photo's name and size, and the preview and zoom
// buttons. The editor connects the buttons to what they do.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace batchfit {

class CropEditorBar : public QWidget {
 public:
  explicit CropEditorBar(QWidget* parent);

  // The photo shown: its name and size, and its full path as the tip.
  void setPhoto(const QString& text, const QString& path);
  // Puts the zoom buttons at the bar's right end, never over what comes
  // before them; the photo's name and size take the room between, and in a
  // narrow bar at least the room of the size.
  void placeEnd();
  void setZoomPercent(int percent);

  QPushButton* rotateFrameButton() const { return rotateFrameButton_; }
  QPushButton* skipButton() const { return skipButton_; }
  QPushButton* okButton() const { return okButton_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QLabel* progressLabel() const { return progressLabel_; }
  QLabel* photoLabel() const { return photoLabel_; }
  QToolButton* previewButton() const { return previewButton_; }
  QToolButton* zoomOutButton() const { return zoomOutButton_; }
  QToolButton* zoomInButton() const { return zoomInButton_; }
  QToolButton* fitButton() const { return fitButton_; }
  QToolButton* naturalButton() const { return naturalButton_; }

 private:
  void buildZoomControl();

  QPushButton* rotateFrameButton_;  // "Hor/Ver Rotate"
  QPushButton* skipButton_;         // "SKIP"
  QPushButton* okButton_;           // "OK/NEXT"
  QProgressBar* progressBar_;
  QLabel* progressLabel_;
  QLabel* photoLabel_;  // the photo's file name and size
  QString photoText_;
  QWidget* zoomControl_;
  QToolButton* previewButton_;
  QToolButton* zoomOutButton_;
  QLabel* zoomLabel_;
  QToolButton* zoomInButton_;
  QToolButton* fitButton_;
  QToolButton* naturalButton_;
};

}  // namespace batchfit
