// The save with each of its system calls failing in turn, natively and on Windows: the file holds
// the old bytes or the new ones, the result says which, and only the save's own leftovers go.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ReplacementFile.h"

#ifdef _WIN32
#include "LauncherProcess.h"
#include "launch/settings.h"
using Scratch = ScratchWorkingDirectory;
constexpr char kMode[] = "644"; // Wine gives a new file no other mode than any new file's
constexpr unsigned long kExists = ERROR_FILE_EXISTS, kDenied = ERROR_ACCESS_DENIED,
                        kGone = ERROR_PATH_NOT_FOUND, kFull = ERROR_DISK_FULL,
                        kNameTooLong = ERROR_FILENAME_EXCED_RANGE, kIoError = ERROR_IO_DEVICE,
                        kInUse = ERROR_SHARING_VIOLATION, kUnsupported = ERROR_CALL_NOT_IMPLEMENTED,
                        kMapped = ERROR_USER_MAPPED_FILE, kQuota = ERROR_HANDLE_DISK_FULL,
                        kNoSync = ERROR_INVALID_FUNCTION;
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "test_support.h"
using Scratch = TemporaryDirectory;
constexpr char kMode[] = "640";
constexpr unsigned long kExists = EEXIST, kDenied = EACCES, kGone = ENOENT, kFull = ENOSPC,
                        kNameTooLong = ENAMETOOLONG, kIoError = EIO, kInUse = EBUSY,
                        kUnsupported = ENOSYS, kMapped = ETXTBSY, kQuota = EDQUOT, kNoSync = EINVAL;
#endif

namespace {

namespace fs = std::filesystem;
using Calls = platform::ReplacementFile::SystemCalls;

// clang-format off
enum Call { kFind, kFinalPath, kCreate, kOpen, kWrite, kSetLength, kSync, kClose, kReplace, kAttributes, kRemove };
// clang-format on

// Calls first to first + count - 1 of one system call, counted from 1, answer error.
struct Fault {
    Call call;
    unsigned long first, count, error, calls = 0;
};
std::vector<Fault> g_faults;
unsigned g_waitedMs = 0;
bool g_replaced = false; // the temporary file took the file's place
const Calls g_real = platform::ReplacementFile::Calls();
// The save takes itself for this process, which runs as its own would; the test's own process,
// which runs too, is then another launcher's.
constexpr unsigned long kSaver = 4000000002;
// An error with an effect of its own: the write takes half the bytes.
constexpr unsigned long kHalf = 1u << 30;

// Answers the error of a fault that names the call; a failed close still lets the file go.
template <auto member, Call call, typename... Args> unsigned long Faulty(Args... args) {
    for (Fault& fault : g_faults) {
        if (fault.call == call && ++fault.calls >= fault.first &&
            fault.calls < fault.first + fault.count) {
            if constexpr (call == kWrite) {
                const auto [file, offset, bytes, size, written] = std::tuple(args...);
                return fault.error == kHalf
                           ? g_real.write(file, offset, bytes, (size + 1) / 2, written)
                           : fault.error;
            }
            return call == kClose ? ((g_real.*member)(args...), fault.error) : fault.error;
        }
    }
    const unsigned long error = (g_real.*member)(args...);
    if constexpr (call == kReplace) {
        const std::string from = std::get<0>(std::tuple(args...));
        g_replaced |= error == 0 && from.substr(from.size() - 2) == ".0";
    }
    return error;
}
// Saves with calls that fail as the faults say and waits that are added up instead of slept.
bool SaveWith(const std::vector<Fault>& faults) {
    g_faults = faults;
    g_waitedMs = 0;
    g_replaced = false;
    Calls& calls = platform::ReplacementFile::Calls();
    calls.find = &Faulty<&Calls::find, kFind>;
#ifdef _WIN32
    calls.finalPath = &Faulty<&Calls::finalPath, kFinalPath>;
#endif
    calls.createNew = &Faulty<&Calls::createNew, kCreate>;
    calls.openExisting = &Faulty<&Calls::openExisting, kOpen>;
    calls.write = &Faulty<&Calls::write, kWrite>;
    calls.setLength = &Faulty<&Calls::setLength, kSetLength>;
    calls.sync = &Faulty<&Calls::sync, kSync>;
    calls.close = &Faulty<&Calls::close, kClose>;
    calls.replace = &Faulty<&Calls::replace, kReplace>;
    calls.setAttributes = &Faulty<&Calls::setAttributes, kAttributes>;
    calls.remove = &Faulty<&Calls::remove, kRemove>;
    calls.currentProcess = [] { return kSaver; };
    calls.processRuns = [](unsigned long p) { return p == kSaver || g_real.processRuns(p); };
    calls.sleep = [](unsigned milliseconds) { g_waitedMs += milliseconds; };
    const bool saved = SaveSettings(LaunchSettings());
    calls = g_real;
    return saved;
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Runs a shell command in the working directory and answers its exit status. Under Wine it is the
// Unix shell, as only a Unix program makes a Unix link; Wine gives no handle on it, so its status
// comes back in a file.
int Shell(const std::string& command) {
#ifdef _WIN32
    std::string line = "/bin/sh -c \"" + command + "; echo $? >.part && mv .part .status\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return 255;
    }
    for (int waitedMs = 0; waitedMs < 10000 && !fs::exists(".status"); waitedMs += 10) {
        ::Sleep(10);
    }
    const int status = fs::exists(".status") ? std::stoi(ReadFileBytes(".status")) : 255;
    fs::remove(".status");
    return status;
#else
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
#endif
}

// The file's Unix permissions, which under Wine only a Unix program sees.
std::string Mode(const std::string& file) {
    Shell("stat -c %a " + file + " >.mode 2>/dev/null");
    return ReadFileBytes(".mode");
}

TEST(SaveFaults, EveryFailureKeepsTheOldFileOrLandsTheNewOne) {
    // kSaved: replaced or in place, as the system finds the file; kTorn: the file holds neither,
    // where a plain rewrite would tear it too.
    enum Outcome { kOld, kReplaced, kInPlace, kSaved, kTorn };
    // How the file stands: a file (""), none, a file with a second name ("named"), or a command
    // that links the settings file to real/settings.ini, which holds the old bytes.
    const std::string link = "ln -s real/settings.ini ztlvlauncher.ini", to = "ln -s ";
    std::string hops; // 1017 bytes in all: the link fits the save's paths, its temporary file not
    while (hops.size() < 1000) {
        hops += "./";
    }
    // clang-format off
    const std::tuple<Outcome, unsigned, const char*, std::string, std::vector<Fault>> rows[] = {
        {kReplaced, 0, "nothing fails", "", {}},
        {kReplaced, 0, "no old file", "none", {}},
        {kOld, 0, "no old file, write fails", "none", {{kCreate, 1, 1, kDenied}, {kWrite, 1, 1, kIoError}}},
        {kInPlace, 0, "no old file, no temporary file", "none", {{kCreate, 1, 1, kNameTooLong}}},
        {kInPlace, 0, "a second name", "named", {}},
        {kOld, 0, "a second name, disk full", "named", {{kSetLength, 1, 1, kFull}}},
        {kTorn, 0, "a second name, sync fails after the last byte", "named", {{kSync, 1, 1, kIoError}}},
        {kTorn, 0, "a second name, close fails after the last byte", "named", {{kClose, 1, 1, kIoError}}},
        {kReplaced, 0, "relative link", link, {}},
        {kReplaced, 0, "absolute link to a link", "ln -s settings.ini real/hop && " + to + "$(pwd -P)/real/hop ztlvlauncher.ini", {}},
        {kReplaced, 0, "link to nothing", "rm real/settings.ini && " + link, {}},
        {kOld, 0, "link to nothing, write fails", "rm real/settings.ini && " + link, {{kCreate, 1, 1, kDenied}, {kWrite, 1, 1, kIoError}}},
        {kInPlace, 0, "link not followed", link, {{kFind, 1, 1, kDenied}}},
#ifdef _WIN32
        {kInPlace, 0, "link to nothing, final path not found", "rm real/settings.ini && " + link, {{kFinalPath, 1, 1, kGone}}},
#else
        {kSaved, 0, "an ended launcher's file named in the paths' whole size", "touch real/settings.ini.~ztlv-save.4000000001.7 real/settings.ini.~ztlv-save.4000000001. && " + to + hops.substr(18) + "/" + link.substr(6), {}},
#endif
        {kSaved, 0, "link at the paths' length", to + hops + link.substr(6), {}},
        {kSaved, 0, "link past the paths' length", to + "./././././" + hops + link.substr(6), {}},
        {kInPlace, 0, "the temporary name exists 100 times", "", {{kCreate, 1, 100, kExists}}},
        {kInPlace, 0, "no temporary file: access denied", "", {{kCreate, 1, 1, kDenied}}},
        {kInPlace, 0, "no temporary file: disk full", "", {{kCreate, 1, 1, kFull}}},
        {kInPlace, 0, "no temporary file: name too long", "", {{kCreate, 1, 1, kNameTooLong}}},
        {kOld, 0, "folder gone", "", {{kCreate, 1, 999, kGone}, {kOpen, 1, 1, kGone}}},
        {kInPlace, 0, "attributes refused", "", {{kAttributes, 1, 1, kDenied}}},
        {kReplaced, 0, "each write takes half the bytes", "", {{kWrite, 1, 99, kHalf}}},
        {kOld, 0, "write: I/O error", "", {{kWrite, 1, 1, kIoError}}},
        {kInPlace, 0, "disk full at the first byte", "", {{kWrite, 1, 1, kFull}}},
        {kInPlace, 0, "quota full at the close", "", {{kClose, 1, 1, kQuota}}},
        {kOld, 0, "disk full, no room for the length", "", {{kSync, 1, 1, kFull}, {kSetLength, 1, 1, kFull}}},
        {kReplaced, 0, "sync unsupported", "", {{kSync, 1, 9, kNoSync}}},
        {kOld, 0, "sync: I/O error", "", {{kSync, 1, 1, kIoError}}},
        {kOld, 0, "close: I/O error", "", {{kClose, 1, 1, kIoError}}},
        {kReplaced, 10, "in use once", "", {{kReplace, 1, 1, kInUse}}},
        {kReplaced, 1000, "in use 7 times", "", {{kReplace, 1, 7, kInUse}}},
        {kInPlace, 1000, "in use 30 times", "", {{kReplace, 1, 30, kInUse}}},
        {kInPlace, 0, "no replacement (Windows 95)", "", {{kReplace, 1, 1, kUnsupported}}},
        {kInPlace, 0, "replacement: disk full", "", {{kReplace, 1, 1, kFull}}},
        {kOld, 0, "open refused", "", {{kCreate, 1, 1, kDenied}, {kOpen, 1, 1, kDenied}}},
        {kOld, 0, "length refused", "", {{kCreate, 1, 1, kDenied}, {kSetLength, 1, 1, kMapped}}},
        {kOld, 1000, "held, disk full", "", {{kReplace, 1, 30, kInUse}, {kSetLength, 1, 1, kFull}}},
        {kTorn, 1000, "held, write fails", "", {{kReplace, 1, 30, kInUse}, {kWrite, 2, 1, kIoError}}},
        // The temporary file stays; the first removal was the ended launcher's file.
        {kInPlace, 0, "removal refused", "", {{kReplace, 1, 1, kFull}, {kRemove, 2, 1, kDenied}}},
    };
    // clang-format on
    // Longer than the new content, so that an in-place rewrite must cut it.
    const std::string old = "old 3D\nold Tolvane\n" + std::string(2000, 'o') + "\n";
    platform::TextBuffer text;
    WriteSettings(text, LaunchSettings());
    const std::string fresh(text.Data(), text.Size());
    for (const auto& [outcome, waitedMs, name, start, faults] : rows) {
        SCOPED_TRACE(name);
        const Scratch scratch;
        const bool linked = start.find("ln -s") != std::string::npos;
        const std::string folder = linked ? "real/" : "",
                          file = linked ? "real/settings.ini" : "ztlvlauncher.ini";
        fs::create_directory("real");
        if (start != "none") {
            WriteFileBytes(file, old);
            // The new file must keep this mode.
            ASSERT_EQ(Shell(std::string("chmod ") + kMode + " " + file), 0);
        }
#ifndef _WIN32
        // Root may give the file to anyone: the new file must go to the same user and group.
        ASSERT_TRUE(start == "none" || geteuid() != 0 || chown(file.c_str(), 1234, 4321) == 0);
#endif
        ASSERT_EQ(linked ? Shell(start) : 0, 0);
        if (start == "named") {
            fs::create_hard_link(file, "second");
        }
        const bool before = fs::exists(file), saves = outcome != kOld && outcome != kTorn;
        const std::string mode = Mode(file);
        // The player's own file and a running launcher's temporary file stay; an ended one's goes,
        // where the file is found and its temporary files' names fit.
        const std::string mark = file + ".~ztlv-save.";
        WriteFileBytes(file + ".~2024.06", "player");
        WriteFileBytes(mark + std::to_string(g_real.currentProcess()) + ".0", "");
        std::set<std::string> left = Names(folder);
        left.insert(file.substr(folder.size())); // checked on its own below
        if (outcome != kSaved && (faults.empty() || faults[0].call > kFinalPath)) {
            WriteFileBytes(mark + "4000000001.7", "");
        }
        EXPECT_EQ(SaveWith(faults), saves);
        EXPECT_EQ(g_waitedMs, waitedMs);
        EXPECT_TRUE(outcome == kSaved || g_replaced == (outcome == kReplaced)) << "replaced";
        std::set<std::string> names = Names(folder);
        EXPECT_EQ(names.erase(mark.substr(folder.size()) + std::to_string(kSaver) + ".0"),
                  faults.size() > 1 && faults[1].call == kRemove);
        names.insert(file.substr(folder.size()));
        ASSERT_EQ(names, left);
        EXPECT_EQ(fs::exists(file), before || saves);
        if (outcome != kTorn) {
            EXPECT_EQ(before || saves ? ReadFileBytes(file) : "", saves    ? fresh
                                                                  : before ? old
                                                                           : "");
        }
        EXPECT_EQ(Shell("test -L ztlvlauncher.ini"), linked ? 0 : 1) << "a link stays a link";
        EXPECT_TRUE(start != "named" || ReadFileBytes("second") == ReadFileBytes(file));
        EXPECT_TRUE(!before || Mode(file) == mode) << "permissions kept";
#ifndef _WIN32
        struct stat owner {};
        EXPECT_TRUE(
            !before || geteuid() != 0 ||
            (stat(file.c_str(), &owner) == 0 && owner.st_uid == 1234 && owner.st_gid == 4321));
#endif
        // The next save removes what this one left.
        EXPECT_TRUE(SaveWith({}));
        EXPECT_EQ(Names(folder), left);
    }
}

} // namespace
