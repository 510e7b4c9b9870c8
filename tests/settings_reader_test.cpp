// Reading the settings file from bytes in memory: the line reader's rules and its edge cases. What
// each fixture file loads to is checked whole by the fixture table, on every build.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fixture_values.h"
#include "test_support.h"

namespace {

// Lines first to last of a typical file, whose values each differ from their neighbours.
std::string JoinLines(int first, int last) {
    const std::string lines = "C:\\Games\\Zerbs 3D\nD:\\Zerbs Tolvane\n1024\n768\n60\nTRUE\nFALSE\n"
                              "TRUE\nFALSE\nFALSE\nTRUE\nFALSE\n /LOG\n";
    std::size_t begin = 0, end = 0;
    for (int line = 1; line <= last; ++line) {
        begin = line == first ? end : begin;
        end = lines.find('\n', end) + 1;
    }
    return lines.substr(begin, end - begin);
}

std::string Values(const LoadedSettings& loaded) {
    return DescribeValues(loaded.zerbs3DDirectory.c_str(), loaded.tolvaneDirectory.c_str(),
                          loaded.settings);
}

// Settings that differ from every construction value, to show which ones a short file left alone.
LoadedSettings NonDefaultStart() {
    LoadedSettings start;
    start.zerbs3DDirectory = "old 3D";
    start.tolvaneDirectory = "old Tolvane";
    LaunchSettings& s = start.settings;
    s.m_advancedSwitches = "/OLD";
    s.m_width = s.m_height = s.m_refreshRate = 7;
    s.m_runInWindow = s.m_noMovies = s.m_noMusic = s.m_noSounds = 1;
    s.m_invertFirstPerson = s.m_invertThirdPerson = s.m_invertZerbs = 1;
    return start;
}

LoadedSettings ReadFixture(const char* name, const LoadedSettings& start = {}) {
    return ReadFromBytes(ReadFileBytes(FixturePath(name)), start);
}

TEST(SettingsReader, ReadsThirteenValueLinesInLayoutOrderAndIgnoresTheRest) {
    // Each value differs from its neighbours, so that a shift shows.
    EXPECT_EQ(Values(ReadFromBytes(JoinLines(1, 13) + "\n\nextra lines\nFALSE\n")),
              "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 | 0 | 0 | 1 "
              "| 0 |  /LOG");
}

TEST(SettingsReader, OnlyTheExactWordFALSETurnsAnOptionOff) {
    for (const char* line : {"TRUE", "true", "0", "false", "", "FALSE ", " FALSE", "FALSEX"}) {
        SCOPED_TRACE(std::string("option line \"") + line + "\"");
        const std::string text = JoinLines(1, 5) + line + "\n" + JoinLines(7, 13);
        EXPECT_EQ(ReadFromBytes(text).settings.m_runInWindow, 1);
    }
    EXPECT_EQ(ReadFromBytes(JoinLines(1, 5) + "FALSE\n" + JoinLines(7, 13)).settings.m_runInWindow,
              0);
}

TEST(SettingsReader, FileEndingEarlyLeavesUnreadValuesAsTheyWere) {
    const LoadedSettings start = NonDefaultStart();

    const LoadedSettings empty = ReadFixture("empty.ini", start);
    EXPECT_EQ(empty.zerbs3DDirectory, "old 3D");
    EXPECT_EQ(empty.tolvaneDirectory, "old Tolvane");
    EXPECT_EQ(empty.settings.m_width, 7);

    const LoadedSettings comments = ReadFixture("ends_in_comments_before_all_values.ini", start);
    EXPECT_EQ(comments.zerbs3DDirectory, "C:\\Games\\Zerbs 3D");
    EXPECT_EQ(comments.settings.m_width, 1024);
    EXPECT_EQ(comments.settings.m_height, 768);
    EXPECT_EQ(comments.settings.m_refreshRate, 7) << "a comment must not stand in for a value";
    EXPECT_EQ(comments.settings.m_invertZerbs, 1);
    EXPECT_EQ(comments.settings.m_advancedSwitches, "/OLD");

    const LoadedSettings one = ReadFromBytes("only the first, without a line end", start);
    EXPECT_EQ(one.zerbs3DDirectory, "only the first, without a line end");
    EXPECT_EQ(one.tolvaneDirectory, "old Tolvane");

    const LoadedSettings twelve = ReadFromBytes(JoinLines(1, 12), start);
    EXPECT_EQ(twelve.settings.m_invertZerbs, 0);
    EXPECT_EQ(twelve.settings.m_advancedSwitches, "/OLD") << "a stale buffer must not be reused";
}

TEST(SettingsReader, ReadSettingsLineAtEndOfStreamLeavesTheBufferAlone) {
    for (const std::string bytes : {"", ";comment\n;comment without line end"}) {
        SCOPED_TRACE("stream \"" + bytes + "\"");
        std::string copy = bytes;
        std::FILE* stream = fmemopen(copy.data(), copy.size(), "r");
        ASSERT_NE(stream, nullptr);
        char buffer[kSettingsLineSize] = "kept";
        EXPECT_FALSE(ReadSettingsLine(buffer, stream));
        EXPECT_STREQ(buffer, "kept");
        std::fclose(stream);
    }
}

} // namespace
