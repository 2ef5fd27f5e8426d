// Writes the README's pictures of the main window and the crop editor, made
// by the program's own windows: run it on a display (Xvfb will do) with the
// folder to write into, e.g. `xvfb-run ui_screenshots docs`.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "ui/CropEditor.h"
#include "ui/MainWindow.h"
#include "ui/WindowFrontEnd.h"

namespace {

batchfit::PixelSurface landscapePhoto(int width, int height) {
  // A pale sky with a white cloud, hills and a sun: something the eye reads
  // as a picture, with a light part where a white frame alone would vanish.
  auto surface = batchfit::PixelSurface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double hill = height * (0.62 + 0.08 * std::sin(x * 6.0 / width));
      const int dx = x - width * 3 / 4, dy = y - height / 4;
      const double cx = (x - width * 0.58) / (width * 0.16),
                   cy = (y - height * 0.36) / (height * 0.07);
      batchfit::ColorRef colour =
          y > hill ? batchfit::makeColor(40, (x * 40 / width) % 2 ? 130 : 150, 40)
                   : batchfit::makeColor(190 + y * 60 / height, 215 + y * 35 / height, 245);
      if (y <= hill && cx * cx + cy * cy < 1) colour = batchfit::makeColor(252, 252, 250);
      if (dx * dx + dy * dy < height * height / 100) colour = batchfit::makeColor(255, 220, 60);
      surface.setPixel(x, y, colour);
    }
  }
  return surface;
}

// A drag with the left button from one place on widget to another.
void drag(QWidget* widget, QPoint from, QPoint to) {
  QTest::mousePress(widget, Qt::LeftButton, {}, from);
  QTest::mouseMove(widget, to);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const QString folder = argv[1];
  batchfit::MainWindow window;
  batchfit::CropEditor editor;
  batchfit::WindowFrontEnd frontEnd(window, editor);
  window.setFrontEnd(&frontEnd);
  // The photos shown are not on this machine: their plan is told here.
  window.planLine()->planner = [](const batchfit::JobSettings&, const std::string& name) {
    using enum batchfit::PlannedOutcome;
    return batchfit::PlannedPhoto{name.ends_with("4712.JPG")   ? Turned
                                  : name.ends_with("4802.JPG") ? Editor
                                                               : Straight,
                                  {}};
  };
  window.fileList()->addItems({"/home/ana/Photos/2024-05-03 Lisbon/IMG_4711.JPG",
                               "/home/ana/Photos/2024-05-03 Lisbon/IMG_4712.JPG",
                               "/home/ana/Photos/2024-05-04 Sintra/IMG_4790.JPG",
                               "/home/ana/Photos/2024-05-04 Sintra/IMG_4802.JPG"});
  window.fileList()->item(2)->setSelected(true);
  window.show();
  frontEnd.showProgress({2, 4});

  QTimer::singleShot(500, [&] {
    window.grab().save(folder + "/main-window.png");
    frontEnd.showProgress({3, 4});
    QTimer::singleShot(500, [&] {
      // A 6000 x 4000 photo comes up whole: make the frame larger with its
      // handle, put it over the sun and the cloud, and show the result at 2:1.
      const QPoint handle = editor.handleShape()->rect().center();
      drag(editor.handleShape(), handle, handle + QPoint(250, 312));
      drag(editor.frameShape(), QPoint(30, 30), QPoint(30 + 800, 30 + 40));
      QTest::keyClick(&editor, Qt::Key_P);
      QTimer::singleShot(300, [&] {
        editor.grab().save(folder + "/crop-editor.png");
        editor.bottomBar()->skipButton()->click();  // SKIP
      });
    });
    editor.editPicture(landscapePhoto(6000, 4000), batchfit::JobSettings{},
                       "/home/ana/Photos/2024-05-04 Sintra/IMG_4790.JPG");
    QApplication::quit();
  });
  return QApplication::exec();
}
