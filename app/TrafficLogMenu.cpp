#include "app/TrafficLogMenu.h"

#include "base/Prompts.h"
#include "base/WholeFile.h"
#include "connect/RadioSession.h"
#include "connect/pages/Messages.h"
#include "serial/TrafficLog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QWidget>

namespace TrafficLogMenu {

namespace {

// A child of the window: destroyed after the window's members, so the session's port can still
// record its close into it.
class CLogHolder : public QObject {
public:
    using QObject::QObject;
    CTrafficLog log;
};

void Tell(const std::string& text, PromptIcon icon) {
    Prompts::Current().ShowMessage(kMessageCaption, text, icon);
}

void Save(const CTrafficLog& log, bool english) {
    const QByteArray text = log.Text();
    if (text.isEmpty()) {
        Tell(english ? "Nothing has been sent or received yet." : "还没有通信记录。",
             PromptIcon::Information);
        return;
    }
    const QString suggested =
        QDir::home().filePath(QStringLiteral("orvconf-traffic-%1.txt")
                                  .arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss")));
    const std::optional<std::string> chosen = Prompts::Current().ChooseSaveFile(
        {QCoreApplication::translate("CMainDlg", "保存通信记录").toStdString(),
         QCoreApplication::translate("CMainDlg", "文本文件 (*.txt)").toStdString(),
         suggested.toStdString(), "txt"});
    if (!chosen) {
        return;
    }
    const QString path = QString::fromStdString(*chosen);
    const QString failure = WholeFile::Write(path, text);
    if (!failure.isEmpty()) {
        const std::string reason = failure.toStdString();
        Tell(english ? "Cannot save the traffic log to " + path.toStdString() + ": " + reason
                     : "无法保存通信记录到 " + path.toStdString() + "：" + reason,
             PromptIcon::Warning);
    }
}

} // namespace

void Install(QWidget& window, QWidget& menu, CRadioSession& session,
             std::function<bool()> english) {
    auto* holder = new CLogHolder(&window);
    session.SetTrafficLog(&holder->log);
    auto* action = new QAction(QCoreApplication::translate("CMainDlg", "保存通信记录…"), &menu);
    action->setObjectName(QStringLiteral("saveTrafficAction"));
    QObject::connect(action, &QAction::triggered, holder,
                     [holder, english] { Save(holder->log, english()); });
    menu.addAction(action);
}

} // namespace TrafficLogMenu
