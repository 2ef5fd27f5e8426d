#include "tests/support/FakeFrontEnd.h"

#include <gtest/gtest.h>

namespace enginetest {

namespace {

// FNV-1a over the size and every pixel.
std::uint64_t checksumOf(const batchfit::PixelSurface& picture) {
  std::uint64_t sum = 14695981039346656037ull;
  const auto add = [&sum](std::uint32_t word) {
    for (int i = 0; i < 4; ++i) sum = (sum ^ ((word >> (8 * i)) & 0xFF)) * 1099511628211ull;
  };
  add(std::uint32_t(picture.width()));
  add(std::uint32_t(picture.height()));
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) add(picture.getPixel(x, y));
  }
  return sum;
}

}  // namespace

void FakeFrontEnd::showProgress(const batchfit::Progress& progress) {
  calls.push_back("progress " + progress.text());
  labels.push_back(progress.text());
  if (progress.place > 0 && progress.place == stopAtProgress_) stopAsked_ = true;
}

void FakeFrontEnd::repaintMain() {
  calls.push_back("repaint");
}

bool FakeFrontEnd::showMessage(const std::string& text) {
  calls.push_back("message " + text);
  messages.push_back(text);
  return true;
}

void FakeFrontEnd::showWarning(const std::string& text) {
  calls.push_back("warning " + text);
  warnings.push_back(text);
}

batchfit::CropDecision FakeFrontEnd::editPicture(
    const batchfit::PixelSurface& source, const batchfit::JobSettings&, const std::string&,
    const std::optional<batchfit::FramedPart>& remembered) {
  calls.push_back("edit " + std::to_string(source.width()) + "x" + std::to_string(source.height()));
  shownPixels.push_back(checksumOf(source));
  rememberedFrames.push_back(remembered);
  if (answers_.empty()) {
    ADD_FAILURE() << "crop editor shown without a scripted answer";
    return {};
  }
  const EditorAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.stopRun) stopAsked_ = true;
  return answer.decision;
}

std::vector<std::string> callsStartingWith(const FakeFrontEnd& fake, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& call : fake.calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

}  // namespace enginetest
