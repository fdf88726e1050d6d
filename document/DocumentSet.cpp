#include "document/DocumentSet.h"

#include "base/WholeFile.h"
#include "orvpage/OrvTableFile.h"
#include "qxpage/QxTableFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstddef>

namespace Doc {
namespace {

// The pages name a problem of the whole mode or preset by what it is; a document holds it in
// the registers that choose it.
QString DocumentField(const std::string& field) {
    if (field == "mode") {
        return QStringLiteral("mode (orv.s128, orv.s186, orv.s127, orv.s103, orv.s141, orv.s101, "
                              "orv.s226)");
    }
    if (field == "preset") {
        return QStringLiteral("preset (qx.s186, qx.s101, qx.s103, qx.s125, qx.s141)");
    }
    return QString::fromStdString(field);
}

// The value a field has in the document, as the document writes it ("\"500\"", "19"), so that
// the user sees what was refused; empty for a field that names no single value.
QString ValueOf(const QJsonObject& document, const std::string& field) {
    static const QRegularExpression path(
        QStringLiteral(R"(^(?:channels\[(\d+)\]|(orv|qx))\.(\w+)$|^(orv\w+)$)"));
    const QRegularExpressionMatch m = path.match(QString::fromStdString(field));
    if (!m.hasMatch()) {
        return {};
    }
    QJsonValue value;
    if (!m.captured(4).isEmpty()) {
        value = document.value(m.captured(4));
    } else if (!m.captured(2).isEmpty()) {
        value = document.value(m.captured(2)).toObject().value(m.captured(3));
    } else {
        value = document.value(QStringLiteral("channels"))
                    .toArray()
                    .at(m.captured(1).toInt())
                    .toObject()
                    .value(m.captured(3));
    }
    if (value.isUndefined()) {
        return {};
    }
    // One JSON value on its own, without the array it is wrapped in to be written.
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QStringList ProblemTexts(const SettingsDocument& document,
                         const std::vector<SetProblem>& problems) {
    const QJsonObject json =
        QJsonDocument::fromJson(SettingsToJson(document.settings, document.family)).object();
    QStringList texts;
    for (const SetProblem& problem : problems) {
        const QString value = ValueOf(json, problem.field);
        texts << DocumentField(problem.field) + (value.isEmpty() ? "" : " " + value) + ": " +
                     QString::fromStdString(problem.english);
    }
    return texts;
}

} // namespace

bool OrvRepeaterLayoutOf(const RadioSettings& settings) {
    // A fresh page starts in the normal layout; a mode that names none leaves it there.
    return OrvPageLogic::ModeFromRegisters(settings.orv).repeaterLayout.value_or(false);
}

OrvPageLogic::OrvSetInput OrvSetInputOf(const RadioSettings& settings) {
    OrvPageLogic::OrvSetInput input;
    input.channels = settings.channels;
    for (std::size_t i = 0; i < input.cells.size(); ++i) {
        input.cells[i] = settings.channels[i].frequency;
    }
    const OrvPageLogic::ModeOnPage mode = OrvPageLogic::ModeFromRegisters(settings.orv);
    input.repeaterLayout = mode.repeaterLayout.value_or(false);
    // An unknown protocol checks no button: the page has no mode to write.
    input.protocol = mode.unknownProtocol ? -1 : mode.protocol;
    input.modeIndex = mode.unknownProtocol ? -1 : mode.modeIndex;
    input.address = settings.orv.s105;
    input.closeAddress = settings.orv.s190;
    input.currentChannel = settings.orvCurrentChannel;
    input.portRateIndex = OrvPageLogic::PortRateItem(settings.orvPortRate);
    // No QX page exists in an ORV write: S108 is not written.
    input.qxPowerEdited = false;
    return input;
}

QxPageLogic::QxSetInput QxSetInputOf(const RadioSettings& settings) {
    QxPageLogic::QxSetInput input;
    input.rows = settings.channels;
    input.values = QxPageLogic::ValuesFromRegisters(settings.qx);
    input.s141 = settings.qx.s141;
    // The lists a page filled from these registers would disable keep what the radio holds.
    input.read = settings.qx;
    input.disabledRegisters = QxPageLogic::DisabledByRule(settings.qx);
    return input;
}

PreparedWrite PrepareWrite(const SettingsDocument& document) {
    PreparedWrite prepared;
    prepared.family = document.family;
    if (document.family == FAMILY_ORV) {
        OrvPageLogic::OrvSetPreparation set =
            OrvPageLogic::PrepareSet(OrvSetInputOf(document.settings));
        prepared.orv = set.plan;
        prepared.problems = ProblemTexts(document, set.problems);
    } else {
        QxPageLogic::QxSetPreparation set =
            QxPageLogic::PrepareSet(QxSetInputOf(document.settings));
        prepared.qx = set.plan;
        prepared.problems = ProblemTexts(document, set.problems);
    }
    return prepared;
}

std::string TableFileOf(const SettingsDocument& document) {
    const RadioSettings& settings = document.settings;
    if (document.family == FAMILY_ORV) {
        const OrvPageLogic::OrvSetInput shown = OrvSetInputOf(settings);
        return OrvTableFile::EncodeFile(
            OrvTableFile::ExportFrequencies(settings.channels, shown.cells, shown.repeaterLayout));
    }
    return QxTableFile::EncodeFile(settings.channels);
}

TableImport ImportTableFile(const std::string& bytes, SettingsDocument& document) {
    RadioSettings& settings = document.settings;
    if (document.family == FAMILY_ORV) {
        const OrvTableFile::ReadResult file = OrvTableFile::ReadFile(bytes);
        if (file.problem) {
            return {QString::fromStdString(file.problem->english), {}};
        }
        OrvPageLogic::OrvSetInput shown = OrvSetInputOf(settings);
        OrvTableFile::ImportIntoCells(file.record, shown.repeaterLayout, shown.cells);
        for (std::size_t i = 0; i < shown.cells.size(); ++i) {
            settings.channels[i].frequency = shown.cells[i];
        }
        return {};
    }
    QxTableFile::ListRows rows = settings.channels;
    const QxTableFile::ImportReport report = QxTableFile::ImportFile(bytes, rows);
    if (report.refused) {
        return {QString::fromStdString(report.refused->english), {}};
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        settings.channels[i].frequency = rows[i].frequency;
        settings.channels[i].bandwidth = rows[i].bandwidth;
        settings.channels[i].direction = rows[i].direction;
    }
    return {{}, QString::fromStdString(QxTableFile::SkippedMessage(report, true))};
}

QStringList LayoutProblems(const SettingsDocument& document) {
    constexpr std::size_t kLastRow = RadioSettings::kChannelRows - 1;
    constexpr std::size_t kListedThere = 61;
    const RadioSettings& settings = document.settings;
    if (document.family != FAMILY_ORV || !OrvRepeaterLayoutOf(settings)) {
        return {};
    }
    // The channel text is the listing's own ("61"), not a value the radio holds.
    const ChannelEntry& last = settings.channels[kLastRow];
    const ChannelEntry& listed = settings.channels[kListedThere];
    if (last.frequency == listed.frequency && last.bandwidth == listed.bandwidth &&
        last.direction == listed.direction) {
        return {};
    }
    const auto values = [](const ChannelEntry& row) {
        return QStringLiteral("\"%1\", \"%2\", \"%3\"")
            .arg(QString::fromStdString(row.frequency), QString::fromStdString(row.bandwidth),
                 QString::fromStdString(row.direction));
    };
    return {QStringLiteral("channels[%1] %2: in the repeater layout row %1 holds what the radio "
                           "lists for channel %3 (%4), and the last slot receives on channel %3; "
                           "give it the values of channels[%3]")
                .arg(QString::number(kLastRow), values(last), QString::number(kListedThere),
                     values(listed))};
}

QString ReadDocumentFile(const QString& path, QByteArray* json) {
    const WholeFile::ReadResult file = WholeFile::Read(path);
    if (!file.Ok()) {
        return WholeFile::ReadFailureText(file, path, true);
    }
    *json = file.bytes;
    return {};
}

QStringList LoadDocument(const QString& path, RadioFamily family, SettingsDocument* document) {
    QByteArray json;
    if (const QString failure = ReadDocumentFile(path, &json); !failure.isEmpty()) {
        return {failure};
    }
    SettingsDocument read;
    QStringList problems = SettingsFromJson(json, &read);
    if (problems.isEmpty() && read.family != family) {
        problems << QStringLiteral("family: the document is for %1, not %2")
                        .arg(read.family == FAMILY_ORV ? "orv" : "qx",
                             family == FAMILY_ORV ? "orv" : "qx");
    }
    if (problems.isEmpty()) {
        problems = LayoutProblems(read);
    }
    if (problems.isEmpty()) {
        *document = read;
    }
    return problems;
}

SettingsDocument EmptyDocument(RadioFamily family) {
    SettingsDocument document;
    document.family = family;
    // A power-on report names a slot 1-16; the first is where a new radio starts.
    document.settings.orvCurrentChannel = 1;
    return document;
}

} // namespace Doc
