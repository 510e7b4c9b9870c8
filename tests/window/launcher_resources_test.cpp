// The resources inside the built program file: languages, icons, pictures and the version block.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "LauncherProcess.h"

namespace {

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = ::LoadLibraryExA(WindowsPath(ZTLV_LAUNCHER_EXE).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override { ::FreeLibrary(m_module); }

    const void* Load(LPCSTR type, LPCSTR name, DWORD* size = nullptr) const {
        const HRSRC found = ::FindResourceA(m_module, name, type);
        if (!found) {
            return nullptr;
        }
        if (size) {
            *size = ::SizeofResource(m_module, found);
        }
        return ::LockResource(::LoadResource(m_module, found));
    }

    HMODULE m_module = nullptr;
};

struct IconImage {
    int size;
    int bitCount;
};

void ExpectIconGroup(const void* group, const std::vector<IconImage>& expected,
                     const std::function<const void*(WORD)>& image) {
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const IconGroupHeader*>(group);
    ASSERT_EQ(header->count, expected.size());
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(entries[i].width, expected[i].size);
        EXPECT_EQ(entries[i].height, expected[i].size);
        EXPECT_EQ(entries[i].bitCount, expected[i].bitCount);
        const auto* info = static_cast<const BITMAPINFOHEADER*>(image(entries[i].id));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->biBitCount, expected[i].bitCount) << "a palette image, not 32-bit or PNG";
        EXPECT_EQ(info->biWidth, expected[i].size);
    }
}

TEST_F(ProgramResources, EveryResourceIsBritishEnglishAndTheOnlyIconGroupsAre144And145) {
    struct Collected {
        std::vector<std::string> names;
        std::vector<WORD> languages;
    } collected;
    for (LPCSTR type : {RT_DIALOG, RT_BITMAP, RT_GROUP_ICON, RT_ICON, RT_VERSION, RT_STRING}) {
        collected.names.clear();
        ::EnumResourceNamesA(
            m_module, type,
            [](HMODULE module, LPCSTR resourceType, LPSTR name, LONG_PTR context) CALLBACK -> BOOL {
                auto& c = *reinterpret_cast<Collected*>(context);
                c.names.push_back(IS_INTRESOURCE(name)
                                      ? std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                      : std::string(name));
                ::EnumResourceLanguagesA(
                    module, resourceType, name,
                    [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR inner) CALLBACK -> BOOL {
                        reinterpret_cast<Collected*>(inner)->languages.push_back(language);
                        return TRUE;
                    },
                    context);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&collected));
        if (type == RT_GROUP_ICON) {
            EXPECT_EQ(collected.names, (std::vector<std::string>{"144", "145"}));
        }
    }
    ASSERT_FALSE(collected.languages.empty());
    for (WORD language : collected.languages) {
        EXPECT_EQ(language, 0x0809);
    }
}

TEST_F(ProgramResources, IconGroupsHoldTheListedPaletteImages) {
    const auto image = [this](WORD id) { return Load(RT_ICON, MAKEINTRESOURCEA(id)); };
    ExpectIconGroup(Load(RT_GROUP_ICON, MAKEINTRESOURCEA(144)),
                    {{32, 4}, {16, 4}, {48, 8}, {16, 8}, {32, 8}}, image);
    ExpectIconGroup(Load(RT_GROUP_ICON, MAKEINTRESOURCEA(145)),
                    {{32, 4}, {16, 8}, {32, 8}, {48, 8}}, image);
}

// The artwork is 245 x 171, the About box's picture 256 x 256, both with a palette.
TEST_F(ProgramResources, PicturesAndTheAboutBoxsEntryTextAndTemplate) {
    for (const auto& [id, width, height] : {std::tuple{143, 245, 171}, {142, 256, 256}}) {
        const auto* info =
            static_cast<const BITMAPINFOHEADER*>(Load(RT_BITMAP, MAKEINTRESOURCEA(id)));
        ASSERT_NE(info, nullptr) << id;
        EXPECT_EQ((std::pair<long, long>(info->biWidth, info->biHeight)),
                  (std::pair<long, long>(width, height)))
            << id;
        EXPECT_EQ(info->biBitCount, 8) << id;
    }

    char entry[64] = "";
    EXPECT_GT(::LoadStringA(m_module, 101, entry, sizeof entry), 0);
    EXPECT_STREQ(entry, "&About ZTLV Launcher...");

    const auto* about = static_cast<const DLGTEMPLATE*>(Load(RT_DIALOG, MAKEINTRESOURCEA(100)));
    ASSERT_NE(about, nullptr);
    // Its controls and size are checked on the open box.
    EXPECT_NE(reinterpret_cast<const WORD*>(about)[1], 0xFFFF) << "a classic template";
    EXPECT_EQ(about->x, 0);
    EXPECT_EQ(about->y, 0);
    EXPECT_EQ(about->style & DS_CENTER, 0u);

    const auto* launcher = static_cast<const WORD*>(Load(RT_DIALOG, MAKEINTRESOURCEA(102)));
    ASSERT_NE(launcher, nullptr);
    EXPECT_EQ(launcher[1], 0xFFFF) << "an extended template";
}

TEST_F(ProgramResources, VersionBlockNamesTheProgram) {
    DWORD size = 0;
    const void* block = Load(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), &size);
    ASSERT_NE(block, nullptr);
    std::vector<char> copy(static_cast<const char*>(block), static_cast<const char*>(block) + size);
    copy.resize(size * 3);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 4u);
    EXPECT_EQ(fixed->dwFileType, 1u);
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(copy.data(), "\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const auto text = [&copy](const char* name) {
        char* value = nullptr;
        UINT chars = 0;
        const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
        return ::VerQueryValueA(copy.data(), path.c_str(), reinterpret_cast<void**>(&value), &chars)
                   ? std::string(value)
                   : std::string("(missing)");
    };
    EXPECT_EQ(text("FileVersion"), "1.2");
    EXPECT_EQ(text("ProductVersion"), "1.2");
    EXPECT_EQ(text("FileDescription"), "ZTLV LAUNCHER");
    EXPECT_EQ(text("InternalName"), "ZTLV LAUNCHER");
    EXPECT_EQ(text("OriginalFilename"), "ZTLV LAUNCHER.EXE");
    EXPECT_EQ(text("ProductName"), "ZTLV LAUNCHER Application");
    EXPECT_NE(text("CompanyName"), "(missing)");
    EXPECT_NE(text("LegalCopyright"), "(missing)");
    EXPECT_NE(std::string(ZTLV_LAUNCHER_EXE).find("/ZTLV LAUNCHER.EXE"), std::string::npos);
}

// The test command names the build it runs; the program under test and this test program are it.
TEST(ProgramUnderTest, IsTheBuildTheTestCommandNamed) {
    const char* named = std::getenv("ZTLV_WINDOWS_ARCH");
    if (!named) {
        GTEST_SKIP() << "run outside tools/test.sh, which names the build";
    }
    const std::string file = ReadFileBytes(WindowsPath(ZTLV_LAUNCHER_EXE));
    DWORD header = 0;
    WORD machine = 0;
    ASSERT_GT(file.size(), 0x40u);
    std::memcpy(&header, file.data() + 0x3C, sizeof header);
    ASSERT_GT(file.size(), header + 6u);
    std::memcpy(&machine, file.data() + header + 4, sizeof machine);
    const bool i686 = std::string(named) == "i686";
    EXPECT_EQ(machine, i686 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64) << named;
    EXPECT_EQ(sizeof(void*), i686 ? 4u : 8u) << named;
}

} // namespace
