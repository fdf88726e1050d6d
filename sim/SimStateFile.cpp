#include "sim/SimStateFile.h"

#include "base/WholeFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char* const kBandwidths[] = {"6.25", "12.5", "25"};
const char* const kDirections[] = {"Rx", "Tx", "Rx&Tx"};

int IndexOf(const char* const (&names)[3], const QString& text) {
    for (int i = 0; i < 3; ++i) {
        if (text == QLatin1String(names[i])) {
            return i;
        }
    }
    return -1;
}

bool WholeNumber(const QJsonValue& value, double lowest, double highest, long long* out) {
    if (!value.isDouble()) {
        return false;
    }
    const double d = value.toDouble();
    if (d < lowest || d > highest || d != static_cast<double>(static_cast<long long>(d))) {
        return false;
    }
    *out = static_cast<long long>(d);
    return true;
}

} // namespace

QString SimFamilyName(int family) {
    return family == FAMILY_ORV ? QStringLiteral("orv") : QStringLiteral("qx");
}

int SimFamilyOfName(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("orv")) {
        return FAMILY_ORV;
    }
    if (n == QLatin1String("qx")) {
        return FAMILY_QX;
    }
    return -1;
}

QByteArray SimStateToJson(const SimState& state) {
    QJsonObject registers;
    for (const auto& [reg, value] : state.registers) {
        registers.insert(QStringLiteral("S%1").arg(reg), value);
    }
    QJsonArray channels;
    for (int n = 0; n < SimState::kChannels; ++n) {
        const SimChannel& c = state.channels[static_cast<std::size_t>(n)];
        if (!c.programmed) {
            continue;
        }
        QJsonObject o;
        o.insert(QStringLiteral("channel"), n);
        o.insert(QStringLiteral("frequencyHz"), static_cast<double>(c.frequencyHz));
        o.insert(QStringLiteral("bandwidthKHz"), QLatin1String(kBandwidths[c.bandwidth]));
        o.insert(QStringLiteral("direction"), QLatin1String(kDirections[c.direction]));
        channels.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("family"), SimFamilyName(state.family));
    if (state.family == FAMILY_ORV) {
        root.insert(QStringLiteral("currentChannel"), state.currentChannel);
    }
    root.insert(QStringLiteral("registers"), registers);
    root.insert(QStringLiteral("channels"), channels);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool SimStateFromJson(const QByteArray& json, SimState* state, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull() || !doc.isObject()) {
        *error = parseError.error != QJsonParseError::NoError
                     ? QStringLiteral("not valid JSON (%1 at offset %2)")
                           .arg(parseError.errorString())
                           .arg(parseError.offset)
                     : QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject root = doc.object();
    SimState result;
    result.family = SimFamilyOfName(root.value(QStringLiteral("family")).toString());
    if (result.family < 0) {
        *error = QStringLiteral("\"family\" must be \"orv\" or \"qx\"");
        return false;
    }
    // Registers the file leaves out keep their factory values.
    const SimState defaults = DefaultSimState(result.family);
    result.currentChannel = defaults.currentChannel;
    result.registers = defaults.registers;
    if (root.contains(QStringLiteral("currentChannel"))) {
        long long current = 0;
        if (!WholeNumber(root.value(QStringLiteral("currentChannel")), 0, 99, &current)) {
            *error = QStringLiteral("\"currentChannel\" must be a whole number");
            return false;
        }
        result.currentChannel = static_cast<int>(current);
    }

    const QJsonValue registers = root.value(QStringLiteral("registers"));
    if (!registers.isObject()) {
        *error = QStringLiteral("\"registers\" must be an object such as {\"S105\": 12}");
        return false;
    }
    const QJsonObject regs = registers.toObject();
    for (auto it = regs.begin(); it != regs.end(); ++it) {
        bool numbered = false;
        const int reg = it.key().startsWith(QLatin1Char('S'), Qt::CaseInsensitive)
                            ? it.key().mid(1).toInt(&numbered)
                            : 0;
        long long value = 0;
        if (!numbered) {
            *error = QStringLiteral("register name \"%1\" is not of the form S105").arg(it.key());
            return false;
        }
        if (!WholeNumber(it.value(), -1e9, 1e9, &value)) {
            *error = QStringLiteral("register %1 must hold a whole number").arg(it.key());
            return false;
        }
        result.registers[reg] = static_cast<int>(value);
    }

    const QJsonValue channels = root.value(QStringLiteral("channels"));
    if (!channels.isUndefined() && !channels.isArray()) {
        *error = QStringLiteral("\"channels\" must be a list");
        return false;
    }
    for (const QJsonValue& item : channels.toArray()) {
        const QJsonObject o = item.toObject();
        long long n = 0;
        long long hz = 0;
        if (!WholeNumber(o.value(QStringLiteral("channel")), 0, SimState::kChannels - 1, &n)) {
            *error = QStringLiteral("a channel entry needs \"channel\" 0..63");
            return false;
        }
        SimChannel& c = result.channels[static_cast<std::size_t>(n)];
        if (c.programmed) {
            *error = QStringLiteral("channel %1 is listed twice").arg(n);
            return false;
        }
        if (!WholeNumber(o.value(QStringLiteral("frequencyHz")), 0, 1e12, &hz)) {
            *error = QStringLiteral("channel %1 needs \"frequencyHz\" in whole hertz").arg(n);
            return false;
        }
        c.programmed = true;
        c.frequencyHz = hz;
        c.bandwidth = IndexOf(kBandwidths, o.value(QStringLiteral("bandwidthKHz")).toString());
        c.direction = IndexOf(kDirections, o.value(QStringLiteral("direction")).toString());
        if (c.bandwidth < 0) {
            *error = QStringLiteral("channel %1: \"bandwidthKHz\" must be \"6.25\", \"12.5\" or "
                                    "\"25\"")
                         .arg(n);
            return false;
        }
        if (c.direction < 0) {
            *error = QStringLiteral("channel %1: \"direction\" must be \"Rx\", \"Tx\" or \"Rx&Tx\"")
                         .arg(n);
            return false;
        }
    }

    std::string why;
    if (!ValidateSimState(result, &why)) {
        *error = QString::fromStdString(why);
        return false;
    }
    *state = result;
    return true;
}

bool LoadSimStateFile(const QString& path, SimState* state, QString* error) {
    // A state file is a few kilobytes; anything far larger is not one.
    const WholeFile::ReadResult in = WholeFile::Read(path);
    if (!in.Ok()) {
        *error = WholeFile::ReadFailureText(in, path, true);
        return false;
    }
    QString why;
    if (!SimStateFromJson(in.bytes, state, &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

bool SaveSimStateFile(const QString& path, const SimState& state, QString* error) {
    const QString reason = WholeFile::Write(path, SimStateToJson(state));
    if (!reason.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return true;
}
