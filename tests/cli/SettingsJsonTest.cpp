// The settings document: valid JSON whatever the radio sent, fields in read order.

#include "cli/SettingsJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject Parse(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

TEST(SettingsJson, OrvDocumentHoldsEveryFieldInReadOrder) {
    RadioSettings settings;
    settings.orvCurrentChannel = 3;
    settings.orvPortRate = 7;
    settings.orv.s186 = 1;
    settings.orv.s103 = 5;
    settings.orv.s105 = "12";
    settings.channels[0] = {"0", "433.125000", "25   KHz", "Rx&Tx"};
    settings.channels[63] = {"63", "470.000000", "6.25 KHz", "Tx"};
    const std::string text = SettingsToJson(settings, FAMILY_ORV);
    const QJsonObject doc = Parse(text);
    EXPECT_EQ(doc["family"].toString(), "orv");
    EXPECT_EQ(doc["orvCurrentChannel"].toInt(), 3);
    EXPECT_EQ(doc["orvPortRate"].toInt(), 7);
    EXPECT_EQ(doc["orv"]["s105"].toString(), "12");
    EXPECT_EQ(doc["orv"]["s103"].toInt(), 5);
    const QJsonArray channels = doc["channels"].toArray();
    ASSERT_EQ(channels.size(), 64);
    EXPECT_EQ(channels[0]["bandwidth"].toString(), "25   KHz");
    EXPECT_EQ(channels[63]["direction"].toString(), "Tx");
    EXPECT_EQ(channels[5]["frequency"].toString(), "");
    EXPECT_FALSE(doc.contains("qx"));
    // Read order, not alphabetical: the family first, the registers as the radio was asked.
    EXPECT_LT(text.find("\"family\""), text.find("\"orvCurrentChannel\""));
    EXPECT_LT(text.find("\"s128\""), text.find("\"s186\""));
    EXPECT_LT(text.find("\"s190\""), text.find("\"s105\""));
    EXPECT_LT(text.find("\"orv\""), text.find("\"channels\""));
}

TEST(SettingsJson, QxDocumentHoldsAllFifteenRegisters) {
    RadioSettings settings;
    settings.qx.s108 = 33;
    settings.qx.s110 = 1;
    settings.qx.s131 = 12;
    const QJsonObject doc = Parse(SettingsToJson(settings, FAMILY_QX));
    EXPECT_EQ(doc["family"].toString(), "qx");
    EXPECT_EQ(doc["qx"].toObject().size(), 15);
    EXPECT_EQ(doc["qx"]["s108"].toInt(), 33);
    EXPECT_EQ(doc["qx"]["s131"].toInt(), 12);
    EXPECT_FALSE(doc.contains("orv"));
    EXPECT_FALSE(doc.contains("orvPortRate"));
}

TEST(SettingsJson, AnythingTheRadioSentStaysValidJson) {
    RadioSettings settings;
    settings.orv.s105 = std::string("a\"b\\c\r\x01\x7f\xff\xe4\xb8\xad", 12); // ends with "中"
    settings.channels[1] = {"1", "43\t3", std::string("\xc3", 1), "Rx\n"};
    const QJsonObject doc = Parse(SettingsToJson(settings, FAMILY_ORV));
    EXPECT_EQ(doc["orv"]["s105"].toString(), QString::fromUtf8("a\"b\\c\r\x01\x7f\xc3\xbf中"));
    EXPECT_EQ(doc["channels"][1]["frequency"].toString(), "43\t3");
    EXPECT_EQ(doc["channels"][1]["bandwidth"].toString(), QString(QChar(0xC3)));
    EXPECT_EQ(doc["channels"][1]["direction"].toString(), "Rx\n");
}

} // namespace
