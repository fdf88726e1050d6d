#pragma once
// The ORV settings page: protocol and mode, address, port rate and the 16-channel
// list of what was read from an ORV radio, the Set command that writes them back, and the
// channel table files. The rules live in OrvPageLogic; the page shows them and reads its
// controls into them.

#include "connect/pages/SettingsPage.h"
#include "document/SettingsJson.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace Ui {
class COrvSettingsDlg;
}
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QTableView;
class COrvChannelModel;
class COrvCellDelegate;
namespace OrvPageLogic {
struct OrvSetInput;
}

class COrvSettingsDlg : public CSettingsPage {
    Q_OBJECT
public:
    // from: the read (or file) the page shows; by default an empty radio.
    explicit COrvSettingsDlg(IPageOwner& owner, const RadioSettings& from = RadioSettings());
    ~COrvSettingsDlg() override;

    // Shows the registers, the current channel and the port rate the page was created from.
    void FillFromSettings();
    // Columns and rows anew from the listing read for the current layout; typed values go.
    void RebuildChannelList();

    // Control handlers.
    void OnProtocolButton(int protocol);
    void OnModeChange(int protocol, int index);
    void OnCloseAddress();
    void OnExportList();
    void OnImportList();
    void OnExportPlan();
    void OnImportPlan();

    // The list's frequency check of a cell's text (tableRow: the radio's table row it shows):
    // tells a bad value with the cell and the text, and gives the ten-character form of a good
    // one that is not yet in it.
    std::optional<QString> ValidateFrequency(const QString& text, int tableRow);

    PageSetPlan PrepareSetPlan() override;

    // What Set would work from, as the controls stand.
    OrvPageLogic::OrvSetInput SetInput() const;

    // The checked protocol button (0..4), -1 for none.
    int Protocol() const;
    int ModeCode() const { return m_modeCode; }
    const COrvChannelModel& ChannelModel() const { return *m_model; }

protected:
    void OnInitDialog() override;
    void EnableWriteControls(bool enabled) override;
    void OnSaved() override { OnExportList(); }
    QStringList EditedState() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCellCommitted(int row, int column, const QString& text);
    // The table as the page shows it (the cells' frequencies where the layout shows them), and
    // whether the plan check lets Set go on (advice shown, errors stop it).
    std::array<ChannelEntry, RadioSettings::kChannelRows> ShownTable() const;
    bool PlanCheckAllowsSet() override;
    void OnCellClicked(const QModelIndex& index);
    void OnArrowKey();
    void SetProtocol(int protocol);
    void EnableModeListOnly(int protocol);
    void SetAddressControls();
    // The list's layout: true for the repeater layout (four frequency columns).
    bool RepeaterLayout() const;
    void SetLayout(bool repeater);
    QComboBox* ModeList(int protocol) const;
    // The lists beside a radio button or in a group have no label of their own: each gets one
    // for assistive technology.
    void NameUnlabelledLists();

    std::unique_ptr<Ui::COrvSettingsDlg> m_ui;
    QButtonGroup* m_protocols = nullptr;
    std::array<QComboBox*, 5> m_modeLists{};
    COrvChannelModel* m_model = nullptr;
    COrvCellDelegate* m_delegate = nullptr;
    int m_editRow = -1;
    int m_editColumn = -1;
    int m_modeCode = 0;
    // The names and comments of the last plan imported, for the next plan exported.
    ChannelNotes m_planNotes{};
};
