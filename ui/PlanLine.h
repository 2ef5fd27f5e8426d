// The line under the main window's file list that tells what a run would do
// with the listed photos, planned from their headers on a worker thread, so
// that the window never waits on a long list.
#pragma once

#include <QFutureWatcher>
#include <QLabel>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/JobSettings.h"
#include "engine/Plan.h"

namespace batchfit {

// A plan of the whole list: each photo's, the counts and the warnings.
struct ListPlan {
  std::vector<std::string> files;  // the list planned
  std::vector<PlannedPhoto> photos;
  std::string counts;
  std::vector<std::string> warnings;
};

class PlanLine : public QLabel {
 public:
  using Planner = std::function<PlannedPhoto(const JobSettings&, const std::string&)>;

  explicit PlanLine(QWidget* parent);
  // Waits for the worker, which stops at its next photo.
  ~PlanLine() override;

  // Plans the settings' list anew. Until the plan is done the line shows the
  // last counts greyed; a plan under way for earlier settings is dropped.
  // The counts, and the warnings below them, show when the plan is done;
  // the tooltip gives the warnings and names every unreadable photo.
  void plan(JobSettings settings);

  // The plan shown now.
  const ListPlan& shown() const { return shown_; }

  // Room for the counts and a line of warnings, so the window keeps its size.
  QSize minimumSizeHint() const override;

  // What the worker calls for each photo; tests put their own here.
  Planner planner = planPhoto;
  // Called once a plan shows, for the list to show each photo's.
  std::function<void(const ListPlan&)> onShown;

 private:
  void startNext();
  void finish();

  // The number of the plan the window wants now; a worker on another stops.
  std::atomic<int> wanted_ = 0;
  // Settings asked for while a worker was busy.
  std::optional<JobSettings> next_;
  QFutureWatcher<std::optional<ListPlan>> worker_;
  bool busy_ = false;
  ListPlan shown_;
};

}  // namespace batchfit
