#pragma once
// The CONFIG-key page: the QX module is powered on with its CONFIG key held within a 10-second
// countdown.

#include "connect/ConfigKeyConnector.h"
#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CConfigKeyDlg;
}

class CConfigKeyDlg : public CPage {
    Q_OBJECT
public:
    explicit CConfigKeyDlg(IPageOwner& owner);
    ~CConfigKeyDlg() override;

    void Stop() override;

    // What the connector reports.
    void OnTick(int secondsShown);
    void OnConnected();
    void OnTimedOut();

protected:
    void OnInitDialog() override;
    void OnCaptionClose() override;

private:
    void UpdateData();

    std::unique_ptr<Ui::CConfigKeyDlg> m_ui;
    CConfigKeyConnector m_connector;
    QString m_portText;
    QString m_secondsText;
};
