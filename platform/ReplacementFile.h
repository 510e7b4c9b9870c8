#pragma once

#include <cstddef>
#include <cstdio>

namespace platform {

// Writes the new content of a file into a temporary file beside it and puts it in the file's place
// in one step once it is complete, so a failed write or a kill never costs the old content. The
// temporary file is opened in text mode and is not inherited by programs this process starts; on
// Windows, those that earlier saves left when they were cut off go when the next one starts. Where
// the file may be written but no temporary file can be made (a folder the player may not write to),
// or on Windows the temporary file cannot take the file's place (another program holds the file
// open), the file is rewritten in place, as a plain rewrite would.
class ReplacementFile {
public:
    explicit ReplacementFile(const char* path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // The stream to write to; null when the file is read-only, or neither a temporary file nor the
    // file itself could be opened.
    std::FILE* Stream() const { return m_stream; }

    // Flushes, syncs and closes the stream, then replaces the file, or on Windows writes the new
    // bytes over it where it cannot be replaced. True only when the new bytes are in the file;
    // otherwise false, with the temporary file removed and the old file as it was unless the
    // writing over it failed part-way, as a plain rewrite would.
    bool Commit();

private:
    // Flushes, syncs and closes the stream; true when every byte reached the disk.
    bool CloseStream();
    // Writes through fd when it is open; false, with nothing open, when it is not.
    bool Adopt(int fd);

    static constexpr std::size_t kPathSize = 1024;

    char m_path[kPathSize] = "";
    char m_temporaryPath[kPathSize] = ""; // empty once there is no temporary file to remove
    std::FILE* m_stream = nullptr;
    bool m_inPlace = false;
#ifdef _WIN32
    unsigned long m_attributes = 0; // the old file's attributes the new one takes, or 0
#endif
};

} // namespace platform
