// The per-file skeleton the three modes share: the size test, the progress,
// reading and decoding each picture, and the report at the end.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/DecodeAhead.h"
#include "engine/FrameStore.h"
#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/RunRecord.h"
#include "image/JpegObject.h"
#include "image/PhotoReader.h"
#include "image/PictureRole.h"

namespace batchfit {

// What one mode run holds from its first file to its report. Nothing of it
// outlives the mode, so runs (and threads) stay independent.
struct ModeRun {
  const JobSettings& settings;
  FrontEnd& frontEnd;
  WorkPictures& pictures;
  std::vector<std::string> skipReport;
  // What became of each file, beside the lines the report shows.
  RunRecord& record;
  JpegObject runJpeg;
  // The listed files as the run found them when it started.
  const ListedPhotos& listed;
  // How the mode scales a picture that needs no one; may be empty.
  const ScaleWhileDecoding& scale;
  // The current picture as it was scaled onto the target while it decoded,
  // if it was: then PI holds no pixels and the mode writes this (or, empty,
  // only reports the picture).
  std::optional<PixelSurface> scaled;
  // The frames remembered from earlier runs, and the current picture's key
  // among them once it was needed (or its digest, made ahead).
  RememberedFrames frames;
  std::optional<FrameKey> frameKey;
  std::string digestAhead;
  // What the crop editor first shows of the current picture, where a worker
  // made it ahead.
  std::optional<PixelSurface> shown;
};

// The reader of a photo in one of the other formats, where the settings
// read them; null for every file the run reads as a JPEG stream.
const PhotoReader* otherFormatReader(const JobSettings& settings, const std::string& name);
// The current picture's key among the remembered frames, its digest made
// from the bytes the run read (once per picture).
const FrameKey& currentFrameKey(ModeRun& run);

// Loads the file into PI by its extension and tells whether the picture is at
// least the target's size, placed as it would be scaled (placementTurn): the
// size of the photo upright, where the settings turn photos upright.
bool loadAndTestSize(const std::string& name, const JobSettings& settings, PictureRole& PI);

// The EXIF orientation the run applies to a photo read into jpeg: its tag
// where the settings honour it, otherwise 1 (as stored).
int appliedOrientation(const JobSettings& settings, const JpegObject& jpeg);

// How a picture that passed the size test is decoded: where the mode scales
// it (scale makes its target), it is scaled row by row as it decodes and
// never held whole, as is one it only reports; otherwise (the crop editor, a
// photo to turn upright) it is decoded whole into picture. Gives the scaled
// target (empty for one only reported), or none when the picture was decoded
// whole. A failure while scaling leaves
// the picture to the whole decode and the mode's own work, which raise the
// error at the step where a run without scaling does.
std::optional<PixelSurface> decodeOrScale(JpegObject& jpeg, const JobSettings& settings,
                                          const ScaleWhileDecoding& scale, PictureRole& picture);

// A picture decoded whole, made as every later step sees it: in sRGB where
// the settings convert, and upright where they honour the orientation.
void finishPicture(const JobSettings& settings, const JpegObject& jpeg, PictureRole& picture);

// The source step of file `index`: the size test, then, for a picture large
// enough, `passed` (which shows the progress), the reading of the file as a
// JPEG stream and decodeOrScale (a picture decoded whole turned upright where
// the settings say so), taken from `ahead` where a worker has already done
// them. False when the picture is too small.
bool loadSource(std::size_t index, DecodeAhead& ahead, ModeRun& run,
                const std::function<void()>& passed);

// A mode's own work for one decoded picture in PI.
using PictureWork = std::function<void(ModeRun& run, const std::string& name)>;

// Runs the skeleton over settings.files, handing each picture that passes the
// size test to work, then shows the report line by line; a stop the user
// asked for ends it at the picture taken up, without the report. Pictures that need
// no one are scaled by scale while they decode, where the mode gives one.
void runFiles(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
              RunRecord& record, const PictureWork& work, const ScaleWhileDecoding& scale);

// Reports the file taken up: line goes to the report and, with the outcome,
// to the record.
void report(ModeRun& run, FileOutcome outcome, const std::string& line);

// The name between straight double quotes, as the report lines begin.
std::string quotedName(const std::string& name);

}  // namespace batchfit
