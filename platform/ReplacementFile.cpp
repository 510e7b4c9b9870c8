#include "platform/ReplacementFile.h"

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

} // namespace platform

// Each system's own half: making the temporary file, writing through a file descriptor, syncing it
// to disk and putting it in the file's place.
#ifdef _WIN32
#include "platform/windows/ReplacementFile.inc"
#else
#include "platform/unix/ReplacementFile.inc"
#endif

namespace platform {

bool ReplacementFile::CloseStream() {
    if (!m_stream) {
        return false;
    }
    bool written = std::fflush(m_stream) == 0 && !std::ferror(m_stream) && SyncToDisk(m_stream);
    written = std::fclose(m_stream) == 0 && written;
    m_stream = nullptr;
    return written;
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
