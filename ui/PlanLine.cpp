#include "ui/PlanLine.h"

#include <QtConcurrent/QtConcurrentRun>
#include <exception>

namespace batchfit {

namespace {

// The counts text of the whole list, or none once the window wants another plan.
std::optional<std::string> planList(const JobSettings& settings, const PlanLine::Planner& planner,
                                    int plan, const std::atomic<int>& wanted) {
  try {
    PlanCounts counts;
    for (const std::string& name : settings.files) {
      if (wanted != plan) return std::nullopt;
      counts.add(planner(settings, name).outcome);
    }
    return countsText(settings, counts);
  } catch (const std::exception&) {
    return std::nullopt;  // no memory left even for the counts: the line stays as it was
  }
}

}  // namespace

PlanLine::PlanLine(QWidget* parent) : QLabel(parent) {
  connect(&worker_, &QFutureWatcherBase::finished, this, [this] { finish(); });
}

PlanLine::~PlanLine() {
  ++wanted_;
  worker_.waitForFinished();
}

void PlanLine::plan(JobSettings settings) {
  next_ = std::move(settings);
  ++wanted_;
  setEnabled(false);
  // One worker at a time: a busy one sees it is no longer wanted and stops
  // at its next photo, and the next plan starts when it has.
  if (!busy_) startNext();
}

void PlanLine::startNext() {
  busy_ = true;
  worker_.setFuture(QtConcurrent::run(
      [this, settings = std::move(*next_), planner = planner, plan = wanted_.load()] {
        return planList(settings, planner, plan, wanted_);
      }));
  next_.reset();
}

void PlanLine::finish() {
  busy_ = false;
  if (next_) return startNext();
  const std::optional<std::string> text = worker_.result();
  if (!text) return;
  setText(QString::fromStdString(*text));
  setEnabled(true);
}

}  // namespace batchfit
