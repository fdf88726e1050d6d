// The port doctor fed each situation a user meets on a Linux desktop: what it finds, and the fix
// it gives, in both languages.

#include "serial/PortDoctor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using PortDoctor::Check;
using PortDoctor::Finding;
using PortDoctor::Verdict;

constexpr unsigned kDialout = 20;

// A desktop with one USB adapter at /dev/ttyUSB0 (group dialout, crw-rw----) and a user who is
// not in dialout; each case changes what it needs.
class CFakeSystem : public PortDoctor::IPortSystem {
public:
    std::map<std::string, PortDoctor::DeviceNode> nodes{
        {"/dev/ttyUSB0", {"/dev/ttyUSB0", true, 0, kDialout, 0660, 188, 0, false, "tty"}},
        {"/dev/serial/by-id/usb-adapter",
         {"/dev/ttyUSB0", true, 0, kDialout, 0660, 188, 0, false, "tty"}},
    };
    PortDoctor::User user{"ada", 1000, {1000}, {1000}};
    std::vector<PortDoctor::Process> processes{{1, "systemd", {"/dev/null"}}};
    std::map<std::string, std::string> properties{{"ID_VENDOR_ID", "1a86"},
                                                  {"ID_MODEL_ID", "7523"}};
    std::map<std::string, std::string> files;

    std::optional<PortDoctor::DeviceNode> Node(const std::string& path) const override {
        const auto found = nodes.find(path);
        return found == nodes.end() ? std::nullopt : std::optional(found->second);
    }
    bool mayUse = false;
    bool CanReadWrite(const std::string&) const override { return mayUse; }
    std::string GroupName(unsigned gid) const override {
        return gid == kDialout ? "dialout" : std::to_string(gid);
    }
    PortDoctor::User CurrentUser() const override { return user; }
    std::vector<PortDoctor::Process> Processes() const override { return processes; }
    std::map<std::string, std::string> DeviceProperties(unsigned major,
                                                        unsigned minor) const override {
        return major == 188 && minor == 0 ? properties : std::map<std::string, std::string>{};
    }
    std::optional<std::string> ReadText(const std::string& path) const override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }

    // brltty installed with its rules claiming the adapter's USB id.
    CFakeSystem& Brltty() {
        nodes["/usr/bin/brltty"] = {"/usr/bin/brltty", false, 0, 0, 0755, 0, 0, false, ""};
        files["/lib/udev/rules.d/85-brltty.rules"] =
            "ENV{PRODUCT}==\"1a86/7523/*\", ENV{BRLTTY_BRAILLE_DRIVER}=\"bm\", GOTO=\"brltty\"\n";
        return *this;
    }
    CFakeSystem& Run(int pid, const std::string& name, std::vector<std::string> open = {}) {
        processes.push_back({pid, name, std::move(open)});
        return *this;
    }
};

Finding Find(const std::vector<Finding>& findings, Check check) {
    const auto found = std::find_if(findings.begin(), findings.end(),
                                    [&](const Finding& f) { return f.check == check; });
    return found == findings.end() ? Finding{} : *found;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every '|'-separated part is in the text.
void ExpectParts(const std::string& text, const std::string& parts) {
    std::istringstream in(parts);
    for (std::string part; std::getline(in, part, '|');) {
        EXPECT_TRUE(Has(text, part)) << part << " not in: " << text;
    }
}

TEST(PortDoctor, FindsTheCauseAndGivesTheFixInBothLanguages) {
    struct Situation {
        std::string port;
        Check check;
        Verdict verdict;
        std::string english; // parts of the finding with its fix
        std::string chinese;
        void (*arrange)(CFakeSystem&) = nullptr;
    };
    const Situation situations[] = {
        {"ttyUSB0", Check::Permission, Verdict::Problem,
         "not in the group dialout|crw-rw----|sudo usermod -aG dialout $USER|log out and in again",
         "dialout 组|sudo usermod -aG dialout $USER|重新登录"},
        {"ttyUSB0", Check::Permission, Verdict::Problem,
         "has been added to the group dialout|Log out and in again", "已加入 dialout 组|重新登录",
         [](CFakeSystem& s) { s.user.listedGroups.push_back(kDialout); }},
        {"ttyUSB0", Check::Permission, Verdict::Problem, "crw-------|chmod 660 /dev/ttyUSB0",
         "chmod 660 /dev/ttyUSB0", [](CFakeSystem& s) { s.nodes["/dev/ttyUSB0"].mode = 0600; }},
        {"ttyUSB0", Check::Holder, Verdict::Problem, "minicom (PID 4242)|/proc/4242/fd",
         "minicom (PID 4242)|kill 4242",
         [](CFakeSystem& s) {
             s.Run(4242, "minicom", {"/dev/pts/1", "/dev/ttyUSB0"});
         }},
        {"serial/by-id/usb-adapter", Check::Holder, Verdict::Problem, "screen (PID 77)",
         "screen (PID 77)", [](CFakeSystem& s) { s.Run(77, "screen", {"/dev/ttyUSB0"}); }},
        {"ttyUSB1", Check::Exists, Verdict::Problem, "/dev/ttyUSB1 does not exist|dmesg",
         "/dev/ttyUSB1 不存在"},
        {"/tmp/notes", Check::Exists, Verdict::Problem, "not a serial device", "不是串口设备",
         [](CFakeSystem& s) {
             s.nodes["/tmp/notes"] = {"/tmp/notes", false, 0, 0, 0644, 0, 0, false, ""};
         }},
        {"null", Check::Exists, Verdict::Problem, "not a serial device", "不是串口设备",
         [](CFakeSystem& s) {
             s.nodes["/dev/null"] = {"/dev/null", true, 0, 0, 0666, 1, 3, false, "mem"};
         }},
        {"ttyUSB0", Check::ModemManager, Verdict::Warning,
         "has not been told|ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"7523\", "
         "ENV{ID_MM_DEVICE_IGNORE}=\"1\"|systemctl stop ModemManager",
         "ModemManager 正在运行", [](CFakeSystem& s) { s.Run(900, "ModemManager"); }},
        {"ttyUSB0", Check::ModemManager, Verdict::Ok, "leave this port alone", "忽略此串口",
         [](CFakeSystem& s) {
             s.Run(900, "ModemManager").properties["ID_MM_DEVICE_IGNORE"] = "1";
         }},
        {"ttyUSB0", Check::Brltty, Verdict::Problem, "CH340|apt remove brltty|85-brltty.rules",
         "apt remove brltty|ln -s /dev/null /etc/udev/rules.d/85-brltty.rules",
         [](CFakeSystem& s) { s.Brltty().nodes.erase("/dev/ttyUSB0"); }},
        {"ttyUSB0", Check::Brltty, Verdict::Warning, "the port vanishes", "",
         [](CFakeSystem& s) { s.Brltty(); }},
    };
    for (const Situation& situation : situations) {
        SCOPED_TRACE(situation.english);
        CFakeSystem system;
        if (situation.arrange) {
            situation.arrange(system);
        }
        const std::vector<Finding> findings = PortDoctor::Examine(system, situation.port);
        const Finding finding = Find(findings, situation.check);
        EXPECT_EQ(finding.verdict, situation.verdict) << finding.english;
        ExpectParts(finding.english + "\n" + finding.fixEnglish, situation.english);
        ExpectParts(finding.chinese + "\n" + finding.fixChinese, situation.chinese);
        // What the window tells after a failed open: the problems with their fixes.
        const std::string summary = PortDoctor::Summary(findings, true, false);
        EXPECT_EQ(Has(summary, finding.english) && Has(summary, finding.fixEnglish),
                  situation.verdict == Verdict::Problem);
    }
}

// The command line's one-line reason after a failed open comes from the same checks.
TEST(PortDoctor, WhyAnOpenFailedIsTheFirstObstacle) {
    using PortDoctor::OpenFailure;
    CFakeSystem system;
    system.nodes["/home/ada"] = {"/home/ada", false, 1000, 1000, 0755, 0, 0, true, ""};
    system.nodes["/dev/null"] = {"/dev/null", true, 0, 0, 0666, 1, 3, false, "mem"};
    system.nodes["/dev/pts/4"] = {"/dev/pts/4", true, 1000, 5, 0620, 136, 4, false, ""};
    const std::pair<std::string, OpenFailure> ports[] = {
        {"ttyUSB1", OpenFailure::Missing},
        {"/home/ada", OpenFailure::Folder},
        {"null", OpenFailure::NotSerialPort},
        {"ttyUSB0", OpenFailure::NoPermission},
        {"serial/by-id/usb-adapter", OpenFailure::NoPermission},
        {"pts/4", OpenFailure::NoPermission},
    };
    for (const auto& [port, failure] : ports) {
        EXPECT_EQ(PortDoctor::WhyOpenFailed(system, port), failure) << port;
    }
    // Nothing in the way that can be seen: another program has it.
    system.mayUse = true;
    EXPECT_EQ(PortDoctor::WhyOpenFailed(system, "pts/4"), OpenFailure::InUse);
    EXPECT_EQ(PortDoctor::WhyOpenFailed(system, "ttyUSB0"), OpenFailure::InUse);
}

} // namespace
