#include "ScriptedFrontEnd.h"

namespace faults {

namespace {
std::string nameOf(batchfit::Window window) {
  return window == batchfit::Window::Main ? "main" : "editor";
}
}  // namespace

void ScriptedFrontEnd::setProgressMaximum(batchfit::Window window, int maximum) {
  calls.push_back("maximum " + nameOf(window) + " " + std::to_string(maximum));
}

void ScriptedFrontEnd::setProgressPosition(batchfit::Window window, int position) {
  calls.push_back("position " + nameOf(window) + " " + std::to_string(position));
}

void ScriptedFrontEnd::setLabel(batchfit::Window window, const std::string& text) {
  calls.push_back("label " + nameOf(window) + " " + text);
}

void ScriptedFrontEnd::repaintMain() {
  calls.push_back("repaint");
}

void ScriptedFrontEnd::showMessage(const std::string& text) {
  calls.push_back("message " + text);
}

bool ScriptedFrontEnd::editPicture(const batchfit::PixelSurface& source, batchfit::PictureRole&,
                                   const batchfit::JobSettings&) {
  calls.push_back("edit " + std::to_string(source.width()) + "x" + std::to_string(source.height()));
  return true;  // SKIP
}

std::vector<std::string> ScriptedFrontEnd::withPrefix(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.starts_with(prefix)) found.push_back(call.substr(prefix.size()));
  }
  return found;
}

}  // namespace faults
