#pragma once

#include <QFont>
#include <QStringList>

#include "graphics/picture.h"

class QPainter;

namespace tavrin {

// The lines of the text dialog's memo: a last empty line (a trailing line break) is no line.
QStringList MemoLines(const QString& memo);

// Draws the lines in the font and colour, line i with its upper-left corner at (0, i x pitch).
// Text is drawn without anti-aliasing, so that its pixels are exactly the colour.
void DrawTextLines(QPainter& painter, const QStringList& lines, const QFont& font, int pitch,
                   const QColor& colour);

// The text rendered in white on a black mask of maskWidth x maskHeight pixels (10W x 10H), its
// exactly white pixels, the widest line's width and the lines times the pitch: what
// CropRenderedText makes a block of. Text beyond the mask is cut off.
struct RenderedText {
  ShapeMask lit;
  int width = 0;
  int height = 0;
};
RenderedText RenderTextMask(const QStringList& lines, const QFont& font, int pitch, int maskWidth,
                            int maskHeight);

// Text is drawn with QFont, which needs an application object: a program without windows (the
// command line) calls this before drawing, and gets one that shows nothing. Where an
// application object exists, it does nothing.
void EnsureTextDrawing();

}  // namespace tavrin
