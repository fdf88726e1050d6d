#include "serial/PortDoctor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace PortDoctor {

namespace {

// The rules of the brltty package claim the USB-serial bridges some braille displays use; the
// same chips sit in most radio cables.
constexpr std::array kBrlttyRules{"/usr/lib/udev/rules.d/85-brltty.rules",
                                  "/lib/udev/rules.d/85-brltty.rules"};
constexpr const char* kBrlttyOverride = "/etc/udev/rules.d/85-brltty.rules";
constexpr std::array kSerialBridgeVendors{"1a86", "10c4", "0403", "067b"};

bool Contains(const std::vector<unsigned>& list, unsigned value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool MentionsSerialBridge(const std::string& rules) {
    return std::any_of(kSerialBridgeVendors.begin(), kSerialBridgeVendors.end(),
                       [&](const char* vendor) { return rules.find(vendor) != std::string::npos; });
}

// "crw-rw----" from the permission bits of a character device.
std::string ModeText(const DeviceNode& node) {
    std::string text = node.characterDevice ? "c" : "-";
    const char* letters = "rwx";
    for (int bit = 8; bit >= 0; --bit) {
        text += (node.mode & (1u << bit)) != 0 ? letters[(8 - bit) % 3] : '-';
    }
    return text;
}

Finding Make(Check check, Verdict verdict, std::string chinese, std::string english,
             std::string fixChinese = {}, std::string fixEnglish = {}) {
    return Finding{check,
                   verdict,
                   std::move(chinese),
                   std::move(english),
                   std::move(fixChinese),
                   std::move(fixEnglish)};
}

Finding Skipped(Check check) {
    return Make(check, Verdict::Skipped, "串口不存在，未检查。",
                "Not checked: the port does not exist.");
}

// A character device the kernel lists under another class than tty (/dev/null, a disk) is none.
bool IsSerialDevice(const DeviceNode& node) {
    return node.characterDevice && (node.deviceClass.empty() || node.deviceClass == "tty");
}

Finding ExistsFinding(const std::string& path, const std::optional<DeviceNode>& node) {
    if (!node) {
        return Make(Check::Exists, Verdict::Problem, "串口 " + path + " 不存在。",
                    "The port " + path + " does not exist.",
                    "检查转换器或电缆是否插好（插上后 sudo dmesg 会显示它得到的名称），"
                    "并在端口列表中选择存在的串口。",
                    "Check that the adapter or cable is plugged in (sudo dmesg shows the name "
                    "it gets when plugged in) and pick a port that exists from the list.");
    }
    if (!IsSerialDevice(*node)) {
        return Make(Check::Exists, Verdict::Problem, path + " 不是串口设备。",
                    path + " is not a serial device.", "在端口列表中选择一个串口。",
                    "Pick a serial port from the list.");
    }
    return Make(Check::Exists, Verdict::Ok, "串口 " + node->path + " 存在。",
                "The port " + node->path + " exists.");
}

Finding PermissionFinding(const IPortSystem& system, const DeviceNode& node) {
    const std::string group = system.GroupName(node.gid);
    const std::string where = node.path + "（" + group + " 组，" + ModeText(node) + "）";
    const std::string whereEn = node.path + " (group " + group + ", " + ModeText(node) + ")";
    if (system.CanReadWrite(node.path)) {
        return Make(Check::Permission, Verdict::Ok, "可以读写 " + where + "。",
                    "Reading and writing " + whereEn + " is allowed.");
    }
    const User user = system.CurrentUser();
    const bool groupMayUse = (node.mode & 060u) == 060u;
    if (groupMayUse && Contains(user.listedGroups, node.gid) &&
        !Contains(user.sessionGroups, node.gid)) {
        return Make(Check::Permission, Verdict::Problem,
                    "没有读写 " + where + " 的权限：用户 " + user.name + " 已加入 " + group +
                        " 组，但当前登录还没有这个组。",
                    "No permission to read and write " + whereEn + ": user " + user.name +
                        " has been added to the group " + group +
                        ", but this login does not have it yet.",
                    "注销并重新登录（或重新启动），新的登录才有新加入的组。",
                    "Log out and in again (or restart): only a new login has the new group.");
    }
    if (groupMayUse) {
        return Make(Check::Permission, Verdict::Problem,
                    "没有读写 " + where + " 的权限：用户 " + user.name + " 不在 " + group +
                        " 组中。",
                    "No permission to read and write " + whereEn + ": user " + user.name +
                        " is not in the group " + group + ".",
                    "执行 sudo usermod -aG " + group +
                        " $USER，然后注销并重新登录（新的登录才有新加入的组）。",
                    "Run sudo usermod -aG " + group +
                        " $USER, then log out and in again (only a new login has the new "
                        "group).");
    }
    return Make(Check::Permission, Verdict::Problem,
                "没有读写 " + where + " 的权限，该组也不能读写它。",
                "No permission to read and write " + whereEn + ", and its group may not either.",
                "请管理员允许该组读写此串口，例如 sudo chmod 660 " + node.path +
                    "，或安装 orvconf 软件包（其 udev 规则让登录的用户可以使用常见的转换器）。",
                "Ask the administrator to let the group read and write it, e.g. sudo chmod 660 " +
                    node.path +
                    ", or install the orvconf package (its udev rule lets the logged-in user "
                    "use the common adapters).");
}

Finding HolderFinding(const std::vector<Process>& processes, const DeviceNode& node,
                      bool seesEveryone) {
    std::string who;
    std::string fix;
    std::string fixEn;
    std::string firstPid;
    for (const Process& process : processes) {
        if (std::find(process.openFiles.begin(), process.openFiles.end(), node.path) ==
            process.openFiles.end()) {
            continue;
        }
        const std::string pid = std::to_string(process.pid);
        who += (who.empty() ? "" : ", ") + process.name + " (PID " + pid + ")";
        firstPid = firstPid.empty() ? pid : firstPid;
    }
    if (!who.empty()) {
        return Make(Check::Holder, Verdict::Problem,
                    "串口 " + node.path + " 已被其他程序打开：" + who + "。",
                    "The port " + node.path + " is held by another program: " + who + ".",
                    "关闭该程序后再试（或执行 kill " + firstPid + "）。在 /proc/" + firstPid +
                        "/fd 中可以看到它打开的文件。",
                    "Close that program and try again (or run kill " + firstPid + "). /proc/" +
                        firstPid + "/fd shows the files it holds.");
    }
    return seesEveryone ? Make(Check::Holder, Verdict::Ok, "没有其他程序打开此串口。",
                               "No other program holds the port.")
                        : Make(Check::Holder, Verdict::Ok,
                               "当前用户的程序都没有打开此串口（其他用户的程序看不到）。",
                               "None of this user's programs holds the port (other users' programs "
                               "cannot be seen).");
}

Finding ModemManagerFinding(const IPortSystem& system, const std::vector<Process>& processes,
                            const std::optional<DeviceNode>& node) {
    const bool running = std::any_of(processes.begin(), processes.end(),
                                     [](const Process& p) { return p.name == "ModemManager"; });
    if (!running) {
        return Make(Check::ModemManager, Verdict::Ok, "ModemManager 未运行。",
                    "ModemManager is not running.");
    }
    std::string rule = "ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
    if (node) {
        const auto properties = system.DeviceProperties(node->major, node->minor);
        const auto ignore = properties.find("ID_MM_DEVICE_IGNORE");
        if (ignore != properties.end() && ignore->second == "1") {
            return Make(Check::ModemManager, Verdict::Ok,
                        "ModemManager 正在运行，但已被告知忽略此串口。",
                        "ModemManager is running but has been told to leave this port alone.");
        }
        const auto vendor = properties.find("ID_VENDOR_ID");
        const auto model = properties.find("ID_MODEL_ID");
        if (vendor != properties.end() && model != properties.end()) {
            rule = "ATTRS{idVendor}==\"" + vendor->second + "\", ATTRS{idProduct}==\"" +
                   model->second + "\", " + rule;
        }
    }
    return Make(
        Check::ModemManager, Verdict::Warning,
        "ModemManager 正在运行，并且没有被告知忽略此串口：插上转换器后的几秒内它会探测串口，"
        "打乱与电台的通信。",
        "ModemManager is running and has not been told to leave this port alone: in the first "
        "seconds after the adapter is plugged in it probes the port and scrambles the exchange "
        "with the radio.",
        "安装 orvconf 软件包（其 udev 规则让 ModemManager 忽略常见的转换器），或在 "
        "/etc/udev/rules.d/ 中加一条规则 " +
            rule +
            " 并执行 sudo udevadm control --reload，然后重新插入转换器；"
            "不用调制解调器时也可以执行 sudo systemctl stop ModemManager。",
        "Install the orvconf package (its udev rule tells ModemManager to ignore the common "
        "adapters), or add the rule " +
            rule +
            " under /etc/udev/rules.d/, run sudo udevadm control --reload and plug the adapter "
            "in again; without a modem, sudo systemctl stop ModemManager also does.");
}

Finding BrlttyFinding(const IPortSystem& system, bool portMissing) {
    const bool installed =
        system.Node("/usr/bin/brltty").has_value() || system.Node("/bin/brltty").has_value();
    if (!installed) {
        return Make(Check::Brltty, Verdict::Ok, "brltty 未安装。", "brltty is not installed.");
    }
    bool rulesActive = false;
    for (const char* path : kBrlttyRules) {
        const auto rules = system.ReadText(path);
        rulesActive = rulesActive || (rules && MentionsSerialBridge(*rules));
    }
    // A file of the same name under /etc replaces the package's rules (an empty one or a link
    // to /dev/null switches them off).
    const auto override = system.ReadText(kBrlttyOverride);
    if (override) {
        rulesActive = MentionsSerialBridge(*override);
    }
    if (!rulesActive) {
        return Make(Check::Brltty, Verdict::Ok, "brltty 已安装，但其 USB 串口规则未生效。",
                    "brltty is installed, but its USB-serial rules are not active.");
    }
    return Make(Check::Brltty, portMissing ? Verdict::Problem : Verdict::Warning,
                "brltty 已安装，其 udev 规则会占用 CH340、CP210x 等 USB 转串口转换器："
                "插上后串口随即消失。",
                "brltty is installed and its udev rules take USB-serial adapters such as the "
                "CH340 and CP210x: the port vanishes right after it is plugged in.",
                "不使用盲文显示器时执行 sudo apt remove brltty；或屏蔽其规则：sudo ln -s "
                "/dev/null /etc/udev/rules.d/85-brltty.rules，然后重新插入转换器。",
                "Without a braille display, run sudo apt remove brltty; or switch its rules "
                "off with sudo ln -s /dev/null /etc/udev/rules.d/85-brltty.rules, then plug "
                "the adapter in again.");
}

} // namespace

std::string DevicePath(const std::string& port) {
    return !port.empty() && port.front() == '/' ? port : "/dev/" + port;
}

OpenFailure WhyOpenFailed(const IPortSystem& system, const std::string& port) {
    const std::optional<DeviceNode> node = system.Node(DevicePath(port));
    if (!node) {
        return OpenFailure::Missing;
    }
    if (node->directory) {
        return OpenFailure::Folder;
    }
    if (!IsSerialDevice(*node)) {
        return OpenFailure::NotSerialPort;
    }
    return system.CanReadWrite(node->path) ? OpenFailure::InUse : OpenFailure::NoPermission;
}

std::vector<Finding> Examine(const IPortSystem& system, const std::string& port) {
    const std::string path = DevicePath(port);
    std::optional<DeviceNode> node = system.Node(path);
    std::vector<Finding> findings{ExistsFinding(path, node)};
    if (node && !IsSerialDevice(*node)) {
        node.reset();
    }
    const std::vector<Process> processes = system.Processes();
    if (node) {
        findings.push_back(PermissionFinding(system, *node));
        findings.push_back(HolderFinding(processes, *node, system.CurrentUser().uid == 0));
    } else {
        findings.push_back(Skipped(Check::Permission));
        findings.push_back(Skipped(Check::Holder));
    }
    findings.push_back(ModemManagerFinding(system, processes, node));
    findings.push_back(BrlttyFinding(system, !node));
    return findings;
}

std::vector<Finding> ExamineSystem(const IPortSystem& system) {
    return {ModemManagerFinding(system, system.Processes(), std::nullopt),
            BrlttyFinding(system, false)};
}

std::string Summary(const std::vector<Finding>& findings, bool english, bool withWarnings) {
    std::string text;
    for (const Finding& finding : findings) {
        if (finding.verdict != Verdict::Problem &&
            !(withWarnings && finding.verdict == Verdict::Warning)) {
            continue;
        }
        text += (text.empty() ? "" : "\n\n") + (english ? finding.english : finding.chinese);
        const std::string& fix = english ? finding.fixEnglish : finding.fixChinese;
        if (!fix.empty()) {
            text += "\n" + fix;
        }
    }
    return text;
}

std::string Report(const std::vector<Finding>& findings, bool english) {
    std::string text;
    for (const Finding& finding : findings) {
        text += (text.empty() ? "" : "\n\n") + std::string(CheckName(finding.check, english)) +
                (english ? ": " : "：") + VerdictName(finding.verdict, english) + "\n" +
                (english ? finding.english : finding.chinese);
        const std::string& fix = english ? finding.fixEnglish : finding.fixChinese;
        if (!fix.empty()) {
            text += "\n" + fix;
        }
    }
    return text;
}

const char* CheckName(Check check, bool english) {
    switch (check) {
    case Check::Exists:
        return english ? "device" : "设备";
    case Check::Permission:
        return english ? "permission" : "权限";
    case Check::Holder:
        return english ? "held by" : "占用";
    case Check::ModemManager:
        return "ModemManager";
    case Check::Brltty:
        return "brltty";
    }
    return "";
}

const char* VerdictName(Verdict verdict, bool english) {
    switch (verdict) {
    case Verdict::Ok:
        return english ? "ok" : "正常";
    case Verdict::Problem:
        return english ? "PROBLEM" : "问题";
    case Verdict::Warning:
        return english ? "warning" : "注意";
    case Verdict::Skipped:
        return english ? "skipped" : "跳过";
    }
    return "";
}

namespace {

// Read from /sys by its numbers, which needs no access to the device itself.
std::string DeviceClass(unsigned major, unsigned minor) {
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink(
        "/sys/dev/char/" + std::to_string(major) + ":" + std::to_string(minor) + "/subsystem",
        error);
    return error ? std::string() : link.filename().string();
}

class CHostSystem final : public IPortSystem {
public:
    std::optional<DeviceNode> Node(const std::string& path) const override {
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        struct stat info {};
        if (error || ::stat(resolved.c_str(), &info) != 0) {
            return std::nullopt;
        }
        DeviceNode node;
        node.path = resolved.string();
        node.characterDevice = S_ISCHR(info.st_mode);
        node.uid = info.st_uid;
        node.gid = info.st_gid;
        node.mode = info.st_mode & 07777u;
        node.major = major(info.st_rdev);
        node.minor = minor(info.st_rdev);
        node.directory = S_ISDIR(info.st_mode);
        if (node.characterDevice) {
            node.deviceClass = DeviceClass(node.major, node.minor);
        }
        return node;
    }

    bool CanReadWrite(const std::string& path) const override {
        return ::access(path.c_str(), R_OK | W_OK) == 0;
    }

    std::string GroupName(unsigned gid) const override {
        std::vector<char> buffer(16384);
        group entry{};
        group* found = nullptr;
        if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
            return found->gr_name;
        }
        return std::to_string(gid);
    }

    User CurrentUser() const override {
        User user;
        user.uid = ::getuid();
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        gid_t primary = ::getgid();
        if (::getpwuid_r(user.uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
            user.name = found->pw_name;
            primary = found->pw_gid;
        } else {
            user.name = std::to_string(user.uid);
        }
        const int count = ::getgroups(0, nullptr);
        std::vector<gid_t> session(static_cast<std::size_t>(std::max(count, 0)));
        if (count > 0 && ::getgroups(count, session.data()) == count) {
            user.sessionGroups.assign(session.begin(), session.end());
        }
        user.sessionGroups.push_back(::getgid());
        if (found) {
            int listed = 64;
            std::vector<gid_t> groups(static_cast<std::size_t>(listed));
            if (::getgrouplist(user.name.c_str(), primary, groups.data(), &listed) < 0) {
                groups.resize(static_cast<std::size_t>(listed));
                ::getgrouplist(user.name.c_str(), primary, groups.data(), &listed);
            }
            groups.resize(static_cast<std::size_t>(std::max(listed, 0)));
            user.listedGroups.assign(groups.begin(), groups.end());
        }
        return user;
    }

    std::vector<Process> Processes() const override {
        std::vector<Process> processes;
        std::error_code error;
        const int self = ::getpid();
        for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
            const std::string name = entry.path().filename().string();
            if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) {
                    return c >= '0' && c <= '9';
                })) {
                continue;
            }
            Process process;
            process.pid = std::stoi(name);
            if (process.pid == self) {
                continue;
            }
            std::ifstream comm(entry.path() / "comm");
            std::getline(comm, process.name);
            std::error_code fdError;
            for (const auto& fd :
                 std::filesystem::directory_iterator(entry.path() / "fd", fdError)) {
                std::error_code linkError;
                const auto target = std::filesystem::read_symlink(fd.path(), linkError);
                if (!linkError) {
                    process.openFiles.push_back(target.string());
                }
            }
            processes.push_back(std::move(process));
        }
        return processes;
    }

    std::map<std::string, std::string> DeviceProperties(unsigned majorNumber,
                                                        unsigned minorNumber) const override {
        std::map<std::string, std::string> properties;
        std::ifstream data("/run/udev/data/c" + std::to_string(majorNumber) + ":" +
                           std::to_string(minorNumber));
        std::string line;
        while (std::getline(data, line)) {
            const auto equals = line.find('=');
            if (line.rfind("E:", 0) == 0 && equals != std::string::npos) {
                properties[line.substr(2, equals - 2)] = line.substr(equals + 1);
            }
        }
        return properties;
    }

    std::optional<std::string> ReadText(const std::string& path) const override {
        std::ifstream file(path);
        if (!file) {
            return std::nullopt;
        }
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

} // namespace

const IPortSystem& HostSystem() {
    static const CHostSystem system;
    return system;
}

} // namespace PortDoctor
