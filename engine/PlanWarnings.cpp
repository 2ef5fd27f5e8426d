#include "engine/PlanWarnings.h"

#include <filesystem>
#include <system_error>

#include "engine/OutputWriter.h"
#include "image/FileIo.h"
#include "image/PathRules.h"

namespace batchfit {

namespace {

// An empty folder part is the current folder, which exists.
bool outputFolderExists(const std::string& folder) {
  std::error_code ignored;
  return folder.empty() || std::filesystem::is_directory(folder, ignored);
}

bool wouldBeWritten(PlannedOutcome outcome) {
  return outcome == PlannedOutcome::Straight || outcome == PlannedOutcome::Turned ||
         outcome == PlannedOutcome::Editor || outcome == PlannedOutcome::Remembered;
}

// The output of the photo would be the photo itself, under whatever name.
bool replacedByItsOwnResult(const JobSettings& settings, const std::string& name) {
  const std::optional<FileIdentity> photo = plainFileIdentity(name);
  return photo && plainFileIdentity(outputFilePath(settings, name)) == photo;
}

std::string replacedPhotosWarning(int count) {
  if (count == 1) {
    return "1 listed photo would be replaced by its own result (moved to the trash first)";
  }
  return std::to_string(count) +
         " listed photos would be replaced by their own results (moved to the trash first)";
}

}  // namespace

std::vector<std::string> planWarnings(const JobSettings& settings,
                                      const std::vector<PlannedPhoto>& planned) {
  const std::string folder = folderPart(settings.outputPath);
  if (!outputFolderExists(folder)) return {"Output folder " + folder + " does not exist"};
  int replaced = 0;
  for (std::size_t i = 0; i < planned.size() && i < settings.files.size(); ++i) {
    if (wouldBeWritten(planned[i].outcome) && replacedByItsOwnResult(settings, settings.files[i])) {
      ++replaced;
    }
  }
  if (replaced == 0) return {};
  return {replacedPhotosWarning(replaced)};
}

}  // namespace batchfit
