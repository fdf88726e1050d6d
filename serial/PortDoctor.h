#pragma once
// Why a serial port cannot be opened on Linux, and what to do about it: the device missing,
// no permission, another program holding it, ModemManager probing it, brltty taking the
// adapter. The checks read the system only through IPortSystem, so that each situation can be
// fed to them; the real system is PortDoctor::HostSystem(). Standard C++ only: the window and
// the command line show the findings in their own way.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace PortDoctor {

struct DeviceNode {
    std::string path; // with symbolic links resolved (/dev/serial/by-id/... -> /dev/ttyUSB0)
    bool characterDevice = false;
    unsigned uid = 0;
    unsigned gid = 0;
    unsigned mode = 0; // permission bits
    unsigned major = 0;
    unsigned minor = 0;
    bool directory = false;
    // The kernel's class of a character device ("tty", "mem", "block"...); empty where it files
    // none, as for pseudo-terminals, which are terminals all the same.
    std::string deviceClass;
};

struct User {
    std::string name;
    unsigned uid = 0;
    std::vector<unsigned> sessionGroups; // the groups this login has
    std::vector<unsigned> listedGroups;  // the groups the user database gives the user now
};

struct Process {
    int pid = 0;
    std::string name;                   // its command name
    std::vector<std::string> openFiles; // resolved paths of its open descriptors
};

// What the checks may ask of the system.
class IPortSystem {
public:
    virtual ~IPortSystem() = default;
    virtual std::optional<DeviceNode> Node(const std::string& path) const = 0;
    virtual bool CanReadWrite(const std::string& path) const = 0;
    virtual std::string GroupName(unsigned gid) const = 0;
    virtual User CurrentUser() const = 0;
    // Every process this user may look at, this program excepted.
    virtual std::vector<Process> Processes() const = 0;
    // The device manager's properties of a character device (ID_MM_DEVICE_IGNORE, ...).
    virtual std::map<std::string, std::string> DeviceProperties(unsigned major,
                                                                unsigned minor) const = 0;
    // A file's text, or nothing when it does not exist.
    virtual std::optional<std::string> ReadText(const std::string& path) const = 0;
};

enum class Check { Exists, Permission, Holder, ModemManager, Brltty };
enum class Verdict { Ok, Problem, Warning, Skipped };

struct Finding {
    Check check;
    Verdict verdict;
    std::string chinese; // what was found
    std::string english;
    std::string fixChinese; // what to do; empty when nothing needs doing
    std::string fixEnglish;
};

// Why opening a port failed, told from the system without opening the device again (which could
// disturb a line that another program is using).
enum class OpenFailure { Missing, Folder, NotSerialPort, NoPermission, InUse };

// The port name as the tool lists it ("ttyUSB0", "pts/4") or a full path.
std::string DevicePath(const std::string& port);

// Asked after opening the port failed: the first obstacle found; "in use" when none is.
OpenFailure WhyOpenFailed(const IPortSystem& system, const std::string& port);

// Every check on one port, in a fixed order; a check that depends on one that failed says so.
std::vector<Finding> Examine(const IPortSystem& system, const std::string& port);

// The checks that do not need a port (ModemManager, brltty), for when none is named.
std::vector<Finding> ExamineSystem(const IPortSystem& system);

// The problems (and the warnings when asked) alone, one paragraph each with its fix, for a
// message box; empty when there are none.
std::string Summary(const std::vector<Finding>& findings, bool english, bool withWarnings);

// Every finding, one paragraph each: the check, its result, what was found and the fix.
std::string Report(const std::vector<Finding>& findings, bool english);

// The checks' short names and verdict words, for a report line.
const char* CheckName(Check check, bool english);
const char* VerdictName(Verdict verdict, bool english);

// The running system: stat, access, the group and user databases, /proc and /run/udev.
const IPortSystem& HostSystem();

} // namespace PortDoctor
