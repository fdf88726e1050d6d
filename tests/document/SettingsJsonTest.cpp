// The settings document: valid JSON whatever the radio sent, read back to the same settings, and
// every bad field of a hand-edited document named.

#include "document/SettingsJson.h"
#include "tests/support/JsonEdit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <functional>

namespace {

QJsonObject Parse(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

RadioSettings OrvSample() {
    RadioSettings settings;
    settings.orvCurrentChannel = 3;
    settings.orvPortRate = 7;
    settings.orv = {1, 2, 3, 4, 5, 6, 7, 8, "12"};
    settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    settings.channels[63] = {"63", "470.000000", "6.25 KHz", "Tx"};
    return settings;
}

RadioSettings QxSample() {
    RadioSettings settings;
    settings.qx = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -15};
    settings.channels[9] = {"9", "421.500000", "12.5 KHz", "Rx"};
    return settings;
}

TEST(SettingsJson, EveryFieldComesBackAsItWasRead) {
    for (const auto& [family, settings] :
         {std::pair{FAMILY_ORV, OrvSample()}, std::pair{FAMILY_QX, QxSample()}}) {
        SettingsDocument document;
        const QStringList problems = SettingsFromJson(SettingsToJson(settings, family), &document);
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
        EXPECT_EQ(document.family, family);
        EXPECT_TRUE(document.settings == settings) << "family " << family;
    }
}

TEST(SettingsJson, AnythingTheRadioSentStaysValidJson) {
    RadioSettings settings;
    // Ends with "中"; \xe0\x80\x80 is an overlong form and \xed\xa0\x80 a surrogate: not UTF-8.
    settings.orv.s105 =
        std::string("a\"b\\c\r\x01\x7f\xff\xe0\x80\x80\xed\xa0\x80\xe4\xb8\xad", 18);
    settings.channels[1] = {"1", "43\t3", std::string("\xc3", 1), "Rx\n"};
    const QJsonObject doc = Parse(SettingsToJson(settings, FAMILY_ORV));
    EXPECT_EQ(doc["orv"]["s105"].toString(),
              QString::fromUtf8("a\"b\\c\r\x01\x7f\xc3\xbf\xc3\xa0\xc2\x80\xc2\x80\xc3\xad\xc2\xa0"
                                "\xc2\x80中"));
    EXPECT_EQ(doc["channels"][1]["frequency"].toString(), "43\t3");
    EXPECT_EQ(doc["channels"][1]["bandwidth"].toString(), QString(QChar(0xC3)));
    EXPECT_EQ(doc["channels"][1]["direction"].toString(), "Rx\n");
    EXPECT_FALSE(doc.contains("qx"));
}

struct BadDocument {
    const char* what;
    std::function<void(QJsonObject&)> edit;
    QStringList expected; // every problem, in any order
};

TEST(SettingsJson, EveryBadFieldIsNamed) {
    const std::vector<BadDocument> cases = {
        {"a register as text",
         [](QJsonObject& r) { SetRegister(r, "orv", "s103", "5"); },
         {"orv.s103: must be a whole number"}},
        {"a fraction",
         [](QJsonObject& r) { SetRegister(r, "orv", "s226", 2.5); },
         {"orv.s226: must be a whole number"}},
        {"beyond int",
         [](QJsonObject& r) { SetRegister(r, "orv", "s101", 3e9); },
         {"orv.s101: must be a whole number"}},
        {"the text register as a number",
         [](QJsonObject& r) { SetRegister(r, "orv", "s105", 12); },
         {"orv.s105: must be a text"}},
        {"a missing and a misspelt register",
         [](QJsonObject& r) {
             SetRegister(r, "orv", "s186", QJsonValue::Undefined);
             SetRegister(r, "orv", "s1B6", 1);
         },
         {"orv.s186: missing", "orv.s1B6: unknown field"}},
        {"current channel and port rate out of range",
         [](QJsonObject& r) {
             r["orvCurrentChannel"] = 17;
             r["orvPortRate"] = -1;
         },
         {"orvCurrentChannel: must be a whole number from 1 to 16",
          "orvPortRate: must be a whole number from 0 to 9"}},
        {"no registers", [](QJsonObject& r) { r.remove("orv"); }, {"orv: missing"}},
        {"a newer layout, whatever else is wrong",
         [](QJsonObject& r) {
             r["format"] = 2;
             r.remove("orv");
         },
         {"format: this document is version 2; this program reads version 1 and older"}},
        {"a layout version that is no number",
         [](QJsonObject& r) { r["format"] = "1"; },
         {"format: must be a whole number from 1"}},
        {"registers not an object",
         [](QJsonObject& r) { r["orv"] = QJsonArray{1}; },
         {"orv: must be an object"}},
        {"an unknown family and a bad row",
         [](QJsonObject& r) {
             r["family"] = "vhf";
             SetChannel(r, 2, {{"direction", true}});
         },
         {"family: must be \"orv\" or \"qx\"", "channels[2].direction: must be a text"}},
        {"the other family's registers",
         [](QJsonObject& r) { r["qx"] = QJsonObject{}; },
         {"qx: unknown field"}},
        {"63 channels",
         [](QJsonObject& r) {
             QJsonArray rows = r["channels"].toArray();
             rows.removeLast();
             r["channels"] = rows;
         },
         {"channels: must be a list of 64 channels"}},
        {"a row elsewhere than its number, a frequency as a number",
         [](QJsonObject& r) {
             SetChannel(r, 7, {{"channel", "8"}});
             SetChannel(r, 5, {{"frequency", 433.125}, {"power", "1W"}});
         },
         {"channels[7].channel: must be empty or the row's number 7",
          "channels[5].frequency: must be a text", "channels[5].power: unknown field"}},
    };
    const QJsonObject good = Parse(SettingsToJson(OrvSample(), FAMILY_ORV));
    for (const BadDocument& c : cases) {
        QJsonObject root = good;
        c.edit(root);
        SettingsDocument document;
        document.settings.orv.s128 = 99; // left alone when the document is bad
        QStringList problems = SettingsFromJson(QJsonDocument(root).toJson(), &document);
        QStringList expected = c.expected;
        problems.sort();
        expected.sort();
        EXPECT_EQ(problems, expected) << c.what;
        EXPECT_EQ(document.settings.orv.s128, 99) << c.what;
    }
}

// An ORV radio's listing fills row 63 with channel 61's texts, so its read names row 63 "61":
// that document must be writable as read. Nowhere else does a row take another number.
TEST(SettingsJson, OnlyAnOrvRow63MayCarryChannel61) {
    struct Case {
        RadioFamily family;
        int row;
        bool accepted;
    };
    const Case cases[] = {{FAMILY_ORV, 63, true}, {FAMILY_ORV, 62, false}, {FAMILY_QX, 63, false}};
    for (const Case& c : cases) {
        QJsonObject root =
            Parse(SettingsToJson(c.family == FAMILY_ORV ? OrvSample() : QxSample(), c.family));
        SetChannel(root, c.row, {{"channel", "61"}});
        SettingsDocument document;
        const QStringList problems = SettingsFromJson(QJsonDocument(root).toJson(), &document);
        EXPECT_EQ(problems.isEmpty(), c.accepted) << c.family << " " << c.row;
        if (c.accepted) {
            EXPECT_EQ(document.settings.channels[63].channel, "61");
        }
    }
}

TEST(SettingsJson, ADocumentWithoutItsLayoutVersionIsTheFirstVersion) {
    QJsonObject root = Parse(SettingsToJson(QxSample(), FAMILY_QX));
    ASSERT_EQ(root.value("format"), QJsonValue(kDocumentFormat));
    root.remove("format");
    SettingsDocument document;
    EXPECT_TRUE(SettingsFromJson(QJsonDocument(root).toJson(), &document).isEmpty());
    EXPECT_TRUE(document.settings == QxSample());
}

TEST(SettingsJson, AFileThatIsNoDocumentSaysSo) {
    SettingsDocument document;
    EXPECT_TRUE(SettingsFromJson("{\"family\": \"qx\",", &document)
                    .constFirst()
                    .startsWith("not a JSON document"));
    EXPECT_TRUE(SettingsFromJson("[1, 2]", &document).constFirst().startsWith("not a settings"));
    EXPECT_EQ(SettingsFromJson("{}", &document),
              (QStringList{"family: missing", "channels: missing"}));
}

} // namespace
