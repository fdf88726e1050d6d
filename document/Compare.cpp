#include "document/Compare.h"

#include "orvpage/OrvPageLogic.h"
#include "settings/FrequencyText.h"
#include "settings/ValueNames.h"

#include <QStringList>

#include <array>
#include <span>
#include <vector>

namespace Doc {
namespace {

// ---- Names of values -----------------------------------------------------------------------

struct Named {
    QString chinese;
    QString english;
};

using Items = std::span<const char* const>;

// A register value by its item of a list (value - offset is the item), or as the number it is
// where the list has no such item. A line names an item with single blanks (the page pads some
// items to line them up).
QString ValueText(Items items, int offset, int value) {
    const long long index = static_cast<long long>(value) - offset;
    if (index >= 0 && index < static_cast<long long>(items.size()) &&
        *items[static_cast<std::size_t>(index)] != '\0') {
        return QString::fromUtf8(items[static_cast<std::size_t>(index)]).simplified();
    }
    return QString::number(value);
}

QString OrvPortRateText(int code) {
    const std::string rate = ValueNames::OrvPortRateText(code);
    return rate.empty() ? QString::number(code) : QString::fromStdString(rate);
}

// ---- Registers -----------------------------------------------------------------------------

struct RegisterText {
    const char* name; // "s103"
    const char* chinese;
    const char* english;
    Items items;    // empty: the value is shown as the number it is
    int offset = 0; // value - offset is the item
};

void Add(QList<Difference>& out, const QString& field, const QString& chinese,
         const QString& english, const QString& was, const QString& will) {
    const QString arrow = QStringLiteral(" -> ");
    out << Difference{field, chinese + QStringLiteral("：") + was + arrow + will,
                      english + QStringLiteral(": ") + was + arrow + will};
}

void CompareRegister(QList<Difference>& out, const QString& family, const RegisterText& r, int was,
                     int will) {
    if (was == will) {
        return;
    }
    const QString number = QString::fromLatin1(r.name).mid(1);
    const auto value = [&r](int v) { return ValueText(r.items, r.offset, v); };
    Add(out, family + "." + r.name, "S" + number + " " + QString::fromUtf8(r.chinese),
        "S" + number + " " + QString::fromUtf8(r.english), value(was), value(will));
}

struct QxRegisterText {
    RegisterText text;
    int QxRegisters::*member;
};

const std::vector<QxRegisterText>& QxRegisterTexts() {
    const ValueNames::QxLists& lists = ValueNames::Qx();
    static const std::vector<QxRegisterText> texts{
        {{"s186", "协议", "protocol", lists.protocols}, &QxRegisters::s186},
        {{"s101", "工作模式", "work mode", lists.workModes}, &QxRegisters::s101},
        {{"s127", "调制类型", "modulation", lists.modulations}, &QxRegisters::s127},
        {{"s103", "空中速率", "air rate", lists.airRates}, &QxRegisters::s103},
        {{"s141", "透明协议预设", "transparent protocol preset", {}}, &QxRegisters::s141},
        {{"s125", "带宽", "bandwidth", lists.bandwidths}, &QxRegisters::s125},
        {{"s131", "主通道_TX", "main channel transmit", {}}, &QxRegisters::s131},
        {{"s132", "主通道_RX", "main channel receive", {}}, &QxRegisters::s132},
        {{"s191", "中继器_TX", "repeater transmit channel", {}}, &QxRegisters::s191},
        {{"s192", "中继器_RX", "repeater receive channel", {}}, &QxRegisters::s192},
        {{"s105", "单元地址", "unit address", {}}, &QxRegisters::s105},
        {{"s108", "输出功率", "output power", lists.powers, 20}, &QxRegisters::s108},
        {{"s158", "FEC模式", "FEC mode", lists.fecModes}, &QxRegisters::s158},
        {{"s102", "波特率", "serial port rate", lists.portRates}, &QxRegisters::s102},
        {{"s110", "数据格式", "serial data format", lists.dataFormats, 1}, &QxRegisters::s110},
    };
    return texts;
}

// The ORV mode registers, each compared on its own only where neither side names a mode.
struct OrvModeRegister {
    RegisterText text;
    int OrvRegisters::*member;
};

const std::vector<OrvModeRegister>& OrvModeRegisters() {
    static const std::vector<OrvModeRegister> texts{
        {{"s128", "协议检测", "protocol check", {}}, &OrvRegisters::s128},
        {{"s186", "协议", "protocol", {}}, &OrvRegisters::s186},
        {{"s127", "调制类型", "modulation", {}}, &OrvRegisters::s127},
        {{"s103", "空中速率", "air rate", {}}, &OrvRegisters::s103},
        {{"s141", "模式", "mode digit", {}}, &OrvRegisters::s141},
        {{"s101", "工作模式", "work mode", {}}, &OrvRegisters::s101},
        {{"s226", "模式变体", "mode variant", {}}, &OrvRegisters::s226},
    };
    return texts;
}

bool KnownMode(const OrvPageLogic::ModeOnPage& mode) {
    return !mode.unknownProtocol && mode.protocol >= 0 &&
           mode.protocol < OrvPageLogic::kProtocols && mode.modeIndex >= 0 &&
           mode.modeIndex < OrvPageLogic::ModeCount(mode.protocol);
}

Named ModeText(const OrvRegisters& r) {
    const OrvPageLogic::ModeOnPage mode = OrvPageLogic::ModeFromRegisters(r);
    if (KnownMode(mode)) {
        const ValueNames::OrvProtocol& protocol =
            ValueNames::OrvProtocols()[static_cast<std::size_t>(mode.protocol)];
        const ValueNames::Name& item = protocol.modes[static_cast<std::size_t>(mode.modeIndex)];
        return {QString::fromUtf8(protocol.name.chinese) + " " + QString::fromUtf8(item.chinese),
                QString::fromUtf8(protocol.name.english) + ", " + QString::fromUtf8(item.english)};
    }
    const QString registers = QStringLiteral("S128 %1, S186 %2, S127 %3, S103 %4, S141 %5")
                                  .arg(r.s128)
                                  .arg(r.s186)
                                  .arg(r.s127)
                                  .arg(r.s103)
                                  .arg(r.s141);
    return {QStringLiteral("未知的协议（") + registers + QStringLiteral("）"),
            QStringLiteral("unknown protocol (") + registers + ")"};
}

// "5" and "005" are the same address; other texts are compared as they are.
bool SameAddress(const std::string& a, const std::string& b) {
    bool okA = false;
    bool okB = false;
    const int numberA = QString::fromStdString(a).toInt(&okA);
    const int numberB = QString::fromStdString(b).toInt(&okB);
    return okA && okB ? numberA == numberB : a == b;
}

void CompareOrv(QList<Difference>& out, const RadioSettings& was, const RadioSettings& will,
                bool readableOnly) {
    const OrvPageLogic::ModeOnPage modeWas = OrvPageLogic::ModeFromRegisters(was.orv);
    const OrvPageLogic::ModeOnPage modeWill = OrvPageLogic::ModeFromRegisters(will.orv);
    if (!KnownMode(modeWas) && !KnownMode(modeWill)) {
        for (const OrvModeRegister& r : OrvModeRegisters()) {
            CompareRegister(out, QStringLiteral("orv"), r.text, was.orv.*r.member,
                            will.orv.*r.member);
        }
    } else if (modeWas.protocol != modeWill.protocol || modeWas.modeIndex != modeWill.modeIndex ||
               KnownMode(modeWas) != KnownMode(modeWill)) {
        // The registers a mode does not use (S101 outside Trimtalk, S226 outside Satel and FST)
        // change nothing the radio does with it.
        const Named a = ModeText(was.orv);
        const Named b = ModeText(will.orv);
        Add(out, QStringLiteral("mode"), QStringLiteral("协议模式"), QStringLiteral("mode"),
            a.english, b.english);
        out.back().chinese = QStringLiteral("协议模式：") + a.chinese + " -> " + b.chinese;
    }
    if (!SameAddress(was.orv.s105, will.orv.s105)) {
        Add(out, QStringLiteral("orv.s105"), QStringLiteral("S105 电台地址码"),
            QStringLiteral("S105 radio address"), QString::fromStdString(was.orv.s105),
            QString::fromStdString(will.orv.s105));
    }
    if (was.orv.s190 != will.orv.s190) {
        const auto yes = [](int v, bool english) {
            return v == 0   ? (english ? QStringLiteral("no") : QStringLiteral("否"))
                   : v == 1 ? (english ? QStringLiteral("yes") : QStringLiteral("是"))
                            : QString::number(v);
        };
        Add(out, QStringLiteral("orv.s190"), QStringLiteral("S190 关闭地址"),
            QStringLiteral("S190 address off"), yes(was.orv.s190, true), yes(will.orv.s190, true));
        out.back().chinese = QStringLiteral("S190 关闭地址：") + yes(was.orv.s190, false) + " -> " +
                             yes(will.orv.s190, false);
    }
    if (readableOnly) {
        return;
    }
    if (was.orvCurrentChannel != will.orvCurrentChannel) {
        Add(out, QStringLiteral("orvCurrentChannel"), QStringLiteral("当前信道"),
            QStringLiteral("current channel"), QString::number(was.orvCurrentChannel),
            QString::number(will.orvCurrentChannel));
    }
    if (was.orvPortRate != will.orvPortRate) {
        Add(out, QStringLiteral("orvPortRate"), QStringLiteral("串口速率"),
            QStringLiteral("serial port rate"), OrvPortRateText(was.orvPortRate),
            OrvPortRateText(will.orvPortRate));
    }
}

// ---- Channel rows --------------------------------------------------------------------------

std::string Trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed().toStdString();
}

// A row the radio lists: a frequency that is not zero. An empty or zero row is no channel.
bool Listed(const ChannelEntry& row) {
    const std::string frequency = Trimmed(row.frequency);
    return !frequency.empty() && !FrequencyText::ReadsAsZero(frequency);
}

// The listing's texts and the answer codes, both as the code.
QString BandwidthOf(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t == "0" || t == "6.25 KHz") {
        return QStringLiteral("6.25 kHz");
    }
    if (t == "1" || t == "12.5 KHz") {
        return QStringLiteral("12.5 kHz");
    }
    if (t == "2" || t == "25   KHz") {
        return QStringLiteral("25 kHz");
    }
    return QString::fromStdString(t);
}

QString DirectionOf(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t == "0" || t == "Rx") {
        return QStringLiteral("Rx");
    }
    if (t == "1" || t == "Tx") {
        return QStringLiteral("Tx");
    }
    if (t == "2" || t == "Rx&Tx" || t == "Tx&Rx") {
        return QStringLiteral("Rx&Tx");
    }
    return QString::fromStdString(t);
}

// "433.125 MHz": at least three decimals, no trailing zeros beyond them.
QString FrequencyOf(const std::string& text) {
    const std::int64_t hertz = FrequencyText::HertzFromText(Trimmed(text));
    QString mhz = QString::fromStdString(FrequencyText::MhzText(hertz));
    while (mhz.size() > 3 && mhz.endsWith('0') && mhz.indexOf('.') >= 0 &&
           mhz.size() - mhz.indexOf('.') > 4) {
        mhz.chop(1);
    }
    return mhz + QStringLiteral(" MHz");
}

QString RowText(const ChannelEntry& row) {
    return FrequencyOf(row.frequency) + ", " + BandwidthOf(row.bandwidth) + ", " +
           DirectionOf(row.direction);
}

void CompareRows(QList<Difference>& out, const RadioSettings& was, const RadioSettings& will) {
    for (int i = 0; i < RadioSettings::kChannelRows; ++i) {
        const ChannelEntry& a = was.channels[static_cast<std::size_t>(i)];
        const ChannelEntry& b = will.channels[static_cast<std::size_t>(i)];
        const QString field = QStringLiteral("channels[%1]").arg(i);
        const QString english = QStringLiteral("channel %1").arg(i);
        const QString chinese = QStringLiteral("信道%1").arg(i);
        if (!Listed(a) && !Listed(b)) {
            continue;
        }
        if (!Listed(b)) {
            out << Difference{field, chinese + QStringLiteral("：已删除"),
                              english + QStringLiteral(": deleted")};
            continue;
        }
        if (!Listed(a)) {
            out << Difference{field, chinese + QStringLiteral("：新增 ") + RowText(b),
                              english + QStringLiteral(": added, ") + RowText(b)};
            continue;
        }
        if (FrequencyText::HertzFromText(Trimmed(a.frequency)) !=
            FrequencyText::HertzFromText(Trimmed(b.frequency))) {
            Add(out, field + ".frequency", chinese, english, FrequencyOf(a.frequency),
                FrequencyOf(b.frequency));
        }
        if (BandwidthOf(a.bandwidth) != BandwidthOf(b.bandwidth)) {
            Add(out, field + ".bandwidth", chinese + QStringLiteral(" 带宽"),
                english + QStringLiteral(" bandwidth"), BandwidthOf(a.bandwidth),
                BandwidthOf(b.bandwidth));
        }
        if (DirectionOf(a.direction) != DirectionOf(b.direction)) {
            Add(out, field + ".direction", chinese + QStringLiteral(" 方向"),
                english + QStringLiteral(" direction"), DirectionOf(a.direction),
                DirectionOf(b.direction));
        }
    }
}

// ---- After a write -------------------------------------------------------------------------

// A programmed row as the radio lists it; a deleted one as no row.
ChannelEntry ListedRow(const ChannelEntry& answer) {
    if (answer.frequency == "0") {
        return {};
    }
    static constexpr std::array<const char*, 3> kBandwidths{"6.25 KHz", "12.5 KHz", "25   KHz"};
    static constexpr std::array<const char*, 3> kDirections{"Rx", "Tx", "Rx&Tx"};
    const auto code = [](const std::string& text) {
        return text.size() == 1 && text[0] >= '0' && text[0] <= '2' ? text[0] - '0' : -1;
    };
    const int bandwidth = code(answer.bandwidth);
    const int direction = code(answer.direction);
    // The answer holds whole hertz.
    return {answer.channel,
            FrequencyText::MhzText(QString::fromStdString(answer.frequency).toLongLong()),
            bandwidth < 0 ? answer.bandwidth : kBandwidths[static_cast<std::size_t>(bandwidth)],
            direction < 0 ? answer.direction : kDirections[static_cast<std::size_t>(direction)]};
}

template <std::size_t N>
void Program(const std::array<ChannelEntry, N>& program, RadioSettings& settings) {
    for (const ChannelEntry& answer : program) {
        bool ok = false;
        const int channel = QString::fromStdString(answer.channel).toInt(&ok);
        if (ok && channel >= 0 && channel < RadioSettings::kChannelRows) {
            settings.channels[static_cast<std::size_t>(channel)] = ListedRow(answer);
        }
    }
}

// An ORV radio's listing puts the texts of the line two places before channel 63 into row 63,
// under the first two characters of that line.
void OrvRow63AsListed(RadioSettings& settings) {
    constexpr std::size_t kLast = RadioSettings::kChannelRows - 1;
    if (!Listed(settings.channels[kLast])) {
        return;
    }
    std::vector<std::size_t> lines;
    for (std::size_t i = 0; i < kLast; ++i) {
        if (Listed(settings.channels[i])) {
            lines.push_back(i);
        }
    }
    if (lines.size() < 2) {
        return;
    }
    ChannelEntry row = settings.channels[lines[lines.size() - 2]];
    row.channel = (row.channel + "  ").substr(0, 2);
    settings.channels[kLast] = row;
}

// The mode registers the factory preset of a protocol's mode item sets, as the page reads them
// back into that item; the registers the mode does not use keep their values.
void OrvPresetRegisters(int protocol, int modeIndex, OrvRegisters& r) {
    const auto set = [&r](int s186, int s127, int s103, int s141) {
        r.s128 = 0;
        r.s186 = s186;
        r.s127 = s127;
        r.s103 = s103;
        r.s141 = s141;
    };
    switch (protocol) {
    case 0: { // BMK transparent: 2FSK 4800, 2FSK 9600, 4FSK 9600, 4FSK 19200
        constexpr int kModulation[] = {0, 0, 1, 1};
        constexpr int kAirRate[] = {3, 5, 5, 7};
        set(1, kModulation[modeIndex], kAirRate[modeIndex], 0);
        break;
    }
    case 1: // Trimtalk: 4800, then the 9600 modes told apart by S101
        if (modeIndex == 0) {
            set(2, 0, 3, 0);
        } else {
            constexpr int kS101OfItem[] = {0, 2, 0, 1, 3};
            set(2, 0, 5, 0);
            r.s101 = kS101OfItem[modeIndex];
        }
        break;
    case 2: // Satel: 9600 / 19200, S226 0 or 1
        set(3, 1, modeIndex % 2 == 0 ? 5 : 7, 0);
        r.s226 = modeIndex / 2;
        break;
    case 3: // QZ transparent: S141 1 is the repeater
        set(0, 0, 5, modeIndex);
        break;
    case 4: // BMK FST: 9600 / 19200, S226 1 or 2
        set(4, 1, modeIndex % 2 == 0 ? 5 : 7, 0);
        r.s226 = modeIndex / 2 + 1;
        break;
    default:
        break;
    }
}

} // namespace

QList<Difference> CompareDocuments(const SettingsDocument& was, const SettingsDocument& will,
                                   bool readableOnly) {
    QList<Difference> out;
    if (was.family != will.family) {
        const auto name = [](RadioFamily f) {
            return f == FAMILY_ORV ? QStringLiteral("ORV") : QStringLiteral("QX");
        };
        Add(out, QStringLiteral("family"), QStringLiteral("电台类型"), QStringLiteral("family"),
            name(was.family), name(will.family));
        return out;
    }
    if (was.family == FAMILY_ORV) {
        CompareOrv(out, was.settings, will.settings, readableOnly);
    } else {
        for (const QxRegisterText& r : QxRegisterTexts()) {
            CompareRegister(out, QStringLiteral("qx"), r.text, was.settings.qx.*r.member,
                            will.settings.qx.*r.member);
        }
    }
    CompareRows(out, was.settings, will.settings);
    return out;
}

ExpectedDocument ExpectedAfterWrite(const OrvWritePlan& plan, const SettingsDocument& before) {
    ExpectedDocument expected{before, {}, {}};
    expected.document.family = FAMILY_ORV;
    RadioSettings& s = expected.document.settings;
    if (plan.modeIndex >= 0 && plan.modeIndex < OrvPageLogic::ModeCount(plan.protocol)) {
        OrvPresetRegisters(plan.protocol, plan.modeIndex, s.orv);
    }
    s.orv.s105 = plan.address;
    s.orv.s190 = plan.closeAddress;
    s.orvCurrentChannel = plan.currentChannel;
    // Item 8 of the list, "4800", is code 9.
    s.orvPortRate = plan.portRateIndex == 8 ? 9 : plan.portRateIndex;
    expected.untouchedRows.fill(true);
    for (const ChannelEntry& answer : plan.program) {
        bool ok = false;
        const int channel = QString::fromStdString(answer.channel).toInt(&ok);
        if (ok && channel >= 0 && channel < RadioSettings::kChannelRows) {
            expected.untouchedRows[static_cast<std::size_t>(channel)] = false;
        }
    }
    Program(plan.program, s);
    OrvRow63AsListed(s);
    // Row 63 is listed from the rows before it, whichever of them the write programmed.
    expected.untouchedRows[RadioSettings::kChannelRows - 1] = false;
    return expected;
}

ExpectedDocument ExpectedAfterWrite(const QxWritePlan& plan, const SettingsDocument& before) {
    ExpectedDocument expected{before, {}, {}};
    expected.document.family = FAMILY_QX;
    QxRegisters& r = expected.document.settings.qx;
    r.s186 = plan.protocolIndex;
    r.s101 = plan.workModeIndex;
    r.s127 = plan.modulationIndex;
    r.s103 = plan.airRateIndex;
    r.s125 = plan.bandwidthIndex;
    // The transparent protocol's preset is chosen by the radio's own S141 and keeps it; what the
    // compatible protocols' presets leave in S141 is the radio's business.
    if (plan.protocolIndex == 0) {
        r.s141 = plan.s141;
    } else {
        expected.presetRegisters << QStringLiteral("qx.s141");
    }
    r.s105 = plan.unitAddress;
    r.s131 = plan.mainTxIndex;
    r.s132 = plan.mainRxIndex;
    r.s191 = plan.repeaterTxIndex;
    r.s192 = plan.repeaterRxIndex;
    r.s108 = plan.powerIndex + 20;
    r.s158 = plan.fecIndex;
    r.s102 = plan.portRateIndex;
    r.s110 = plan.dataFormatIndex + 1;
    // Every one of the 64 rows is programmed.
    expected.document.settings.channels = {};
    Program(plan.program, expected.document.settings);
    return expected;
}

SettingsDocument DocumentAfterWrite(const OrvWritePlan& plan, const SettingsDocument& before) {
    return ExpectedAfterWrite(plan, before).document;
}

SettingsDocument DocumentAfterWrite(const QxWritePlan& plan, const SettingsDocument& before) {
    return ExpectedAfterWrite(plan, before).document;
}

Verification VerifyHeld(const ExpectedDocument& expected, const SettingsDocument& held) {
    // What the write does not decide is taken as the radio holds it, so it cannot differ.
    SettingsDocument decided = expected.document;
    Verification out;
    if (held.family == decided.family) {
        for (const QxRegisterText& r : QxRegisterTexts()) {
            const QString field = QStringLiteral("qx.") + QString::fromLatin1(r.text.name);
            if (!expected.presetRegisters.contains(field)) {
                continue;
            }
            decided.settings.qx.*r.member = held.settings.qx.*r.member;
            const QString number = QString::fromLatin1(r.text.name).mid(1);
            out.notCheckedChinese << "S" + number + " " + QString::fromUtf8(r.text.chinese);
            out.notCheckedEnglish << "S" + number + " " + QString::fromUtf8(r.text.english);
        }
        for (std::size_t row = 0; row < expected.untouchedRows.size(); ++row) {
            if (expected.untouchedRows[row]) {
                decided.settings.channels[row] = held.settings.channels[row];
            }
        }
    }
    out.differences = CompareDocuments(decided, held, true);
    return out;
}

QString NotCheckedLine(const Verification& verification, bool english) {
    if (verification.notCheckedEnglish.isEmpty()) {
        return {};
    }
    return english ? QStringLiteral("Not checked (set by the radio's preset): ") +
                         verification.notCheckedEnglish.join(QStringLiteral(", "))
                   : QStringLiteral("未校验（由电台的预设决定）：") +
                         verification.notCheckedChinese.join(QStringLiteral("，"));
}

QStringList DifferenceLines(const QList<Difference>& differences, bool english) {
    QStringList lines;
    for (const Difference& difference : differences) {
        lines.append(english ? difference.english : difference.chinese);
    }
    return lines;
}

} // namespace Doc
