#pragma once
// The connection-method dialog: the choice between the two ways of connecting a QX module. One
// dialog serves the main window while it lives and keeps the last choice in the caller's record.

#include "connect/QxLinkMethod.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CLinkModeDlg;
}

class CLinkModeDlg : public QDialog {
    Q_OBJECT
public:
    // choice: the choice in force (power-on connection with the CONFIG key or soft diagnosis),
    // which the dialog opens on and changes; it must outlive the dialog.
    explicit CLinkModeDlg(QxLinkMethod& choice);
    ~CLinkModeDlg() override;

    // A click on a radio button takes effect at once, even if the dialog is then cancelled.
    void OnPowerOn();
    void OnSoftDiag();

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QxLinkMethod& m_choice;
    std::unique_ptr<Ui::CLinkModeDlg> m_ui;
};
