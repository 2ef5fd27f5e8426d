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

#include "engine/JobSettings.h"
#include "engine/Plan.h"

namespace batchfit {

class PlanLine : public QLabel {
 public:
  using Planner = std::function<PlannedPhoto(const JobSettings&, const std::string&)>;

  explicit PlanLine(QWidget* parent);
  // Waits for the worker, which stops at its next photo.
  ~PlanLine() override;

  // Plans the settings' list anew. Until the plan is done the line shows the
  // last counts greyed; a plan under way for earlier settings is dropped.
  void plan(JobSettings settings);

  // What the worker calls for each photo; tests put their own here.
  Planner planner = planPhoto;

 private:
  void startNext();
  void finish();

  // The number of the plan the window wants now; a worker on another stops.
  std::atomic<int> wanted_ = 0;
  // Settings asked for while a worker was busy.
  std::optional<JobSettings> next_;
  QFutureWatcher<std::optional<std::string>> worker_;
  bool busy_ = false;
};

}  // namespace batchfit
