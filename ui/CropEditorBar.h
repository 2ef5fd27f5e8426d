// The crop editor's bottom bar: "Hor/Ver Rotate", "SKIP", "OK/NEXT", the
// run's progress, the photo's name and size, the frame, preview and zoom
// buttons, and "STOP". The editor connects the buttons to what they do.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace batchfit {

class CropEditorBar : public QWidget {
 public:
  explicit CropEditorBar(QWidget* parent);

  // The photo shown: its name and size ("2400 x 1600"), and its full path as the tip.
  void setPhoto(const QString& name, const QString& size, const QString& path);
  // Puts the buttons at the bar's right end, never over what comes before
  // them; the photo's name and size take the room between. The size always
  // shows whole: a narrow bar cuts the name, and where even a short name
  // would have no room, folds the last buttons into "More".
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
  QToolButton* largestButton() const { return largestButton_; }
  QToolButton* likeLastButton() const { return likeLastButton_; }
  QToolButton* moreButton() const { return moreButton_; }
  QPushButton* stopButton() const { return stopButton_; }

 private:
  void buildZoomControl();
  void foldTo(int width);
  void fillMoreMenu(QMenu& menu);

  QPushButton* rotateFrameButton_;  // "Hor/Ver Rotate"
  QPushButton* skipButton_;         // "SKIP"
  QPushButton* okButton_;           // "OK/NEXT"
  QProgressBar* progressBar_;
  QLabel* progressLabel_;
  QLabel* photoLabel_;  // the photo's file name and size
  QString photoName_;
  QString photoSize_;
  QWidget* zoomControl_;
  QToolButton* previewButton_;
  QToolButton* zoomOutButton_;
  QLabel* zoomLabel_;
  QToolButton* zoomInButton_;
  QToolButton* fitButton_;
  QToolButton* naturalButton_;
  QToolButton* largestButton_;
  QToolButton* likeLastButton_;
  QPushButton* stopButton_;        // "STOP"
  QToolButton* moreButton_;        // the menu of the buttons folded away
  std::vector<QWidget*> folding_;  // in their order along the bar
};

}  // namespace batchfit
