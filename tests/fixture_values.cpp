#include "fixture_values.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "file_bytes.h"

namespace {

using platform::TextForm;
using namespace std::string_literals;

constexpr const char* kFormNames[] = {"ANSI", "UTF-8", "UTF-8, marked", "UTF-16 LE", "UTF-16 BE"};

std::string Describe(const char* text) {
    std::string described;
    for (const char* byte = text; *byte;) {
        std::size_t run = 1;
        while (byte[run] == *byte) {
            ++run;
        }
        const unsigned char value = static_cast<unsigned char>(*byte);
        char shown[16];
        if (value < 0x20 || value >= 0x7F) {
            std::snprintf(shown, sizeof shown, "<%02x>", value);
        } else {
            std::snprintf(shown, sizeof shown, "%c", value);
        }
        if (run >= 8) {
            described += "{" + std::to_string(run) + " " + shown + "}";
        } else {
            for (std::size_t i = 0; i < run; ++i) {
                described += shown;
            }
        }
        byte += run;
    }
    return described;
}

// Loads the settings file into empty directories and a zeroed record and describes its values.
std::string LoadedValues() {
    g_zerbs3DDirectory[0] = '\0';
    g_tolvaneDirectory[0] = '\0';
    LaunchSettings s;
    return LoadSettings(s) ? DescribeValues(g_zerbs3DDirectory, g_tolvaneDirectory, s)
                           : "(no settings file)";
}

// Loads the settings file again and saves what it loaded, as a Play would: the values the file then
// loads to, or "(kept)" where the save left every byte.
std::string ValuesAfterSave() {
    const std::string before = ReadFileBytes(kSettingsFileName);
    LaunchSettings s;
    LoadSettings(s);
    return SaveSettings(s)                              ? LoadedValues()
           : ReadFileBytes(kSettingsFileName) == before ? "(kept)"
                                                        : "(changed, yet not saved)";
}

std::string LineOneAndForms() {
    const std::string loaded = LoadedValues();
    const std::string read = loaded.substr(0, loaded.find(" | ")) + " | " +
                             kFormNames[static_cast<int>(g_settingsFileForm.form)] + " | ";
    const std::string saved = ValuesAfterSave();
    return read + (saved == loaded ? kFormNames[static_cast<int>(g_settingsFileForm.form)] : saved);
}

} // namespace

std::string DescribeValues(const char* zerbs3D, const char* tolvane, const LaunchSettings& s) {
    std::string values = Describe(zerbs3D) + " | " + Describe(tolvane);
    for (const int number :
         {s.m_width, s.m_height, s.m_refreshRate, s.m_runInWindow, s.m_noMovies, s.m_noMusic,
          s.m_noSounds, s.m_invertFirstPerson, s.m_invertThirdPerson, s.m_invertZerbs}) {
        values += " | " + std::to_string(number);
    }
    return values + " | " + Describe(s.m_advancedSwitches);
}

// Letters as each code page writes them: UTF-8 natively, 1252 under Wine, which lacks the rest.
#ifdef _WIN32
#define ZTLV_E_ACUTE "<e9>"
#define ZTLV_LACKED(native) "?"
#define ZTLV_ANSI_LACKS_THEM true
#else
#define ZTLV_E_ACUTE "<c3><a9>"
#define ZTLV_LACKED(native) native
#define ZTLV_ANSI_LACKS_THEM false
#endif
#define ZTLV_JEUX "C:\\Jeux " ZTLV_E_ACUTE "t" ZTLV_E_ACUTE " | D:\\Zerbs"
#define ZTLV_VALUES " Tolvane | 800 | 600 | 75 | 0 | 1 | 0 | 1 | 0 | 0 | 1 |  /X"
#define ZTLV_UNREAD " | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | "

const FixtureValues kFixtureValues[] = {
    {"blank_before_semicolon_is_a_value.ini",
     " ;not a comment | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"comment_600_bytes_shifts_values.ini",
     "SHIFTED{83 d} | C:\\Games\\Zerbs 3D | 0 | 1024 | 768 | 1 | 1 | 0 | 1 | 0 | 0 | 1 | FALSE"},
    {"comments_between_values.ini", "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 "
                                    "| 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"crlf_after_509_bytes.ini",
     "{509 x} | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"crlf_line_ends.ini", "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 "
                           "| 0 | 0 | 1 | 0 |  /LOG"},
    {"ctrl_z_ends_the_file.ini", "dir |  | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | "},
    {"empty.ini", " |  | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | "},
    {"ends_in_comments_before_all_values.ini",
     "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | 0 | "},
    {"advanced_switches_begin_with_semicolon.ini",
     "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 | 0 | "},
    {"last_line_without_line_end.ini", "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 "
                                       "| 1 | 0 | 1 | 0 | 0 | 1 | 0 | /ABC"},
    {"lines_of_509_to_512_bytes.ini",
     "{508 a} | {509 b} | 0 | 0 | 0 | 1 | 1 | 1 | 1 | 0 | 1 | 0 | FALSE"},
    {"lone_cr_in_value.ini",
     "dir<0d>one | dir two<0d> | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"nul_byte_in_line.ini", "a |  | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"numbers_out_of_range.ini", "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 2147483647 | "
                                 "-2147483648 | 2147483647 | 1 | 0 | 1 | 0 | 0 | 1 | 0 |  /LOG"},
    {"utf8_mark_is_no_part_of_line_1.ini", ZTLV_JEUX " Tolvane" ZTLV_UNREAD, TextForm::kUtf8Marked},
    {"utf16le_mark_reads_as_ansi.ini", ZTLV_JEUX ZTLV_VALUES, TextForm::kUtf16LE},
    {"utf16be_mark_reads_as_ansi.ini", ZTLV_JEUX ZTLV_VALUES, TextForm::kUtf16BE},
    {"utf16le_letters_ansi_lacks_hold_a_ctrl_z_byte.ini",
     "C:\\Jeux " ZTLV_LACKED("<c4><9a>") "t" ZTLV_E_ACUTE " | D:\\Zerbs" ZTLV_VALUES
                                         " " ZTLV_LACKED("<f0><9f><98><80>"),
     TextForm::kUtf16LE, ZTLV_ANSI_LACKS_THEM},
    {"utf8_mark_twice_would_save_as_one.ini",
     ZTLV_LACKED("<ef><bb><bf>") ZTLV_JEUX " Tolvane" ZTLV_UNREAD, TextForm::kUtf8Marked,
     ZTLV_ANSI_LACKS_THEM},
    {"utf8_mark_then_malformed_sequences.ini", ZTLV_JEUX "? ? ? ?" ZTLV_UNREAD,
     TextForm::kUtf8Marked, true},
};
const std::size_t kFixtureValuesCount = sizeof kFixtureValues / sizeof kFixtureValues[0];

#define ZTLV_MARK "\xEF\xBB\xBF"
#define ZTLV_MARKED " | UTF-8, marked | (kept)"
#define ZTLV_MARKED_SAVED " | UTF-8, marked | UTF-8, marked"
#define ZTLV_UTF16 " | UTF-16 LE | (kept)"
#define ZTLV_UTF8 " | UTF-8 | UTF-8"

// Bytes before the decoder, by name: "<line 1> | <form read> | <form after a save, or (kept)>".
const std::tuple<const char*, std::string, std::string> kDecodedBytes[] = {
    {"overlong, two bytes", ZTLV_MARK "y\xC0\xAFz", "y?z" ZTLV_MARKED},
    {"overlong, three bytes", ZTLV_MARK "y\xE0\x80\xAFz", "y?z" ZTLV_MARKED},
    {"overlong, four bytes", ZTLV_MARK "y\xF0\x80\x80\xAFz", "y?z" ZTLV_MARKED},
    {"past U+10FFFF", ZTLV_MARK "y\xF4\x90\x80\x80z", "y?z" ZTLV_MARKED},
    {"an encoded surrogate", ZTLV_MARK "y\xED\xA0\x80z", "y?z" ZTLV_MARKED},
    {"cut off by the file's end", ZTLV_MARK "y\xE2\x82", "y?" ZTLV_MARKED},
    {"a Ctrl-Z ends a marked file", ZTLV_MARK "y\x1A\xC0", "y" ZTLV_MARKED_SAVED},
    {"past line 13", ZTLV_MARK "d\nt\n800 \xFF\n\n\n\n\n\n\n\n\n\n\n\xFF", "d" ZTLV_MARKED_SAVED},
    {"a comment's letter ANSI lacks", ZTLV_MARK ";\xC5\x9A\nd", "d" ZTLV_MARKED_SAVED},
    {"UTF-16, lone high surrogate", "\xFF\xFEy\0\0\xD8z\0"s, "y?z" ZTLV_UTF16},
    {"UTF-16, lone low surrogate", "\xFF\xFEy\0\0\xDCz\0"s, "y?z" ZTLV_UTF16},
    {"UTF-16, high surrogate, FF21", "\xFF\xFEy\0\0\xD8\x21\xFF"s,
     "y?" ZTLV_LACKED("<ef><bc><a1>") ZTLV_UTF16},
    {"UTF-16, an odd last byte", "\xFF\xFEy\0z"s, "y?" ZTLV_UTF16},
    {"UTF-16, a Ctrl-Z ends it", "\xFE\xFF\0y\0\x1A\xD8"s, "y | UTF-16 BE | UTF-16 BE"},
    {"unmarked UTF-8, a ?", "?\xC3\xA9t\xC3\xA9", "?" ZTLV_E_ACUTE "t" ZTLV_E_ACUTE ZTLV_UTF8},
    {"unmarked, invalid UTF-8", "C:\\Jeux \xE9t\xE9", "C:\\Jeux <e9>t<e9> | ANSI | ANSI"},
    {"unmarked UTF-8, a byte past a Ctrl-Z", "\xC3\xA9\x1A\xFF", ZTLV_E_ACUTE ZTLV_UTF8},
    {"unmarked UTF-8 in a comment only", ";\xC3\xA9\nd", "d | UTF-8 | ANSI"},
    {"sample cut", "\xC3\xA9\n" + std::string(65532, 'x') + "\xC3\xA9", ZTLV_E_ACUTE ZTLV_UTF8},
    {"UTF-8 past the sample", "d\n" + std::string(65536, 'x') + "\xC3\xA9", "d | ANSI | ANSI"},
    {"mark past a comment", ";\n\xEF\xBB\xBFz", ZTLV_LACKED("<ef><bb><bf>") "z | UTF-8 | (kept)"},
    {"ANSI that reads as UTF-8", ";\xFF\n\xC3\xA9",
     "<c3><a9> | ANSI | "s + (ZTLV_ANSI_LACKS_THEM ? "(kept)" : "UTF-8")},
};

void ExpectEveryRowLoadsAndSaves(const std::string& fixtures) {
    for (const FixtureValues& row : kFixtureValues) {
        WriteFileBytes(kSettingsFileName, ReadFileBytes(fixtures + "/" + row.fixture));
        EXPECT_EQ(LoadedValues(), row.values) << row.fixture;
        EXPECT_EQ(ValuesAfterSave(), row.kept ? "(kept)" : row.values) << row.fixture << ", saved";
        EXPECT_EQ(g_settingsFileForm.form, row.form) << row.fixture << ", saved";
    }
    for (const auto& [name, bytes, read] : kDecodedBytes) {
        WriteFileBytes(kSettingsFileName, bytes);
        EXPECT_EQ(LineOneAndForms(), read) << name;
    }
}
