// The running launcher driven from outside: opening, the width rule, keys, Play and closing.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "LauncherProcess.h"
#include "ui/resources/resource.h"

namespace {

// The example settings file as Play writes it once "Disable music" is ticked.
const char kExampleWithNoMusic[] =
    "Zerbs 3D\r\nZerbs Tolvane\r\n1024\r\n768\r\n60\r\nTRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\n"
    "FALSE\r\nFALSE\r\nFALSE\r\n\r\n\r\n\r\n";

// A job holding the launchers a test starts and the games they start in turn; whatever is still
// running in it is ended with it.
class ProgramJob {
public:
    ProgramJob() : m_job(::CreateJobObjectA(nullptr, nullptr)) {}
    ~ProgramJob() {
        ::TerminateJobObject(m_job, 1);
        ::CloseHandle(m_job);
    }
    ProgramJob(const ProgramJob&) = delete;
    ProgramJob& operator=(const ProgramJob&) = delete;

    HANDLE Handle() const { return m_job; }
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION Counts() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
        ::QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &counts,
                                    sizeof counts, nullptr);
        return counts;
    }

private:
    HANDLE m_job;
};

class LauncherDialog : public ::testing::Test {
protected:
    // Starts the launcher on a settings file with the stand-in games installed beside it.
    LauncherProcess& Start(const std::string& settings = ExampleSettings(),
                           bool gamesStay = false) {
        m_folder.InstallStandInGames();
        WriteFileBytes(Settings(), settings);
        m_launcher = std::make_unique<LauncherProcess>(m_folder.Path(), gamesStay);
        m_launcher->Dialog();
        return *m_launcher;
    }
    std::string Settings() const { return m_folder / "ztlvlauncher.ini"; }

    ScratchFolder m_folder;
    std::unique_ptr<LauncherProcess> m_launcher;
};

// The check boxes in the order of the settings file's lines.
const int kCheckBoxes[] = {IDC_RUN_IN_WINDOW, IDC_NO_MOVIES,           IDC_NO_MUSIC,
                           IDC_NO_SOUNDS,     IDC_INVERT_FIRST_PERSON, IDC_INVERT_THIRD_PERSON,
                           IDC_INVERT_ZERBS};

// What the controls show in the order of the settings file's lines, "|" between them.
std::string Shown(LauncherProcess& launcher) {
    std::string shown = launcher.Text(IDC_WIDTH) + "|" + launcher.Text(IDC_HEIGHT) + "|" +
                        launcher.Text(IDC_REFRESH_RATE);
    for (const int id : kCheckBoxes) {
        shown += launcher.IsChecked(id) ? "|1" : "|0";
    }
    return shown + "|" + launcher.Text(IDC_ADVANCED_SWITCHES);
}

TEST_F(LauncherDialog, OpensWithTheFileValuesAndTheFocusInTheWidthBox) {
    LauncherProcess& launcher =
        Start("a\nb\n1280\n-1\n75\nFALSE\nTRUE\nTRUE\nFALSE\nTRUE\nFALSE\nTRUE\n /LOG\n");
    EXPECT_EQ(Shown(launcher), "1280|-1|75|0|1|1|0|1|0|1| /LOG");
    EXPECT_EQ(launcher.FocusedId(), IDC_WIDTH);
}

TEST_F(LauncherDialog, MissingFileIsReportedBeforeTheWindowShowsAndDefaultsStay) {
    m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
    const auto box = m_launcher->DismissMessageBox("Launcher");
    EXPECT_EQ(box.text, "Error: ztlvlauncher.ini file not found.");
    EXPECT_FALSE(box.ownerVisible) << "the message comes before the window";
    EXPECT_EQ(Shown(*m_launcher), "0|0|0|0|0|0|0|0|0|0|");
}

TEST_F(LauncherDialog, LeavingTheWidthBoxSetsTheHeightToThreeQuarters) {
    LauncherProcess& launcher = Start();
    const struct {
        const char* width;
        const char* height;
    } cases[] = {{"1024", "768"},
                 {"1023", "767"},
                 {"3", "2"},
                 {"1", "0"},
                 {"-1", "0"},
                 {"-5", "-3"},
                 {"1000000000", "-323741824"},
                 {"-2147483648", "-536870912"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("width ") + c.width);
        launcher.MoveFocusTo(IDC_WIDTH);
        launcher.SetText(IDC_WIDTH, c.width);
        launcher.MoveFocusTo(IDC_REFRESH_RATE);
        EXPECT_EQ(launcher.Text(IDC_HEIGHT), c.height);
        EXPECT_EQ(launcher.Text(IDC_WIDTH), c.width);
    }
}

// Every control given a new value and one number box a non-integer: the exchange reports it and
// takes only the members before that box (order: switches, first person, height, zerbs, movies,
// music, sounds, refresh rate, third person, width, run in window). The width rule writes them all
// back, height from the old width, focus on the bad box. Play with no game saves them and writes
// them back, so its last exchange cannot stop: one message, then the launcher ends.
TEST_F(LauncherDialog, NonIntegerStopsTheExchangeAtItsBox) {
    const char* const kBadNumber = "Please enter a whole number.";
    const struct {
        int bad;
        bool play;
        const char* saved; // value lines 3 to 13 of the saved file
    } cases[] = {
        {IDC_HEIGHT, false, "1024|768|60|TRUE|FALSE|FALSE|FALSE|TRUE|FALSE|FALSE| /NEW"},
        {IDC_HEIGHT, true, "1024|768|60|TRUE|FALSE|FALSE|FALSE|TRUE|FALSE|FALSE| /NEW"},
        {IDC_REFRESH_RATE, false, "1024|768|60|TRUE|TRUE|TRUE|TRUE|TRUE|FALSE|TRUE| /NEW"},
        {IDC_REFRESH_RATE, true, "1024|700|60|TRUE|TRUE|TRUE|TRUE|TRUE|FALSE|TRUE| /NEW"},
        {IDC_WIDTH, false, "1024|768|85|TRUE|TRUE|TRUE|TRUE|TRUE|TRUE|TRUE| /NEW"},
        {IDC_WIDTH, true, "1024|700|85|TRUE|TRUE|TRUE|TRUE|TRUE|TRUE|TRUE| /NEW"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("bad box " + std::to_string(c.bad) + (c.play ? ", Play" : ", width rule"));
        LauncherProcess& launcher = Start("nowhere\nnowhere\n1024\n768\n60\nTRUE\n");
        launcher.MoveFocusTo(IDC_NO_SOUNDS);
        for (const auto& [id, text] : {std::pair{IDC_ADVANCED_SWITCHES, " /NEW"},
                                       {IDC_HEIGHT, "700"},
                                       {IDC_REFRESH_RATE, "85"},
                                       {IDC_WIDTH, "2000"}}) {
            launcher.SetText(id, id == c.bad ? "abc" : text);
        }
        for (const int id : kCheckBoxes) {
            ::SendMessageA(launcher.Control(id), BM_SETCHECK,
                           launcher.IsChecked(id) ? BST_UNCHECKED : BST_CHECKED, 0);
        }
        if (!c.play) {
            launcher.MoveFocusTo(IDC_WIDTH);
            launcher.MoveFocusTo(IDC_RUN_IN_WINDOW);
            EXPECT_EQ(launcher.DismissMessageBox("ZTLV LAUNCHER").text, kBadNumber);
            EXPECT_EQ(launcher.FocusedId(), c.bad);
        }
        launcher.Click(IDC_PLAY_ZERBS3D);
        if (c.play) {
            EXPECT_EQ(launcher.DismissMessageBox("ZTLV LAUNCHER").text, kBadNumber);
        }
        EXPECT_TRUE(launcher.WaitForExit()) << "one message, then the launcher ends";
        std::string saved = ReadFileBytes(Settings());
        for (std::size_t end; (end = saved.find("\r\n")) != std::string::npos;) {
            saved.replace(end, 2, "|");
        }
        EXPECT_EQ(saved, std::string("nowhere|nowhere|") + c.saved + "|||");
    }
}

// The game gets the launcher's environment, and the launcher gives way to it: it has ended while
// the game still runs.
TEST_F(LauncherDialog, PlayZerbs3DSavesThenStartsTheGameInPlaceOfTheLauncher) {
    ::SetEnvironmentVariableA("ZTLV_TEST_VARIABLE", "the launcher's own");
    LauncherProcess& launcher = Start(ExampleSettings(), true);
    ::SetEnvironmentVariableA("ZTLV_TEST_VARIABLE", nullptr);
    launcher.Click(IDC_NO_MUSIC);
    launcher.Click(IDC_PLAY_ZERBS3D);

    const std::string record = WaitForGameRecord(m_folder / "Zerbs 3D");
    ASSERT_FALSE(record.empty()) << "the stand-in game was not started";
    EXPECT_EQ(RecordField(record, "command line"),
              "bin\\Zerbs3D.exe /W 1024 /H 768 /REFRESH 60 /WIN /NOMUSIC");
    EXPECT_EQ(RecordField(record, "argument 1"), "/W") << "the game splits its command line itself";
    EXPECT_EQ(RecordField(record, "working directory"), m_folder / "Zerbs 3D");
    EXPECT_NE(record.find("\nenvironment: ZTLV_TEST_VARIABLE=the launcher's own"),
              std::string::npos);
    HWND game = nullptr;
    EXPECT_TRUE(PollUntil(10000, [&] { return (game = ::FindWindowA(nullptr, "Stand-in game")); }));
    EXPECT_TRUE(launcher.WaitForExit()) << "the launcher process must end while the game runs";
    ::PostMessageA(game, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ReadFileBytes(Settings()), kExampleWithNoMusic);
}

// The launcher ended at a moment spread over the whole Play path, before, during and after the
// save, and at the moment the save's temporary file appears: the settings file is always the old
// or the whole new one, and some kill must have landed inside the save. ZTLV_KILLS (default 20)
// and ZTLV_KILL_SERIES choose how many kills and which moments; one series gives the same moments.
TEST_F(LauncherDialog, KilledDuringPlayLeavesTheOldOrTheWholeNewFile) {
    const char* kills = std::getenv("ZTLV_KILLS");
    const char* series = std::getenv("ZTLV_KILL_SERIES");
    const int count = kills ? std::atoi(kills) : 20;
    std::mt19937 moments(series ? static_cast<unsigned>(std::strtoul(series, nullptr, 10)) : 1208u);
    std::uniform_int_distribution<DWORD> delayMs(0, 60);
    int old = 0, whole = 0, torn = 0, cutDuringTheSave = 0;
    // A game whose start the kill cut short can be left waiting; the job ends them afterwards.
    const ProgramJob games;
    ASSERT_NE(games.Handle(), nullptr);
    m_folder.InstallStandInGames();
    const std::string example = ExampleSettings();
    for (int kill = 0; kill < count; ++kill) {
        WriteFileBytes(Settings(), example);
        m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
        LauncherProcess& launcher = *m_launcher;
        ASSERT_TRUE(launcher.JoinJob(games.Handle()));
        launcher.Dialog();
        launcher.Click(IDC_NO_MUSIC);
        launcher.Click(IDC_PLAY_ZERBS3D);
        // Every other kill is aimed at the save itself: the moment its temporary file appears.
        const DWORD delay = delayMs(moments);
        if (kill % 2 == 0) {
            ::Sleep(delay);
        } else {
            const ULONGLONG deadline = ::GetTickCount64() + 5000;
            while (m_folder.Listing("ztlvlauncher.ini.~*").empty() &&
                   ::GetTickCount64() < deadline) {
            }
        }
        launcher.Kill();
        ASSERT_TRUE(launcher.WaitForExit());
        if (!m_folder.Listing("ztlvlauncher.ini.~*").empty()) {
            ++cutDuringTheSave;
        }
        const std::string after = ReadFileBytes(Settings());
        if (after == example) {
            ++old;
        } else if (after == kExampleWithNoMusic) {
            ++whole;
        } else {
            ++torn;
            ADD_FAILURE() << "kill " << kill << " after " << delay << " ms left: " << after;
        }
    }
    EXPECT_GT(cutDuringTheSave, 0) << "no kill landed inside the save";
    std::printf("%d kills: %d old file, %d new file, %d torn; %d left a temporary file; games "
                "left waiting: %lu\n",
                count, old, whole, torn, cutDuringTheSave,
                static_cast<unsigned long>(games.Counts().ActiveProcesses));

    // The next Play clears what the kills left, and only that.
    WriteFileBytes(Settings(), example);
    WriteFileBytes(m_folder / "ztlvlauncher.ini.~backup", "the player's own");
    m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
    m_launcher->Click(IDC_NO_MUSIC);
    m_launcher->Click(IDC_PLAY_ZERBS3D);
    EXPECT_TRUE(m_launcher->WaitForExit());
    EXPECT_EQ(ReadFileBytes(Settings()), kExampleWithNoMusic);
    EXPECT_EQ(m_folder.Listing("ztlvlauncher.ini.~*"), "ztlvlauncher.ini.~backup");
}

// The player's real keyboard and mouse, as the dialog manager meets them: Tab into a box selects
// its text, then moves the focus, which may run the width rule; Enter clicks the default button,
// "Play Zerbs Tolvane". Each row ends with a Play; message boxes on the way are counted.
TEST_F(LauncherDialog, PlayerInputAsTheDialogManagerDeliversIt) {
    const struct {
        const char* settings; // null: the example settings file
        // "\t" Tab, "\v" Shift+Tab, "\n" Enter, "#" a click on the control whose id follows, "!" a
        // message box dismissed, "%" the settings file held open sharing read only; any other
        // character typed as it stands.
        const char* input;
        const char* game; // the folder of the game that must start; null: none, the dialog stays
        const char* commandLine; // the game's, "" where none may start; else what the controls show
        const char* savedNumbers; // width, height and refresh rate as the file holds them
        int messages;
    } cases[] = {
        // Play straight after opening leaves the width box: the width rule runs.
        {"Zerbs 3D\nZerbs Tolvane\n800\n100\n75\nFALSE\n", "#1001", "Zerbs Tolvane",
         "ZT.exe /RES=800x600 /REFRESH 75", "800\r\n600\r\n75", 0},
        // Enter in the width box leaves the focus there: no width rule.
        {"Zerbs 3D\nZerbs Tolvane\n800\n123\n60\nTRUE\n", "640\n", "Zerbs Tolvane",
         "ZT.exe /RES=640x123 /REFRESH 60 /WIN", "640\r\n123\r\n60", 0},
        {nullptr, "#1005\n", "Zerbs Tolvane", "ZT.exe /RES=1024x768 /REFRESH 60 /WIN",
         "1024\r\n768\r\n60", 0},
        {nullptr, "#1009\n", "Zerbs Tolvane", "ZT.exe /RES=1024x768 /REFRESH 60 /WIN",
         "1024\r\n768\r\n60", 0},
        {nullptr, "\v\v\n", "Zerbs 3D", "bin\\Zerbs3D.exe /W 1024 /H 768 /REFRESH 60 /WIN",
         "1024\r\n768\r\n60", 0},
        // A height typed after leaving the width box stays until the width box is left again.
        {nullptr, "\t700\t\n", "Zerbs Tolvane", "ZT.exe /RES=1024x700 /REFRESH 60 /WIN",
         "1024\r\n700\r\n60", 0},
        {nullptr, "\t700\t#1004\t\n", "Zerbs Tolvane", "ZT.exe /RES=1024x768 /REFRESH 60 /WIN",
         "1024\r\n768\r\n60", 0},
        // A height typed after Tab, or after the message for a bad one, replaces the rule's.
        {nullptr, "800\t601\t75\t \t \n", "Zerbs Tolvane",
         "ZT.exe /RES=800x601 /REFRESH 75 /NOMOVIES", "800\r\n601\r\n75", 0},
        // The message selects its box's whole text, also where the focus had gone to a button.
        {nullptr, "#1013abc#1004\v!5\n", "Zerbs Tolvane", "ZT.exe /RES=1024x5 /REFRESH 60 /WIN",
         "1024\r\n5\r\n60", 1},
        // Play from the width box with a bad refresh rate: one message, no width rule inside.
        {nullptr, "\t700\tabc#1004\n", "Zerbs Tolvane", "ZT.exe /RES=1024x700 /REFRESH 60 /WIN",
         "1024\r\n700\r\n60", 1},
        // No game in the launcher's folder, where it is looked for: the one on the PATH stays put.
        {"Zerbs 3D\n\n800\n100\n75\n", "\n", "", "", "800\r\n100\r\n75", 0},
        // The save fails, so the bad box is not written back, no game starts, and the framework's
        // last exchange stops there again: a second message, and the dialog stays.
        {"nowhere\r\nnowhere\r\n800\r\n100\r\n75\r\nTRUE\r\n", "%\t\tabc\n", nullptr,
         "800|600|abc|1|0|0|0|0|0|0|", "800\r\n100\r\n75", 2},
    };
    const std::string path = std::getenv("PATH");
    ::SetEnvironmentVariableA("PATH", (m_folder / "Zerbs Tolvane;" + path).c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.input)));
        LauncherProcess& launcher = Start(c.settings ? c.settings : ExampleSettings());
        int messages = 0;
        HANDLE held = nullptr;
        for (const char* at = c.input; *at; ++at) {
            if (*at == '%') {
                held = ::CreateFileA(Settings().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
            } else if (*at == '#') {
                launcher.ClickWithMouse(std::atoi(at + 1));
                at += 4;
            } else if (*at == '!') {
                messages += !launcher.DismissMessageBox("ZTLV LAUNCHER").text.empty();
            } else if (*at == '\n') {
                launcher.Press(VK_RETURN);
            } else if (*at == '\t' || *at == '\v') {
                launcher.Press(VK_TAB, *at == '\v');
            } else {
                const SHORT key = ::VkKeyScanA(*at);
                launcher.Press(LOBYTE(key), HIBYTE(key) & 1);
            }
        }
        std::string record;
        for (int i = 0;
             i < 300 && (c.game ? (record = WaitForGameRecord(m_folder / c.game, 0)).empty()
                                : messages < c.messages);
             ++i) {
            messages += !launcher.DismissMessageBox("ZTLV LAUNCHER", 30).text.empty();
        }
        EXPECT_EQ(messages, c.messages) << "message boxes shown";
        ::CloseHandle(held);
        if (!c.game) {
            EXPECT_FALSE(launcher.WaitForExit(500)) << "the dialog must stay";
            EXPECT_EQ(Shown(launcher), c.commandLine);
            EXPECT_EQ(ReadFileBytes(Settings()), c.settings);
            continue;
        }
        EXPECT_EQ(RecordField(record, "command line"), c.commandLine);
        EXPECT_EQ(RecordField(record, "working directory"),
                  *c.commandLine ? m_folder / c.game : "");
        ASSERT_TRUE(launcher.WaitForExit());
        const std::string saved = ReadFileBytes(Settings());
        EXPECT_NE(saved.find(std::string("\r\n") + c.savedNumbers + "\r\n"), std::string::npos)
            << saved;
        ::DeleteFileA((m_folder / c.game + "\\received.txt").c_str());
    }
    ::SetEnvironmentVariableA("PATH", path.c_str());
}

// Closing reads no box: a bad number in one neither shows its message nor keeps the window open.
TEST_F(LauncherDialog, ClosingWithoutPlayLeavesTheSettingsFileUntouched) {
    const std::string untouched = "Zerbs 3D\nZerbs Tolvane\n800\n100\n75\n";
    for (const bool escape : {false, true}) {
        LauncherProcess& launcher = Start(untouched);
        launcher.MoveFocusTo(IDC_NO_SOUNDS);
        launcher.SetText(IDC_HEIGHT, "abc");
        if (escape) {
            launcher.Press(VK_ESCAPE);
        } else {
            ::PostMessageA(launcher.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_TRUE(launcher.WaitForExit()) << (escape ? "Escape" : "the close box");
    }
    EXPECT_EQ(ReadFileBytes(Settings()), untouched);
    EXPECT_TRUE(WaitForGameRecord(m_folder / "Zerbs 3D", 0).empty());
    EXPECT_TRUE(WaitForGameRecord(m_folder / "Zerbs Tolvane", 0).empty());
}

TEST_F(LauncherDialog, HelpCommandSaysThereIsNoHelpFile) {
    LauncherProcess& launcher = Start();
    ::PostMessageA(launcher.Dialog(), WM_COMMAND, 0xE146, 0);
    const auto box = launcher.DismissMessageBox("ZTLV LAUNCHER");
    EXPECT_EQ(box.text, "No help is available for ZTLV LAUNCHER.");
    EXPECT_FALSE(launcher.HasExited());

    // F1 in the About box: the answer is modal to the About box, not to the launcher beneath.
    ::PostMessageA(launcher.Dialog(), WM_SYSCOMMAND, IDM_ABOUT, 0);
    const HWND about = launcher.WaitForWindow("About ZTLV Launcher");
    ASSERT_NE(about, nullptr);
    launcher.Press(VK_F1);
    const HWND help = launcher.WaitForWindow("ZTLV LAUNCHER");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(::GetWindow(help, GW_OWNER), about);
}

// Run by the disk-full check alone, under a file-size limit of 512 bytes whose signal is ignored:
// the new settings file, long advanced switches and all, outgrows it as it would a full disk.
TEST(DiskFull, PlayKeepsTheOldFileLeavesNoTemporaryFileAndStillStartsTheGame) {
    ScratchFolder folder;
    folder.InstallStandInGames();
    const std::string settings = folder / "ztlvlauncher.ini";
    WriteFileBytes(settings, ExampleSettings());
    const ProgramJob games;
    ASSERT_NE(games.Handle(), nullptr);

    LauncherProcess launcher(folder.Path());
    ASSERT_TRUE(launcher.JoinJob(games.Handle()));
    launcher.SetText(IDC_ADVANCED_SWITCHES, std::string(460, 'x'));
    launcher.Click(IDC_PLAY_ZERBS3D);
    EXPECT_TRUE(launcher.WaitForExit());
    EXPECT_EQ(ReadFileBytes(settings), ExampleSettings());
    EXPECT_EQ(folder.Listing("ztlvlauncher.ini.~*"), "");
    EXPECT_EQ(games.Counts().TotalProcesses, 2u) << "the launcher and the game it started";
}

} // namespace
