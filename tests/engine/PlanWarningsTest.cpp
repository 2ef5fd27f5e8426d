// The warnings a plan gives before a run: a missing output folder and the
// photos their own results would replace.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/PlanWarnings.h"
#include "tests/support/Batch.h"

using batchfit::planPhoto;
using batchfit::planWarnings;
using enginetest::Batch;

namespace {

std::vector<batchfit::PlannedPhoto> planOf(const batchfit::JobSettings& settings) {
  std::vector<batchfit::PlannedPhoto> plan;
  for (const std::string& name : settings.files) plan.push_back(planPhoto(settings, name));
  return plan;
}

}  // namespace

TEST(PlanWarnings, AnOutputFolderThatIsNoFolderIsNamed) {
  Batch batch;
  batch.addJpeg("a.jpg", 300, 400);
  EXPECT_TRUE(planWarnings(batch.settings, planOf(batch.settings)).empty());
  for (const std::string& folder : {batch.dir.file("gone/"), batch.dir.file("in/a.jpg/")}) {
    batch.settings.outputPath = folder + "chosen";
    EXPECT_EQ(planWarnings(batch.settings, planOf(batch.settings)),
              std::vector<std::string>{"Output folder " + folder + " does not exist"});
  }
}

TEST(PlanWarnings, CountsThePhotosTheirOwnResultsWouldReplace) {
  Batch batch;
  batch.addJpeg("a.jpg", 300, 400);
  batch.addJpeg("small.jpg", 100, 100);  // reported, never written
  batch.settings.outputPath = batch.dir.file("in/chosen");
  EXPECT_EQ(planWarnings(batch.settings, planOf(batch.settings)),
            std::vector<std::string>{
                "1 listed photo would be replaced by its own result (moved to the trash first)"});
  // A photo committed with its remembered frame is written too; one without
  // a frame to commit is not.
  std::vector<batchfit::PlannedPhoto> remembered = planOf(batch.settings);
  remembered[0].outcome = batchfit::PlannedOutcome::Remembered;
  EXPECT_EQ(planWarnings(batch.settings, remembered).size(), 1u);
  remembered[0].outcome = batchfit::PlannedOutcome::NoFrame;
  EXPECT_TRUE(planWarnings(batch.settings, remembered).empty());
  // Under another spelling of its folder the photo is the same file.
  batch.settings.files.push_back(batch.dir.file("in/../in/b.jpg"));
  testpics::writeFile(batch.settings.files.back(), testpics::makeJpeg(300, 400));
  EXPECT_EQ(planWarnings(batch.settings, planOf(batch.settings)),
            std::vector<std::string>{"2 listed photos would be replaced by their own results "
                                     "(moved to the trash first)"});
  // BMP results take other names; so do results written elsewhere.
  batch.settings.saveFormat = batchfit::SaveFormat::Bmp;
  EXPECT_TRUE(planWarnings(batch.settings, planOf(batch.settings)).empty());
  batch.settings.saveFormat = batchfit::SaveFormat::Jpeg;
  batch.settings.outputPath = batch.dir.file("out/chosen");
  EXPECT_TRUE(planWarnings(batch.settings, planOf(batch.settings)).empty());
}
