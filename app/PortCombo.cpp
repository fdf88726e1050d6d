#include "app/PortCombo.h"

#include <QAbstractItemView>
#include <QStyledItemDelegate>

namespace {

// "name  description" in the list; the model keeps the bare name, which the box shows.
class CDescribedItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString description = index.data(CPortCombo::kDescriptionRole).toString();
        if (!description.isEmpty()) {
            option->text = QStringLiteral("%1    %2").arg(option->text, description);
        }
    }
};

} // namespace

CPortCombo::CPortCombo(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new CDescribedItemDelegate(this));
}

void CPortCombo::showPopup() {
    emit aboutToShowPopup();
    // The list is as wide as its longest line, even when the box is narrower.
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        const QString description = itemData(i, kDescriptionRole).toString();
        const QString line = description.isEmpty()
                                 ? itemText(i)
                                 : QStringLiteral("%1    %2").arg(itemText(i), description);
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    view()->setMinimumWidth(widest + 4 * metrics.averageCharWidth());
    QComboBox::showPopup();
}
