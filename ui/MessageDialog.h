// The plain message dialog in which a run reports each file it did not
// write: a window of our own, captioned with the application title.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QPushButton;

namespace batchfit {

// What Ctrl+C puts on the clipboard: seven lines ended by CR LF, the caption
// and the message each between lines of 27 "-", then every button caption
// followed by three blanks with any "&" removed.
QString messageDialogClipboardText(const QString& caption, const QString& message,
                                   const QStringList& buttonCaptions);

// One text, shown as it stands and wrapped at word boundaries to half the
// screen's width, with an "OK" button that is both default and cancel, and
// "Close All" (Alt+A), which closes the rest of the run's report with it.
// Centred on the screen, fixed in size, modal to the whole program.
class MessageDialog : public QDialog {
 public:
  // What exec() gives when the user chose "Close All".
  static constexpr int ClosedAll = 2;

  explicit MessageDialog(const QString& message, QWidget* parent = nullptr);

  // Shows the text and returns when the user has dismissed the dialog:
  // false when "Close All" dismissed it.
  static bool showMessage(const QString& message);

  const QString& message() const { return message_; }
  QLabel* textLabel() const { return label_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void sizeText();

  QString message_;
  QLabel* label_;
  QPushButton* ok_;
  QPushButton* closeAll_;
};

}  // namespace batchfit
