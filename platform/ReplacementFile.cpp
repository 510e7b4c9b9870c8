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

#include <cerrno>
#include <cstdlib>

namespace platform {

#ifdef _WIN32

ReplacementFile::ReplacementFile(const char* path) : m_path(path) {
    // Opening a read-only file for writing fails; replacing it must fail the same way.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    const std::string stem = m_path + ".~" + std::to_string(_getpid()) + ".";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = stem + std::to_string(attempt);
        const int fd =
            _open(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | _O_TEXT,
                  _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return;
        }
        m_temporaryPath = candidate;
        m_stream = _fdopen(fd, "w");
        if (!m_stream) {
            _close(fd);
        }
        return;
    }
}

bool ReplacementFile::Commit() {
    if (!m_stream) {
        return false;
    }
    bool written =
        std::fflush(m_stream) == 0 && !std::ferror(m_stream) && _commit(_fileno(m_stream)) == 0;
    written = std::fclose(m_stream) == 0 && written;
    m_stream = nullptr;
    if (!written || !MoveFileExA(m_temporaryPath.c_str(), m_path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    m_temporaryPath.clear();
    return true;
}

#else

namespace {

// Makes the new file's directory entry durable; a failure here leaves the new file in place.
void SyncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string directory =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

ReplacementFile::ReplacementFile(const char* path) : m_path(path) {
    struct stat old;
    const bool exists = stat(path, &old) == 0;
    // Root may write any file, so read-only is judged from the mode, as the player means it.
    if (exists && S_ISREG(old.st_mode) && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return;
    }
    m_temporaryPath = m_path + ".XXXXXX";
    const int fd = mkostemp(&m_temporaryPath[0], O_CLOEXEC);
    if (fd < 0) {
        m_temporaryPath.clear();
        return;
    }
    // The new file keeps the old one's permissions, or gets those a newly created file would.
    mode_t mode = 0;
    if (exists && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    m_stream = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
    if (!m_stream) {
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
    if (!written || std::rename(m_temporaryPath.c_str(), m_path.c_str()) != 0) {
        return false;
    }
    m_temporaryPath.clear();
    SyncDirectoryOf(m_path);
    return true;
}

#endif

ReplacementFile::~ReplacementFile() {
    if (m_stream) {
        std::fclose(m_stream);
    }
    if (!m_temporaryPath.empty()) {
        std::remove(m_temporaryPath.c_str());
    }
}

} // namespace platform
