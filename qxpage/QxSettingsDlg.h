#pragma once
// The QX settings page: the module's registers, one control each, and its 64-channel
// list with in-place editing, delete, clear and table files; Set writes it all to the module.
// The value members always equal what the controls show: every change runs the exchange.

#include "connect/pages/SettingsPage.h"
#include "document/PlanCheck.h"
#include "document/SettingsJson.h"
#include "qxpage/QxPageLogic.h"

#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Ui {
class CQxSettingsDlg;
}
class CQxCellDelegate;
class CQxChannelModel;
class QComboBox;
class QTableView;

class CQxSettingsDlg : public CSettingsPage {
    Q_OBJECT
public:
    // from: the read (or file) the page shows; by default an empty module.
    explicit CQxSettingsDlg(IPageOwner& owner, const RadioSettings& from = RadioSettings());
    ~CQxSettingsDlg() override;

    // Shows the registers and the channel rows the page was created from.
    void FillFromSettings();

    // The value members: list indexes (-1 for none) and the unit address.
    const QxPageLogic::QxPageValues& Values() const { return m_values; }
    CQxChannelModel& ChannelModel() { return *m_model; }
    QTableView& ChannelList();

    // Control handlers.
    void RefreshData();
    void OnSelchangeProtocol();
    void OnSelchangeWorkMode();
    void OnSelchangePower();
    void OnClickChannelList(const QPoint& pos);
    void OnDeleteRow();
    void OnClearList();
    void OnImportList();
    void OnExportList();
    void OnExportPlan();
    void OnImportPlan();

    PageSetPlan PrepareSetPlan() override;

    // The list's frequency check of row's cell: tells what is wrong (in Chinese, as the list
    // always has, with the cell and its text under it in the language in force) and gives the
    // ten-character form of a passing text that is not yet in it.
    std::optional<QString> ValidateFrequency(const QString& text, int row);

    // The power index once the user has chosen one during this run.
    std::optional<int> EditedPowerIndex() const override;

protected:
    void OnInitDialog() override;
    // While a write runs, Set and everything that edits the list are held back.
    void EnableWriteControls(bool enabled) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    QStringList EditedState() const override;

private:
    // Controls into members, in the exchange's order; false (with the message shown and the
    // focus on the address) when the unit address is not a whole number: the members after it
    // keep their values.
    bool ExchangeFromControls();
    void ExchangeToControls();
    // Work mode and repeater channels by protocol, work mode and S141 as read.
    void ApplyEnablingRule(int protocol, int workMode);
    void OnFrequencyCommitted(int row);
    // The plan check of the list with the channels the page's lists point to; true when Set
    // may go on (advice shown, errors stop it).
    PlanCheck::PlanInput PlanCheckInput() const;
    bool PlanCheckAllowsSet() override;
    // The register lists of the page with their registers.
    std::vector<std::pair<QComboBox*, int>> RegisterLists() const;

    std::unique_ptr<Ui::CQxSettingsDlg> m_ui;
    CQxChannelModel* m_model = nullptr;
    CQxCellDelegate* m_delegate = nullptr;
    QxPageLogic::QxPageValues m_values;
    // The cell last opened for editing (-1 before the first).
    int m_editRow = -1;
    int m_editColumn = -1;
    // Any click in the list enables Delete for good (a write only holds it back).
    bool m_deleteOn = false;
    // The names and comments of the last plan imported, for the next plan exported.
    ChannelNotes m_planNotes{};
};
