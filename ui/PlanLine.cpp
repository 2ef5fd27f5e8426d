#include "ui/PlanLine.h"

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <exception>

#include "engine/PlanWarnings.h"
#include "image/Error.h"

namespace batchfit {

namespace {

// The plan of the whole list, or none once the window wants another plan.
std::optional<ListPlan> planList(const JobSettings& settings, const PlanLine::Planner& planner,
                                 int plan, const std::atomic<int>& wanted) {
  try {
    ListPlan list{settings.files, {}, {}, {}};
    PlanCounts counts;
    for (const std::string& name : settings.files) {
      if (wanted != plan) return std::nullopt;
      counts.add(list.photos.emplace_back(planner(settings, name)).outcome);
    }
    list.counts = countsText(settings, counts);
    list.warnings = planWarnings(settings, list.photos);
    return list;
  } catch (const std::exception&) {
    return std::nullopt;  // no memory left even for the counts: the line stays as it was
  }
}

QString joined(const std::vector<std::string>& lines, const char* separator) {
  QStringList texts;
  for (const std::string& line : lines) texts << QString::fromStdString(line);
  return texts.join(separator);
}

// The warnings, then every photo the run would stop at with its message.
QString toolTipOf(const ListPlan& list) {
  std::vector<std::string> lines = list.warnings;
  for (std::size_t i = 0; i < list.photos.size(); ++i) {
    if (list.photos[i].outcome != PlannedOutcome::Unreadable) continue;
    lines.push_back(std::string(outcomeName(list.photos[i].outcome)) + ": " + list.files[i] + ": " +
                    errorBoxText(list.photos[i].message));
  }
  return joined(lines, "\n");
}

}  // namespace

PlanLine::PlanLine(QWidget* parent) : QLabel(parent) {
  // However long a warning, the window keeps its width; the tooltip has it whole.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  connect(&worker_, &QFutureWatcherBase::finished, this, [this] { finish(); });
}

PlanLine::~PlanLine() {
  ++wanted_;
  worker_.waitForFinished();
}

QSize PlanLine::minimumSizeHint() const {
  QSize size = QLabel::minimumSizeHint();
  size.setHeight(std::max(size.height(), 2 * fontMetrics().lineSpacing()));
  return size;
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
  std::optional<ListPlan> list = worker_.result();
  if (!list) return;
  shown_ = std::move(*list);
  QString text = QString::fromStdString(shown_.counts);
  if (!shown_.warnings.empty()) text += "\n" + joined(shown_.warnings, "; ");
  setText(text);
  setToolTip(toolTipOf(shown_));
  setEnabled(true);
  if (onShown) onShown(shown_);
}

}  // namespace batchfit
