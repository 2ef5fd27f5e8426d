// make bench, the crop editor: how soon the next photo shows after "OK/NEXT"
// in a "Give User to Edit All Files" run of 24-megapixel photos, through the
// real windows on Qt's offscreen platform, against the bare decode of the
// same photo for scale. Each photo is left up a while before "OK/NEXT", as a
// user framing it would, so the photos behind it can be made ready.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "bench/BenchPhotos.h"
#include "image/JpegObject.h"
#include "image/MemoryReuse.h"
#include "image/PictureRole.h"
#include "tests/support/TestPictures.h"
#include "ui/CropEditor.h"
#include "ui/MainWindow.h"
#include "ui/RadioGroup.h"
#include "ui/WindowFrontEnd.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Photos = 5;
constexpr int Runs = 5;           // the first photo shows once a run
constexpr int FramingTime = 600;  // milliseconds each photo stays up

double milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Watches the editor: when a new photo is up (its name in the bar changed),
// paints it at once and notes how long after the click that was; after the
// framing time clicks "OK/NEXT". The editor may still show the last run's
// photo as a run starts.
class Clicker {
 public:
  explicit Clicker(batchfit::CropEditor& editor)
      : editor_(editor), lastShown_(editor.bottomBar()->photoLabel()->toolTip()) {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
    timer_.start();
  }
  Clock::time_point startedAt;
  std::vector<double> afterClick;  // from "OK/NEXT" to the next photo painted
  double first = 0;                // from "Start" to the first photo painted

 private:
  void check() {
    if (!editor_.isVisible()) return;
    const QString shown = editor_.bottomBar()->photoLabel()->toolTip();
    if (shown != lastShown_) {
      editor_.pictureView()->repaint();
      const Clock::time_point now = Clock::now();
      if (!clickedAt_) {
        first = milliseconds(now - startedAt);
      } else {
        afterClick.push_back(milliseconds(now - *clickedAt_));
      }
      lastShown_ = shown;
      upSince_ = now;
    } else if (upSince_ && Clock::now() - *upSince_ > std::chrono::milliseconds(FramingTime)) {
      clickedAt_ = Clock::now();
      upSince_.reset();
      QTest::mouseClick(editor_.bottomBar()->okButton(), Qt::LeftButton);
    }
  }

  batchfit::CropEditor& editor_;
  QTimer timer_;
  QString lastShown_;
  std::optional<Clock::time_point> upSince_, clickedAt_;
};

}  // namespace

int main(int argc, char** argv) {
  batchfit::keepFreedBuffersForReuse();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testpics::TempDir dir;
  std::vector<std::vector<std::uint8_t>> photos;
  batchfit::MainWindow window;
  batchfit::CropEditor editor;
  batchfit::WindowFrontEnd frontEnd(window, editor);
  window.setFrontEnd(&frontEnd);
  // Outputs in a folder of their own, so that each run starts from the photos.
  std::filesystem::create_directory(dir.file("out"));
  window.saveFile = [&](QWidget*, const QString&) {
    return QString::fromStdString(dir.file("out/chosen"));
  };
  window.outputFolderButton()->click();
  for (int i = 0; i < Photos; ++i) {
    photos.push_back(bench::makePhoto({6000, 4000, bench::Kind::Baseline}, i));
    const std::string path = dir.file("photo-" + std::to_string(i) + ".jpg");
    testpics::writeFile(path, photos.back());
    window.fileList()->addItem(QString::fromStdString(path));
  }
  window.modeGroup()->button(1)->click();
  window.show();

  // For scale: libjpeg alone, row by row, and the program reading the file
  // and decoding it whole into memory taken afresh, as a run's first photo
  // is: the least that photo can wait for.
  std::vector<double> decodes, programDecodes;
  for (int i = 0; i < Photos; ++i) {
    Clock::time_point start = Clock::now();
    bench::bareDecode(photos[std::size_t(i)]);
    decodes.push_back(milliseconds(Clock::now() - start));
    batchfit::giveBackKeptMemory();
    start = Clock::now();
    batchfit::JpegObject jpeg;
    batchfit::PictureRole picture;
    jpeg.loadFile(window.fileList()->item(i)->text().toStdString());
    jpeg.decodeTo(picture);
    programDecodes.push_back(milliseconds(Clock::now() - start));
  }

  std::vector<double> afterClick, firsts;
  for (int run = 0; run < Runs; ++run) {
    Clicker clicker(editor);
    clicker.startedAt = Clock::now();
    QTest::mouseClick(window.startButton(), Qt::LeftButton);
    afterClick.insert(afterClick.end(), clicker.afterClick.begin(), clicker.afterClick.end());
    firsts.push_back(clicker.first);
  }

  const auto [fastest, slowest] = std::minmax_element(afterClick.begin(), afterClick.end());
  const auto [soonest, latest] = std::minmax_element(firsts.begin(), firsts.end());
  std::printf("crop editor, %d runs of %d photos of 6000 x 4000 (edit all):\n", Runs, Photos);
  std::printf("  bare decode of one photo      median %6.1f ms\n", median(decodes));
  std::printf("  read and decode into memory   median %6.1f ms\n", median(programDecodes));
  std::printf("  \"OK/NEXT\" to the next photo   median %6.1f ms, fastest %.1f, slowest %.1f\n",
              median(afterClick), *fastest, *slowest);
  std::printf("  \"Start\" to the first photo    median %6.1f ms, soonest %.1f, latest %.1f\n",
              median(firsts), *soonest, *latest);
  return 0;
}
