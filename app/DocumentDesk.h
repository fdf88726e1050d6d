#pragma once
// The window's settings documents: the "文件" menu (open, save, recent reads, review, verify
// after writing), the history of every read, the offline pages filled from a document, and the
// check of the radio after a write. The main window tells it where a read or a road ends; it
// never talks to the radio except through the session's read again.

#include "connect/RadioSnapshot.h"
#include "document/SettingsJson.h"
#include "document/WriteVerify.h"
#include "exchange/RadioSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <optional>

class CPages;
class CRadioSession;
class CSettingsPage;
class QWidget;
struct PageSetPlan;
class QAction;
class QMenu;
class QMenuBar;

// What the desk needs from the window it serves.
class IDocumentDeskOwner {
public:
    virtual ~IDocumentDeskOwner() = default;

    // The home page: the menu's parent, hidden while an offline page shows.
    virtual QWidget* Window() = 0;
    virtual CRadioSession& Session() = 0;
    virtual CPages& Pages() = 0;
    // The language of the messages the program composes: false Chinese, true English.
    virtual bool English() const = 0;
    // The port the home page names, typed or listed.
    virtual QString PortFromCombo() const = 0;
    // The home page in its normal state.
    virtual void ShowHome() = 0;
    // The family's connection procedure on the home page's port; false when it did not start.
    virtual bool StartRoad(RadioFamily family) = 0;
    // The family's settings page, new, presented and filled from settings.
    virtual CSettingsPage* PresentSettingsPage(RadioFamily family,
                                               const RadioSettings& settings) = 0;
};

class CDocumentDesk : public QObject {
    Q_OBJECT
public:
    explicit CDocumentDesk(IDocumentDeskOwner& owner);
    ~CDocumentDesk() override;

    // Puts the "文件" menu first in a menu bar: the home page's, and one given to each settings
    // page (the home page is hidden while a settings page shows).
    void AddMenuTo(QMenuBar& bar);
    QMenu& Menu() { return *m_menu; }
    void AttachTo(CSettingsPage& page);

    // The menu's commands.
    void OnOpen();
    void OnSave();
    void OnReview();
    bool VerifyChecked() const;

    // Opens a document file as an offline page. False, with the user told why, when the file
    // cannot be read or is not a valid document; nothing changes then.
    bool OpenFile(const QString& path);

    // A read has completed: it goes into the history (quietly, whatever happens).
    void KeepRead(const RadioSnapshot& read);

    // At the end of a read, before the settings page is presented: true when this read belongs
    // to an offline Set and has been dealt with here.
    bool TakeReadEnd(const RadioSnapshot& read);
    // A settings page filled from the settings read: what it was filled from.
    void PageFilled(RadioFamily family, const RadioSettings& read);

    // An offline page's Set: the family's connection on the home page's port, then the write.
    void ConnectThenSet(CSettingsPage& page);
    // A page's Set: the write, and the radio read back after it when "写入后校验" is checked;
    // the page is told the end. False, with nothing sent, when the session refuses the plan.
    bool StartWrite(CSettingsPage& page, const PageSetPlan& plan);
    // From the start of a page's write until the page has been told its end: the session's
    // reads, silences and failures meanwhile belong to the write.
    bool WriteRunning() const { return m_write.Running(); }
    // The road ended on the home page: an offline Set waiting for its radio gives its page back,
    // a write (or its read-back) in progress is forgotten.
    void RoadEnded();

    // Enables what needs a settings page on screen.
    void UpdateActions();

private:
    struct Filled {
        SettingsDocument from; // what the page was filled from (a read or a file)
        SettingsDocument read; // what the radio held when last read (or the file)
    };
    Filled& Of(RadioFamily family);
    // The document Set would leave on the radio from the page's values; nothing (after telling
    // the page's problems) when Set would refuse them.
    std::optional<SettingsDocument> WhatSetWouldWrite(CSettingsPage* page);
    CSettingsPage* ShowingPage() const;
    void FillRecent();
    void FinishOfflineRead(const RadioSnapshot& read);
    void WriteEnded(const Doc::WriteReport& report);
    void Tell(const QString& text);
    bool English() const;

    IDocumentDeskOwner& m_window;
    QMenu* m_menu = nullptr;
    QMenu* m_recent = nullptr;
    QAction* m_open = nullptr;
    QAction* m_save = nullptr;
    QAction* m_review = nullptr;
    QAction* m_verify = nullptr;
    std::array<Filled, 2> m_filled;

    // An offline Set waiting for its read (the page keeps what the user prepared).
    QPointer<CSettingsPage> m_offlineSet;
    // A page's write, and the page waiting for its end.
    Doc::CWriteVerify m_write;
    QPointer<CSettingsPage> m_writing;
};
