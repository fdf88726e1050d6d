#include "document/SettingsJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <optional>
#include <span>

namespace {

constexpr int kOrvLastRow = 63;
constexpr int kOrvLastRowListed = 61;

struct IntRegister {
    const char* name;
    int OrvRegisters::*orv;
    int QxRegisters::*qx;
};

// The registers in the order the radio is asked for them.
constexpr std::array<IntRegister, 8> kOrvInts{{
    {"s128", &OrvRegisters::s128, nullptr},
    {"s186", &OrvRegisters::s186, nullptr},
    {"s127", &OrvRegisters::s127, nullptr},
    {"s103", &OrvRegisters::s103, nullptr},
    {"s141", &OrvRegisters::s141, nullptr},
    {"s101", &OrvRegisters::s101, nullptr},
    {"s226", &OrvRegisters::s226, nullptr},
    {"s190", &OrvRegisters::s190, nullptr},
}};
constexpr const char* kOrvText = "s105"; // the one register the ORV radio answers as text

constexpr std::array<IntRegister, 15> kQxInts{{
    {"s186", nullptr, &QxRegisters::s186},
    {"s101", nullptr, &QxRegisters::s101},
    {"s127", nullptr, &QxRegisters::s127},
    {"s103", nullptr, &QxRegisters::s103},
    {"s141", nullptr, &QxRegisters::s141},
    {"s125", nullptr, &QxRegisters::s125},
    {"s131", nullptr, &QxRegisters::s131},
    {"s132", nullptr, &QxRegisters::s132},
    {"s191", nullptr, &QxRegisters::s191},
    {"s192", nullptr, &QxRegisters::s192},
    {"s105", nullptr, &QxRegisters::s105},
    {"s108", nullptr, &QxRegisters::s108},
    {"s158", nullptr, &QxRegisters::s158},
    {"s102", nullptr, &QxRegisters::s102},
    {"s110", nullptr, &QxRegisters::s110},
}};

// Optional: a channel plan's name and comment for the row.
constexpr const char* kChannelName = "name";
constexpr const char* kChannelComment = "comment";

constexpr std::array<const char*, 4> kChannelFields{"channel", "frequency", "bandwidth",
                                                    "direction"};

std::string ChannelEntry::*ChannelMember(int i) {
    static constexpr std::array<std::string ChannelEntry::*, 4> kMembers{
        &ChannelEntry::channel, &ChannelEntry::frequency, &ChannelEntry::bandwidth,
        &ChannelEntry::direction};
    return kMembers[static_cast<std::size_t>(i)];
}

// Length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

QString RadioText(const std::string& text) {
    QString out;
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out += QString::fromUtf8(text.data() + i, static_cast<qsizetype>(length));
            i += length;
        } else {
            // Plain ASCII, or a stray byte from the line kept visible as the character of its
            // value.
            out += QChar(static_cast<unsigned char>(text[i]));
            ++i;
        }
    }
    return out;
}

QJsonArray Channels(const RadioSettings& settings, const ChannelNotes* notes) {
    QJsonArray channels;
    for (std::size_t i = 0; i < settings.channels.size(); ++i) {
        const ChannelEntry& entry = settings.channels[i];
        QJsonObject row;
        for (int f = 0; f < static_cast<int>(kChannelFields.size()); ++f) {
            row.insert(QLatin1String(kChannelFields[static_cast<std::size_t>(f)]),
                       RadioText(entry.*ChannelMember(f)));
        }
        if (notes != nullptr) {
            const ChannelNote& note = (*notes)[i];
            if (!note.name.empty()) {
                row.insert(QLatin1String(kChannelName), QString::fromStdString(note.name));
            }
            if (!note.comment.empty()) {
                row.insert(QLatin1String(kChannelComment), QString::fromStdString(note.comment));
            }
        }
        channels.append(row);
    }
    return channels;
}

// Collects every bad field of a document while reading it.
class CDocumentReader {
public:
    QStringList problems;

    void Problem(const QString& field, const QString& text) { problems << field + ": " + text; }

    // Names every field of object that is not among known.
    void Unknown(const QJsonObject& object, const QStringList& known, const QString& prefix) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key())) {
                Problem(prefix + it.key(), QStringLiteral("unknown field"));
            }
        }
    }

    std::optional<QJsonValue> Field(const QJsonObject& object, const QString& key,
                                    const QString& path) {
        const auto it = object.find(key);
        if (it == object.end()) {
            Problem(path, QStringLiteral("missing"));
            return std::nullopt;
        }
        return *it;
    }

    void Int(const QJsonObject& object, const QString& key, const QString& path, int* into,
             int lowest = INT_MIN, int highest = INT_MAX) {
        const std::optional<QJsonValue> value = Field(object, key, path);
        if (!value) {
            return;
        }
        const double number = value->toDouble(std::nan(""));
        if (!value->isDouble() || std::floor(number) != number || number < lowest ||
            number > highest) {
            Problem(path, lowest == INT_MIN ? QStringLiteral("must be a whole number")
                                            : QStringLiteral("must be a whole number from %1 "
                                                             "to %2")
                                                  .arg(lowest)
                                                  .arg(highest));
            return;
        }
        *into = static_cast<int>(number);
    }

    void Text(const QJsonObject& object, const QString& key, const QString& path,
              std::string* into) {
        const std::optional<QJsonValue> value = Field(object, key, path);
        if (!value) {
            return;
        }
        if (!value->isString()) {
            Problem(path, QStringLiteral("must be a text"));
            return;
        }
        *into = value->toString().toUtf8().toStdString();
    }

    std::optional<QJsonObject> Object(const QJsonObject& object, const QString& key) {
        const std::optional<QJsonValue> value = Field(object, key, key);
        if (value && !value->isObject()) {
            Problem(key, QStringLiteral("must be an object"));
            return std::nullopt;
        }
        return value ? std::optional(value->toObject()) : std::nullopt;
    }

    void Registers(const QJsonObject& root, RadioFamily family, RadioSettings* settings) {
        const QString name = family == FAMILY_ORV ? QStringLiteral("orv") : QStringLiteral("qx");
        const std::optional<QJsonObject> registers = Object(root, name);
        if (!registers) {
            return;
        }
        QStringList known;
        const auto& table = family == FAMILY_ORV ? std::span<const IntRegister>(kOrvInts)
                                                 : std::span<const IntRegister>(kQxInts);
        for (const IntRegister& r : table) {
            const QString key = QLatin1String(r.name);
            known << key;
            int* into = family == FAMILY_ORV ? &(settings->orv.*r.orv) : &(settings->qx.*r.qx);
            Int(*registers, key, name + "." + key, into);
        }
        if (family == FAMILY_ORV) {
            known << QLatin1String(kOrvText);
            Text(*registers, QLatin1String(kOrvText), name + "." + kOrvText, &settings->orv.s105);
        }
        Unknown(*registers, known, name + ".");
    }

    void ChannelRows(const QJsonObject& root, bool orv, RadioSettings* settings,
                     ChannelNotes* notes) {
        const std::optional<QJsonValue> value =
            Field(root, QStringLiteral("channels"), QStringLiteral("channels"));
        if (!value) {
            return;
        }
        const QJsonArray rows = value->toArray();
        if (!value->isArray() || rows.size() != RadioSettings::kChannelRows) {
            Problem(
                QStringLiteral("channels"),
                QStringLiteral("must be a list of %1 channels").arg(RadioSettings::kChannelRows));
            return;
        }
        QStringList known;
        for (const char* field : kChannelFields) {
            known << QLatin1String(field);
        }
        for (int i = 0; i < RadioSettings::kChannelRows; ++i) {
            const QString path = QStringLiteral("channels[%1]").arg(i);
            if (!rows[i].isObject()) {
                Problem(path, QStringLiteral("must be an object"));
                continue;
            }
            const QJsonObject row = rows[i].toObject();
            ChannelEntry& entry = settings->channels[static_cast<std::size_t>(i)];
            for (int f = 0; f < static_cast<int>(kChannelFields.size()); ++f) {
                Text(row, known[f], path + "." + known[f], &(entry.*ChannelMember(f)));
            }
            ChannelNote& note = (*notes)[static_cast<std::size_t>(i)];
            for (const auto& [field, text] :
                 {std::pair{kChannelName, &note.name}, std::pair{kChannelComment, &note.comment}}) {
                const QJsonValue given = row.value(QLatin1String(field));
                if (given.isUndefined()) {
                    continue;
                }
                if (!given.isString()) {
                    Problem(path + "." + field, QStringLiteral("must be a string"));
                    continue;
                }
                *text = given.toString().toStdString();
            }
            QStringList allowed = known;
            allowed << QLatin1String(kChannelName) << QLatin1String(kChannelComment);
            Unknown(row, allowed, path + ".");
            // The row's place is its channel number; a number elsewhere would write the entry
            // into another channel than the document shows. An ORV radio's listing puts the
            // texts of channel 61 into row 63, so a read gives that row the number 61.
            bool ok = false;
            const QString number = row.value(QStringLiteral("channel")).toString();
            const int value = number.toInt(&ok);
            const bool listed =
                value == i || (orv && i == kOrvLastRow && value == kOrvLastRowListed);
            if (!number.isEmpty() && (!listed || !ok || number.startsWith('+') ||
                                      number.startsWith('-') || number.trimmed() != number)) {
                Problem(path + ".channel",
                        QStringLiteral("must be empty or the row's number %1").arg(i));
            }
        }
    }
};

} // namespace

namespace {

QByteArray DocumentJson(const RadioSettings& settings, RadioFamily family,
                        const ChannelNotes* notes) {
    QJsonObject root;
    QJsonObject registers;
    root.insert(QStringLiteral("format"), kDocumentFormat);
    if (family == FAMILY_ORV) {
        root.insert(QStringLiteral("family"), QStringLiteral("orv"));
        root.insert(QStringLiteral("orvCurrentChannel"), settings.orvCurrentChannel);
        root.insert(QStringLiteral("orvPortRate"), settings.orvPortRate);
        for (const IntRegister& r : kOrvInts) {
            registers.insert(QLatin1String(r.name), settings.orv.*r.orv);
        }
        registers.insert(QLatin1String(kOrvText), RadioText(settings.orv.s105));
        root.insert(QStringLiteral("orv"), registers);
    } else {
        root.insert(QStringLiteral("family"), QStringLiteral("qx"));
        for (const IntRegister& r : kQxInts) {
            registers.insert(QLatin1String(r.name), settings.qx.*r.qx);
        }
        root.insert(QStringLiteral("qx"), registers);
    }
    root.insert(QStringLiteral("channels"), Channels(settings, notes));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace

QByteArray SettingsToJson(const RadioSettings& settings, RadioFamily family) {
    return DocumentJson(settings, family, nullptr);
}

QByteArray SettingsToJson(const SettingsDocument& document) {
    return DocumentJson(document.settings, document.family, &document.notes);
}

QStringList SettingsFromJson(const QByteArray& json, SettingsDocument* document) {
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        return {QStringLiteral("not a JSON document: %1 at byte %2")
                    .arg(error.errorString())
                    .arg(error.offset)};
    }
    if (!parsed.isObject()) {
        return {QStringLiteral("not a settings document: it must be one JSON object")};
    }
    const QJsonObject root = parsed.object();
    // A newer program may have changed what the fields mean: refuse rather than guess.
    if (const QJsonValue format = root.value(QStringLiteral("format")); !format.isUndefined()) {
        const double version = format.toDouble(std::nan(""));
        if (!format.isDouble() || std::floor(version) != version || version < 1) {
            return {QStringLiteral("format: must be a whole number from 1")};
        }
        if (version > kDocumentFormat) {
            return {QStringLiteral("format: this document is version %1; this program reads "
                                   "version %2 and older")
                        .arg(static_cast<qint64>(std::min(version, 1e15)))
                        .arg(kDocumentFormat)};
        }
    }
    CDocumentReader reader;
    SettingsDocument result;
    RadioSettings& settings = result.settings;
    const QString family = root.value(QStringLiteral("family")).toString();
    QStringList known{QStringLiteral("format"), QStringLiteral("family"),
                      QStringLiteral("channels")};
    if (family == QLatin1String("orv")) {
        result.family = FAMILY_ORV;
        known << QStringLiteral("orvCurrentChannel") << QStringLiteral("orvPortRate")
              << QStringLiteral("orv");
        // As the radio's power-on report gives them: channel 1..16, rate code 0..9.
        reader.Int(root, known[3], known[3], &settings.orvCurrentChannel, 1, 16);
        reader.Int(root, known[4], known[4], &settings.orvPortRate, 0, 9);
        reader.Registers(root, FAMILY_ORV, &settings);
    } else if (family == QLatin1String("qx")) {
        result.family = FAMILY_QX;
        known << QStringLiteral("qx");
        reader.Registers(root, FAMILY_QX, &settings);
    } else {
        reader.Problem(QStringLiteral("family"), root.contains(QStringLiteral("family"))
                                                     ? QStringLiteral("must be \"orv\" or \"qx\"")
                                                     : QStringLiteral("missing"));
        // Without a family the registers cannot be told apart; name the rest's faults anyway.
        known << QStringLiteral("orvCurrentChannel") << QStringLiteral("orvPortRate")
              << QStringLiteral("orv") << QStringLiteral("qx");
    }
    reader.ChannelRows(root, result.family == FAMILY_ORV && family == QLatin1String("orv"),
                       &settings, &result.notes);
    reader.Unknown(root, known, QString());
    if (reader.problems.isEmpty()) {
        *document = result;
    }
    return reader.problems;
}
