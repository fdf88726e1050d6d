#pragma once
// The reading page: shown while reading the radio's settings. Cancel, Escape or the caption's
// close button abandon the exchange and lead back to the home page.

#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CReadingDlg;
}

class CReadingDlg : public CPage {
    Q_OBJECT
public:
    explicit CReadingDlg(IPageOwner& owner);
    ~CReadingDlg() override;

    // Button 2 ("取消").
    void OnCancel();

protected:
    void OnCaptionClose() override;
    void OnEscape() override { OnCancel(); }

private:
    std::unique_ptr<Ui::CReadingDlg> m_ui;
};
