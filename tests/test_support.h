#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "file_bytes.h"
#include "launch/settings.h"

// Lets test failures show a CString's text.
inline void PrintTo(const CString& text, std::ostream* out) {
    *out << '"' << static_cast<const char*>(text) << '"';
}

// What one read of a settings file produced: both directory buffers and the record.
struct LoadedSettings {
    std::string zerbs3DDirectory;
    std::string tolvaneDirectory;
    LaunchSettings settings;
};

// Reads settings from bytes held in memory, starting from the given values and directories.
LoadedSettings ReadFromBytes(const std::string& bytes, const LoadedSettings& start = {});

// The record the example settings file loads to; the directory buffers stay as they were.
LaunchSettings ExampleRecord();

// Sets both directory buffers, as a file in ANSI that loses no value would.
void SetDirectories(const std::string& zerbs3D, const std::string& tolvane);

std::string FixturePath(const std::string& name);

// A fresh folder that is the working directory for the object's lifetime, removed afterwards.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return m_path; }

    // Names in the folder, sorted: shows a temporary file left behind.
    std::string Listing() const;

private:
    std::string m_previous;
    std::string m_path;
};

// Runs body in a forked child and returns its exit code, or 128 + the signal that ended it.
int RunInChild(const std::function<int()>& body);
