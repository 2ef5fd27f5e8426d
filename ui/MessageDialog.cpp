#include "ui/MessageDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/ErrorBox.h"

namespace batchfit {

QString messageDialogClipboardText(const QString& caption, const QString& message,
                                   const QStringList& buttonCaptions) {
  const QString rule = QString(27, u'-') + "\r\n";
  QString buttons;
  for (QString button : buttonCaptions) buttons += button.remove(u'&') + "   ";
  return rule + caption + "\r\n" + rule + message + "\r\n" + rule + buttons + "\r\n" + rule;
}

MessageDialog::MessageDialog(const QString& message, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      message_(message),
      label_(new QLabel(this)),
      ok_(new QPushButton("OK", this)),
      closeAll_(new QPushButton("Close &All", this)) {
  setWindowTitle(applicationTitle());
  setWindowModality(Qt::ApplicationModal);
  // Plain text with no buddy: every character, "&" included, shows as itself.
  label_->setTextFormat(Qt::PlainText);
  label_->setText(message);
  label_->setWordWrap(true);
  ok_->setDefault(true);
  ok_->setAutoDefault(true);
  // QDialog closes on Escape by rejecting, so OK is the cancel button too.
  QObject::connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  // Only OK is pressed by Enter.
  closeAll_->setAutoDefault(false);
  QObject::connect(closeAll_, &QPushButton::clicked, this, [this] { done(ClosedAll); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(closeAll_);
  buttons->addStretch();
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(16, 16, 16, 12);
  column->setSpacing(16);
  column->addWidget(label_);
  column->addLayout(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);
  sizeText();
}

// The label takes the width the text needs, wrapped at word boundaries to at
// most half the screen's width; a single word wider than that widens it.
void MessageDialog::sizeText() {
  const int limit = screen()->geometry().width() / 2;
  const QRect needed =
      label_->fontMetrics().boundingRect(QRect(0, 0, limit, 0), Qt::TextWordWrap, message_);
  label_->setFixedWidth(std::max(needed.width(), 1));
}

bool MessageDialog::showMessage(const QString& message) {
  MessageDialog dialog(message, QApplication::activeWindow());
  return dialog.exec() != ClosedAll;
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
  const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (event->key() == Qt::Key_C && modifiers == Qt::ControlModifier) {
    QApplication::beep();
    QApplication::clipboard()->setText(
        messageDialogClipboardText(windowTitle(), message_, {ok_->text(), closeAll_->text()}));
    return;
  }
  QDialog::keyPressEvent(event);
}

void MessageDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const QRect area = screen()->geometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

}  // namespace batchfit
