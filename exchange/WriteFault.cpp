#include "exchange/WriteFault.h"

#include "exchange/WriteSequence.h"

namespace {

// A prompt by what it asks; the end of the dialogue ("OK") by what it is; anything else as it
// came.
std::string Named(const std::string& text, bool english) {
    struct Name {
        const char* text;
        const char* en;
        const char* zh;
    };
    const Name names[] = {
        {CWriteSequence::kChannelPrompt, "the channel number", "信道号"},
        {CWriteSequence::kFrequencyPrompt, "the frequency", "频率"},
        {CWriteSequence::kBandwidthPrompt, "the bandwidth", "带宽"},
        {CWriteSequence::kDirectionPrompt, "the direction", "方向"},
        {CWriteSequence::kDialogueEnd, "the end of the channel dialogue", "信道对话结束"},
    };
    for (const Name& name : names) {
        if (text == name.text) {
            return english ? name.en : name.zh;
        }
    }
    return text;
}

} // namespace

std::string WriteFaultText(const WriteFault& fault, bool english) {
    const std::string expected = Named(fault.expected, english);
    const std::string received = Named(fault.received, english);
    if (fault.kind == WriteFault::Kind::UnexpectedPrompt) {
        return english ? "The radio asked for " + received + " where " + expected + " was due."
                       : "电台要求的是" + received + "，此时应为" + expected + "。";
    }
    return english ? "The radio took " + received + " where " + expected + " was sent."
                   : "电台收到的是" + received + "，发送的是" + expected + "。";
}

std::string SaveUnconfirmedText(bool english) {
    return english ? "The radio's answer to the save was not understood; the settings may have "
                     "been saved."
                   : "电台对保存命令的应答无法识别，设置可能已经保存。";
}
