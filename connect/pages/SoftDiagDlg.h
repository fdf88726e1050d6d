#pragma once
// The soft-diagnosis page: the search tries the rates of its table one after the other.

#include "connect/SoftDiagnosis.h"
#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CSoftDiagDlg;
}

class CSoftDiagDlg : public CPage {
    Q_OBJECT
public:
    explicit CSoftDiagDlg(IPageOwner& owner);
    ~CSoftDiagDlg() override;

    void Stop() override;

    // What the search reports.
    void OnAttempt(int rateIndex, int baud, bool opened);
    void OnConnected();
    void OnExhausted();
    void OnPortUnavailable();

protected:
    void OnInitDialog() override;
    void OnCaptionClose() override;

private:
    void UpdateData();

    std::unique_ptr<Ui::CSoftDiagDlg> m_ui;
    CSoftDiagnosis m_search;
    QString m_rateText;
    QString m_portText;
    // A read began (possibly while the failure message was on screen).
    bool m_answered = false;
};
