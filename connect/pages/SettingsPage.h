#pragma once
// What the settings pages of both families share: leaving the settings state for the home page,
// Set, and the run of a write with the saving page up, one write at a time, until the radio
// confirms the save, refuses a command or falls silent.

#include "connect/pages/Page.h"
#include "exchange/RadioSettings.h"
#include "exchange/WritePlan.h"
#include "settings/SetProblem.h"

#include <QStringList>

#include <optional>
#include <vector>

// What Set would write from a page as it stands: the plan of the page's family, or the reasons
// it cannot be written (with the messages Set shows).
struct PageSetPlan {
    RadioFamily family = FAMILY_ORV;
    OrvWritePlan orv;
    QxWritePlan qx;
    std::vector<SetProblem> problems;

    bool Writable() const { return problems.empty(); }
};

// How a write ended, as the page shows it: one message, after which the page is the user's again.
struct WriteEndNotice {
    bool saveSent = false; // the radio was given the save: what follows a save follows
    bool good = false;     // nothing is known to be wrong (the information icon)
    bool refused = false;  // the radio refused: the message goes up with the saving page still up
    QString message;
};

class CSettingsPage : public CPage {
    Q_OBJECT
public:
    // from: what the page shows first (a read, or a settings file); the page keeps its own copy.
    CSettingsPage(IPageOwner& owner, RadioFamily family, const RadioSettings& from);

    RadioFamily Family() const { return m_family; }
    // What the page was filled from: the registers and listing its Set works from.
    const RadioSettings& Settings() const { return m_settings; }

    // The exit button: once ConfirmLeave agrees, the page goes, the radio leaves its command
    // mode ("ata\r"), the port is closed and the home page comes back. True when it went.
    bool OnExitSettings();
    // The caption's close button: the same.
    bool OnClosePage() { return OnExitSettings(); }

    // Before the page is left or taken away with its window: true when the page is not on
    // screen, holds nothing that was not written to the radio (or, offline, is as the file had
    // it), or the user agrees to leave it anyway.
    bool ConfirmLeave();
    bool HasUnwrittenChanges() const;
    // What the page shows now is what the radio holds (after a fill).
    void MarkUnchanged() { m_unchanged = EditedState(); }

    // From the start of a write until its end, whatever the end.
    bool WriteRunning() const { return m_writeRunning; }

    // Going home abandons a running write: this page no longer waits for its end.
    void Stop() override;

    // The end of a write the owner started for this page (with the radio read back when the
    // user asked for it): the saving page goes, the message is shown, and after a save what
    // follows a save (OnSaved). The page keeps every value the user entered.
    void OnWriteEnded(const WriteEndNotice& notice);

    // Set: checks the page's values and writes them (an offline page connects first). Nothing
    // goes to the radio unless all of it can be written: a radio is never left half-written.
    void OnSet();
    // What Set would write now, without sending anything or telling the user.
    virtual PageSetPlan PrepareSetPlan() = 0;
    // Tells the problems of a plan that cannot be written, as Set does: one message listing
    // them all, each with its place on the page.
    void TellProblems(const PageSetPlan& plan);
    // The text of that message in one language.
    static std::string ProblemsText(const std::vector<SetProblem>& problems, bool english);

    // An offline page shows values from a file, with no radio behind it: its caption says so,
    // and its Set connects and reads the radio before writing.
    bool Offline() const { return m_offline; }
    void SetOffline(bool offline);

    // The QX page's power index when the user changed it during this run (the ORV write then
    // also sets S108); nullopt otherwise. Only the QX page answers.
    virtual std::optional<int> EditedPowerIndex() const { return std::nullopt; }

protected:
    // Everything on the page that Set would write, in a form that compares equal exactly when
    // Set would write the same.
    virtual QStringList EditedState() const = 0;

    // Set's last question once the plan is writable: true when Set may go on. The pages check
    // their channel plan here (advice shown, errors stop Set).
    virtual bool PlanCheckAllowsSet() { return true; }

    // Set's end once the plan is writable: an offline page hands over to the owner to connect
    // first; otherwise the write starts. False when nothing was started.
    bool SetWith(const PageSetPlan& plan);

    // Presents a new saving page and has the owner start the write ("ATP0=\r" goes out). False,
    // with the saving page gone and the user told, when the plan is refused.
    bool BeginWrite(const PageSetPlan& plan);

    // Set and the editors are disabled while a write runs and come back at its end.
    virtual void EnableWriteControls(bool enabled) = 0;
    // After the message of a write whose save went out (the ORV page offers to export its
    // table).
    virtual void OnSaved() {}

    // Writes a channel table file whole or not at all, and leaves it read-only. False, with no
    // file left behind, when it cannot be created (an earlier export left read-only included).
    static bool WriteFileReadOnly(const QString& path, const QByteArray& bytes);

    void OnCaptionClose() override { OnClosePage(); }
    // Escape never leaves a settings page.
    void OnEscape() override {}

private:
    // The exit button's steps once leaving is agreed.
    void LeaveSettings();
    void PresentSavingPage();
    bool Started(bool started);
    void EndWrite();
    void HideSavingPage();

    RadioFamily m_family;
    RadioSettings m_settings;
    bool m_writeRunning = false;
    bool m_offline = false;
    QString m_onlineCaption;
    // What the radio holds as far as the page knows, and what a running write will leave there.
    QStringList m_unchanged;
    QStringList m_writing;
};
