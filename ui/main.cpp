// batchfit: resizes a batch of photographs to one small picture size.
#include <QApplication>

#include "image/MemoryReuse.h"
#include "ui/CropEditor.h"
#include "ui/ErrorBox.h"
#include "ui/MainWindow.h"
#include "ui/WindowFrontEnd.h"

int main(int argc, char** argv) {
  batchfit::keepFreedBuffersForReuse();
  // The program reads no command line: Qt gets the program's name alone.
  int qtArgc = argc > 0 ? 1 : 0;
  char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  QApplication application(qtArgc, qtArgv);
  QApplication::setApplicationName(batchfit::applicationTitle());

  batchfit::MainWindow mainWindow;
  batchfit::CropEditor editor;
  // Only the main window's closing ends the program.
  editor.setAttribute(Qt::WA_QuitOnClose, false);
  batchfit::WindowFrontEnd frontEnd(mainWindow, editor);
  mainWindow.setFrontEnd(&frontEnd);

  mainWindow.show();
  QApplication::exec();
  return 0;
}
