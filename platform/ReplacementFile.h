#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Puts new content in a file's place so that a failed save or a kill never costs the old content:
// the content goes into a temporary file beside it, which takes the file's place in one step once
// it is complete and on disk. Where that cannot be done but a plain rewrite could (no temporary
// file can be made, or another program holds the file open while letting others write it), the
// file is rewritten in place, given its new length before a byte is written. Temporary files that
// cut-off saves left go when the next save starts.
class ReplacementFile {
public:
    explicit ReplacementFile(const char* path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Puts the bytes in the file. True exactly when the file then holds them; otherwise the old
    // file is as it was, unless an in-place rewrite failed after the file took its new length.
    bool Commit(const char* bytes, std::size_t size);

    // A file as the system calls below know it: a descriptor or a handle.
    using Handle = std::intptr_t;
    // The system's own error code (errno, or GetLastError() on Windows); 0 for success.
    using Error = unsigned long;

    // What a save needs to know of the file it replaces.
    struct Attributes {
        bool readOnly = false;  // a plain rewrite would be refused
        bool folder = false;    // a folder stands in the file's place
        unsigned long kept = 0; // what the new file takes over: permissions, or hidden and system
    };

    // Every system call a save makes, in one table that tests may change to make any of them fail.
    struct SystemCalls {
        Error (*createNew)(const char* path, Handle* file);    // refused where the name exists
        Error (*openExisting)(const char* path, Handle* file); // for writing, nothing cut
        Error (*write)(Handle file, std::size_t offset, const char* bytes, std::size_t size,
                       std::size_t* written);
        Error (*setLength)(Handle file, std::size_t size); // and the space that length takes
        Error (*sync)(Handle file);
        Error (*close)(Handle file);
        Error (*replace)(const char* from, const char* to);
        Error (*getAttributes)(const char* path, Attributes* attributes);
        Error (*setAttributes)(const char* path, unsigned long kept);
        Error (*remove)(const char* path);
        // Calls found with the rest of each name in the folder that begins with the prefix's last
        // component, the prefix being a path.
        Error (*list)(const char* prefix, void (*found)(const char* rest, void* context),
                      void* context);
        bool (*processRuns)(unsigned long process);
        unsigned long (*currentProcess)();
        void (*sleep)(unsigned milliseconds);
    };
    static SystemCalls& Calls();

private:
    // Makes this process's temporary file with the old file's attributes where it was found;
    // false, with nothing left, when none can be made.
    bool MakeTemporaryFile(unsigned long process, bool found, const Attributes& old, Handle& file);
    bool WriteAll(Handle file, const char* bytes, std::size_t size) const;
    bool RewriteInPlace(const char* bytes, std::size_t size) const;
    void RemoveAbandonedTemporaryFiles(unsigned long process) const;

    static constexpr std::size_t kPathSize = 1024;

    char m_path[kPathSize] = "";          // empty when the path did not fit
    char m_temporaryPath[kPathSize] = ""; // empty once there is no temporary file to remove
};

} // namespace platform
