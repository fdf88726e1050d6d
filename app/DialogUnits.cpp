#include "app/DialogUnits.h"

#include <QFontMetrics>

DialogUnits DialogUnits::Of(const QFont& font) {
    // The average width is taken over the 52 Latin letters, as dialog templates expect.
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    DialogUnits units;
    const int width = metrics.horizontalAdvance(kLetters);
    units.baseX = std::max(1, (width + 26) / 52);
    units.baseY = std::max(1, metrics.height());
    return units;
}

int DialogUnits::Scale(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}
