#pragma once
// Dialog units: positions given in units of the dialog font's average character width / 4 and
// height / 8, converted to pixels for the font in use.

#include <QFont>
#include <QRect>

struct DialogUnits {
    int baseX = 8;  // average character width in pixels
    int baseY = 16; // character height in pixels

    static DialogUnits Of(const QFont& font);

    int X(int dlu) const { return Scale(dlu, baseX, 4); }
    int Y(int dlu) const { return Scale(dlu, baseY, 8); }
    QRect Rect(int x, int y, int cx, int cy) const { return {X(x), Y(y), X(cx), Y(cy)}; }

private:
    // a * b / c rounded to the nearest integer.
    static int Scale(int a, int b, int c);
};
