// The simulator's saved settings file and its command line: what is kept, and what is refused
// with a message instead of being half-understood.

#include "SimStateFile.h"
#include "SimOptions.h"

#include <gtest/gtest.h>

namespace {

QString Refusal(const QByteArray& json) {
    SimState state = DefaultSimState(FAMILY_QX);
    const SimState before = state;
    QString error;
    EXPECT_FALSE(SimStateFromJson(json, &state, &error)) << json.constData();
    EXPECT_EQ(state, before) << "a refused file changes nothing";
    return error;
}

QString OptionError(const QStringList& arguments) {
    SimOptions options;
    QString message;
    EXPECT_EQ(
        ParseSimOptions(QStringList{QStringLiteral("orvconf-sim")} + arguments, &options, &message),
        SimOptionsResult::Error)
        << arguments.join(' ').toStdString();
    return message;
}

} // namespace

TEST(SimStateFile, KeepsEverythingAcrossAWriteAndARead) {
    for (int family : {FAMILY_ORV, FAMILY_QX}) {
        SimState state = DefaultSimState(family);
        state.registers[105] = 201;
        state.registers[102] = family == FAMILY_ORV ? 9 : 14;
        state.channels[7] = {};
        state.channels[63] = {true, 479993750, 0, 1};
        if (family == FAMILY_ORV) {
            state.currentChannel = 16;
        }
        SimState read;
        QString error;
        ASSERT_TRUE(SimStateFromJson(SimStateToJson(state), &read, &error)) << error.toStdString();
        EXPECT_EQ(read, state);
    }
}

TEST(SimStateFile, LeftOutRegistersKeepTheirFactoryValues) {
    SimState state;
    QString error;
    ASSERT_TRUE(SimStateFromJson(R"({"family": "qx", "registers": {"S105": 77}})", &state, &error))
        << error.toStdString();
    EXPECT_EQ(state.registers.at(105), 77);
    EXPECT_EQ(state.registers.at(110), DefaultSimState(FAMILY_QX).registers.at(110));
    EXPECT_FALSE(state.channels[0].programmed) << "no channels listed, none programmed";
}

TEST(SimStateFile, RefusesWhatItCannotUseAndSaysWhy) {
    EXPECT_TRUE(Refusal("{\"family\": ").contains("JSON"));
    EXPECT_TRUE(Refusal(R"({"family": "abc", "registers": {}})").contains("family"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {"S226": 1}})").contains("S226"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {"S108": 34}})").contains("S108"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {"S105": 1.5}})").contains("S105"));
    EXPECT_TRUE(Refusal(R"({"family": "orv", "registers": {"S102": 8}})").contains("S102"));
    EXPECT_TRUE(Refusal(R"({"family": "orv", "currentChannel": 17, "registers": {}})")
                    .contains("current channel"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {}, "channels": [
                          {"channel": 3, "frequencyHz": 500000000, "bandwidthKHz": "25",
                           "direction": "Rx"}]})")
                    .contains("channel 3"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {}, "channels": [
                          {"channel": 64, "frequencyHz": 433000000, "bandwidthKHz": "25",
                           "direction": "Rx"}]})")
                    .contains("0..63"));
    EXPECT_TRUE(Refusal(R"({"family": "qx", "registers": {}, "channels": [
                          {"channel": 3, "frequencyHz": 433000000, "bandwidthKHz": "20",
                           "direction": "Rx"}]})")
                    .contains("bandwidthKHz"));
}

TEST(SimOptions, ReadsTheFaultsAndRefusesBadValues) {
    SimOptions options;
    QString message;
    ASSERT_EQ(ParseSimOptions({"orvconf-sim", "--family", "QX", "--rate", "7200", "--no-pace",
                               "--noise", "ff 00", "--silent-after", "5", "--error-on",
                               "ats105=", "--extra-listing-lines", "3"},
                              &options, &message),
              SimOptionsResult::Run)
        << message.toStdString();
    EXPECT_EQ(options.family, FAMILY_QX);
    EXPECT_EQ(options.baud, 7200);
    EXPECT_FALSE(options.pace);
    EXPECT_EQ(options.faults.noise, std::string("\xff\x00", 2));
    EXPECT_EQ(options.faults.silentAfter, 5);
    EXPECT_EQ(options.faults.errorOn, "ats105=");
    EXPECT_EQ(options.faults.extraListingLines, 3);
    EXPECT_EQ(options.announceDelayMs, 1000);

    EXPECT_TRUE(OptionError({}).contains("--family"));
    EXPECT_TRUE(OptionError({"--family", "xyz"}).contains("orv or qx"));
    EXPECT_TRUE(OptionError({"--family", "orv", "--rate", "7200"}).contains("--rate"))
        << "7200 is a QX rate only";
    EXPECT_TRUE(OptionError({"--family", "orv", "--noise", "f"}).contains("--noise"));
    EXPECT_TRUE(OptionError({"--family", "orv", "--announce-delay", "-5"}).contains("delay"));
    EXPECT_TRUE(OptionError({"--family", "orv", "--bogus"}).contains("bogus"));

    EXPECT_EQ(ParseSimOptions({"orvconf-sim", "--help"}, &options, &message),
              SimOptionsResult::Help);
    EXPECT_TRUE(message.contains("--silent-on"));
}
