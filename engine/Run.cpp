#include "Run.h"

#include <string>

#include "MemoryLimit.h"
#include "Modes.h"

namespace batchfit {

void prepareTarget(const JobSettings& settings, PictureRole& TI) {
  TI.prepare(settings.targetWidth, settings.targetHeight);
}

void runBatch(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures) {
  const int count = static_cast<int>(settings.files.size());
  const std::string label = "Picture 0 of " + std::to_string(count);
  // The bar positions are left alone: they keep the last run's value until
  // the first picture of this run passes its size test.
  frontEnd.setProgressMaximum(Window::Main, count);
  frontEnd.setLabel(Window::Main, label);
  frontEnd.setProgressMaximum(Window::Editor, count);
  frontEnd.setLabel(Window::Editor, label);
  prepareTarget(settings, pictures.TI);
  measureAvailableMemory();
  switch (settings.mode) {
    case Mode::Keen:
      runKeenMode(settings, frontEnd, pictures);
      break;
    case Mode::EditAll:
      runEditAllMode(settings, frontEnd, pictures);
      break;
    case Mode::ResizeAll:
      runResizeAllMode(settings, frontEnd, pictures);
      break;
    case Mode::None:
      break;  // the run ends here, without a message
  }
}

}  // namespace batchfit
