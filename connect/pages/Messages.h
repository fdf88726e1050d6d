#pragma once
// The messages the program composes itself, each in Chinese and English; the language flag of
// the main window chooses one at the moment of display.

struct Bilingual {
    const char* zh;
    const char* en;

    const char* In(bool english) const { return english ? en : zh; }
};

namespace Msg {

// The port cannot be opened (absent, or held by another program).
inline constexpr Bilingual kNoPort{"没有发现此串口或被占用！", "NO Com or be used！"};
// The QX module was not powered on with CONFIG held in time.
inline constexpr Bilingual kNoPower{"未及时上电！", "No Power！"};
// The soft diagnosis tried every rate without an answer.
inline constexpr Bilingual kNoConnect{"未连接，请检查串口设备！", "No Connect,Please Check！"};

// The radio went silent in the middle of an exchange.
inline constexpr Bilingual kNoAnswer{"电台没有应答，已返回首页。",
                                     "The radio does not answer. Back to the home page."};
// The serial device went away (adapter unplugged, cable pulled).
inline constexpr Bilingual kPortLost{
    "串口已断开，请检查串口设备。已返回首页。",
    "The serial port is gone. Please check the serial device. Back to the home page."};
// A reply longer than any answer of the radio was thrown away (told before the silence after it).
inline constexpr Bilingual kReplyTooLong{
    "电台发来的应答过长，不是它的任何一种应答，已忽略。",
    "The radio sent a reply too long to be one of its answers; it was ignored."};
// The reading page was closed before the read had finished.
inline constexpr Bilingual kReadStopped{
    "读取未完成，串口已关闭。已返回首页。",
    "Reading was not finished and the port is closed. Back to the home page."};
// The saving page was closed before the radio had saved.
inline constexpr Bilingual kSaveStopped{
    "保存未完成，电台的设置可能不完整。已返回首页。",
    "Saving was not finished; the radio's settings may be incomplete. Back to the home page."};

// Asked before a settings page holding changes never written is left.
inline constexpr Bilingual kLeaveUnwritten{
    "页面上有尚未写入电台的更改：仍要离开吗？",
    "The page has changes that were not written to the radio: leave anyway?"};

// The radio confirmed the save of a write, or refused one of its commands.
inline constexpr Bilingual kSaved{"保存完毕！", "Saved already！"};
inline constexpr Bilingual kWriteError{"数据有误，请检查！", "Error，Please check！"};
// The radio went silent in the middle of a write; the settings page stays as the user left it.
inline constexpr Bilingual kNoAnswerWhileSaving{
    "电台没有应答，设置未保存完毕。请检查电台后重新设置。",
    "The radio does not answer; the settings were not all saved. Please check the radio and "
    "Set again."};
// A file the user chose cannot be opened or created (the same text in both languages).
inline constexpr Bilingual kCannotOpenFile{"无法打开文件", "无法打开文件"};
// The family button does not match the radio on the port.
inline constexpr Bilingual kQxOnOrvButton{"此串口接的是 QX260 模块，请使用 QX260 按钮。",
                                          "This port has a QX260 module; use the QX260 button."};
inline constexpr Bilingual kOrvOnQxButton{"此串口接的是 ORV 电台，请使用 ORV 按钮。",
                                          "This port has an ORV radio; use the ORV button."};

} // namespace Msg

// The caption of every message box the program shows.
inline constexpr const char* kMessageCaption = "ORVCONF";
