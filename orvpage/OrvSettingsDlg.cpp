#include "orvpage/OrvSettingsDlg.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/Pages.h"
#include "document/PlanDocument.h"
#include "document/PlanPrompts.h"
#include "orvpage/OrvChannelList.h"
#include "orvpage/OrvPageLogic.h"
#include "orvpage/OrvTableFile.h"
#include "settings/ValueNames.h"
#include "ui_OrvSettingsDlg.h"

#include <QButtonGroup>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

// Both directions of the table files offer the same choice.
constexpr const char* kTableFilter = "(*.tb);;文本文件(*.txt);;All Files(*.*)";

std::vector<std::string> Items(const QComboBox* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->itemText(i).toStdString());
    }
    return items;
}

// The list's choice: a "*"-marked text names the item it matches, otherwise the selection.
int Choice(const QComboBox* list) {
    return OrvPageLogic::ResolveListChoice(list->currentText().toStdString(), Items(list),
                                           list->currentIndex());
}

void ShowMarked(QComboBox* list, int item) {
    if (item >= 0 && item < list->count()) {
        list->setEditText(QStringLiteral("*") + list->itemText(item));
    }
}

// A label that only assistive technology reads: the list's buddy, out of sight.
void NameList(QComboBox* list, const QString& name) {
    auto* label = new QLabel(name, list->parentWidget());
    label->setObjectName(list->objectName() + QStringLiteral("Name"));
    label->setBuddy(list);
    label->hide();
    list->setAccessibleName(name);
    // The edit field takes the focus, and is announced by its own name.
    list->lineEdit()->setAccessibleName(name);
}

// The language of the form in use: the translation that gives the form its English texts names
// its own language here.
bool FormInEnglish() {
    //: The language of this translation as a code: "en" in the English one.
    return COrvSettingsDlg::tr("zh") == QLatin1String("en");
}

// The protocol buttons and the lists name register values from the shared tables, in the
// form's language.
void NameValues(Ui::COrvSettingsDlg& ui) {
    const bool english = FormInEnglish();
    const std::array<QAbstractButton*, 5> buttons = {ui.bmkTransparentRadio, ui.trimtalkRadio,
                                                     ui.satelRadio, ui.qzTransparentRadio,
                                                     ui.bmkFstRadio};
    const std::array<QComboBox*, 5> lists = {ui.bmkTransparentModeCombo, ui.trimtalkModeCombo,
                                             ui.satelModeCombo, ui.qzTransparentModeCombo,
                                             ui.bmkFstModeCombo};
    const auto protocols = ValueNames::OrvProtocols();
    for (std::size_t p = 0; p < buttons.size() && p < protocols.size(); ++p) {
        buttons[p]->setText(QString::fromUtf8(protocols[p].name.In(english)));
        for (const ValueNames::Name& mode : protocols[p].modes) {
            lists[p]->addItem(QString::fromUtf8(mode.In(english)));
        }
    }
    for (const std::string& rate : ValueNames::OrvPortRateItems()) {
        ui.portRateCombo->addItem(QString::fromStdString(rate));
    }
}

} // namespace

COrvSettingsDlg::COrvSettingsDlg(IPageOwner& owner, const RadioSettings& from)
    : CSettingsPage(owner, FAMILY_ORV, from), m_ui(std::make_unique<Ui::COrvSettingsDlg>()) {
    m_ui->setupUi(this);
    NameValues(*m_ui); // before the lists are watched: filling them is no user's choice
    m_modeLists = {m_ui->bmkTransparentModeCombo, m_ui->trimtalkModeCombo, m_ui->satelModeCombo,
                   m_ui->qzTransparentModeCombo, m_ui->bmkFstModeCombo};
    m_protocols = new QButtonGroup(this);
    const std::array<QAbstractButton*, 5> buttons = {m_ui->bmkTransparentRadio, m_ui->trimtalkRadio,
                                                     m_ui->satelRadio, m_ui->qzTransparentRadio,
                                                     m_ui->bmkFstRadio};
    for (int p = 0; p < OrvPageLogic::kProtocols; ++p) {
        m_protocols->addButton(buttons[static_cast<std::size_t>(p)], p);
    }
    connect(m_protocols, &QButtonGroup::idClicked, this, &COrvSettingsDlg::OnProtocolButton);
    connect(m_ui->trimtalkModeCombo, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnModeChange(1, index); });
    connect(m_ui->qzTransparentModeCombo, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnModeChange(3, index); });
    connect(m_ui->closeAddressCheck, &QCheckBox::clicked, this, &COrvSettingsDlg::OnCloseAddress);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &COrvSettingsDlg::OnExitSettings);
    connect(m_ui->setButton, &QPushButton::clicked, this, &CSettingsPage::OnSet);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &COrvSettingsDlg::OnExportList);
    connect(m_ui->importButton, &QPushButton::clicked, this, &COrvSettingsDlg::OnImportList);
    connect(m_ui->exportPlanButton, &QPushButton::clicked, this, &COrvSettingsDlg::OnExportPlan);
    connect(m_ui->importPlanButton, &QPushButton::clicked, this, &COrvSettingsDlg::OnImportPlan);

    m_model = new COrvChannelModel(this);
    m_delegate = new COrvCellDelegate(this);
    QTableView* list = m_ui->channelList;
    list->setModel(m_model);
    list->setItemDelegate(m_delegate);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(18);
    list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->horizontalHeader()->setHighlightSections(false);
    connect(list, &QTableView::clicked, this, &COrvSettingsDlg::OnCellClicked);
    connect(m_delegate, &COrvCellDelegate::committedByKey, this, &COrvSettingsDlg::OnCellCommitted);
    connect(m_delegate, &COrvCellDelegate::arrowKey, this, [this] { OnArrowKey(); });
    NameUnlabelledLists();
}

void COrvSettingsDlg::NameUnlabelledLists() {
    for (int p = 0; p < OrvPageLogic::kProtocols; ++p) {
        const QAbstractButton* button = m_protocols->button(p);
        NameList(ModeList(p), tr("%1的模式").arg(button->text()));
    }
    NameList(m_ui->portRateCombo, tr("电台的串口速率"));
}

COrvSettingsDlg::~COrvSettingsDlg() = default;

void COrvSettingsDlg::OnInitDialog() {
    for (QComboBox* list : {m_ui->qzTransparentModeCombo, m_ui->bmkTransparentModeCombo,
                            m_ui->bmkFstModeCombo, m_ui->satelModeCombo, m_ui->trimtalkModeCombo}) {
        const QSignalBlocker quiet(list);
        list->setEnabled(false);
        list->setCurrentIndex(0);
    }
    m_ui->unknownProtocolRadio->setVisible(true);
    m_ui->unknownProtocolRadio->setChecked(false);
}

QComboBox* COrvSettingsDlg::ModeList(int protocol) const {
    return protocol >= 0 && protocol < OrvPageLogic::kProtocols
               ? m_modeLists[static_cast<std::size_t>(protocol)]
               : nullptr;
}

int COrvSettingsDlg::Protocol() const {
    return m_protocols->checkedId();
}

void COrvSettingsDlg::SetProtocol(int protocol) {
    if (QAbstractButton* button = m_protocols->button(protocol)) {
        button->setChecked(true);
        return;
    }
    // None checked: an exclusive group cannot be emptied, so it lets go for a moment.
    m_protocols->setExclusive(false);
    for (QAbstractButton* button : m_protocols->buttons()) {
        button->setChecked(false);
    }
    m_protocols->setExclusive(true);
}

void COrvSettingsDlg::SetLayout(bool repeater) {
    Owner().Pages().orvRepeaterLayout = repeater ? 1 : 0;
}

bool COrvSettingsDlg::RepeaterLayout() const {
    return Owner().Pages().orvRepeaterLayout != 0;
}

void COrvSettingsDlg::FillFromSettings() {
    const RadioSettings& settings = Settings();
    const OrvRegisters& r = settings.orv;
    m_modeCode = r.s141 + 10 * r.s103 + 100 * r.s127 + 1000 * r.s186;
    const OrvPageLogic::ModeOnPage mode = OrvPageLogic::ModeFromRegisters(r);
    if (mode.unknownProtocol) {
        m_ui->unknownProtocolRadio->setChecked(true);
    } else {
        m_ui->unknownProtocolRadio->hide();
        if (QComboBox* list = ModeList(mode.protocol)) {
            SetProtocol(mode.protocol);
            list->setEnabled(true);
            ShowMarked(list, mode.modeIndex);
        }
        if (mode.repeaterLayout.has_value()) {
            SetLayout(*mode.repeaterLayout);
        }
    }

    m_ui->addressEdit->setText(QString::fromStdString(r.s105));
    m_ui->addressEdit->setEnabled(mode.addressEnabled);
    m_ui->closeAddressCheck->setEnabled(mode.addressEnabled);
    if (r.s190 == 0 || r.s190 == 1) {
        m_ui->closeAddressCheck->setChecked(r.s190 == 1);
    }

    const int rateItem = OrvPageLogic::PortRateItem(settings.orvPortRate);
    if (rateItem >= 0) {
        ShowMarked(m_ui->portRateCombo, rateItem);
    } else {
        // A rate no item stands for is not shown as some other rate: the user chooses one.
        const QSignalBlocker quiet(m_ui->portRateCombo);
        m_ui->portRateCombo->setCurrentIndex(-1);
        m_ui->portRateCombo->clearEditText();
    }
}

void COrvSettingsDlg::RebuildChannelList() {
    const RadioSettings& settings = Settings();
    const bool english = Owner().English();
    m_editRow = -1;
    m_editColumn = -1;
    m_model->Rebuild(settings.channels, RepeaterLayout(), settings.orvCurrentChannel, english);
    QHeaderView* header = m_ui->channelList->horizontalHeader();
    header->resizeSection(0, english ? 55 : 45);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        header->resizeSection(column, 80);
    }
}

void COrvSettingsDlg::EnableModeListOnly(int protocol) {
    for (int p = 0; p < OrvPageLogic::kProtocols; ++p) {
        ModeList(p)->setEnabled(p == protocol);
    }
}

void COrvSettingsDlg::SetAddressControls() {
    const int protocol = Protocol();
    const bool addressed = protocol == 0 || protocol == 3 || protocol == 4;
    m_ui->closeAddressCheck->setEnabled(addressed);
    m_ui->addressEdit->setEnabled(addressed && !m_ui->closeAddressCheck->isChecked());
}

void COrvSettingsDlg::OnProtocolButton(int protocol) {
    m_ui->unknownProtocolRadio->hide();
    EnableModeListOnly(protocol);
    const int choice = protocol == 1 || protocol == 3 ? Choice(ModeList(protocol)) : 0;
    if (const std::optional<bool> repeater = OrvPageLogic::RepeaterLayoutOf(protocol, choice)) {
        SetLayout(*repeater);
    }
    RebuildChannelList();
    SetAddressControls();
}

void COrvSettingsDlg::OnModeChange(int protocol, int index) {
    if (const std::optional<bool> repeater = OrvPageLogic::RepeaterLayoutOf(protocol, index)) {
        SetLayout(*repeater);
    }
    RebuildChannelList();
}

void COrvSettingsDlg::OnCloseAddress() {
    m_ui->addressEdit->setEnabled(!m_ui->closeAddressCheck->isChecked());
}

void COrvSettingsDlg::OnCellClicked(const QModelIndex& index) {
    if (!m_model->Editable(index) || WriteRunning()) {
        return;
    }
    m_editRow = index.row();
    m_editColumn = index.column();
    m_ui->channelList->edit(index);
}

void COrvSettingsDlg::OnCellCommitted(int row, int column, const QString& text) {
    if (const std::optional<QString> normalised =
            ValidateFrequency(text, COrvChannelModel::TableRow(row, column))) {
        m_model->SetCell(row, column, *normalised);
    }
}

void COrvSettingsDlg::OnArrowKey() {
    QTableView* list = m_ui->channelList;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? 0 : selected.first().row();
    const QModelIndex index = m_model->index(row, 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    list->scrollTo(index);
    list->setFocus();
}

void COrvSettingsDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Neither ever closes the page or presses a button.
        event->accept();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        OnArrowKey();
        return;
    default:
        CSettingsPage::keyPressEvent(event);
    }
}

std::optional<QString> COrvSettingsDlg::ValidateFrequency(const QString& text, int tableRow) {
    const std::string typed = text.toStdString();
    if (const std::optional<SetProblem> problem =
            OrvPageLogic::CellProblem(static_cast<std::size_t>(tableRow), typed)) {
        Prompts::Current().ShowMessage(kMessageCaption, problem->PageText(Owner().English()),
                                       PromptIcon::Warning);
        return std::nullopt;
    }
    const FrequencyText::FrequencyVerdict verdict = OrvPageLogic::ValidateFrequency(typed);
    if (verdict.normalised.has_value()) {
        return QString::fromStdString(*verdict.normalised);
    }
    return std::nullopt;
}

OrvPageLogic::OrvSetInput COrvSettingsDlg::SetInput() const {
    const RadioSettings& settings = Settings();
    OrvPageLogic::OrvSetInput in;
    in.channels = settings.channels;
    in.cells = m_model->CellTexts();
    in.repeaterLayout = RepeaterLayout();
    in.protocol = Protocol();
    if (const QComboBox* list = ModeList(in.protocol)) {
        in.modeIndex = Choice(list);
    }
    in.address = m_ui->addressEdit->text().toStdString();
    in.closeAddress = m_ui->closeAddressCheck->isChecked() ? 1 : 0;
    in.currentChannel = settings.orvCurrentChannel;
    in.portRateIndex = Choice(m_ui->portRateCombo);
    // S108 only when the QX page's power was edited and that page still exists.
    if (const std::optional<int> power = Owner().Pages().EditedQxPowerIndex()) {
        in.qxPowerEdited = true;
        in.qxPowerIndex = *power;
    }
    return in;
}

QStringList COrvSettingsDlg::EditedState() const {
    const OrvPageLogic::OrvSetInput in = SetInput();
    QStringList state{QString::number(in.repeaterLayout), QString::number(in.protocol),
                      QString::number(in.modeIndex),      QString::fromStdString(in.address),
                      QString::number(in.closeAddress),   QString::number(in.portRateIndex)};
    for (std::size_t row = 0; row < in.cells.size(); ++row) {
        if (OrvTableFile::IsEditableRow(row, in.repeaterLayout)) {
            state << QString::fromStdString(in.cells[row]);
        }
    }
    // An editor still open may hold text its cell has not taken yet.
    for (const QLineEdit* editor : m_ui->channelList->findChildren<QLineEdit*>("cellEdit")) {
        if (editor->isVisible() &&
            editor->text() != m_model->Cell(editor->property("cellRow").toInt(),
                                            editor->property("cellColumn").toInt())) {
            state << editor->text();
        }
    }
    return state;
}

PageSetPlan COrvSettingsDlg::PrepareSetPlan() {
    const OrvPageLogic::OrvSetPreparation preparation = OrvPageLogic::PrepareSet(SetInput());
    PageSetPlan plan;
    plan.family = FAMILY_ORV;
    plan.orv = preparation.plan;
    plan.problems = preparation.problems;
    return plan;
}

void COrvSettingsDlg::EnableWriteControls(bool enabled) {
    m_ui->setButton->setEnabled(enabled);
    m_ui->importButton->setEnabled(enabled);
    m_ui->importPlanButton->setEnabled(enabled);
    m_ui->settingsArea->setEnabled(enabled);
    m_ui->channelList->setEnabled(enabled);
}

void COrvSettingsDlg::OnExportList() {
    const bool english = Owner().English();
    const std::optional<std::string> path = Prompts::Current().ChooseSaveFile(
        {english ? "Export List" : "输出通道列表", kTableFilter, "导出频率", "tb"});
    if (!path.has_value()) {
        return;
    }
    const OrvTableFile::Frequencies hertz = OrvTableFile::ExportFrequencies(
        Settings().channels, m_model->CellTexts(), RepeaterLayout());
    const std::string text = OrvTableFile::EncodeFile(hertz);
    if (!WriteFileReadOnly(QString::fromStdString(*path),
                           QByteArray(text.data(), static_cast<qsizetype>(text.size())))) {
        Tell(Msg::kCannotOpenFile);
    }
}

void COrvSettingsDlg::OnImportList() {
    const bool english = Owner().English();
    const std::optional<std::string> path = Prompts::Current().ChooseOpenFile(
        {english ? "Import List" : "输入通道列表", kTableFilter, "", "tb"});
    if (!path.has_value()) {
        return;
    }
    // Read up to the bound; anything beyond it the table file's own check refuses.
    const WholeFile::ReadResult file = WholeFile::Read(QString::fromStdString(*path));
    if (file.failure == WholeFile::ReadFailure::CannotOpen ||
        file.failure == WholeFile::ReadFailure::CannotRead) {
        Tell(Msg::kCannotOpenFile);
        return;
    }
    const OrvTableFile::ReadResult table = OrvTableFile::ReadFile(file.bytes.toStdString());
    if (table.problem) {
        Prompts::Current().ShowMessage(kMessageCaption,
                                       OrvTableFile::RefusalMessage(*table.problem, english),
                                       PromptIcon::Warning);
        return;
    }
    COrvChannelModel::Cells cells = m_model->CellTexts();
    OrvTableFile::ImportIntoCells(table.record, RepeaterLayout(), cells);
    m_model->SetCells(cells);
}

// ---- Channel plans (CSV).

std::array<ChannelEntry, RadioSettings::kChannelRows> COrvSettingsDlg::ShownTable() const {
    std::array<ChannelEntry, RadioSettings::kChannelRows> table = Settings().channels;
    const COrvChannelModel::Cells cells = m_model->CellTexts();
    const bool repeater = RepeaterLayout();
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (OrvTableFile::IsShownRow(row, repeater)) {
            table[row].frequency = cells[row];
        }
    }
    return table;
}

bool COrvSettingsDlg::PlanCheckAllowsSet() {
    return Doc::PlanAllowsSet(
        PlanCheck::OrvPlan(ShownTable(), RepeaterLayout(), Settings().orvCurrentChannel),
        kMessageCaption, Owner().English());
}

void COrvSettingsDlg::OnExportPlan() {
    Doc::SavePlanAs(Doc::PlanWithNotes(ShownTable(), m_planNotes), kMessageCaption,
                    Owner().English());
}

void COrvSettingsDlg::OnImportPlan() {
    const std::optional<ChannelPlanCsv::Plan> plan =
        Doc::OpenPlan(FAMILY_ORV, kMessageCaption, Owner().English());
    if (!plan) {
        return;
    }
    const bool repeater = RepeaterLayout();
    std::array<ChannelEntry, RadioSettings::kChannelRows> table = ShownTable();
    const std::vector<std::size_t> left = Doc::ApplyOrvPlan(*plan, repeater, false, table);
    COrvChannelModel::Cells cells = m_model->CellTexts();
    for (std::size_t row = 0; row < cells.size(); ++row) {
        if (OrvTableFile::IsEditableRow(row, repeater)) {
            cells[row] = table[row].frequency;
        }
    }
    m_model->SetCells(cells);
    m_planNotes = Doc::NotesOf(*plan);
    Doc::TellPlanImported(PlanCheck::OrvPlan(table, repeater, Settings().orvCurrentChannel), *plan,
                          left, kMessageCaption, Owner().English());
}
