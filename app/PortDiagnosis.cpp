#include "app/PortDiagnosis.h"

#include "base/Prompts.h"
#include "connect/pages/Messages.h"
#include "serial/PortDoctor.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>

namespace PortDiagnosis {

namespace {

void ShowReport(const QString& port, bool english) {
    const std::string name = port.trimmed().toStdString();
    const auto findings = name.empty() ? PortDoctor::ExamineSystem(PortDoctor::HostSystem())
                                       : PortDoctor::Examine(PortDoctor::HostSystem(), name);
    std::string text = name.empty()
                           ? std::string()
                           : (english ? "Port " : "串口 ") + PortDoctor::DevicePath(name) + "\n\n";
    text += PortDoctor::Report(findings, english);
    Prompts::Current().ShowMessage(kMessageCaption, text, PromptIcon::Information);
}

} // namespace

void AddEntry(QComboBox& portCombo, std::function<bool()> english) {
    auto* action = new QAction(QCoreApplication::translate("CMainDlg", "端口诊断…"), &portCombo);
    action->setObjectName(QStringLiteral("portDiagnosisAction"));
    QComboBox* combo = &portCombo;
    QObject::connect(action, &QAction::triggered, combo,
                     [combo, english] { ShowReport(combo->currentText(), english()); });
    combo->addAction(action);
    combo->setContextMenuPolicy(Qt::ActionsContextMenu);
    if (QLineEdit* edit = combo->lineEdit()) {
        // The text field keeps its editing commands and gets the entry below them.
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(edit, &QWidget::customContextMenuRequested, edit,
                         [edit, action](const QPoint& at) {
                             QMenu* menu = edit->createStandardContextMenu();
                             menu->addSeparator();
                             menu->addAction(action);
                             menu->exec(edit->mapToGlobal(at));
                             delete menu;
                         });
    }
}

void TellWhyNotOpened(const QString& port, bool english) {
    const std::string name = port.trimmed().toStdString();
    if (name.empty()) {
        return;
    }
    const std::string summary =
        PortDoctor::Summary(PortDoctor::Examine(PortDoctor::HostSystem(), name), english, false);
    if (!summary.empty()) {
        Prompts::Current().ShowMessage(kMessageCaption, summary, PromptIcon::Warning);
    }
}

} // namespace PortDiagnosis
