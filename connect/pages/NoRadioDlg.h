#pragma once
// The no-radio page: no ORV radio announced itself in time.

#include "connect/pages/Page.h"

#include <memory>

namespace Ui {
class CNoRadioDlg;
}

class CNoRadioDlg : public CPage {
    Q_OBJECT
public:
    explicit CNoRadioDlg(IPageOwner& owner);
    ~CNoRadioDlg() override;

    // The back button: back to the power-on wait page.
    void OnBack();

private:
    std::unique_ptr<Ui::CNoRadioDlg> m_ui;
};
