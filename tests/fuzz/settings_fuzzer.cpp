// Feeds arbitrary bytes through the real stream reader, writes what was loaded and loads that
// again: the two loads must agree, and no loaded text may hold a line end, begin with ';' or
// exceed 509 bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launch/settings.h"

namespace {

struct Loaded {
    std::string zerbs3DDirectory;
    std::string tolvaneDirectory;
    LaunchSettings settings;
};

Loaded Load(char* bytes, std::size_t size) {
    g_zerbs3DDirectory[0] = '\0';
    g_tolvaneDirectory[0] = '\0';
    Loaded loaded;
    std::FILE* stream = fmemopen(bytes, size, "r");
    if (!stream) {
        std::abort();
    }
    ReadSettings(stream, loaded.settings);
    std::fclose(stream);
    loaded.zerbs3DDirectory = g_zerbs3DDirectory;
    loaded.tolvaneDirectory = g_tolvaneDirectory;
    return loaded;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckText(const std::string& text) {
    Check(text.size() <= 509);
    Check(text.find('\n') == std::string::npos);
    Check(text.empty() || text[0] != ';');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    const Loaded first = Load(input.data(), input.size());
    CheckText(first.zerbs3DDirectory);
    CheckText(first.tolvaneDirectory);
    CheckText(std::string(first.settings.m_advancedSwitches));

    // The save refuses settings that would not read back as written, in the form they were read in.
    platform::TextBuffer written;
    if (!WriteSettings(written, first.settings)) {
        return 0;
    }
    std::string copy(written.Data(), written.Size());
    const Loaded second = Load(copy.data(), copy.size());

    const LaunchSettings& a = first.settings;
    const LaunchSettings& b = second.settings;
    Check(first.zerbs3DDirectory == second.zerbs3DDirectory);
    Check(first.tolvaneDirectory == second.tolvaneDirectory);
    Check(a.m_advancedSwitches == b.m_advancedSwitches);
    Check(a.m_invertFirstPerson == b.m_invertFirstPerson && a.m_height == b.m_height &&
          a.m_invertZerbs == b.m_invertZerbs && a.m_noMovies == b.m_noMovies &&
          a.m_noMusic == b.m_noMusic && a.m_noSounds == b.m_noSounds &&
          a.m_refreshRate == b.m_refreshRate && a.m_invertThirdPerson == b.m_invertThirdPerson &&
          a.m_width == b.m_width && a.m_runInWindow == b.m_runInWindow);
    return 0;
}
