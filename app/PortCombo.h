#pragma once
// The port box of the home page: announces the opening of its list, so that the list can be
// read again first, and shows each port's description in the list while the box itself holds
// the bare name.

#include <QComboBox>

class CPortCombo : public QComboBox {
    Q_OBJECT
public:
    // The description of an item, shown after its name in the opened list.
    static constexpr int kDescriptionRole = Qt::UserRole + 1;

    explicit CPortCombo(QWidget* parent = nullptr);

    void showPopup() override;

signals:
    void aboutToShowPopup();
};
