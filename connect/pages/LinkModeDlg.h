#pragma once
// Dialog 162: the choice between the two ways of connecting a QX module. One dialog serves the
// whole run and remembers the last choice.

#include "connect/QxLinkMethod.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CLinkModeDlg;
}

// The choice in force: power-on connection with the CONFIG key (1008) or soft diagnosis (1009).
extern QxLinkMethod g_linkMode;

class CLinkModeDlg : public QDialog {
    Q_OBJECT
public:
    // The process-wide dialog, created on first use without a parent.
    static CLinkModeDlg& Instance();
    // Deletes the process-wide dialog (before the application object goes).
    static void ReleaseInstance();

    ~CLinkModeDlg() override;

    // A click on a radio button takes effect at once, even if the dialog is then cancelled.
    void OnPowerOn();
    void OnSoftDiag();

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CLinkModeDlg();

    std::unique_ptr<Ui::CLinkModeDlg> m_ui;
};
