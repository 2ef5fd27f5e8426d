// The crop frame of the crop editor: its geometry over the editor picture, its
// handle, and how pointer moves, the show and "Hor/Ver Rotate" change it.
#pragma once

#include <cstdint>

#include "engine/CropDecision.h"
#include "engine/JobSettings.h"

namespace batchfit {

// The handle is a square over the frame's bottom-right corner.
inline constexpr std::int32_t HandleSize = 10;

enum class CursorKind { Arrow, Move, SizeDiagonal };

// The editor picture's size, W x H.
struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Where a frame lay on its photo, as shares of the photo's width and height,
// and whether it was turned: how "Like Last" frames the next photo alike.
struct FrameShare {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  bool swapped = false;
};

// The smallest frame, turned or not: the target's own size turned with it
// (and never without pixels), so that no frame is squeezed into the target
// and no result is enlarged from fewer pixels than it has.
PictureSize minimumFrame(const JobSettings& settings, bool swapped);

// A pointer event on the frame or the handle, relative to that element's
// top-left corner.
struct PointerEvent {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool leftHeld = false;
};

// The frame and the editor state that lives as long as the program: the
// frame's orientation, where it was last pressed, the width a handle drag
// started from, and the two cursors (which only ever change once).
class CropFrame {
 public:
  std::int32_t left() const { return left_; }
  std::int32_t top() const { return top_; }
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int32_t handleLeft() const { return handleLeft_; }
  std::int32_t handleTop() const { return handleTop_; }
  bool frameSwapped() const { return frameSwapped_; }
  std::int32_t pressX() const { return pressX_; }
  std::int32_t pressY() const { return pressY_; }
  std::int32_t resizeBaseWidth() const { return resizeBaseWidth_; }
  CursorKind frameCursor() const { return frameCursor_; }
  CursorKind handleCursor() const { return handleCursor_; }
  // The frame as "OK/NEXT" hands it to the run.
  FramedPart part() const { return {{left_, top_, left_ + width_, top_ + height_}, frameSwapped_}; }

  // Puts the frame at the picture's top-left corner with the target's size,
  // turned when the picture is no higher than the target.
  void placeAtShow(PictureSize picture, const JobSettings& settings);
  // Lays the frame as a remembered frame lay, in place of where the show put
  // it; the run hands over only frames that stand on the picture.
  void placeRemembered(const FramedPart& part);
  // Any button pressed on the frame: remembers where.
  void framePress(std::int32_t x, std::int32_t y);
  // The pointer moved over the frame (or anywhere while the frame holds the
  // capture): drags with the left button, and keeps the frame in the picture.
  void frameMove(const PointerEvent& event, PictureSize picture);
  // Any button pressed on the handle: the width a resize starts from.
  void handlePress();
  // The pointer moved over the handle (or anywhere while it holds the
  // capture): resizes with the left button in the frame's proportions, and
  // shrinks the frame until it fits. Throws when the ratio divides by a
  // target size of 0, after the cursor change and before anything else.
  void handleMove(const PointerEvent& event, PictureSize picture, const JobSettings& settings);
  // "Hor/Ver Rotate": back to the top-left corner, turned the other way when
  // the picture is higher than the target and holds the turned frame.
  void rotate(PictureSize picture, const JobSettings& settings);
  // A keyboard move: by (dx, dy), then kept in the picture as a drag is.
  void moveBy(std::int32_t dx, std::int32_t dy, PictureSize picture);
  // A keyboard resize: dw pixels wider (narrower when negative), as a handle
  // drag by dw would make it. Throws as handleMove does.
  void resizeBy(std::int32_t dw, PictureSize picture, const JobSettings& settings);
  // "Largest": the largest frame, lying as it lies, that a handle drag could
  // make on the picture, centred in it. Throws as handleMove does.
  void largest(PictureSize picture, const JobSettings& settings);
  // "Like Last": the frame that share describes on this picture, as large as
  // the shares allow in the target's proportions, kept in the picture as a
  // drag keeps it. Throws as handleMove does.
  void likeLast(const FrameShare& share, PictureSize picture, const JobSettings& settings);
  // Where the frame lies on picture, for likeLast on a later picture.
  FrameShare shareOf(PictureSize picture) const;

 private:
  // What sizes a frame lying one way: its height per width and its minimum.
  struct Sizing {
    double ratio = 0;
    PictureSize minimum;
  };
  static Sizing sizing(const JobSettings& settings, bool swapped);

  void setWidth(std::int32_t width, PictureSize minimum);
  void setHeight(std::int32_t height, PictureSize minimum);
  void setTargetSize(const JobSettings& settings, bool swapped);
  void clampInto(PictureSize picture);
  void sizeTo(std::int64_t width, const Sizing& sizing);
  void resizeTo(std::int64_t width, PictureSize picture, const Sizing& sizing);
  void shrinkToFit(PictureSize picture, const Sizing& sizing);
  bool fits(PictureSize picture) const;
  void placeHandle();

  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::int32_t width_ = JobSettings{}.targetWidth;
  std::int32_t height_ = JobSettings{}.targetHeight;
  std::int32_t handleLeft_ = width_ - HandleSize;
  std::int32_t handleTop_ = height_ - HandleSize;
  bool frameSwapped_ = false;
  std::int32_t pressX_ = 0;
  std::int32_t pressY_ = 0;
  std::int32_t resizeBaseWidth_ = 0;
  CursorKind frameCursor_ = CursorKind::Arrow;
  CursorKind handleCursor_ = CursorKind::Arrow;
};

}  // namespace batchfit
