#pragma once

#include <windows.h>

#include <string>

#include "file_bytes.h"

// Polls until check() holds or the timeout passes; true when it held.
template <class Check> bool PollUntil(DWORD timeoutMs, Check check) {
    for (const ULONGLONG deadline = ::GetTickCount64() + timeoutMs; !check(); ::Sleep(20)) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
    }
    return true;
}

// A window's text, also when it belongs to another process.
std::string WindowText(HWND window);

// Windows-style path of a file the build names with a POSIX path (Wine maps / to drive Z:).
std::string WindowsPath(const std::string& path);

// The top-level window of that process with this caption, visible or not, as it is now; tests
// running beside each other show windows with the same captions.
HWND FindProcessWindow(DWORD processId, const char* caption, bool visibleOnly);

// A fresh folder under the Windows temporary folder, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

    // Names in the folder that match the pattern, space-separated: shows a temporary file left
    // behind.
    std::string Listing(const char* pattern = "*") const;

    // Installs the stand-in game at the two executable paths the example settings lead to, where it
    // is not yet: a game an earlier start left running cannot be overwritten.
    void InstallStandInGames() const;

private:
    std::string m_path;
};

// A scratch folder that is the process's working directory for the object's lifetime.
class ScratchWorkingDirectory {
public:
    ScratchWorkingDirectory();
    ~ScratchWorkingDirectory();
    ScratchWorkingDirectory(const ScratchWorkingDirectory&) = delete;
    ScratchWorkingDirectory& operator=(const ScratchWorkingDirectory&) = delete;

    const ScratchFolder& Folder() const { return m_folder; }

private:
    ScratchFolder m_folder;
    char m_previous[MAX_PATH] = "";
};

// The real launcher program, started in a folder and driven from outside with window messages,
// as the player's mouse and keyboard would drive it. Every wait times out instead of hanging.
class LauncherProcess {
public:
    // The games it starts show what they received and run until that is dismissed, where asked.
    explicit LauncherProcess(const std::string& workingDirectory, bool gamesStay = false);
    ~LauncherProcess(); // ends the program if a test left it running
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    // The program's visible top-level window with this caption, or null after the timeout.
    HWND WaitForWindow(const char* caption, DWORD timeoutMs = 10000) const;
    // The launcher dialog, once it is shown.
    HWND Dialog();

    // Ends the program at once, as the task manager or a power cut would.
    void Kill() const { ::TerminateProcess(m_process.hProcess, 1); }
    // Puts the program in a job, which the programs it starts join too.
    bool JoinJob(HANDLE job) const { return ::AssignProcessToJobObject(job, m_process.hProcess); }
    // True once the program has ended within the timeout.
    bool WaitForExit(DWORD timeoutMs = 10000) const {
        return ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
    bool HasExited() const { return WaitForExit(0); }

    HWND Control(int id) { return ::GetDlgItem(Dialog(), id); }
    std::string Text(int id) { return WindowText(Control(id)); }
    void SetText(int id, const std::string& text) {
        ::SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool IsChecked(int id) { return ::SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // Id of the control holding the keyboard focus in the program, or 0.
    int FocusedId();
    // Moves the focus as Tab or a click would, through the dialog manager; returns once the move
    // is done, or after 1.5 s when it opened a message box.
    void MoveFocusTo(int id);
    // A mouse click on a button.
    void Click(int id);

    // The player's own keyboard and mouse: input through the window system's input path into the
    // foreground window, so the dialog manager acts between the keys as it does for a person (Tab
    // into a box selects its text). Each returns once the program has acted on it (the focus, its
    // text or check mark, the window's state changed, or the program ended), or after 5 s.
    void Press(WORD key, bool shift = false);
    void ClickWithMouse(int id);

    // Text of the message box with this caption that the program shows, then presses its OK
    // button; no text when none appeared within the timeout.
    struct MessageBoxContent {
        std::string text;
        bool ownerVisible;
    };
    MessageBoxContent DismissMessageBox(const char* caption, DWORD timeoutMs = 10000);

private:
    HWND FocusedWindow();
    std::string InputState();

    PROCESS_INFORMATION m_process = {};
    HWND m_dialog = nullptr;
};

// Waits until the stand-in game has written its record in folder, and returns it ("" on timeout).
std::string WaitForGameRecord(const std::string& folder, DWORD timeoutMs = 10000);

// The value of "name: value" in a record, "" when absent.
std::string RecordField(const std::string& record, const std::string& name);
