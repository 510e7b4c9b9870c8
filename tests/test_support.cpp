#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

void SetDirectories(const std::string& zerbs3D, const std::string& tolvane) {
    std::snprintf(g_zerbs3DDirectory, sizeof g_zerbs3DDirectory, "%s", zerbs3D.c_str());
    std::snprintf(g_tolvaneDirectory, sizeof g_tolvaneDirectory, "%s", tolvane.c_str());
    g_settingsFileForm = {};
}

LoadedSettings ReadFromBytes(const std::string& bytes, const LoadedSettings& start) {
    LoadedSettings loaded = start;
    SetDirectories(start.zerbs3DDirectory, start.tolvaneDirectory);
    std::string copy = bytes;
    std::FILE* stream = fmemopen(copy.data(), copy.size(), "r");
    if (!stream) {
        throw std::runtime_error("fmemopen failed");
    }
    ReadSettings(stream, loaded.settings);
    std::fclose(stream);
    loaded.zerbs3DDirectory = g_zerbs3DDirectory;
    loaded.tolvaneDirectory = g_tolvaneDirectory;
    return loaded;
}

LaunchSettings ExampleRecord() {
    const LoadedSettings kept = {g_zerbs3DDirectory, g_tolvaneDirectory, {}};
    const LaunchSettings example = ReadFromBytes(ExampleSettings()).settings;
    SetDirectories(kept.zerbs3DDirectory, kept.tolvaneDirectory);
    return example;
}

std::string FixturePath(const std::string& name) {
    return std::string(ZTLV_FIXTURE_DIR "/") + name;
}

TemporaryDirectory::TemporaryDirectory() : m_previous(fs::current_path().string()) {
    std::string pattern = (fs::temp_directory_path() / "ztlv-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
    fs::current_path(m_path);
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

std::string TemporaryDirectory::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names) {
        listing += listing.empty() ? name : " " + name;
    }
    return listing;
}

int RunInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
