#include "connect/pages/PageSlots.h"

#include "connect/pages/ConfigKeyDlg.h"
#include "connect/pages/NoRadioDlg.h"
#include "connect/pages/PowerOnWaitDlg.h"
#include "connect/pages/ReadingDlg.h"
#include "connect/pages/SavingDlg.h"
#include "connect/pages/SettingsPage.h"
#include "connect/pages/SoftDiagDlg.h"

QPointer<CPowerOnWaitDlg> g_powerOnWaitDlg;
QPointer<CNoRadioDlg> g_noRadioDlg;
QPointer<CReadingDlg> g_readingDlg;
QPointer<CSettingsPage> g_orvPage;
QPointer<CSettingsPage> g_qxPage;
QPointer<CSavingDlg> g_savingDlg;
QPointer<CSoftDiagDlg> g_softDiagDlg;
QPointer<CConfigKeyDlg> g_configKeyDlg;

namespace PageSlots {

void Release(CPage* page) {
    if (page == nullptr) {
        return;
    }
    page->Stop();
    page->hide();
    page->deleteLater();
}

QList<CPage*> All() {
    QList<CPage*> pages;
    const auto add = [&pages](CPage* page) {
        if (page != nullptr) {
            pages.append(page);
        }
    };
    add(g_powerOnWaitDlg);
    add(g_noRadioDlg);
    add(g_readingDlg);
    add(g_orvPage);
    add(g_qxPage);
    add(g_savingDlg);
    add(g_softDiagDlg);
    add(g_configKeyDlg);
    return pages;
}

void StopAndHideAll() {
    for (CPage* page : All()) {
        page->Stop();
        page->hide();
    }
}

void DeleteAll() {
    // Stopped first, all of them, so that no page reacts to the deletion of another.
    for (CPage* page : All()) {
        page->Stop();
    }
    delete g_powerOnWaitDlg.data();
    delete g_noRadioDlg.data();
    delete g_readingDlg.data();
    delete g_orvPage.data();
    delete g_qxPage.data();
    delete g_savingDlg.data();
    delete g_softDiagDlg.data();
    delete g_configKeyDlg.data();
}

} // namespace PageSlots

namespace PageSlots {

CSettingsPage* SettingsPage(int family) {
    return family == FAMILY_ORV ? g_orvPage.data() : g_qxPage.data();
}

CSettingsPage* WritingPage() {
    for (CSettingsPage* page : {g_orvPage.data(), g_qxPage.data()}) {
        if (page != nullptr && page->WriteRunning()) {
            return page;
        }
    }
    return nullptr;
}

} // namespace PageSlots
