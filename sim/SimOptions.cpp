#include "sim/SimOptions.h"

#include "base/Version.h"
#include "sim/SimState.h"
#include "sim/SimStateFile.h"

#include <QCommandLineParser>

#include <cctype>
#include <utility>

namespace {

bool ParseCount(const QString& text, int lowest, int* value, int highest = 1 << 30) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < lowest || v > highest) {
        return false;
    }
    *value = v;
    return true;
}

// "ff 00 a5" or "ff00a5".
bool ParseHex(const QString& text, std::string* bytes) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        return false;
    }
    std::string out;
    for (int i = 0; i < digits.size(); i += 2) {
        // Two hex digits each: toInt alone would take "-1" or "+f" as a byte.
        const auto hex = [](QChar c) { return c.unicode() < 128 && std::isxdigit(c.unicode()); };
        if (!hex(digits.at(i)) || !hex(digits.at(i + 1))) {
            return false;
        }
        const int byte = digits.mid(i, 2).toInt(nullptr, 16);
        out += static_cast<char>(byte);
    }
    *bytes = out;
    return true;
}

} // namespace

SimOptionsResult ParseSimOptions(const QStringList& arguments, SimOptions* options,
                                 QString* message) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated ORV or QX radio on a pseudo-terminal. The first line on "
                       "standard output is the device it serves. Press Enter to switch the "
                       "radio off and on."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption family(QStringLiteral("family"),
                                    QStringLiteral("Radio family: orv or qx (required)."),
                                    QStringLiteral("orv|qx"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("The radio's own serial rate (default: from "
                                                 "the state file, else 9600)."),
                                  QStringLiteral("baud"));
    const QCommandLineOption state(QStringLiteral("state"),
                                   QStringLiteral("Keep the radio's saved settings in this "
                                                  "JSON file across runs."),
                                   QStringLiteral("file"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Log every byte in and out with its time."),
                                 QStringLiteral("file"));
    const QCommandLineOption delay(QStringLiteral("announce-delay"),
                                   QStringLiteral("Wait this long after the tool has opened the "
                                                  "port and listens (has discarded its input) "
                                                  "before the radio announces itself (default "
                                                  "1000, scaled by ORVCONF_TIME_SCALE)."),
                                   QStringLiteral("ms"));
    const QCommandLineOption manualPower(
        QStringLiteral("manual-power"),
        QStringLiteral("Announce only after Enter switches the radio on (at once if the tool "
                       "listens, else when it next does), never by itself when the tool opens "
                       "the port."));
    const QCommandLineOption noPace(QStringLiteral("no-pace"),
                                    QStringLiteral("Send as fast as possible instead of at the "
                                                   "line rate."));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Fault: send these bytes (hex, e.g. ff00a5) "
                                                  "in front of replies."),
                                   QStringLiteral("hex"));
    const QCommandLineOption noiseOn(QStringLiteral("noise-on"),
                                     QStringLiteral("Fault: only in front of the answer to "
                                                    "commands starting with this (e.g. "
                                                    "ATS186?)."),
                                     QStringLiteral("command"));
    const QCommandLineOption valueNoise(QStringLiteral("value-noise"),
                                        QStringLiteral("Fault: put these bytes (hex) where the "
                                                       "value of a register read starts."),
                                        QStringLiteral("hex"));
    const QCommandLineOption valueNoiseOn(QStringLiteral("value-noise-on"),
                                          QStringLiteral("Fault: only in the answer to register "
                                                         "reads starting with this (e.g. "
                                                         "ATS132?)."),
                                          QStringLiteral("command"));
    const QCommandLineOption powerOnNoise(QStringLiteral("power-on-noise"),
                                          QStringLiteral("Fault: send these bytes (hex) in front "
                                                         "of the power-on announcement only."),
                                          QStringLiteral("hex"));
    const QCommandLineOption resetOn(QStringLiteral("reset-on"),
                                     QStringLiteral("Fault: restart on commands starting with "
                                                    "this, answering with the start answer."),
                                     QStringLiteral("command"));
    const QCommandLineOption listingNoise(QStringLiteral("listing-noise"),
                                          QStringLiteral("Fault: put these bytes (hex) into the "
                                                         "first line of the channel listing."),
                                          QStringLiteral("hex"));
    const QCommandLineOption listingEmptyLine(QStringLiteral("listing-empty-line"),
                                              QStringLiteral("Fault: end the channel listing "
                                                             "with an empty line."));
    const QCommandLineOption errorOn(QStringLiteral("error-on"),
                                     QStringLiteral("Fault: answer commands starting with this "
                                                    "with ERROR."),
                                     QStringLiteral("command"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Fault: stop answering after this many "
                                                        "replies."),
                                         QStringLiteral("n"));
    const QCommandLineOption silentOn(QStringLiteral("silent-on"),
                                      QStringLiteral("Fault: stop answering from the first "
                                                     "command starting with this."),
                                      QStringLiteral("command"));
    const QCommandLineOption truncate(QStringLiteral("truncate-listing"),
                                      QStringLiteral("Fault: cut the channel listing off after "
                                                     "this many bytes."),
                                      QStringLiteral("bytes"));
    const QCommandLineOption extraLines(QStringLiteral("extra-listing-lines"),
                                        QStringLiteral("Fault: list this many lines beyond the "
                                                       "64 channels."),
                                        QStringLiteral("n"));
    // One spoiled reply, picked by its number since the radio's power-on.
    const QCommandLineOption stepFault(
        QStringLiteral("fault"),
        QStringLiteral("Fault: spoil the reply --fault-at names: error (ERROR instead), silence "
                       "(no reply, none after it), noise (bytes in front), cut (half of it), "
                       "overlong (filler in its middle, longer than any answer), vanish (the "
                       "port is closed under the tool and the program ends); or misbehave "
                       "where that reply is due: skip-prompt (a prompt of the channel dialogue "
                       "left out, its field kept, the next one asked), repeat-prompt (the "
                       "answer not taken, its prompt asked again), change-digit (a register "
                       "write taken with the last digit of its value changed, and echoed so)."),
        QStringLiteral("kind"));
    const QCommandLineOption stepFaultAt(
        QStringLiteral("fault-at"),
        QStringLiteral("The reply --fault spoils: 0 the power-on announcement, n the n-th reply "
                       "after it (default 0)."),
        QStringLiteral("n"));
    parser.addOptions({stepFault, stepFaultAt});
    parser.addOptions({help,         family,       rate,       state,        log,
                       delay,        noPace,       noise,      noiseOn,      valueNoise,
                       valueNoiseOn, powerOnNoise, errorOn,    resetOn,      silentAfter,
                       silentOn,     truncate,     extraLines, listingNoise, listingEmptyLine});
    const QCommandLineOption dropChannel(QStringLiteral("drop-channel"),
                                         QStringLiteral("Fault: acknowledge the write of this "
                                                        "channel but keep what it held."),
                                         QStringLiteral("n"));
    parser.addOption(dropChannel);
    const QCommandLineOption presetKeeps(
        QStringLiteral("preset-keeps"),
        QStringLiteral("The factory presets leave these registers as they are (comma-separated "
                       "register numbers, e.g. 141): a radio whose presets set fewer registers."),
        QStringLiteral("registers"));
    parser.addOption(presetKeeps);
    parser.addOption(manualPower);
    const QCommandLineOption version = parser.addVersionOption();

    auto fail = [message](const QString& text) {
        *message = text;
        return SimOptionsResult::Error;
    };
    if (!parser.parse(arguments)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("orvconf-sim %1\n%2")
                       .arg(QLatin1String(kOrvconfVersion), QLatin1String(kOrvconfVersionNotice));
        return SimOptionsResult::Help;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return SimOptionsResult::Help;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail(QStringLiteral("unexpected argument \"%1\"")
                        .arg(parser.positionalArguments().constFirst()));
    }

    // An empty value would quietly switch the option off (or, for a command, match them all).
    for (const QCommandLineOption* option : {&state, &log}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty()) {
            return fail(QStringLiteral("--%1 needs a file name").arg(option->names().constFirst()));
        }
    }
    for (const QCommandLineOption* option :
         {&noiseOn, &valueNoiseOn, &resetOn, &errorOn, &silentOn}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty()) {
            return fail(QStringLiteral("--%1 needs the start of a command, such as ATS104?")
                            .arg(option->names().constFirst()));
        }
    }

    SimOptions result;
    if (!parser.isSet(family)) {
        return fail(QStringLiteral("--family orv|qx is required"));
    }
    result.family = SimFamilyOfName(parser.value(family));
    if (result.family < 0) {
        return fail(
            QStringLiteral("--family must be orv or qx, not \"%1\"").arg(parser.value(family)));
    }
    if (parser.isSet(rate)) {
        if (!ParseCount(parser.value(rate), 1, &result.baud) ||
            SimRateRegisterOfBaud(result.family, result.baud) < 0) {
            return fail(result.family == FAMILY_ORV
                            ? QStringLiteral("--rate: an ORV radio runs at 230400, 115200, "
                                             "57600, 38400, 28800, 19200, 14400, 9600 or 4800")
                            : QStringLiteral("--rate: a QX module runs at 230400, 115200, "
                                             "57600, 38400, 28800, 19200, 14400, 9600, 7200, "
                                             "4800, 3600, 2400, 1200, 600 or 300"));
        }
    }
    result.statePath = parser.value(state);
    result.logPath = parser.value(log);
    if (parser.isSet(delay) && !ParseCount(parser.value(delay), 0, &result.announceDelayMs)) {
        return fail(QStringLiteral("--announce-delay needs a number of milliseconds"));
    }
    result.pace = !parser.isSet(noPace);
    result.manualPower = parser.isSet(manualPower);

    SimFaults& faults = result.faults;
    if (parser.isSet(noise) && !ParseHex(parser.value(noise), &faults.noise)) {
        return fail(QStringLiteral("--noise needs bytes in hex, such as ff00a5"));
    }
    faults.noiseOn = parser.value(noiseOn).toStdString();
    const std::pair<const QCommandLineOption*, std::string*> hexFaults[] = {
        {&valueNoise, &faults.valueNoise},
        {&powerOnNoise, &faults.powerOnNoise},
        {&listingNoise, &faults.listingNoise}};
    for (const auto& [option, bytes] : hexFaults) {
        if (parser.isSet(*option) && !ParseHex(parser.value(*option), bytes)) {
            return fail(QStringLiteral("--%1 needs bytes in hex, such as ff00a5")
                            .arg(option->names().constFirst()));
        }
    }
    faults.valueNoiseOn = parser.value(valueNoiseOn).toStdString();
    faults.resetOn = parser.value(resetOn).toStdString();
    faults.listingEmptyLine = parser.isSet(listingEmptyLine);
    faults.errorOn = parser.value(errorOn).toStdString();
    faults.silentOn = parser.value(silentOn).toStdString();
    if (parser.isSet(silentAfter) &&
        !ParseCount(parser.value(silentAfter), 0, &faults.silentAfter)) {
        return fail(QStringLiteral("--silent-after needs a number of replies"));
    }
    if (parser.isSet(truncate) &&
        !ParseCount(parser.value(truncate), 0, &faults.truncateListingAt)) {
        return fail(QStringLiteral("--truncate-listing needs a number of bytes"));
    }
    if (parser.isSet(extraLines) &&
        !ParseCount(parser.value(extraLines), 0, &faults.extraListingLines, 1000)) {
        return fail(QStringLiteral("--extra-listing-lines needs a number of lines up to 1000"));
    }
    if (parser.isSet(dropChannel) &&
        !ParseCount(parser.value(dropChannel), 0, &faults.dropChannel, SimState::kChannels - 1)) {
        return fail(QStringLiteral("--drop-channel needs a channel number from 0 to 63"));
    }
    if (parser.isSet(presetKeeps)) {
        for (const QString& number : parser.value(presetKeeps).split(QLatin1Char(','))) {
            int reg = 0;
            if (!ParseCount(number.trimmed(), 100, &reg, 299)) {
                return fail(QStringLiteral("--preset-keeps needs register numbers such as 141, "
                                           "not \"%1\"")
                                .arg(number));
            }
            faults.presetKeeps.push_back(reg);
        }
    }
    if (parser.isSet(stepFault)) {
        const std::string name = parser.value(stepFault).trimmed().toLower().toStdString();
        for (const SimStepFaultName& known : kSimStepFaultNames) {
            if (known.name == name) {
                faults.stepFault = known.fault;
            }
        }
        if (faults.stepFault == SimStepFault::None) {
            return fail(QStringLiteral("--fault must be error, silence, noise, cut, overlong, "
                                       "vanish, skip-prompt, repeat-prompt or change-digit, not "
                                       "\"%1\"")
                            .arg(parser.value(stepFault)));
        }
    }
    if (parser.isSet(stepFaultAt) &&
        !ParseCount(parser.value(stepFaultAt), 0, &faults.stepFaultAt)) {
        return fail(QStringLiteral("--fault-at needs a reply number, 0 or more"));
    }
    *options = result;
    return SimOptionsResult::Run;
}
