#pragma once
// The pages of one main window, and the choices they keep while the window lives. Each slot
// holds the latest page of its kind: a slot that receives a new page lets the previous one go.
// The main window owns this object and deletes every page with it.

#include "connect/QxLinkMethod.h"

#include <QList>
#include <QPointer>

#include <memory>
#include <optional>

class CPage;
class CPowerOnWaitDlg;
class CNoRadioDlg;
class CReadingDlg;
class CSavingDlg;
class CSoftDiagDlg;
class CConfigKeyDlg;
class CSettingsPage;
class CLinkModeDlg;

class CPages {
public:
    CPages();
    ~CPages();
    CPages(const CPages&) = delete;
    CPages& operator=(const CPages&) = delete;

    QPointer<CPowerOnWaitDlg> powerOnWaitDlg; // counting down to an ORV radio's power-on
    QPointer<CNoRadioDlg> noRadioDlg;         // no ORV radio announced itself
    QPointer<CReadingDlg> readingDlg;         // the read's progress
    QPointer<CSettingsPage> orvPage;          // the ORV settings page
    QPointer<CSettingsPage> qxPage;           // the QX settings page
    QPointer<CSavingDlg> savingDlg;           // a write running
    QPointer<CSoftDiagDlg> softDiagDlg;       // the search for a QX module at every rate
    QPointer<CConfigKeyDlg> configKeyDlg;     // waiting for a QX module powered on with CONFIG

    // How a QX module is connected: the connection-method dialog's choice in force.
    QxLinkMethod linkMode = QxLinkMethod::SoftDiagnosis;
    // The ORV list's layout, 0 normal (two frequency columns), 1 repeater (four): a new page
    // starts in the layout the last one left.
    int orvRepeaterLayout = 0;
    // The QX page's power was chosen by the user (the ORV write then also sets S108).
    bool qxPowerEdited = false;

    // The connection-method dialog, created on first use; it remembers the choice in linkMode.
    CLinkModeDlg& LinkModeDlg();

    // Stops, hides and lets go of a page (it is deleted once control returns to the event loop,
    // so a page may be replaced from one of its own handlers).
    static void Release(CPage* page);

    // Puts page into slot, releasing the page the slot held before. Returns page.
    template <typename Slot, typename Page> static Page* Put(QPointer<Slot>& slot, Page* page) {
        if (slot != nullptr && slot.data() != page) {
            Release(slot.data());
        }
        slot = page;
        return page;
    }

    // Every page that exists, in teardown order.
    QList<CPage*> All() const;
    // Stops and hides every page (they stay in their slots).
    void StopAndHideAll();
    // The settings page of a family, or nullptr.
    CSettingsPage* SettingsPage(int family) const;
    // The settings page whose write is running, or nullptr.
    CSettingsPage* WritingPage() const;
    // The power the QX page shows, when the user chose it and that page still exists.
    std::optional<int> EditedQxPowerIndex() const;

    // Deletes every page at once and empties the slots, in teardown order.
    void DeleteAll();

private:
    std::unique_ptr<CLinkModeDlg> m_linkModeDlg;
};
