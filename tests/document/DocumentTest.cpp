// The settings document: JSON written and read back with every bad field named, differences in
// words, the write prepared as the page would and what the radio lists after it, and the
// history of reads.

#include "base/WholeFile.h"
#include "document/Compare.h"
#include "document/DocumentSet.h"
#include "document/History.h"
#include "orvpage/OrvPageLogic.h"
#include "orvpage/OrvTableFile.h"
#include "tests/support/JsonEdit.h"
#include "tests/support/ListItems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

SettingsDocument QxRead() {
    SettingsDocument d{FAMILY_QX, {}};
    // Bellmark, 2FSK 9600 at 25 kHz, address 9, power 25(320), FEC on, 9600 baud, 8N1.
    d.settings.qx = {1, 0, 0, 5, 0, 2, 1, 2, 3, 4, 9, 25, 1, 7, 1};
    d.settings.channels[1] = {"1", "433.125000", "25   KHz", "Rx&Tx"};
    d.settings.channels[5] = {"5", "434.500000", "12.5 KHz", "Rx"};
    return d;
}

SettingsDocument OrvRead() {
    SettingsDocument d{FAMILY_ORV, {}};
    d.settings.orv = {0, 1, 0, 5, 0, 0, 0, 0, "12"}; // BMK transparent 2FSK 9600 25 kHz
    d.settings.orvCurrentChannel = 3;
    d.settings.orvPortRate = 7;
    d.settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    d.settings.channels[1] = {"1", "434.500000", "12.5 KHz", "Rx"};
    return d;
}

QJsonObject Json(const SettingsDocument& d) {
    return QJsonDocument::fromJson(SettingsToJson(d.settings, d.family)).object();
}

TEST(SettingsJson, AnythingTheRadioSentStaysValidJson) {
    RadioSettings settings;
    // Ends with "中"; \xe0\x80\x80 is an overlong form and \xed\xa0\x80 a surrogate: not UTF-8.
    settings.orv.s105 =
        std::string("a\"b\\c\r\x01\x7f\xff\xe0\x80\x80\xed\xa0\x80\xe4\xb8\xad", 18);
    const QJsonObject doc = QJsonDocument::fromJson(SettingsToJson(settings, FAMILY_ORV)).object();
    EXPECT_EQ(doc["orv"]["s105"].toString(),
              QString::fromUtf8("a\"b\\c\r\x01\x7f\xc3\xbf\xc3\xa0\xc2\x80\xc2\x80\xc3\xad\xc2\xa0"
                                "\xc2\x80中"));
    EXPECT_FALSE(doc.contains("qx"));
}

// Edits of a document by path: "format", "orv.s103", "channels[5].frequency"; an undefined value
// removes the field.
using Edits = std::vector<std::pair<QString, QJsonValue>>;

void Apply(QJsonObject& doc, const Edits& edits) {
    for (const auto& [path, value] : edits) {
        const QStringList parts = path.split('.');
        if (parts[0].startsWith("channels[")) {
            SetChannel(doc, parts[0].mid(9).chopped(1).toInt(), {{parts[1], value}});
        } else if (parts.size() == 2) {
            SetRegister(doc, parts[0].toUtf8().constData(), parts[1].toUtf8().constData(), value);
        } else if (value.isUndefined()) {
            doc.remove(path);
        } else {
            doc[path] = value;
        }
    }
}

struct DocumentCase {
    RadioFamily family;
    Edits edits;
    QStringList expected; // the start of every problem, in any order; none: accepted
    QByteArray raw = {};  // instead of the edited document
};

TEST(SettingsJson, EveryBadFieldIsNamedAndNothingIsTakenFromABadDocument) {
    const QJsonValue none = QJsonValue::Undefined;
    const std::vector<DocumentCase> cases = {
        {FAMILY_ORV,
         {{"orv.s103", "5"}, {"orv.s226", 2.5}, {"orv.s101", 3e9}},
         {"orv.s103: must be a whole number", "orv.s226: must be a whole number",
          "orv.s101: must be a whole number"}},
        {FAMILY_ORV, {{"orv.s105", 12}}, {"orv.s105: must be a text"}},
        {FAMILY_ORV,
         {{"orv.s186", none}, {"orv.s1B6", 1}},
         {"orv.s186: missing", "orv.s1B6: unknown field"}},
        {FAMILY_ORV,
         {{"orvCurrentChannel", 17}, {"orvPortRate", -1}},
         {"orvCurrentChannel: must be a whole number from 1 to 16",
          "orvPortRate: must be a whole number from 0 to 9"}},
        {FAMILY_ORV, {{"orv", none}, {"qx", QJsonObject{}}}, {"orv: missing", "qx: unknown field"}},
        {FAMILY_QX, {{"qx", 1}}, {"qx: must be an object"}},
        // A newer layout is refused whatever else is wrong.
        {FAMILY_ORV,
         {{"format", 2}, {"orv", none}},
         {"format: this document is version 2; this program reads version 1 and older"}},
        {FAMILY_QX, {{"format", "1"}}, {"format: must be a whole number from 1"}},
        {FAMILY_QX, {{"format", none}}, {}}, // the first layout
        {FAMILY_QX,
         {{"family", "vhf"}, {"channels[2].direction", true}},
         {"family: must be \"orv\" or \"qx\"", "channels[2].direction: must be a text"}},
        {FAMILY_QX, {{"channels", QJsonArray{1, 2}}}, {"channels: must be a list of 64 channels"}},
        {FAMILY_ORV,
         {{"channels[7].channel", "8"},
          {"channels[62].channel", "61"},
          {"channels[5].frequency", 433.125},
          {"channels[5].power", "1W"}},
         {"channels[7].channel: must be empty or the row's number 7",
          "channels[62].channel: must be empty or the row's number 62",
          "channels[5].frequency: must be a text", "channels[5].power: unknown field"}},
        // The ORV listing fills row 63 with channel 61's texts: that read must be writable.
        {FAMILY_ORV, {{"channels[63].channel", "61"}}, {}},
        {FAMILY_QX,
         {{"channels[63].channel", "61"}},
         {"channels[63].channel: must be empty or the row's number 63"}},
        {FAMILY_QX, {}, {"not a JSON document"}, "{\"family\": \"qx\","},
        {FAMILY_QX, {}, {"not a settings"}, "[1, 2]"},
        {FAMILY_QX, {}, {"family: missing", "channels: missing"}, "{}"},
    };
    for (const DocumentCase& c : cases) {
        QJsonObject root = Json(c.family == FAMILY_ORV ? OrvRead() : QxRead());
        Apply(root, c.edits);
        const QByteArray text = c.raw.isEmpty() ? QJsonDocument(root).toJson() : c.raw;
        SettingsDocument document;
        document.settings.orv.s128 = 99; // left alone when the document is bad
        QStringList problems = SettingsFromJson(text, &document);
        QStringList expected = c.expected;
        problems.sort();
        expected.sort();
        ASSERT_EQ(problems.size(), expected.size()) << text.toStdString() << "\n"
                                                    << problems.join('\n').toStdString();
        for (qsizetype i = 0; i < problems.size(); ++i) {
            EXPECT_TRUE(problems[i].startsWith(expected[i])) << problems[i].toStdString();
        }
        EXPECT_EQ(document.settings.orv.s128 == 99, !expected.isEmpty()) << text.toStdString();
    }
}

// A text left out is missing, never taken as empty: every text field of both families in turn.
TEST(SettingsJson, EveryMissingTextIsNamedMissing) {
    for (const RadioFamily family : {FAMILY_ORV, FAMILY_QX}) {
        const QJsonObject whole = Json(family == FAMILY_ORV ? OrvRead() : QxRead());
        QStringList paths;
        if (family == FAMILY_ORV) {
            paths << "orv.s105";
        }
        for (int row = 0; row < 64; ++row) {
            for (const char* field : {"channel", "frequency", "bandwidth", "direction"}) {
                paths << QString("channels[%1].%2").arg(row).arg(field);
            }
        }
        for (const QString& path : paths) {
            QJsonObject doc = whole;
            if (path == "orv.s105") {
                SetRegister(doc, "orv", "s105", QJsonValue::Undefined);
            } else {
                const int row = path.mid(9, path.indexOf(']') - 9).toInt();
                QJsonArray channels = doc["channels"].toArray();
                QJsonObject channel = channels[row].toObject();
                channel.remove(path.section('.', 1));
                channels[row] = channel;
                doc["channels"] = channels;
            }
            SettingsDocument document;
            EXPECT_EQ(SettingsFromJson(QJsonDocument(doc).toJson(), &document),
                      QStringList{path + ": missing"});
        }
    }
}

struct ComparePair {
    bool orv;
    std::function<void(SettingsDocument&)> change;
    QStringList english; // expected, in order
    bool readableOnly = false;
    std::function<void(SettingsDocument&)> was = [](SettingsDocument&) {}; // on the family's read
};

TEST(CompareDocuments, NamesEachChangeInWords) {
    const std::vector<ComparePair> cases = {
        // Named values, values stored with an offset, a value without an item as a number.
        {false,
         [](SettingsDocument& d) {
             d.settings.qx.s186 = 9;
             d.settings.qx.s103 = 7;
             d.settings.qx.s108 = 33;
             d.settings.qx.s110 = 10;
         },
         {"S186 protocol: Bellmark Compatible -> 9", "S103 air rate: 9600 -> 19200",
          "S108 output power: 25(320) -> 33(2W)", "S110 serial data format: 8N1 -> 7O2"}},
        {false,
         [](SettingsDocument& d) {
             d.settings.channels[1] = {"1", "433.250000", "12.5 KHz", "Tx"};
             d.settings.channels[5] = {};
             d.settings.channels[7] = {"7", "470.000000", "6.25 KHz", "Tx"};
         },
         {"channel 1: 433.125 MHz -> 433.250 MHz", "channel 1 bandwidth: 25 kHz -> 12.5 kHz",
          "channel 1 direction: Rx&Tx -> Tx", "channel 5: deleted",
          "channel 7: added, 470.000 MHz, 6.25 kHz, Tx"}},
        // The listing and the answer form of the same rows are equal.
        {false,
         [](SettingsDocument& d) {
             d.settings.channels[1] = {"1", "433.125", "2", "Tx&Rx"};
             d.settings.channels[9] = {"9", "0.000000", "", ""};
         },
         {}},
        // An ORV mode is named, not its registers.
        {true,
         [](SettingsDocument& d) { d.settings.orv.s186 = 2; }, // Trimtalk, S101 0: repeater
         {"mode: BMK transparent protocol, 2FSK 9600bps 25kHz -> Trimtalk450S protocol, 2FSK "
          "9600bps 25kHz repeater"}},
        // Between two unknown ORV modes: the registers themselves.
        {true,
         [](SettingsDocument& d) { d.settings.orv.s226 = 2; },
         {"S226 mode variant: 0 -> 2"},
         false,
         [](SettingsDocument& d) { d.settings.orv.s128 = 1; }},
        {true,
         [](SettingsDocument& d) {
             d.settings.orv.s105 = "012"; // the same address
             d.settings.orv.s101 = 3;     // not used by this mode
             d.settings.orv.s190 = 1;
             d.settings.orvCurrentChannel = 4;
             d.settings.orvPortRate = 9;
         },
         {"S190 address off: no -> yes", "current channel: 3 -> 4",
          "serial port rate: 9600 -> 4800"}},
        // What a read cannot return is left out on request.
        {true,
         [](SettingsDocument& d) {
             d.settings.orvCurrentChannel = 4;
             d.settings.orvPortRate = 0;
             d.settings.orv.s105 = "13";
         },
         {"S105 radio address: 12 -> 13"},
         true},
        {true, [](SettingsDocument& d) { d.family = FAMILY_QX; }, {"family: ORV -> QX"}},
        // The first and the last row are compared like every other.
        {true,
         [](SettingsDocument& d) {
             d.settings.channels[0].frequency = "433.250000";
             d.settings.channels[63].direction = "Tx";
         },
         {"channel 0: 433.125 MHz -> 433.250 MHz", "channel 63 direction: Rx -> Tx"},
         false,
         [](SettingsDocument& d) {
             d.settings.channels[63] = {"61", "470.000000", "25   KHz", "Rx"};
         }},
    };
    for (const ComparePair& c : cases) {
        SettingsDocument was = c.orv ? OrvRead() : QxRead();
        c.was(was);
        SettingsDocument will = was;
        c.change(will);
        QStringList english;
        for (const Doc::Difference& d : Doc::CompareDocuments(was, will, c.readableOnly)) {
            english << d.english;
            EXPECT_FALSE(d.chinese.isEmpty() || d.field.isEmpty()) << d.english.toStdString();
        }
        EXPECT_EQ(english, c.english) << english.join('\n').toStdString();
    }
}

// The name a comparison gives to what "named" holds: the words after the arrow of the one line
// that sets it apart from "unnamed".
std::string NameIn(const SettingsDocument& unnamed, const SettingsDocument& named, bool english,
                   bool readableOnly = false) {
    const QStringList lines =
        Doc::DifferenceLines(Doc::CompareDocuments(unnamed, named, readableOnly), english);
    return lines.size() == 1 ? lines[0].section(QStringLiteral(" -> "), 1).toStdString()
                             : "<" + lines.join(QStringLiteral(" | ")).toStdString() + ">";
}

// A comparison names every value the pages list with the page's item (blanks that line items up
// taken out, an empty item as the number), in both languages where they differ.
TEST(CompareDocuments, NamesValuesAsThePagesListThem) {
    struct QxRegister {
        int QxRegisters::*member;
        int offset;
    };
    // In the order of listitems::kQxLists.
    const QxRegister registers[] = {
        {&QxRegisters::s186, 0}, {&QxRegisters::s101, 0}, {&QxRegisters::s127, 0},
        {&QxRegisters::s103, 0}, {&QxRegisters::s125, 0}, {&QxRegisters::s108, 20},
        {&QxRegisters::s158, 0}, {&QxRegisters::s102, 0}, {&QxRegisters::s110, 1}};
    ASSERT_EQ(std::size(registers), listitems::kQxLists.size());
    for (std::size_t l = 0; l < listitems::kQxLists.size(); ++l) {
        const auto& [member, offset] = registers[l];
        SettingsDocument unnamed = QxRead();
        unnamed.settings.qx.*member = -1;
        std::vector<std::string> names;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < listitems::kQxLists[l].items.size(); ++i) {
            SettingsDocument named = unnamed;
            named.settings.qx.*member = static_cast<int>(i) + offset;
            names.push_back(NameIn(unnamed, named, true));
            const QString item = QString::fromStdString(listitems::kQxLists[l].items[i]);
            expected.push_back(item.isEmpty() ? std::to_string(i + offset)
                                              : item.simplified().toStdString());
        }
        EXPECT_EQ(names, expected) << listitems::kQxLists[l].combo;
    }

    // Port-rate code 8 has no rate: its number stands for it.
    SettingsDocument unknown = OrvRead();
    unknown.settings.orvPortRate = -1;
    std::vector<std::string> rates;
    for (int code = 0; code <= 9; ++code) {
        SettingsDocument named = unknown;
        named.settings.orvPortRate = code;
        rates.push_back(NameIn(unknown, named, true));
    }
    std::vector<std::string> expectedRates = listitems::kOrvPortRates;
    expectedRates.insert(expectedRates.begin() + 8, "8");
    EXPECT_EQ(rates, expectedRates);

    // Every ORV mode, as the preset of its item leaves the registers.
    unknown.settings.orv.s128 = 1;
    for (const bool english : {false, true}) {
        std::vector<std::string> modes;
        std::vector<std::string> expected;
        for (std::size_t p = 0; p < listitems::kOrvProtocols.size(); ++p) {
            const listitems::OrvProtocol& protocol = listitems::kOrvProtocols[p];
            for (std::size_t m = 0; m < protocol.modes.size(); ++m) {
                OrvWritePlan plan;
                plan.protocol = static_cast<int>(p);
                plan.modeIndex = static_cast<int>(m);
                plan.address = unknown.settings.orv.s105;
                plan.closeAddress = unknown.settings.orv.s190;
                modes.push_back(
                    NameIn(unknown, Doc::DocumentAfterWrite(plan, unknown), english, true));
                expected.push_back(english
                                       ? protocol.name.english + ", " + protocol.modes[m].english
                                       : protocol.name.chinese + " " + protocol.modes[m].chinese);
            }
        }
        EXPECT_EQ(modes, expected) << english;
    }
}

// The plan is what the page's Set gives for the controls filled from the document.
TEST(PrepareWrite, TheDocumentBecomesThePagesPlan) {
    SettingsDocument orv = OrvRead();
    orv.settings.channels[5] = {"5", "470.001250", "25   KHz", "Tx&Rx"};
    orv.settings.channels[2] = {"2", "440.000000", "6.25 KHz", "Tx"}; // not in this layout
    orv.settings.orvPortRate = 9;                                     // 4800: the last item
    const Doc::PreparedWrite o = Doc::PrepareWrite(orv);
    ASSERT_TRUE(o.problems.isEmpty()) << o.problems.join('\n').toStdString();
    SettingsDocument qx = QxRead();
    qx.settings.channels[9] = {"9", "450.000000", "", ""}; // incomplete: deleted
    const Doc::PreparedWrite q = Doc::PrepareWrite(qx);
    ASSERT_TRUE(q.problems.isEmpty()) << q.problems.join('\n').toStdString();

    // The normal layout programs table rows 4r and 4r + 1: rows 4 and 5 are program rows 2, 3.
    const std::vector<std::pair<ChannelEntry, ChannelEntry>> rows = {
        {o.orv.program[1], {"1", "434500000", "1", "0"}},
        {o.orv.program[2], {"4", "0", "2", "2"}},
        {o.orv.program[3], {"5", "470001250", "2", "2"}},
        {q.qx.program[9], {"9", "0", "0", "0"}},
    };
    for (const auto& [got, wanted] : rows) {
        EXPECT_EQ(got, wanted);
    }
    EXPECT_EQ(o.orv.address, "12");
    EXPECT_EQ(o.orv.portRateIndex, 8);
    EXPECT_EQ(q.qx.powerIndex, 5);
}

// The ORV table goes into the rows the document's mode shows: four per list row in the repeater
// layout (row 63 as the radio lists it, from channel 61), two in the normal one. A damaged file
// changes nothing.
TEST(ImportTableFile, AnOrvTableFillsTheRowsOfTheDocumentsLayout) {
    OrvTableFile::Frequencies hertz{};
    hertz.fill(410000000);
    hertz[63] = 480000000;
    for (const bool repeater : {true, false}) {
        SettingsDocument d = OrvRead();
        d.settings.orv = {0, 0, 0, 5, repeater ? 1 : 0, 0, 0, 0, "1"}; // QZ transparent
        ASSERT_EQ(Doc::OrvRepeaterLayoutOf(d.settings), repeater);
        const SettingsDocument before = d;
        EXPECT_EQ(Doc::ImportTableFile("39 34 31 6d", d).refused.left(22),
                  "the file is cut short:");
        EXPECT_EQ(d.settings, before.settings);
        const Doc::TableImport done = Doc::ImportTableFile(OrvTableFile::EncodeFile(hertz), d);
        EXPECT_TRUE(done.refused.isEmpty() && done.skipped.isEmpty());
        EXPECT_EQ(d.settings.channels[1].frequency, "410.000000");
        EXPECT_EQ(d.settings.channels[62].frequency, repeater ? "410.000000" : "");
        EXPECT_EQ(d.settings.channels[63].frequency, repeater ? "410.000000" : "");
        EXPECT_TRUE(Doc::LayoutProblems(d).isEmpty());
    }
}

// In the repeater layout row 63 is channel 61 as the radio lists it; a document that says
// otherwise cannot be written as it reads.
TEST(LayoutProblems, AnOrvRepeaterRow63MustBeChannel61) {
    SettingsDocument d = OrvRead();
    d.settings.orv = {0, 0, 0, 5, 1, 0, 0, 0, "1"}; // QZ transparent repeater
    d.settings.channels[61] = {"61", "470.000000", "25   KHz", "Rx"};
    d.settings.channels[63] = {"61", "470.000000", "25   KHz", "Rx"};
    EXPECT_TRUE(Doc::LayoutProblems(d).isEmpty());
    for (std::string ChannelEntry::*field :
         {&ChannelEntry::frequency, &ChannelEntry::bandwidth, &ChannelEntry::direction}) {
        SettingsDocument other = d;
        other.settings.channels[63].*field = "x";
        const QStringList problems = Doc::LayoutProblems(other);
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].startsWith("channels[63] \"")) << problems[0].toStdString();
        EXPECT_TRUE(problems[0].contains("channels[61]")) << problems[0].toStdString();
        other.settings.orv.s141 = 0; // the normal layout: row 63 is the radio's own
        EXPECT_TRUE(Doc::LayoutProblems(other).isEmpty());
    }
}

// Every file is read up to one bound: a device that never ends costs no more than that.
TEST(ReadDocumentFile, EveryReadIsBounded) {
    QTemporaryDir dir;
    const QString exact = dir.filePath("exact.json");
    const QString over = dir.filePath("over.json");
    for (const auto& [path, size] : {std::pair{exact, WholeFile::kMostReadBytes},
                                     std::pair{over, WholeFile::kMostReadBytes + 1}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    }
    QByteArray bytes;
    EXPECT_EQ(Doc::ReadDocumentFile(exact, &bytes), "");
    EXPECT_EQ(bytes.size(), WholeFile::kMostReadBytes);
    for (const QString& path : {over, QString("/dev/zero")}) {
        EXPECT_EQ(Doc::ReadDocumentFile(path, &bytes),
                  "Cannot read " + path +
                      ": it is larger than 1 MiB, more than any file this program reads");
    }
    EXPECT_EQ(Doc::ReadDocumentFile(dir.path(), &bytes),
              "Cannot read " + dir.path() + ": it is a folder");
    EXPECT_EQ(WholeFile::ReadFailureText(WholeFile::Read("/dev/zero"), "/dev/zero", false),
              "无法读取 /dev/zero：文件大于 1 MiB，不是本程序能读取的文件");
}

// An ORV radio reads back the mode its preset was chosen for, whatever mode it had.
TEST(DocumentAfterWrite, EveryOrvModeReadsBackAsWritten) {
    for (int protocol = 0; protocol < OrvPageLogic::kProtocols; ++protocol) {
        for (int mode = 0; mode < OrvPageLogic::ModeCount(protocol); ++mode) {
            for (const OrvRegisters& old :
                 {OrvRegisters{}, OrvRegisters{1, 4, 1, 7, 0, 3, 2, 1, "7"}}) {
                SettingsDocument before = OrvRead();
                before.settings.orv = old;
                OrvWritePlan plan = Doc::PrepareWrite(before).orv;
                plan.protocol = protocol;
                plan.modeIndex = mode;
                const OrvPageLogic::ModeOnPage shown = OrvPageLogic::ModeFromRegisters(
                    Doc::DocumentAfterWrite(plan, before).settings.orv);
                EXPECT_FALSE(shown.unknownProtocol) << protocol << "/" << mode;
                EXPECT_EQ(shown.protocol, protocol) << mode;
                EXPECT_EQ(shown.modeIndex, mode) << protocol;
            }
        }
    }
}

class History : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }
    QTemporaryDir m_home;
};

TEST_F(History, KeepsTheWholeDocumentsNewestFirstAndDropsOnlyTheOldest) {
    const QDir folder(Doc::HistoryFolder());
    // 199 older reads, one per minute of a past day, and files that are not the history's.
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    const auto oldName = [&](int i) {
        return start.addSecs(60 * i).toString("yyyyMMdd-HHmmss-zzz") + "_qx_ttyS0.json";
    };
    const QStringList foreign{"notes.json", "20200101-000000-000_vhf_x.json", "readme.txt"};
    QStringList names = foreign;
    for (int i = 0; i < Doc::kHistoryKept - 1; ++i) {
        names << oldName(i);
    }
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString error;
    const QString first = Doc::KeepRead(QxRead(), "/dev/pts/4", &error);
    const QString second = Doc::KeepRead(OrvRead(), "ttyUSB0", &error);
    ASSERT_FALSE(first.isEmpty() || second.isEmpty()) << error.toStdString();
    EXPECT_NE(first, second); // even within one millisecond

    const QList<Doc::HistoryEntry> entries = Doc::ListHistory();
    ASSERT_EQ(entries.size(), Doc::kHistoryKept);
    EXPECT_EQ(entries[0].path, second);
    EXPECT_EQ(entries[0].family, FAMILY_ORV);
    EXPECT_EQ(entries[0].port, "ttyUSB0");
    EXPECT_EQ(entries[1].family, FAMILY_QX);
    EXPECT_EQ(entries[1].port, "pts-4");
    EXPECT_EQ(entries.last().when,
              start.addSecs(60)); // the oldest one went, no more
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(oldName(0))));
    for (const QString& name : foreign) {
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(name))) << name.toStdString();
    }
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    SettingsDocument back;
    EXPECT_TRUE(SettingsFromJson(file.readAll(), &back).isEmpty());
    EXPECT_TRUE(back.settings == QxRead().settings);
}

TEST_F(History, AFolderThatCannotBeWrittenIsReportedNotThrown) {
    qputenv("XDG_DATA_HOME", "/dev/null"); // no folder can be made below it
    QString error;
    EXPECT_TRUE(Doc::KeepRead(QxRead(), "x", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(Doc::ListHistory().isEmpty());
}

} // namespace
