#pragma once

#include <string>

// A whole file's bytes, read and written without any line-end translation; both throw on failure.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The demo installation's settings file: the example the tests and benchmarks start from.
std::string ExampleSettings();
