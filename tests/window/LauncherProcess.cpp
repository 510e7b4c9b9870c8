#include "LauncherProcess.h"

#include <stdexcept>

namespace {

// Calls visit with the name and attributes of each entry that matches the pattern but "." and "..".
template <class Visit> void ForEachEntry(const std::string& pattern, Visit visit) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") {
            visit(name, entry.dwFileAttributes);
        }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
}

void RemoveTree(const std::string& path) {
    ForEachEntry(path + "\\*", [&path](const std::string& name, DWORD attributes) {
        const std::string child = path + "\\" + name;
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(child);
        } else {
            ::DeleteFileA(child.c_str());
        }
    });
    ::RemoveDirectoryA(path.c_str());
}

} // namespace

std::string WindowText(HWND window) {
    char text[1024] = "";
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::string WindowsPath(const std::string& path) {
    std::string windows = path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
    for (char& c : windows) {
        if (c == '/') {
            c = '\\';
        }
    }
    return windows;
}

ScratchFolder::ScratchFolder() {
    char temporary[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temporary);
    static unsigned counter = 0;
    for (;;) {
        m_path = std::string(temporary) + "ztlv-window-test-" +
                 std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
        if (::CreateDirectoryA(m_path.c_str(), nullptr)) {
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create " + m_path);
        }
    }
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

std::string ScratchFolder::Listing(const char* pattern) const {
    std::string names;
    ForEachEntry(*this / pattern, [&names](const std::string& name, DWORD) {
        names += names.empty() ? name : " " + name;
    });
    return names;
}

void ScratchFolder::InstallStandInGames() const {
    const std::string game = WindowsPath(ZTLV_STAND_IN_GAME);
    ::CreateDirectoryA((*this / "Zerbs 3D").c_str(), nullptr);
    ::CreateDirectoryA((*this / "Zerbs 3D\\bin").c_str(), nullptr);
    ::CreateDirectoryA((*this / "Zerbs Tolvane").c_str(), nullptr);
    // Linked where it can be: a copy would outgrow the disk-full test's file-size limit.
    for (const char* path : {"Zerbs 3D\\bin\\Zerbs3D.exe", "Zerbs Tolvane\\ZT.exe"}) {
        if (!::CreateHardLinkA((*this / path).c_str(), game.c_str(), nullptr) &&
            !::CopyFileA(game.c_str(), (*this / path).c_str(), TRUE) &&
            ::GetLastError() != ERROR_FILE_EXISTS) {
            throw std::runtime_error("cannot install the stand-in game from " + game);
        }
    }
}

ScratchWorkingDirectory::ScratchWorkingDirectory() {
    ::GetCurrentDirectoryA(MAX_PATH, m_previous);
    if (!::SetCurrentDirectoryA(m_folder.Path().c_str())) {
        throw std::runtime_error("cannot enter " + m_folder.Path());
    }
}

ScratchWorkingDirectory::~ScratchWorkingDirectory() {
    ::SetCurrentDirectoryA(m_previous);
}

LauncherProcess::LauncherProcess(const std::string& workingDirectory, bool gamesStay) {
    // The stand-in game must not wait for a person to read what it received, unless asked to.
    ::SetEnvironmentVariableA("ZTLV_STAND_IN_QUIET", gamesStay ? nullptr : "1");
    // Wine starts its desktop process for the first program to ask for the desktop: asked here, it
    // is the test's, never a process in a launcher's job.
    ::GetDesktopWindow();
    const std::string program = WindowsPath(ZTLV_LAUNCHER_EXE);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workingDirectory.c_str(), &startup, &m_process)) {
        throw std::runtime_error("cannot start " + program);
    }
}

LauncherProcess::~LauncherProcess() {
    if (!HasExited()) {
        ::TerminateProcess(m_process.hProcess, 1);
        WaitForExit(5000);
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

HWND FindProcessWindow(DWORD processId, const char* caption, bool visibleOnly) {
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, nullptr, caption));) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || ::IsWindowVisible(window))) {
            return window;
        }
    }
    return nullptr;
}

HWND LauncherProcess::WaitForWindow(const char* caption, DWORD timeoutMs) const {
    HWND found = nullptr;
    PollUntil(timeoutMs, [&] {
        return (found = FindProcessWindow(m_process.dwProcessId, caption, true)) != nullptr;
    });
    return found;
}

HWND LauncherProcess::Dialog() {
    if (!m_dialog) {
        m_dialog = WaitForWindow("ZTLV/Z3D Launcher");
        if (!m_dialog) {
            throw std::runtime_error("the launcher window did not appear");
        }
    }
    return m_dialog;
}

HWND LauncherProcess::FocusedWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD thread = ::GetWindowThreadProcessId(Dialog(), nullptr);
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

int LauncherProcess::FocusedId() {
    const HWND focus = FocusedWindow();
    return focus ? ::GetDlgCtrlID(focus) : 0;
}

namespace {

// Input goes to the foreground window: make it the program's, unless it already is.
void BringForward(HWND window) {
    DWORD foreground = 0;
    ::GetWindowThreadProcessId(::GetForegroundWindow(), &foreground);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (foreground != owner) {
        ::SetForegroundWindow(window);
    }
}

} // namespace

std::string LauncherProcess::InputState() {
    if (HasExited()) {
        return "ended";
    }
    const HWND focus = FocusedWindow();
    DWORD_PTR checked = 0;
    ::SendMessageTimeoutA(focus, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 1000, &checked);
    return std::to_string(reinterpret_cast<UINT_PTR>(focus)) + " " + std::to_string(checked) +
           (::IsWindowEnabled(Dialog()) ? " enabled " : " disabled ") + WindowText(focus);
}

void LauncherProcess::Press(WORD key, bool shift) {
    BringForward(Dialog());
    const std::string before = InputState();
    const BYTE shiftScan = static_cast<BYTE>(::MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC));
    const BYTE scan = static_cast<BYTE>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    if (shift) {
        ::keybd_event(VK_SHIFT, shiftScan, 0, 0);
    }
    ::keybd_event(static_cast<BYTE>(key), scan, 0, 0);
    ::keybd_event(static_cast<BYTE>(key), scan, KEYEVENTF_KEYUP, 0);
    if (shift) {
        ::keybd_event(VK_SHIFT, shiftScan, KEYEVENTF_KEYUP, 0);
    }
    PollUntil(5000, [&] { return InputState() != before; });
}

void LauncherProcess::ClickWithMouse(int id) {
    BringForward(Dialog());
    const std::string before = InputState();
    RECT place;
    ::GetWindowRect(Control(id), &place);
    // Absolute positions run from 0 to 65535 across the screen.
    const DWORD x = (place.left + place.right) / 2 * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    const DWORD y = (place.top + place.bottom) / 2 * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    ::mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, x, y, 0, 0);
    ::mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, x, y, 0, 0);
    PollUntil(5000, [&] { return InputState() != before; });
}

void LauncherProcess::MoveFocusTo(int id) {
    // A focus change may open a message box, whose modal loop would keep a plain SendMessage
    // waiting for as long as the box stands: give up waiting after a while instead.
    ::SendMessageTimeoutA(Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE,
                          SMTO_NORMAL, 1500, nullptr);
}

void LauncherProcess::Click(int id) {
    // Posted, so that a click that ends the program does not leave this call waiting.
    ::PostMessageA(Control(id), BM_CLICK, 0, 0);
}

LauncherProcess::MessageBoxContent LauncherProcess::DismissMessageBox(const char* caption,
                                                                      DWORD timeoutMs) {
    const HWND box = WaitForWindow(caption, timeoutMs);
    MessageBoxContent content = {};
    if (!box) {
        return content;
    }
    content.text = WindowText(::GetDlgItem(box, 0xFFFF));
    const HWND launcher = FindProcessWindow(m_process.dwProcessId, "ZTLV/Z3D Launcher", false);
    content.ownerVisible = launcher && ::IsWindowVisible(launcher);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    PollUntil(5000, [&] { return !::IsWindow(box); });
    return content;
}

std::string WaitForGameRecord(const std::string& folder, DWORD timeoutMs) {
    const std::string path = folder + "\\received.txt";
    std::string record;
    PollUntil(timeoutMs, [&] {
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        // The record takes its name a moment before the game's rename lets go of it: a read
        // refused in that moment is tried again.
        try {
            record = ReadFileBytes(path);
            return true;
        } catch (const std::runtime_error&) {
            return false;
        }
    });
    return record;
}

std::string RecordField(const std::string& record, const std::string& name) {
    const std::string key = name + ": ";
    const std::size_t start = record.find(key);
    if (start == std::string::npos || (start > 0 && record[start - 1] != '\n')) {
        return "";
    }
    std::size_t end = record.find('\n', start);
    if (end != std::string::npos && end > start && record[end - 1] == '\r') {
        --end;
    }
    return record.substr(start + key.size(), end - start - key.size());
}
