// Reading the settings file from bytes in memory: the line reader's rules and its edge cases.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "fixture_values.h"
#include "test_support.h"

namespace {

const char* const kTypicalLines[] = {"C:\\Games\\Zerbs 3D",
                                     "D:\\Zerbs Tolvane",
                                     "1024",
                                     "768",
                                     "60",
                                     "TRUE",
                                     "FALSE",
                                     "TRUE",
                                     "FALSE",
                                     "FALSE",
                                     "TRUE",
                                     "FALSE",
                                     " /LOG"};

std::string JoinLines(int first, int last, const char* end = "\n") {
    std::string text;
    for (int i = first; i <= last; ++i) {
        text += kTypicalLines[i - 1];
        text += end;
    }
    return text;
}

std::string Values(const LoadedSettings& loaded) {
    return DescribeValues(loaded.zerbs3DDirectory.c_str(), loaded.tolvaneDirectory.c_str(),
                          loaded.settings);
}

// Values of the typical lines, each distinct from its neighbours so that a shift shows.
void ExpectTypicalValues(const LoadedSettings& loaded) {
    EXPECT_EQ(Values(loaded),
              "C:\\Games\\Zerbs 3D | D:\\Zerbs Tolvane | 1024 | 768 | 60 | 1 | 0 | 1 | 0 "
              "| 0 | 1 | 0 |  /LOG");
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

int WidthFromLine(const std::string& line) {
    return ReadFromBytes("a\nb\n" + line + "\n").settings.m_width;
}

TEST(SettingsReader, ReadsThirteenValueLinesInLayoutOrderAndIgnoresTheRest) {
    ExpectTypicalValues(ReadFromBytes(JoinLines(1, 13) + "\n\nextra lines\nFALSE\n"));
}

TEST(SettingsReader, SkipsCommentLinesBeforeBetweenAndAfterValues) {
    ExpectTypicalValues(ReadFixture("comments_between_values.ini"));
}

TEST(SettingsReader, LineStartingWithBlankThenSemicolonIsAValue) {
    const LoadedSettings loaded = ReadFixture("blank_before_semicolon_is_a_value.ini");
    EXPECT_EQ(loaded.zerbs3DDirectory, " ;not a comment");
    EXPECT_EQ(loaded.tolvaneDirectory, "D:\\Zerbs Tolvane");
    EXPECT_EQ(loaded.settings.m_width, 1024);
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

TEST(SettingsReader, NumbersTakeTheDecimalPrefixAndSaturateAt32Bits) {
    EXPECT_EQ(WidthFromLine(" 800x600"), 800);
    EXPECT_EQ(WidthFromLine("\t-5 pixels"), -5);
    EXPECT_EQ(WidthFromLine("+7"), 7);
    EXPECT_EQ(WidthFromLine("wide"), 0);
    EXPECT_EQ(WidthFromLine("- 5"), 0);
    EXPECT_EQ(WidthFromLine(""), 0);
    EXPECT_EQ(WidthFromLine("2147483647"), INT_MAX);
    EXPECT_EQ(WidthFromLine("2147483648"), INT_MAX);
    EXPECT_EQ(WidthFromLine("-2147483648"), INT_MIN);
    EXPECT_EQ(WidthFromLine("-2147483649"), INT_MIN);
    EXPECT_EQ(WidthFromLine("000000000000000000000042"), 42);
    EXPECT_EQ(WidthFromLine("184467440737095516160000"), INT_MAX);

    const LaunchSettings s = ReadFixture("numbers_out_of_range.ini").settings;
    EXPECT_EQ(s.m_width, INT_MAX);
    EXPECT_EQ(s.m_height, INT_MIN);
    EXPECT_EQ(s.m_refreshRate, INT_MAX);
}

TEST(SettingsReader, Comment600BytesLongShiftsEveryValueDownALine) {
    EXPECT_EQ(
        Values(ReadFixture("comment_600_bytes_shifts_values.ini")),
        "SHIFTED{83 d} | C:\\Games\\Zerbs 3D | 0 | 1024 | 768 | 1 | 1 | 0 | 1 | 0 | 0 | 1 | FALSE");
}

TEST(SettingsReader, LongLinesAreTakenIn510BytePiecesThatLoseTheirLastByte) {
    const LoadedSettings loaded = ReadFixture("lines_of_509_to_512_bytes.ini");
    EXPECT_EQ(loaded.zerbs3DDirectory, std::string(508, 'a'));
    EXPECT_EQ(loaded.tolvaneDirectory, std::string(509, 'b'));
    const LaunchSettings& s = loaded.settings;
    EXPECT_EQ(s.m_width, 0) << "510 bytes of 'c', cut to 509";
    EXPECT_EQ(s.m_height, 0) << "the line end left over from the 'c' line";
    EXPECT_EQ(s.m_refreshRate, 0) << "the first 510 bytes of the 'd' line";
    EXPECT_EQ(s.m_runInWindow, 1) << "the 'd' left over";
    EXPECT_EQ(s.m_noMovies, 1);
    EXPECT_EQ(s.m_noMusic, 1) << "the two bytes of 'e' left over";
    EXPECT_EQ(s.m_noSounds, 1);
    EXPECT_EQ(s.m_invertFirstPerson, 0);
    EXPECT_EQ(s.m_invertThirdPerson, 1);
    EXPECT_EQ(s.m_invertZerbs, 0);
    EXPECT_EQ(s.m_advancedSwitches, "FALSE");
}

TEST(SettingsReader, CrLfIsOneLineEndCountedAsOneByte) {
    ExpectTypicalValues(ReadFixture("crlf_line_ends.ini"));

    const LoadedSettings long_line = ReadFixture("crlf_after_509_bytes.ini");
    EXPECT_EQ(long_line.zerbs3DDirectory, std::string(509, 'x'));
    EXPECT_EQ(long_line.tolvaneDirectory, "D:\\Zerbs Tolvane");
    EXPECT_EQ(long_line.settings.m_advancedSwitches, " /LOG");
}

TEST(SettingsReader, LoneCarriageReturnIsAnOrdinaryByte) {
    const LoadedSettings loaded = ReadFixture("lone_cr_in_value.ini");
    EXPECT_EQ(loaded.zerbs3DDirectory, "dir\rone");
    EXPECT_EQ(loaded.tolvaneDirectory, "dir two\r");
    EXPECT_EQ(loaded.settings.m_width, 1024);
}

TEST(SettingsReader, NulByteEndsTheTextButNotTheLine) {
    const LoadedSettings loaded = ReadFixture("nul_byte_in_line.ini");
    EXPECT_EQ(loaded.zerbs3DDirectory, "a") << "the byte before the NUL is the one removed";
    EXPECT_EQ(loaded.tolvaneDirectory, "") << "nothing is removed in front of an empty text";
    EXPECT_EQ(loaded.settings.m_width, 1024) << "the reader stays in step after a NUL";
    EXPECT_EQ(loaded.settings.m_runInWindow, 1) << "\"FALSE\\0x\" loses its E, leaving FALS";
    EXPECT_EQ(loaded.settings.m_advancedSwitches, " /LOG");
}

TEST(SettingsReader, LastLineWithoutLineEndKeepsItsLastByte) {
    EXPECT_EQ(ReadFixture("last_line_without_line_end.ini").settings.m_advancedSwitches, "/ABC");
    EXPECT_EQ(ReadFromBytes("no line end").zerbs3DDirectory, "no line end");
}

TEST(SettingsReader, AdvancedSwitchesStartingWithSemicolonAreReadAsAComment) {
    const LoadedSettings loaded = ReadFixture("advanced_switches_begin_with_semicolon.ini");
    EXPECT_EQ(loaded.settings.m_advancedSwitches, "") << "the first trailing empty line";
    EXPECT_EQ(loaded.settings.m_invertThirdPerson, 1);
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

    const LoadedSettings one = ReadFromBytes("only the first\n", start);
    EXPECT_EQ(one.zerbs3DDirectory, "only the first");
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
