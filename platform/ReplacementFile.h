#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Puts new content in the file a plain rewrite of a path would write, so that a failed save or a
// kill never costs the old content: the content goes into a temporary file beside that file (past
// every symbolic link), which takes its place in one step once it is complete and on disk, keeping
// its owner, permissions and attributes. Where that cannot be done but a plain rewrite could, the
// file is rewritten in place, given its new length and space before a byte is written: where it
// has other names, which must show the new bytes too; where no temporary file can be made or
// written for want of space; where the file cannot be found through its links; or where another
// program holds it open while letting others write it. Temporary files that cut-off saves left go
// when the next save starts.
class ReplacementFile {
public:
    explicit ReplacementFile(const char* path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Puts the bytes in the file. True exactly when the file then holds them. False when the old
    // file is as it was, or where an in-place rewrite failed after the file took its new length:
    // the file may then hold any part of either, as a plain rewrite's would.
    bool Commit(const char* bytes, std::size_t size);

    // A file as the system calls below know it: a descriptor or a handle.
    using Handle = std::intptr_t;
    // The system's own error code (errno, or GetLastError() on Windows); 0 for success.
    using Error = unsigned long;
    // Size of every path buffer of a save, its NUL included.
    static constexpr std::size_t kPathSize = 1024;

    // What a save needs to know of the file it replaces.
    struct Attributes {
        bool readOnly = false;  // a plain rewrite would be refused
        bool folder = false;    // a folder stands in the file's place
        bool named = false;     // the file has other names, which must show the new bytes too
        unsigned long kept = 0; // what the new file takes over: permissions, or hidden and system
        unsigned long owner = 0, group = 0; // the file's user and group, where the system has them
    };

    // Every system call a save makes, in one table that tests may change to make any of them fail.
    struct SystemCalls {
        // Finds the file a plain rewrite of path would write, through every symbolic link, and
        // what a save needs to know of it. Answers the not-found error, with target set, where no
        // file stands there yet.
        Error (*find)(const char* path, char (&target)[kPathSize], Attributes* attributes);
#ifdef _WIN32
        // The path of the file an open handle reaches through its links, and its length;
        // ERROR_CALL_NOT_IMPLEMENTED where the system has no such look-up (before Windows Vista).
        Error (*finalPath)(Handle file, char (&found)[kPathSize], std::size_t* length);
#endif
        Error (*createNew)(const char* path, Handle* file);    // refused where the name exists
        Error (*openExisting)(const char* path, Handle* file); // for writing, nothing cut
        Error (*write)(Handle file, std::size_t offset, const char* bytes, std::size_t size,
                       std::size_t* written);
        Error (*setLength)(Handle file, std::size_t size); // and the space that length takes
        Error (*sync)(Handle file);
        Error (*close)(Handle file);
        Error (*replace)(const char* from, const char* to);
        // Gives the file at path what the old file at from has that a plain rewrite would keep.
        Error (*setAttributes)(const char* path, const char* from, const Attributes& attributes);
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
    // Writes the temporary file and puts it in the file's place.
    bool Replace(Handle file, const char* bytes, std::size_t size);
    bool RewriteInPlace(const char* bytes, std::size_t size) const;
    void RemoveAbandonedTemporaryFiles(unsigned long process) const;
    void RemoveTemporaryFile();

    char m_path[kPathSize] = "";          // empty when the path did not fit
    char m_target[kPathSize] = "";        // the file the path names, past every link
    char m_temporaryPath[kPathSize] = ""; // empty once there is no temporary file to remove
};

} // namespace platform
