// The pictures on the main window's four tool buttons, drawn by the program
// itself so that it carries no image files.
#pragma once

#include <QIcon>

namespace batchfit {

inline constexpr int GlyphSize = 20;

QIcon addFilesGlyph();      // a plus sign beside three list lines
QIcon removeFilesGlyph();   // a minus sign beside three list lines
QIcon outputFolderGlyph();  // a yellow folder with a green arrow curving into it
QIcon startGlyph();         // a blue triangle pointing right

}  // namespace batchfit
