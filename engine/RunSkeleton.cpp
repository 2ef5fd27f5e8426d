#include "engine/RunSkeleton.h"

#include "engine/Modes.h"
#include "engine/Scaling.h"
#include "image/ColourProfile.h"
#include "image/ExifOrientation.h"
#include "image/PictureFile.h"
#include "image/PictureReaders.h"

namespace batchfit {

const PhotoReader* otherFormatReader(const JobSettings& settings, const std::string& name) {
  return settings.otherFormats ? otherFormatReader(name) : nullptr;
}

namespace {

void loadDeclaredSize(const std::string& name, const JobSettings& settings, PictureRole& PI) {
  if (const PhotoReader* reader = otherFormatReader(settings, name)) {
    const PhotoHeader header = readOtherFormatHeader(*reader, name, settings.exifOrientation);
    PI.setPicture(Picture{PictureKind::OtherFormat, header.width, header.height});
  } else {
    loadPicture(PI, name, settings.exifOrientation);
  }
}

// A photo of another format is decoded whole by the run itself: upright
// where the settings say so, and held by the run's codec object as a
// baseline JPEG of its pixels would be, so its output is that JPEG's.
void loadOtherFormat(const PhotoReader& reader, ModeRun& run, const std::string& name) {
  DecodedPhoto photo = decodeOtherFormat(reader, name, run.settings.exifOrientation);
  if (run.settings.toSrgb) convertToSrgb(photo.surface, photo.iccProfile);
  run.runJpeg.loadDecoded(photo.surface);
  run.pictures.PI.setSurface(photo.surface);
}

}  // namespace

bool loadAndTestSize(const std::string& name, const JobSettings& settings, PictureRole& PI) {
  loadDeclaredSize(name, settings, PI);
  const std::int32_t width = PI.width();
  const std::int32_t height = PI.height();
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  // Deliberate: signed comparisons, so a target size of 0 or below passes on
  // its side; a picture exactly the target's size passes too.
  if (placementTurn(settings, width, height) != Turn::None) {
    return th <= width && tw <= height;
  }
  return tw <= width && th <= height;
}

int appliedOrientation(const JobSettings& settings, const JpegObject& jpeg) {
  return settings.exifOrientation ? jpeg.orientation() : 1;
}

std::optional<PixelSurface> decodeOrScale(JpegObject& jpeg, const JobSettings& settings,
                                          const ScaleWhileDecoding& scale, PictureRole& picture) {
  std::optional<PixelSurface> scaled;
  try {
    if (scale) scaled = scale(settings, jpeg);
  } catch (...) {
    scaled.reset();
  }
  if (!scaled) jpeg.decodeTo(picture);
  return scaled;
}

void finishPicture(const JobSettings& settings, const JpegObject& jpeg, PictureRole& picture) {
  if (settings.toSrgb) convertToSrgb(picture.surface(), jpegIccProfile(jpeg.bytes()));
  if (const int orientation = appliedOrientation(settings, jpeg); orientation != 1) {
    picture.setSurface(uprightSurface(picture.surface(), orientation));
  }
}

bool loadSource(std::size_t index, DecodeAhead& ahead, ModeRun& run,
                const std::function<void()>& passed) {
  const std::string& name = run.settings.files[index];
  PictureRole& PI = run.pictures.PI;
  run.scaled.reset();
  run.frameKey.reset();
  run.digestAhead.clear();
  run.shown.reset();
  if (!loadAndTestSize(name, run.settings, PI)) return false;
  passed();
  if (const PhotoReader* reader = otherFormatReader(run.settings, name)) {
    loadOtherFormat(*reader, run, name);
    return true;
  }
  // Deliberate: the file is read as a JPEG stream before it is loaded by its
  // extension once more, so a file that passed the size test but holds no
  // JPEG stream (a bitmap, say) stops the run with the JPEG error.
  std::optional<Prepared> prepared = ahead.take(index);
  if (prepared) {
    run.runJpeg.adoptLoaded(std::move(prepared->jpeg));
    run.digestAhead = std::move(prepared->digest);
    run.shown = std::move(prepared->shown);
  } else {
    run.runJpeg.loadFile(name);
  }
  loadPicture(PI, name, run.runJpeg.bytes(), run.settings.exifOrientation);
  if (!prepared) {
    run.scaled = decodeOrScale(run.runJpeg, run.settings, run.scale, PI);
  } else if (prepared->scaled) {
    run.scaled = std::move(prepared->scaled);
  } else {
    PI.setSurface(*prepared->picture);
    return true;
  }
  // A picture scaled as it decoded is never held whole: nothing reads it.
  if (!run.scaled) finishPicture(run.settings, run.runJpeg, PI);
  return true;
}

const FrameKey& currentFrameKey(ModeRun& run) {
  if (!run.frameKey) {
    std::string digest =
        run.digestAhead.empty() ? photoDigest(run.runJpeg.bytes()) : std::move(run.digestAhead);
    run.frameKey =
        frameKeyOf(std::move(digest), run.settings, appliedOrientation(run.settings, run.runJpeg));
  }
  return *run.frameKey;
}

std::string quotedName(const std::string& name) {
  return "\"" + name + "\"";
}

void report(ModeRun& run, FileOutcome outcome, const std::string& line) {
  run.skipReport.push_back(line);
  run.record.finish(outcome, line);
}

namespace {

// Decoding ahead, the run lets go of a picture it is done with before the
// workers hear of it, so that its memory serves the next picture decoded
// rather than a new one.
void letGoOfPicture(ModeRun& run) {
  run.runJpeg.dropPixels();
  PictureRole& PI = run.pictures.PI;
  PI.prepare(PI.width(), PI.height());
}

void showProgress(FrontEnd& frontEnd, int place, int count) {
  frontEnd.showProgress({place, count});
  frontEnd.repaintMain();
}

// What the front end prepares ahead, for the photos the crop editor shows.
PrepareShow showAheadForEditor(const JobSettings& settings, FrontEnd& frontEnd) {
  PrepareShow show = frontEnd.showAhead();
  if (!show) return {};
  return [&settings, show](const PixelSurface& picture) -> std::optional<PixelSurface> {
    if (decide(settings, picture.width(), picture.height()).handling != Handling::Edit) return {};
    return show(picture);
  };
}

}  // namespace

void runFiles(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
              RunRecord& record, const PictureWork& work, const ScaleWhileDecoding& scale) {
  const ListedPhotos listed(settings.files);
  ModeRun run{
      settings, frontEnd,
      pictures, {},
      record,   {},
      listed,   scale,
      {},       {settings, [&frontEnd](const std::string& text) { frontEnd.showWarning(text); }},
      {},       {},
      {}};
  DecodeAhead ahead(settings, listed, scale, showAheadForEditor(settings, frontEnd));
  const int count = static_cast<int>(settings.files.size());
  for (int i = 0; i < count; ++i) {
    const std::string& name = settings.files[i];
    record.takeUp(i + 1, name);
    // Deliberate: the label shows the file's place in the list, and a
    // too-small file shows no progress at all, so it leaves a gap.
    const bool passed =
        loadSource(std::size_t(i), ahead, run, [&] { showProgress(frontEnd, i + 1, count); });
    if (!passed) {
      report(run, FileOutcome::TooSmall,
             quotedName(name) + " has too small size and can not be resized!");
    } else if (!frontEnd.stopAsked()) {
      work(run, name);
    }
    // Asked while the progress showed or in the crop editor: this picture is
    // left unwritten, and the report is not shown.
    if (frontEnd.stopAsked()) {
      record.stop();
      return;
    }
    if (ahead.active()) letGoOfPicture(run);
    ahead.finished(std::size_t(i));
  }
  for (const std::string& line : run.skipReport) {
    if (!frontEnd.showMessage(line)) break;
  }
}

}  // namespace batchfit
