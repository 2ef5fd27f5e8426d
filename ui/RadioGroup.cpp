#include "ui/RadioGroup.h"

#include <QGridLayout>

namespace batchfit {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 2, 6, 4);
  grid->setVerticalSpacing(2);
  const int rows = (int(items.size()) + columns - 1) / columns;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_.addButton(button, i);
    grid->addWidget(button, i % rows, i / rows);
  }
  QObject::connect(&group_, &QButtonGroup::idToggled, this, [this] { updateTabStops(); });
}

void RadioGroup::setItemIndex(int index) {
  if (QAbstractButton* chosen = group_.button(index)) chosen->setChecked(true);
}

QRadioButton* RadioGroup::button(int index) const {
  return static_cast<QRadioButton*>(group_.button(index));
}

void RadioGroup::updateTabStops() {
  for (QAbstractButton* button : group_.buttons()) {
    button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

}  // namespace batchfit
