#include "engine/Run.h"

#include "engine/Modes.h"
#include "image/MemoryLimit.h"
#include "image/MemoryReuse.h"

namespace batchfit {

void prepareTarget(const JobSettings& settings, PictureRole& TI) {
  TI.prepare(settings.targetWidth, settings.targetHeight);
}

void letGoOfPhotos(WorkPictures& pictures) {
  pictures.PI.prepare(pictures.PI.width(), pictures.PI.height());
  giveBackKeptMemory();
}

namespace {

void run(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures, RunRecord& record,
         Decoding decoding) {
  const int count = static_cast<int>(settings.files.size());
  record.start(count);
  // The bars keep the last run's position until the first picture of this
  // run passes its size test.
  frontEnd.showProgress({0, count});
  prepareTarget(settings, pictures.TI);
  measureAvailableMemory();
  switch (settings.mode) {
    case Mode::Keen:
      runKeenMode(settings, frontEnd, pictures, record, decoding);
      break;
    case Mode::EditAll:
      runEditAllMode(settings, frontEnd, pictures, record);
      break;
    case Mode::ResizeAll:
      runResizeAllMode(settings, frontEnd, pictures, record, decoding);
      break;
    case Mode::None:
      break;  // the run ends here, without a message
  }
}

}  // namespace

void runBatch(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
              RunRecord& record) {
  run(settings, frontEnd, pictures, record, Decoding::ScaleWhileDecoding);
}

void runBatchDecodingWhole(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                           RunRecord& record) {
  run(settings, frontEnd, pictures, record, Decoding::AlwaysWhole);
}

}  // namespace batchfit
