#pragma once
// What a page needs from the main window that owns it. The main window implements it; the pages
// never see the main window's class.

#include "connect/pages/Messages.h"

#include <QString>

class CPages;
class CRadioSession;
class CSettingsPage;
struct PageSetPlan;
class QWidget;

class IPageOwner {
public:
    virtual ~IPageOwner() = default;

    // The window the pages belong to (their parent): the home page.
    virtual QWidget* PageParent() = 0;
    // The one connection to a radio: port, exchange and settings record.
    virtual CRadioSession& Session() = 0;
    // The window's pages and the choices they keep while it lives.
    virtual CPages& Pages() = 0;
    // The language of the messages the program composes: false Chinese, true English.
    virtual bool English() const = 0;
    // The port chosen on the home page ("ttyUSB0", "pts/4", "COM7").
    virtual QString PortName() const = 0;

    // Shows the home page in its normal state; nothing else changes.
    virtual void ShowHome() = 0;
    // Creates a new reading page into its slot and presents it.
    virtual void PresentReadingPage() = 0;
    // Abandons whatever runs: every page stopped and hidden, the port closed, the home page
    // shown. With a message, the user is told why (in the language in force) first.
    virtual void ReturnHome(const Bilingual* why = nullptr) = 0;

    // An offline page's Set with values that can be written: connect to the chosen port with the
    // family's procedure and read the radio; the owner then lets the page write. By default
    // nothing happens (an owner without a radio).
    virtual void ConnectThenSet(CSettingsPage& /*page*/) {}
    // Writes a page's plan into the radio (and reads it back when the user asked for it); the
    // page is told the end through CSettingsPage::OnWriteEnded. False, with nothing sent, when
    // the plan is refused.
    virtual bool StartWrite(CSettingsPage& page, const PageSetPlan& plan) = 0;
};
