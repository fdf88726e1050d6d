#pragma once
// The saving page: shown while writing the new settings to the radio. Cancel, Escape or the
// caption's close button abandon the exchange and lead back to the home page.

#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CSavingDlg;
}

class CSavingDlg : public CPage {
    Q_OBJECT
public:
    explicit CSavingDlg(IPageOwner& owner);
    ~CSavingDlg() override;

    // Button 2 ("取消").
    void OnCancel();

protected:
    void OnCaptionClose() override;
    void OnEscape() override { OnCancel(); }

private:
    std::unique_ptr<Ui::CSavingDlg> m_ui;
};
