#pragma once
// The power-on wait page: waits up to 30 seconds for an ORV radio to be switched on and announce
// itself.

#include "connect/PowerOnDetector.h"
#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CPowerOnWaitDlg;
}
class QLabel;
class QPushButton;

class CPowerOnWaitDlg : public CPage {
    Q_OBJECT
public:
    explicit CPowerOnWaitDlg(IPageOwner& owner);
    ~CPowerOnWaitDlg() override;

    void Stop() override;

    // What the detector reports.
    void OnTick(int secondsShown);
    void OnTimedOut();
    void OnReopened();
    void OnReopenFailed();
    // Back and detect again, enabled only after a time-out.
    void OnBack();
    void OnRedetect();

protected:
    void OnInitDialog() override;

private:
    void UpdateData();

    std::unique_ptr<Ui::CPowerOnWaitDlg> m_ui;
    CPowerOnDetector m_detector;
    QPushButton* m_redetectButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QString m_secondsText;
    QString m_portText;
};
