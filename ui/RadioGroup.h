// A captioned group of radio buttons laid out in columns, of which exactly
// one is chosen; read by the index of the chosen item.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>

namespace batchfit {

class RadioGroup : public QGroupBox {
 public:
  RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

  // The index of the chosen item, -1 when none is.
  int itemIndex() const { return group_.checkedId(); }
  void setItemIndex(int index);
  QRadioButton* button(int index) const;
  int count() const { return int(group_.buttons().size()); }

 private:
  // Only the chosen button is a tab stop, so Tab enters the group once and
  // the arrow keys move within it.
  void updateTabStops();

  QButtonGroup group_;
};

}  // namespace batchfit
