#include "platform/ReplacementFile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Copies a path into a member buffer; false when it does not fit.
template <std::size_t Size> bool CopyPath(char (&target)[Size], const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= Size) {
        return false;
    }
    std::memcpy(target, path, length + 1);
    return true;
}

} // namespace

#ifdef _WIN32

namespace {

// True for "~", digits, ".", digits: the rest of a temporary file's name after the file's own.
bool IsTemporarySuffix(const char* suffix) {
    if (*suffix++ != '~' || !std::isdigit(static_cast<unsigned char>(*suffix))) {
        return false;
    }
    while (std::isdigit(static_cast<unsigned char>(*suffix))) {
        ++suffix;
    }
    if (*suffix++ != '.' || !std::isdigit(static_cast<unsigned char>(*suffix))) {
        return false;
    }
    while (std::isdigit(static_cast<unsigned char>(*suffix))) {
        ++suffix;
    }
    return *suffix == '\0';
}

// Removes the temporary files that earlier saves left when they were cut off before the
// replacement, as a killed launcher leaves them, and no other file: a player's own
// "ztlvlauncher.ini.~backup" stays. One that a running launcher still writes is open without leave
// to delete it, so it stays too.
void RemoveAbandonedTemporaryFiles(const char* path) {
    char pattern[MAX_PATH];
    const int length = std::snprintf(pattern, sizeof pattern, "%s.~*", path);
    if (length < 0 || length >= static_cast<int>(sizeof pattern)) {
        return;
    }
    int folder = 0;
    for (int i = 0; path[i]; ++i) {
        if (path[i] == '\\' || path[i] == '/') {
            folder = i + 1;
        }
    }
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::size_t nameLength = std::strlen(path + folder);
    do {
        if (std::strlen(entry.cFileName) <= nameLength + 1 ||
            !IsTemporarySuffix(entry.cFileName + nameLength + 1)) {
            continue;
        }
        char abandoned[MAX_PATH];
        const int used =
            std::snprintf(abandoned, sizeof abandoned, "%.*s%s", folder, path, entry.cFileName);
        if (used > 0 && used < static_cast<int>(sizeof abandoned)) {
            DeleteFileA(abandoned);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

} // namespace

ReplacementFile::ReplacementFile(const char* path) {
    // Opening a read-only file for writing fails; replacing it must fail the same way.
    const DWORD attributes = GetFileAttributesA(path);
    if (!CopyPath(m_path, path) ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY))) {
        return;
    }
    // The new file keeps what the player set on the old one; it is marked for backup as any
    // rewritten file is.
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        m_attributes = (attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE;
    }
    RemoveAbandonedTemporaryFiles(path);
    const unsigned long process = static_cast<unsigned long>(_getpid());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char candidate[kPathSize];
        const int length =
            std::snprintf(candidate, sizeof candidate, "%s.~%lu.%u", path, process, attempt);
        if (length < 0 || length >= static_cast<int>(sizeof candidate)) {
            break;
        }
        const int fd = _open(candidate, _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | _O_TEXT,
                             _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            break;
        }
        CopyPath(m_temporaryPath, candidate);
        Adopt(fd);
        return;
    }
    m_inPlace = Adopt(_open(path, _O_WRONLY | _O_TRUNC | _O_NOINHERIT | _O_TEXT));
}

bool ReplacementFile::Commit() {
    if (!m_stream) {
        return false;
    }
    bool written =
        std::fflush(m_stream) == 0 && !std::ferror(m_stream) && _commit(_fileno(m_stream)) == 0;
    written = std::fclose(m_stream) == 0 && written;
    m_stream = nullptr;
    if (m_inPlace) {
        return written;
    }
    if (!written || (m_attributes != 0 && !SetFileAttributesA(m_temporaryPath, m_attributes)) ||
        !MoveFileExA(m_temporaryPath, m_path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    m_temporaryPath[0] = '\0';
    return true;
}

#else

namespace {

// Makes the new file's directory entry durable; a failure here leaves the new file in place.
void SyncDirectoryOf(const char* path) {
    char directory[1024] = ".";
    if (const char* slash = std::strrchr(path, '/')) {
        const std::size_t length = slash == path ? 1 : static_cast<std::size_t>(slash - path);
        std::memcpy(directory, path, length);
        directory[length] = '\0';
    }
    const int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

ReplacementFile::ReplacementFile(const char* path) {
    struct stat old;
    const bool exists = stat(path, &old) == 0;
    // Root may write any file, so read-only is judged from the mode, as the player means it.
    if (!CopyPath(m_path, path) ||
        (exists && S_ISREG(old.st_mode) && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        return;
    }
    char candidate[kPathSize];
    int fd = -1;
    if (std::strlen(path) + sizeof ".XXXXXX" <= sizeof candidate) {
        std::strcpy(candidate, path);
        std::strcat(candidate, ".XXXXXX");
        fd = mkostemp(candidate, O_CLOEXEC);
    }
    if (fd < 0) {
        m_inPlace = Adopt(open(path, O_WRONLY | O_TRUNC | O_CLOEXEC));
        return;
    }
    CopyPath(m_temporaryPath, candidate);
    // The new file keeps the old one's permissions, or gets those a newly created file would.
    mode_t mode = 0;
    if (exists && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) == 0) {
        Adopt(fd);
    } else {
        close(fd);
    }
}

bool ReplacementFile::Commit() {
    if (!m_stream) {
        return false;
    }
    bool written =
        std::fflush(m_stream) == 0 && !std::ferror(m_stream) && fsync(fileno(m_stream)) == 0;
    written = std::fclose(m_stream) == 0 && written;
    m_stream = nullptr;
    if (m_inPlace) {
        return written;
    }
    if (!written || std::rename(m_temporaryPath, m_path) != 0) {
        return false;
    }
    m_temporaryPath[0] = '\0';
    SyncDirectoryOf(m_path);
    return true;
}

#endif

bool ReplacementFile::Adopt(int fd) {
    if (fd < 0) {
        return false;
    }
#ifdef _WIN32
    m_stream = _fdopen(fd, "w");
    if (!m_stream) {
        _close(fd);
    }
#else
    m_stream = fdopen(fd, "w");
    if (!m_stream) {
        close(fd);
    }
#endif
    return m_stream != nullptr;
}

ReplacementFile::~ReplacementFile() {
    if (m_stream) {
        std::fclose(m_stream);
    }
    if (m_temporaryPath[0] != '\0') {
        std::remove(m_temporaryPath);
    }
}

} // namespace platform
