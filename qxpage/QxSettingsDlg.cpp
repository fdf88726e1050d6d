#include "qxpage/QxSettingsDlg.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/Pages.h"
#include "document/PlanDocument.h"
#include "document/PlanPrompts.h"
#include "qxpage/QxCellDelegate.h"
#include "qxpage/QxChannelModel.h"
#include "settings/ValueNames.h"
#include "ui_QxSettingsDlg.h"

#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <span>

namespace {

constexpr int kChannelItems = 64;
constexpr int kColumnWidths[] = {60, 130, 80, 80};
constexpr const char* kDefaultBandwidth = "25   KHz";
constexpr const char* kDefaultDirection = "Rx&Tx";

// What the dialogs have always said of an integer field that holds none.
constexpr Bilingual kNotInteger{"请输入一个整数。", "Please enter an integer."};

// The channel table files.
constexpr const char* kTableFilter = "文本文件(*.txt);;All Files(*)";

void Fill(QComboBox* list, std::span<const char* const> items) {
    for (const char* item : items) {
        list->addItem(QString::fromUtf8(item));
    }
}

// The lists name register values from the shared tables; the channel lists are numbers, filled
// when the page is initialised.
void NameValues(Ui::CQxSettingsDlg& ui) {
    const ValueNames::QxLists& names = ValueNames::Qx();
    Fill(ui.protocolCombo, names.protocols);
    Fill(ui.workModeCombo, names.workModes);
    Fill(ui.modulationCombo, names.modulations);
    Fill(ui.airRateCombo, names.airRates);
    Fill(ui.bandwidthCombo, names.bandwidths);
    Fill(ui.powerCombo, names.powers);
    Fill(ui.fecCombo, names.fecModes);
    Fill(ui.portRateCombo, names.portRates);
    Fill(ui.dataFormatCombo, names.dataFormats);
}

} // namespace

CQxSettingsDlg::CQxSettingsDlg(IPageOwner& owner, const RadioSettings& from)
    : CSettingsPage(owner, FAMILY_QX, from), m_ui(std::make_unique<Ui::CQxSettingsDlg>()) {
    m_ui->setupUi(this);
    NameValues(*m_ui);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon128-16.png")));

    m_model = new CQxChannelModel(this);
    m_ui->channelList->setModel(m_model);
    m_delegate = new CQxCellDelegate(*m_ui->channelList);
    m_ui->channelList->setItemDelegate(m_delegate);
    connect(m_delegate, &CQxCellDelegate::frequencyCommitted, this,
            &CQxSettingsDlg::OnFrequencyCommitted, Qt::QueuedConnection);
    m_ui->channelList->viewport()->installEventFilter(this);
    m_ui->channelList->installEventFilter(this);

    // A user's choice only: the page's own exchange never re-enters these.
    for (QComboBox* combo :
         {m_ui->portRateCombo, m_ui->airRateCombo, m_ui->modulationCombo, m_ui->dataFormatCombo,
          m_ui->bandwidthCombo, m_ui->mainTxCombo, m_ui->repeaterTxCombo, m_ui->mainRxCombo,
          m_ui->repeaterRxCombo, m_ui->fecCombo}) {
        connect(combo, &QComboBox::activated, this, &CQxSettingsDlg::RefreshData);
    }
    connect(m_ui->unitAddressEdit, &QLineEdit::textEdited, this, &CQxSettingsDlg::RefreshData);
    connect(m_ui->powerCombo, &QComboBox::activated, this, &CQxSettingsDlg::OnSelchangePower);
    connect(m_ui->protocolCombo, &QComboBox::activated, this, &CQxSettingsDlg::OnSelchangeProtocol);
    connect(m_ui->workModeCombo, &QComboBox::activated, this, &CQxSettingsDlg::OnSelchangeWorkMode);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnDeleteRow);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnClearList);
    connect(m_ui->importButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnImportList);
    connect(m_ui->exportButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnExportList);
    connect(m_ui->importPlanButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnImportPlan);
    connect(m_ui->exportPlanButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnExportPlan);
    connect(m_ui->setButton, &QPushButton::clicked, this, &CSettingsPage::OnSet);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &CQxSettingsDlg::OnExitSettings);
}

CQxSettingsDlg::~CQxSettingsDlg() = default;

QTableView& CQxSettingsDlg::ChannelList() {
    return *m_ui->channelList;
}

void CQxSettingsDlg::OnInitDialog() {
    for (QComboBox* combo :
         {m_ui->mainRxCombo, m_ui->mainTxCombo, m_ui->repeaterRxCombo, m_ui->repeaterTxCombo}) {
        for (int n = 0; n < kChannelItems; ++n) {
            combo->addItem(QString::number(n));
        }
    }
    ExchangeToControls(); // every combo box without a selection, the address 0
    m_ui->deleteButton->setEnabled(false);

    QTableView& list = *m_ui->channelList;
    list.verticalHeader()->hide();
    list.verticalHeader()->setDefaultSectionSize(list.fontMetrics().height() + 8);
    list.horizontalHeader()->setSectionsMovable(true);
    list.horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < CQxChannelModel::kColumns; ++column) {
        list.setColumnWidth(column, kColumnWidths[column]);
    }
    list.setFocus();
    list.setCurrentIndex(m_model->index(0, 0));
    list.scrollTo(m_model->index(0, 0));
}

// ---- The data exchange.

bool CQxSettingsDlg::ExchangeFromControls() {
    m_values.fecIndex = m_ui->fecCombo->currentIndex();
    bool whole = false;
    const int address = m_ui->unitAddressEdit->text().trimmed().toInt(&whole);
    if (!whole) {
        Tell(kNotInteger);
        m_ui->unitAddressEdit->setFocus();
        return false;
    }
    m_values.unitAddress = address;
    m_values.portRateIndex = m_ui->portRateCombo->currentIndex();
    m_values.mainTxIndex = m_ui->mainTxCombo->currentIndex();
    m_values.mainRxIndex = m_ui->mainRxCombo->currentIndex();
    m_values.repeaterRxIndex = m_ui->repeaterRxCombo->currentIndex();
    m_values.repeaterTxIndex = m_ui->repeaterTxCombo->currentIndex();
    m_values.protocolIndex = m_ui->protocolCombo->currentIndex();
    m_values.workModeIndex = m_ui->workModeCombo->currentIndex();
    m_values.modulationIndex = m_ui->modulationCombo->currentIndex();
    m_values.airRateIndex = m_ui->airRateCombo->currentIndex();
    m_values.bandwidthIndex = m_ui->bandwidthCombo->currentIndex();
    m_values.powerIndex = m_ui->powerCombo->currentIndex();
    m_values.dataFormatIndex = m_ui->dataFormatCombo->currentIndex();
    return true;
}

void CQxSettingsDlg::ExchangeToControls() {
    const auto show = [](QComboBox* combo, int index) {
        const QSignalBlocker blocker(combo);
        // A value without an item leaves the box without a selection.
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    };
    show(m_ui->fecCombo, m_values.fecIndex);
    {
        // The text as typed stays while it says the same number ("05").
        QLineEdit* edit = m_ui->unitAddressEdit;
        bool whole = false;
        const int shown = edit->text().trimmed().toInt(&whole);
        if (!whole || shown != m_values.unitAddress) {
            const QSignalBlocker blocker(edit);
            edit->setText(QString::number(m_values.unitAddress));
        }
    }
    show(m_ui->portRateCombo, m_values.portRateIndex);
    show(m_ui->mainTxCombo, m_values.mainTxIndex);
    show(m_ui->mainRxCombo, m_values.mainRxIndex);
    show(m_ui->repeaterRxCombo, m_values.repeaterRxIndex);
    show(m_ui->repeaterTxCombo, m_values.repeaterTxIndex);
    show(m_ui->protocolCombo, m_values.protocolIndex);
    show(m_ui->workModeCombo, m_values.workModeIndex);
    show(m_ui->modulationCombo, m_values.modulationIndex);
    show(m_ui->airRateCombo, m_values.airRateIndex);
    show(m_ui->bandwidthCombo, m_values.bandwidthIndex);
    show(m_ui->powerCombo, m_values.powerIndex);
    show(m_ui->dataFormatCombo, m_values.dataFormatIndex);
}

void CQxSettingsDlg::RefreshData() {
    // A failed exchange still runs the way back: the last valid address returns to the edit and
    // a selection just made is undone.
    ExchangeFromControls();
    ExchangeToControls();
}

// ---- Filling and the enabling rule.

void CQxSettingsDlg::FillFromSettings() {
    const RadioSettings& settings = Settings();
    ExchangeFromControls();
    m_values = QxPageLogic::ValuesFromRegisters(settings.qx);
    ApplyEnablingRule(settings.qx.s186, settings.qx.s101);
    ExchangeToControls();
    QxTableFile::ListRows rows{};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r] = settings.channels[r];
    }
    m_model->SetRows(rows);
}

void CQxSettingsDlg::ApplyEnablingRule(int protocol, int workMode) {
    const QxPageLogic::QxEnabling on =
        QxPageLogic::EnablingRule(protocol, workMode, Settings().qx.s141);
    m_ui->workModeCombo->setEnabled(on.workMode);
    m_ui->repeaterTxCombo->setEnabled(on.repeater);
    m_ui->repeaterRxCombo->setEnabled(on.repeater);
}

void CQxSettingsDlg::OnSelchangeProtocol() {
    RefreshData();
    // The work mode as the module reported it, whatever the page shows now.
    ApplyEnablingRule(m_values.protocolIndex, Settings().qx.s101);
}

void CQxSettingsDlg::OnSelchangeWorkMode() {
    RefreshData();
    const bool repeaterOn = m_values.workModeIndex != 2;
    m_ui->repeaterTxCombo->setEnabled(repeaterOn);
    m_ui->repeaterRxCombo->setEnabled(repeaterOn);
}

void CQxSettingsDlg::OnSelchangePower() {
    RefreshData();
    Owner().Pages().qxPowerEdited = true;
}

// ---- The channel list.

void CQxSettingsDlg::OnClickChannelList(const QPoint& pos) {
    QTableView& list = *m_ui->channelList;
    const QModelIndex cell = list.indexAt(pos);
    // A channel not in use takes the usual bandwidth and direction once it is touched.
    const int mark = list.currentIndex().row();
    if (m_model->RowEmpty(mark)) {
        m_model->SetText(mark, CQxChannelModel::kBandwidth, QString::fromLatin1(kDefaultBandwidth));
        m_model->SetText(mark, CQxChannelModel::kDirection, QString::fromLatin1(kDefaultDirection));
    }
    if (cell.isValid() && cell.column() != CQxChannelModel::kChannel && !WriteRunning()) {
        m_editRow = cell.row();
        m_editColumn = cell.column();
        list.edit(cell);
    }
    m_deleteOn = true;
    m_ui->deleteButton->setEnabled(!WriteRunning());
}

void CQxSettingsDlg::OnFrequencyCommitted(int row) {
    const QString text = m_model->Text(row, CQxChannelModel::kFrequency);
    if (const std::optional<QString> normalised = ValidateFrequency(text, row)) {
        m_model->SetText(row, CQxChannelModel::kFrequency, *normalised);
    }
}

std::optional<QString> CQxSettingsDlg::ValidateFrequency(const QString& text, int row) {
    const std::string typed = text.toStdString();
    if (const std::optional<SetProblem> problem =
            QxPageLogic::CellProblem(static_cast<std::size_t>(row), typed)) {
        // The check's own text is the same in both languages; the cell under it is not.
        const std::string& where =
            Owner().English() ? problem->whereEnglish : problem->whereChinese;
        Prompts::Current().ShowMessage(kMessageCaption, problem->chinese + "\n" + where,
                                       PromptIcon::Warning);
        return std::nullopt;
    }
    const FrequencyText::FrequencyVerdict verdict = QxPageLogic::ValidateFrequency(typed);
    if (verdict.normalised) {
        return QString::fromStdString(*verdict.normalised);
    }
    return std::nullopt;
}

void CQxSettingsDlg::OnDeleteRow() {
    const int mark = m_ui->channelList->currentIndex().row();
    if (mark >= 0) {
        m_model->ClearRow(mark);
    }
}

void CQxSettingsDlg::OnClearList() {
    m_model->ClearAll();
}

void CQxSettingsDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Commits an open editor; never reaches the dialog's default button or closes the page.
        m_delegate->CommitOpenEditor();
        event->accept();
        return;
    default:
        CPage::keyPressEvent(event);
    }
}

bool CQxSettingsDlg::eventFilter(QObject* object, QEvent* event) {
    QTableView& list = *m_ui->channelList;
    if (object == list.viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        QMetaObject::invokeMethod(
            this, [this, pos] { OnClickChannelList(pos); }, Qt::QueuedConnection);
    } else if (object == &list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && !list.currentIndex().isValid()) {
            // Arrows start from the first row when none is selected.
            list.setCurrentIndex(m_model->index(0, 0));
            list.scrollTo(m_model->index(0, 0));
        }
    }
    return CPage::eventFilter(object, event);
}

// ---- The channel table files.

void CQxSettingsDlg::OnExportList() {
    // The dialogs' titles are the same in both languages.
    const std::optional<std::string> name =
        Prompts::Current().ChooseSaveFile({"输出通道列表", kTableFilter, "", "txt"});
    if (!name) {
        return;
    }
    const std::string bytes = QxTableFile::EncodeFile(m_model->Rows());
    if (!WriteFileReadOnly(QString::fromStdString(*name),
                           QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())))) {
        Tell(Msg::kCannotOpenFile);
    }
}

void CQxSettingsDlg::OnImportList() {
    const std::optional<std::string> name =
        Prompts::Current().ChooseOpenFile({"输入通道列表", kTableFilter, "", "txt"});
    if (!name) {
        return;
    }
    // Read up to the bound; anything beyond it the table file's own check refuses.
    const WholeFile::ReadResult file = WholeFile::Read(QString::fromStdString(*name));
    if (file.failure == WholeFile::ReadFailure::CannotOpen ||
        file.failure == WholeFile::ReadFailure::CannotRead) {
        Tell(Msg::kCannotOpenFile);
        return;
    }
    // Applied to a copy, so that the list changes only once the file has been read.
    QxTableFile::ListRows rows = m_model->Rows();
    const QxTableFile::ImportReport report =
        QxTableFile::ImportFile(file.bytes.toStdString(), rows);
    const bool english = Owner().English();
    if (report.refused) {
        Prompts::Current().ShowMessage(kMessageCaption,
                                       QxTableFile::RefusalMessage(*report.refused, english),
                                       PromptIcon::Warning);
        return;
    }
    m_model->SetRows(rows);
    if (report.skipped > 0) {
        Prompts::Current().ShowMessage(
            kMessageCaption, QxTableFile::SkippedMessage(report, english), PromptIcon::Warning);
    }
}

// ---- Set and leaving.

std::vector<std::pair<QComboBox*, int>> CQxSettingsDlg::RegisterLists() const {
    return {{m_ui->protocolCombo, 186},  {m_ui->workModeCombo, 101},   {m_ui->modulationCombo, 127},
            {m_ui->airRateCombo, 103},   {m_ui->bandwidthCombo, 125},  {m_ui->mainTxCombo, 131},
            {m_ui->mainRxCombo, 132},    {m_ui->repeaterTxCombo, 191}, {m_ui->repeaterRxCombo, 192},
            {m_ui->powerCombo, 108},     {m_ui->fecCombo, 158},        {m_ui->portRateCombo, 102},
            {m_ui->dataFormatCombo, 110}};
}

QStringList CQxSettingsDlg::EditedState() const {
    // What the controls show: the members may still hold a value no list has (see the fill).
    QStringList state{m_ui->unitAddressEdit->text()};
    for (const auto& [list, reg] : RegisterLists()) {
        state << QString::number(list->currentIndex());
    }
    for (const ChannelEntry& row : m_model->Rows()) {
        state << QString::fromStdString(row.frequency) << QString::fromStdString(row.bandwidth)
              << QString::fromStdString(row.direction);
    }
    // An editor still open may hold text its cell has not taken yet.
    if (QWidget* editor = m_delegate->OpenEditor()) {
        const auto* combo = qobject_cast<const QComboBox*>(editor);
        const auto* edit = qobject_cast<const QLineEdit*>(editor);
        const QString typed = combo != nullptr  ? combo->currentText()
                              : edit != nullptr ? edit->text()
                                                : QString();
        if (typed != m_model->Text(editor->property("cellRow").toInt(),
                                   editor->property("cellColumn").toInt())) {
            state << typed;
        }
    }
    return state;
}

PageSetPlan CQxSettingsDlg::PrepareSetPlan() {
    m_delegate->CommitOpenEditor();
    QxPageLogic::QxSetInput input;
    input.rows = m_model->Rows();
    input.values = m_values;
    input.s141 = Settings().qx.s141;
    input.read = Settings().qx;
    for (const auto& [list, reg] : RegisterLists()) {
        // Whatever holds the whole page back for a moment (a write, a check) is not the rule's.
        if (!list->isEnabledTo(this)) {
            input.disabledRegisters.push_back(reg);
        }
    }
    const QxPageLogic::QxSetPreparation prepared = QxPageLogic::PrepareSet(input);
    PageSetPlan plan;
    plan.family = FAMILY_QX;
    plan.qx = prepared.plan;
    plan.problems = prepared.problems;
    return plan;
}

void CQxSettingsDlg::EnableWriteControls(bool enabled) {
    if (!enabled) {
        m_delegate->CommitOpenEditor();
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_ui->setButton, m_ui->channelList, m_ui->importButton,
                                         m_ui->clearButton, m_ui->importPlanButton}) {
        control->setEnabled(enabled);
    }
    m_ui->deleteButton->setEnabled(m_deleteOn && enabled);
}

std::optional<int> CQxSettingsDlg::EditedPowerIndex() const {
    if (Owner().Pages().qxPowerEdited) {
        return m_values.powerIndex;
    }
    return std::nullopt;
}

// ---- Channel plans (CSV).

PlanCheck::PlanInput CQxSettingsDlg::PlanCheckInput() const {
    // The repeater's channels count only while its lists are the user's to choose.
    const bool repeater = m_ui->repeaterTxCombo->isEnabledTo(this);
    return PlanCheck::QxPlan(m_model->Rows(), m_values.mainTxIndex, m_values.mainRxIndex,
                             m_values.repeaterTxIndex, m_values.repeaterRxIndex, repeater);
}

bool CQxSettingsDlg::PlanCheckAllowsSet() {
    return Doc::PlanAllowsSet(PlanCheckInput(), kMessageCaption, Owner().English());
}

void CQxSettingsDlg::OnExportPlan() {
    m_delegate->CommitOpenEditor();
    Doc::SavePlanAs(Doc::PlanWithNotes(m_model->Rows(), m_planNotes), kMessageCaption,
                    Owner().English());
}

void CQxSettingsDlg::OnImportPlan() {
    const std::optional<ChannelPlanCsv::Plan> plan =
        Doc::OpenPlan(FAMILY_QX, kMessageCaption, Owner().English());
    if (!plan) {
        return;
    }
    m_delegate->CommitOpenEditor();
    QxTableFile::ListRows rows = m_model->Rows();
    ChannelPlanCsv::ApplyTo(*plan, rows);
    m_model->SetRows(rows);
    m_planNotes = Doc::NotesOf(*plan);
    Doc::TellPlanImported(PlanCheckInput(), *plan, {}, kMessageCaption, Owner().English());
}
