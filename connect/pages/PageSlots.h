#pragma once
// The window slots: each holds the latest page of its kind. A slot that receives a new page lets
// the previous one go; the main window deletes them all when it is destroyed.

#include <QPointer>

class CPage;
class CPowerOnWaitDlg;
class CNoRadioDlg;
class CReadingDlg;
class CSavingDlg;
class CSoftDiagDlg;
class CConfigKeyDlg;
class CSettingsPage;

extern QPointer<CPowerOnWaitDlg> g_powerOnWaitDlg; // dialog 131
extern QPointer<CNoRadioDlg> g_noRadioDlg;         // dialog 132
extern QPointer<CReadingDlg> g_readingDlg;         // dialog 147
extern QPointer<CSettingsPage> g_orvPage;          // dialog 156 (COrvSettingsDlg)
extern QPointer<CSettingsPage> g_qxPage;           // dialog 153 (CQxSettingsDlg)
extern QPointer<CSavingDlg> g_savingDlg;           // dialog 149
extern QPointer<CSoftDiagDlg> g_softDiagDlg;       // dialog 134
extern QPointer<CConfigKeyDlg> g_configKeyDlg;     // dialog 137

namespace PageSlots {

// Stops, hides and lets go of the page a slot holds (it is deleted once control returns to the
// event loop, so a page may be replaced from one of its own handlers).
void Release(CPage* page);

// Puts page into slot, releasing the page the slot held before. Returns page.
template <typename Slot, typename Page> Page* Put(QPointer<Slot>& slot, Page* page) {
    if (slot != nullptr && slot.data() != page) {
        Release(slot.data());
    }
    slot = page;
    return page;
}

// Every page that exists, in teardown order.
QList<CPage*> All();

// Stops and hides every page (they stay in their slots).
void StopAndHideAll();

// The settings page of a family, or nullptr.
CSettingsPage* SettingsPage(int family);
// The settings page whose write is running, or nullptr.
CSettingsPage* WritingPage();

// Deletes every page at once and empties the slots, in teardown order.
void DeleteAll();

} // namespace PageSlots
