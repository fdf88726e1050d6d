#include "connect/pages/Pages.h"

#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/LinkModeDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SettingsPage.h"
#include "connect/pages/SoftDiagDlg.h"

CPages::CPages() = default;

CPages::~CPages() {
    DeleteAll();
}

CLinkModeDlg& CPages::LinkModeDlg() {
    if (m_linkModeDlg == nullptr) {
        m_linkModeDlg = std::make_unique<CLinkModeDlg>(linkMode);
    }
    return *m_linkModeDlg;
}

void CPages::Release(CPage* page) {
    if (page == nullptr) {
        return;
    }
    page->Stop();
    page->hide();
    page->deleteLater();
}

QList<CPage*> CPages::All() const {
    QList<CPage*> pages;
    const auto add = [&pages](CPage* page) {
        if (page != nullptr) {
            pages.append(page);
        }
    };
    add(powerOnWaitDlg);
    add(noRadioDlg);
    add(readingDlg);
    add(orvPage);
    add(qxPage);
    add(savingDlg);
    add(softDiagDlg);
    add(configKeyDlg);
    return pages;
}

void CPages::StopAndHideAll() {
    for (CPage* page : All()) {
        page->Stop();
        page->hide();
    }
}

void CPages::DeleteAll() {
    // Stopped first, all of them, so that no page reacts to the deletion of another.
    for (CPage* page : All()) {
        page->Stop();
    }
    delete powerOnWaitDlg.data();
    delete noRadioDlg.data();
    delete readingDlg.data();
    delete orvPage.data();
    delete qxPage.data();
    delete savingDlg.data();
    delete softDiagDlg.data();
    delete configKeyDlg.data();
    m_linkModeDlg.reset();
}

CSettingsPage* CPages::SettingsPage(int family) const {
    return family == FAMILY_ORV ? orvPage.data() : qxPage.data();
}

CSettingsPage* CPages::WritingPage() const {
    for (CSettingsPage* page : {orvPage.data(), qxPage.data()}) {
        if (page != nullptr && page->WriteRunning()) {
            return page;
        }
    }
    return nullptr;
}

std::optional<int> CPages::EditedQxPowerIndex() const {
    if (!qxPowerEdited || qxPage == nullptr) {
        return std::nullopt;
    }
    return qxPage->EditedPowerIndex();
}
