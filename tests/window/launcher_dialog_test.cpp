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
    LauncherProcess& Start(const std::string& settings = ExampleSettings()) {
        m_folder.InstallStandInGames();
        WriteFileBytes(Settings(), settings);
        m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
        m_launcher->Dialog();
        return *m_launcher;
    }
    std::string Settings() const { return m_folder / "ztlvlauncher.ini"; }
    std::string Zerbs3DRecord() const { return WaitForGameRecord(m_folder / "Zerbs 3D"); }
    std::string TolvaneRecord() const { return WaitForGameRecord(m_folder / "Zerbs Tolvane"); }

    ScratchFolder m_folder;
    std::unique_ptr<LauncherProcess> m_launcher;
};

TEST_F(LauncherDialog, OpensWithTheFileValuesAndTheFocusInTheWidthBox) {
    LauncherProcess& launcher =
        Start("a\nb\n1280\n-1\n75\nFALSE\nTRUE\nTRUE\nFALSE\nTRUE\nFALSE\nTRUE\n /LOG\n");
    EXPECT_EQ(launcher.Text(IDC_WIDTH), "1280");
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "-1");
    EXPECT_EQ(launcher.Text(IDC_REFRESH_RATE), "75");
    EXPECT_FALSE(launcher.IsChecked(IDC_RUN_IN_WINDOW));
    EXPECT_TRUE(launcher.IsChecked(IDC_NO_MOVIES));
    EXPECT_TRUE(launcher.IsChecked(IDC_NO_MUSIC));
    EXPECT_FALSE(launcher.IsChecked(IDC_NO_SOUNDS));
    EXPECT_TRUE(launcher.IsChecked(IDC_INVERT_FIRST_PERSON));
    EXPECT_FALSE(launcher.IsChecked(IDC_INVERT_THIRD_PERSON));
    EXPECT_TRUE(launcher.IsChecked(IDC_INVERT_ZERBS));
    EXPECT_EQ(launcher.Text(IDC_ADVANCED_SWITCHES), " /LOG");
    EXPECT_EQ(launcher.FocusedId(), IDC_WIDTH);
}

TEST_F(LauncherDialog, MissingFileIsReportedBeforeTheWindowShowsAndDefaultsStay) {
    m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
    const auto box = m_launcher->DismissMessageBox("Launcher");
    EXPECT_EQ(box.text, "Error: ztlvlauncher.ini file not found.");
    EXPECT_FALSE(box.ownerVisible) << "the message comes before the window";

    LauncherProcess& launcher = *m_launcher;
    EXPECT_EQ(launcher.Text(IDC_WIDTH), "0");
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "0");
    EXPECT_EQ(launcher.Text(IDC_REFRESH_RATE), "0");
    EXPECT_EQ(launcher.Text(IDC_ADVANCED_SWITCHES), "");
    for (int box_id : {IDC_RUN_IN_WINDOW, IDC_NO_MOVIES, IDC_NO_MUSIC, IDC_NO_SOUNDS,
                       IDC_INVERT_FIRST_PERSON, IDC_INVERT_THIRD_PERSON, IDC_INVERT_ZERBS}) {
        EXPECT_FALSE(launcher.IsChecked(box_id)) << "check box " << box_id;
    }
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

TEST_F(LauncherDialog, HeightTypedAfterLeavingTheWidthBoxStays) {
    LauncherProcess& launcher = Start();
    launcher.MoveFocusTo(IDC_HEIGHT);
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "768");
    launcher.SetText(IDC_HEIGHT, "700");
    launcher.MoveFocusTo(IDC_REFRESH_RATE);
    launcher.MoveFocusTo(IDC_RUN_IN_WINDOW);
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "700");
    launcher.MoveFocusTo(IDC_WIDTH);
    launcher.MoveFocusTo(IDC_HEIGHT);
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "768") << "until the width box is left again";
}

TEST_F(LauncherDialog, BadHeightIsReportedAndLaterControlsReturnToTheirValues) {
    LauncherProcess& launcher = Start();
    launcher.SetText(IDC_ADVANCED_SWITCHES, " /NEW"); // exchanged before the height: taken
    launcher.SetText(IDC_HEIGHT, "tall");             // stops the exchange
    launcher.SetText(IDC_REFRESH_RATE, "85");         // exchanged after: restored
    launcher.SetText(IDC_WIDTH, "2000");              // exchanged after: restored
    ::SendMessageA(launcher.Control(IDC_NO_MOVIES), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageA(launcher.Control(IDC_INVERT_FIRST_PERSON), BM_SETCHECK, BST_CHECKED, 0);
    launcher.MoveFocusTo(IDC_RUN_IN_WINDOW);

    const auto box = launcher.DismissMessageBox("ZTLV LAUNCHER");
    EXPECT_EQ(box.text, "Please enter a whole number.");
    EXPECT_EQ(launcher.Text(IDC_HEIGHT), "768") << "three quarters of the width held before";
    EXPECT_EQ(launcher.Text(IDC_WIDTH), "1024");
    EXPECT_EQ(launcher.Text(IDC_REFRESH_RATE), "60");
    EXPECT_FALSE(launcher.IsChecked(IDC_NO_MOVIES));
    EXPECT_EQ(launcher.Text(IDC_ADVANCED_SWITCHES), " /NEW");
    EXPECT_TRUE(launcher.IsChecked(IDC_INVERT_FIRST_PERSON));
    EXPECT_EQ(launcher.FocusedId(), IDC_HEIGHT) << "the bad box gets the focus";
}

TEST_F(LauncherDialog, PlayZerbs3DSavesThenStartsTheGameInPlaceOfTheLauncher) {
    LauncherProcess& launcher = Start();
    launcher.Click(IDC_NO_MUSIC);
    ASSERT_TRUE(WaitForGameRecord(m_folder.Path(), 0).empty());
    launcher.Click(IDC_PLAY_ZERBS3D);

    const std::string record = Zerbs3DRecord();
    ASSERT_FALSE(record.empty()) << "the stand-in game was not started";
    EXPECT_EQ(RecordField(record, "command line"),
              "bin\\Zerbs3D.exe /W 1024 /H 768 /REFRESH 60 /WIN /NOMUSIC");
    EXPECT_EQ(RecordField(record, "argument 1"), "/W") << "the game splits its command line itself";
    EXPECT_EQ(RecordField(record, "working directory"), m_folder / "Zerbs 3D");
    EXPECT_TRUE(launcher.WaitForExit()) << "the launcher process must end";
    EXPECT_EQ(ReadFileBytes(Settings()), kExampleWithNoMusic);
}

// The launcher ended at a moment spread over the whole Play path, before, during and after the
// save: the settings file is always the old or the whole new one. ZTLV_KILLS (default 20) and
// ZTLV_KILL_SERIES choose how many kills and which moments; one series gives the same moments.
TEST_F(LauncherDialog, KilledDuringPlayLeavesTheOldOrTheWholeNewFile) {
    const char* kills = std::getenv("ZTLV_KILLS");
    const char* series = std::getenv("ZTLV_KILL_SERIES");
    const int count = kills ? std::atoi(kills) : 20;
    std::mt19937 moments(series ? static_cast<unsigned>(std::strtoul(series, nullptr, 10)) : 1208u);
    std::uniform_int_distribution<DWORD> delayMs(0, 60);
    int old = 0;
    int whole = 0;
    int torn = 0;
    int cutDuringTheSave = 0;
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
        ASSERT_NE(launcher.Dialog(), nullptr);
        launcher.Click(IDC_NO_MUSIC);
        launcher.Click(IDC_PLAY_ZERBS3D);
        const DWORD delay = delayMs(moments);
        ::Sleep(delay);
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
    std::printf("%d kills: %d old file, %d new file, %d torn; %d left a temporary file; games "
                "left waiting: %lu\n",
                count, old, whole, torn, cutDuringTheSave,
                static_cast<unsigned long>(games.Counts().ActiveProcesses));

    // The next Play clears what the kills left.
    WriteFileBytes(Settings(), example);
    m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
    m_launcher->Click(IDC_NO_MUSIC);
    m_launcher->Click(IDC_PLAY_ZERBS3D);
    EXPECT_TRUE(m_launcher->WaitForExit());
    EXPECT_EQ(ReadFileBytes(Settings()), kExampleWithNoMusic);
    EXPECT_EQ(m_folder.Listing("ztlvlauncher.ini.~*"), "");
}

TEST_F(LauncherDialog, PlayStraightAfterOpeningAppliesTheWidthRule) {
    LauncherProcess& launcher = Start("Zerbs 3D\nZerbs Tolvane\n800\n100\n75\nFALSE\n");
    launcher.Click(IDC_PLAY_TOLVANE);
    EXPECT_EQ(RecordField(TolvaneRecord(), "command line"), "ZT.exe /RES=800x600 /REFRESH 75");
    EXPECT_TRUE(launcher.WaitForExit());
}

// One thing the player does with the real keyboard or mouse.
struct PlayerStep {
    enum Kind { Type, Key, Click, DismissMessage } kind;
    std::string text; // Type: the keys
    int value;        // Key: the virtual key; Click: the control
};
PlayerStep Typed(const char* keys) {
    return {PlayerStep::Type, keys, 0};
}
PlayerStep Pressed(int key) {
    return {PlayerStep::Key, "", key};
}
PlayerStep Clicked(int id) {
    return {PlayerStep::Click, "", id};
}
const PlayerStep kMessageDismissed = {PlayerStep::DismissMessage, "", 0};

// Keys and clicks through the window system's own input path, as the dialog manager meets them: Tab
// into a box selects its text, then the focus moves and the width rule runs. Each row ends with a
// Play; a message box on the way is dismissed with Enter and counted.
TEST_F(LauncherDialog, PlayerInputAsTheDialogManagerDeliversIt) {
    const struct {
        const char* what;
        std::vector<PlayerStep> steps;
        const char* commandLine;
        const char* savedNumbers; // width, height and refresh rate as the file holds them
        int messages;
    } cases[] = {
        {"a height typed after Tab replaces the rule's",
         {Typed("800"), Pressed(VK_TAB), Typed("601"), Pressed(VK_TAB), Typed("75"),
          Pressed(VK_TAB), Pressed(VK_SPACE), Pressed(VK_TAB), Pressed(VK_SPACE),
          Pressed(VK_RETURN)},
         "ZT.exe /RES=800x601 /REFRESH 75 /NOMOVIES",
         "\r\n800\r\n601\r\n75\r\n",
         0},
        {"a height typed after the message for a bad one replaces the rule's",
         {Clicked(IDC_HEIGHT), Typed("abc"), Clicked(IDC_WIDTH), Pressed(VK_TAB), kMessageDismissed,
          Typed("5"), Pressed(VK_RETURN)},
         "ZT.exe /RES=1024x5 /REFRESH 60 /WIN",
         "\r\n1024\r\n5\r\n60\r\n",
         1},
        {"Play from the width box with a bad refresh rate: one message, no width rule inside",
         {Pressed(VK_TAB), Typed("700"), Pressed(VK_TAB), Typed("abc"), Clicked(IDC_WIDTH),
          Pressed(VK_RETURN)},
         "ZT.exe /RES=1024x700 /REFRESH 60 /WIN",
         "\r\n1024\r\n700\r\n60\r\n",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LauncherProcess& launcher = Start();
        int messages = 0;
        for (const PlayerStep& step : c.steps) {
            switch (step.kind) {
            case PlayerStep::Type:
                launcher.TypeKeys(step.text);
                break;
            case PlayerStep::Key:
                launcher.PressKeyInput(static_cast<WORD>(step.value));
                break;
            case PlayerStep::Click:
                launcher.ClickInput(step.value);
                break;
            case PlayerStep::DismissMessage:
                messages += launcher.EnterOnMessageBox("ZTLV LAUNCHER", 10000);
                break;
            }
        }
        std::string record;
        for (int i = 0;
             i < 300 && (record = WaitForGameRecord(m_folder / "Zerbs Tolvane", 0)).empty(); ++i) {
            messages += launcher.EnterOnMessageBox("ZTLV LAUNCHER", 30);
        }
        EXPECT_EQ(RecordField(record, "command line"), c.commandLine);
        EXPECT_EQ(messages, c.messages) << "message boxes shown";
        ASSERT_TRUE(launcher.WaitForExit());
        const std::string saved = ReadFileBytes(Settings());
        EXPECT_NE(saved.find(c.savedNumbers), std::string::npos) << saved;
        ::DeleteFileA((m_folder / "Zerbs Tolvane\\received.txt").c_str());
    }
}

TEST_F(LauncherDialog, EnterInAnEditOrCheckBoxStartsZerbsTolvane) {
    for (int focus : {IDC_REFRESH_RATE, IDC_INVERT_THIRD_PERSON}) {
        SCOPED_TRACE("focus on " + std::to_string(focus));
        LauncherProcess& launcher = Start();
        launcher.MoveFocusTo(focus);
        launcher.PressKey(VK_RETURN);
        const std::string record = TolvaneRecord();
        EXPECT_EQ(RecordField(record, "command line"), "ZT.exe /RES=1024x768 /REFRESH 60 /WIN");
        EXPECT_EQ(RecordField(record, "working directory"), m_folder / "Zerbs Tolvane");
        EXPECT_TRUE(launcher.WaitForExit());
        ::DeleteFileA((m_folder / "Zerbs Tolvane\\received.txt").c_str());
    }
}

TEST_F(LauncherDialog, EnterOnPlayZerbs3DStartsZerbs3D) {
    LauncherProcess& launcher = Start();
    launcher.MoveFocusTo(IDC_PLAY_ZERBS3D);
    launcher.PressKey(VK_RETURN);
    EXPECT_EQ(RecordField(Zerbs3DRecord(), "command line"),
              "bin\\Zerbs3D.exe /W 1024 /H 768 /REFRESH 60 /WIN");
}

TEST_F(LauncherDialog, EnterInTheWidthBoxLaunchesWithTheHeightBoxAsItStands) {
    LauncherProcess& launcher = Start();
    ASSERT_EQ(launcher.FocusedId(), IDC_WIDTH);
    launcher.SetText(IDC_WIDTH, "640");
    launcher.SetText(IDC_HEIGHT, "123");
    launcher.PressKey(VK_RETURN);
    EXPECT_EQ(RecordField(TolvaneRecord(), "command line"), "ZT.exe /RES=640x123 /REFRESH 60 /WIN");
    ASSERT_TRUE(launcher.WaitForExit());
    EXPECT_NE(ReadFileBytes(Settings()).find("\r\n640\r\n123\r\n"), std::string::npos);
}

TEST_F(LauncherDialog, MissingGameEndsTheLauncherAfterSaving) {
    WriteFileBytes(Settings(), "nowhere\nnowhere\n1024\n768\n60\n");
    m_launcher = std::make_unique<LauncherProcess>(m_folder.Path());
    m_launcher->Dialog();
    m_launcher->Click(IDC_PLAY_ZERBS3D);
    EXPECT_TRUE(m_launcher->WaitForExit()) << "the dialog closes and the program ends";
    EXPECT_EQ(ReadFileBytes(Settings()).substr(0, 9), "nowhere\r\n");
}

TEST_F(LauncherDialog, ClosingWithoutPlayLeavesTheSettingsFileUntouched) {
    const std::string untouched = "Zerbs 3D\nZerbs Tolvane\n800\n100\n75\n";
    {
        LauncherProcess& launcher = Start(untouched);
        ::PostMessageA(launcher.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(launcher.WaitForExit());
    }
    {
        LauncherProcess& launcher = Start(untouched);
        launcher.MoveFocusTo(IDC_NO_SOUNDS);
        launcher.PressKey(VK_ESCAPE);
        EXPECT_TRUE(launcher.WaitForExit());
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
    launcher.PressKeyInput(VK_F1);
    const HWND help = launcher.WaitForWindow("ZTLV LAUNCHER");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(::GetWindow(help, GW_OWNER), about);
}

// Run by the disk-full check alone, under a file-size limit of 512 bytes whose signal is ignored:
// the new settings file, long advanced switches and all, outgrows it as it would a full disk.
TEST(DiskFull, PlayKeepsTheOldFileLeavesNoTemporaryFileAndStillStartsTheGame) {
    ScratchFolder folder;
    // Linked, not copied: a copy of the game would outgrow the limit itself.
    ::CreateDirectoryA((folder / "Zerbs 3D").c_str(), nullptr);
    ::CreateDirectoryA((folder / "Zerbs 3D\\bin").c_str(), nullptr);
    ASSERT_TRUE(::CreateHardLinkA((folder / "Zerbs 3D\\bin\\Zerbs3D.exe").c_str(),
                                  WindowsPath(ZTLV_STAND_IN_GAME).c_str(), nullptr));
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
