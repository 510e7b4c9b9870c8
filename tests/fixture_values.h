#pragma once

#include <cstddef>
#include <string>

#include "launch/settings.h"
#include "platform/TextReader.h"

// What loading each settings fixture as the settings file gives, required alike of every build:
// the thirteen values in file order, as LoadedValues describes them.
struct FixtureValues {
    const char* fixture;
    const char* values;
    platform::TextForm form = platform::TextForm::kAnsi; // read in, and kept by a save
    bool kept = false; // a value a save writes back holds a stand-in, so a save leaves the file
};
extern const FixtureValues kFixtureValues[];
extern const std::size_t kFixtureValuesCount;

// Byte sequences before the decoder, each a settings file of its own: "<line 1 as read> | <form
// read> | <form after a save>", or "(kept)" where the save left every byte.
struct DecodedBytes {
    const char* name;
    std::string bytes;
    const char* read;
};
extern const DecodedBytes kDecodedBytes[];
extern const std::size_t kDecodedBytesCount;

// Describes the thirteen values, " | " between them: texts with unprintable bytes as <hex> and runs
// of eight or more equal bytes as {count byte}, switches as 0 or 1.
std::string DescribeValues(const char* zerbs3D, const char* tolvane, const LaunchSettings& s);

// Loads the settings file in the working directory into empty directories and a zeroed record and
// describes its values.
std::string LoadedValues();

// Once LoadedValues has loaded the settings file, loads it again and saves what it loaded, as a
// Play would: the values the file then loads to, or "(kept)" where the save left every byte.
std::string ValuesAfterSave();

// Loads the settings file and saves it: what DecodedBytes::read describes.
std::string LineOneAndForms();
