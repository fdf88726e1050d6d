#include "cli/DoctorCommand.h"

#include "cli/CliCommands.h"

namespace Cli {

int CDoctorCommand::Execute(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption port(
        "port", "A port name as 'ports' lists it (ttyUSB0, pts/4) or a device path.", "NAME");
    const QCommandLineOption language("language",
                                      "Report in English (en, the default) or in "
                                      "Chinese (zh).",
                                      "en|zh");
    parser.addOptions({port, language});
    const Syntax syntax{
        QStringLiteral("[--port NAME] [--language en|zh]"),
        QStringLiteral("Checks why a serial port cannot be opened: whether the device exists, "
                       "the permission to use it, another program holding it, ModemManager "
                       "probing it and brltty taking the adapter. Without --port, only "
                       "ModemManager and brltty are checked."),
        ExitStatusHelp({kReadComplete, kUsage, kPortUnavailable, kOutputFailed},
                       QStringLiteral("nothing in the way (warnings allowed)"),
                       QStringLiteral("2 is given when a problem keeps the port from being "
                                      "used.")),
        {{"port", "--port needs a port name"}, {"language", "--language must be en or zh"}}};
    if (const std::optional<int> done = Parse(parser, syntax, args)) {
        return *done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return UsageError(
            QStringLiteral("unknown option %1").arg(parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(port) && parser.value(port).isEmpty()) {
        return UsageError(syntax.missingValue["port"]);
    }
    const QString languageName = parser.value(language);
    if (parser.isSet(language) && languageName != "en" && languageName != "zh") {
        return UsageError(syntax.missingValue["language"]);
    }
    const bool english = languageName != "zh";

    const std::string portName = parser.value(port).toStdString();
    const std::vector<PortDoctor::Finding> findings = portName.empty()
                                                          ? PortDoctor::ExamineSystem(m_system)
                                                          : PortDoctor::Examine(m_system, portName);
    if (!portName.empty()) {
        Out() << (english ? "Port " : "串口 ")
              << QString::fromStdString(PortDoctor::DevicePath(portName)) << '\n';
    }
    bool problem = false;
    for (const PortDoctor::Finding& finding : findings) {
        problem = problem || finding.verdict == PortDoctor::Verdict::Problem;
        // Check, verdict and finding on one line, the fix indented below it.
        Out() << "  " << PortDoctor::CheckName(finding.check, english) << (english ? ": " : "：")
              << PortDoctor::VerdictName(finding.verdict, english) << (english ? ". " : "。")
              << QString::fromStdString(english ? finding.english : finding.chinese) << '\n';
        const std::string& fix = english ? finding.fixEnglish : finding.fixChinese;
        if (!fix.empty()) {
            Out() << "    " << (english ? "Fix: " : "解决：") << QString::fromStdString(fix)
                  << '\n';
        }
    }
    return problem ? kPortUnavailable : kReadComplete;
}

} // namespace Cli
