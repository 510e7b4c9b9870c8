#include "platform/ReplacementFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Each system's own calls, with the table that holds them and the errors the policy tells apart.
#ifdef _WIN32
#include "platform/windows/ReplacementFile.inc"
#else
#include "platform/unix/ReplacementFile.inc"
#endif

namespace platform {

namespace {

// Every temporary file's name is the file's own followed by this mark, the number of the process
// that made it and an attempt: "ztlvlauncher.ini.~ztlv-save.1234.0". No player writes the mark.
constexpr char kTemporaryMark[] = ".~ztlv-save.";
constexpr unsigned kTemporaryAttempts = 100;

// Real-time scanners and indexers open every new file for a moment; a replacement refused because
// a file is in use is tried again after each of these waits, 1 s in all.
constexpr unsigned kRetryWaitsMs[] = {10, 20, 40, 80, 160, 320, 370};

ReplacementFile::SystemCalls g_calls = kSystemCalls;

template <std::size_t Count>
bool IsOneOf(ReplacementFile::Error error, const ReplacementFile::Error (&errors)[Count]) {
    for (const ReplacementFile::Error listed : errors) {
        if (error == listed) {
            return true;
        }
    }
    return false;
}

// A file system that cannot sync never promised more; a plain rewrite would not have asked.
ReplacementFile::Error Sync(ReplacementFile::Handle file) {
    const ReplacementFile::Error error = g_calls.sync(file);
    return IsOneOf(error, kSyncUnsupportedErrors) ? 0 : error;
}

ReplacementFile::Error WriteAll(ReplacementFile::Handle file, const char* bytes, std::size_t size) {
    for (std::size_t offset = 0; offset < size;) {
        std::size_t written = 0;
        const ReplacementFile::Error error =
            g_calls.write(file, offset, bytes + offset, size - offset, &written);
        if (error != 0 || written == 0) {
            return error != 0 ? error : kErrorIo;
        }
        offset += written;
    }
    return 0;
}

// True for "<process>.<attempt>", the rest of a temporary file's name after the mark.
bool IsTemporarySuffix(const char* rest, unsigned long& process) {
    constexpr char kDigits[] = "0123456789";
    const std::size_t digits = std::strspn(rest, kDigits);
    const std::size_t attempt =
        digits > 0 && rest[digits] == '.' ? std::strspn(rest + digits + 1, kDigits) : 0;
    process = std::strtoul(rest, nullptr, 10);
    return attempt > 0 && rest[digits + 1 + attempt] == '\0';
}

// Writes a path made of two parts into target; false when it does not fit.
template <std::size_t Size>
bool JoinPath(char (&target)[Size], const char* first, const char* second) {
    const int length = std::snprintf(target, Size, "%s%s", first, second);
    return length >= 0 && static_cast<std::size_t>(length) < Size;
}

} // namespace

ReplacementFile::SystemCalls& ReplacementFile::Calls() {
    return g_calls;
}

ReplacementFile::ReplacementFile(const char* path) {
    if (!JoinPath(m_path, path, "")) {
        m_path[0] = '\0';
    }
}

ReplacementFile::~ReplacementFile() {
    RemoveTemporaryFile();
}

void ReplacementFile::RemoveTemporaryFile() {
    if (m_temporaryPath[0] != '\0') {
        g_calls.remove(m_temporaryPath);
        m_temporaryPath[0] = '\0';
    }
}

bool ReplacementFile::Commit(const char* bytes, std::size_t size) {
    if (m_path[0] == '\0') {
        return false;
    }
    Attributes old;
    const Error error = g_calls.find(m_path, m_target, &old);
    if (error != 0 && error != kErrorNotFound) {
        // Where the file cannot be found through its links, a plain rewrite's open still may.
        std::memcpy(m_target, m_path, sizeof m_target);
        return RewriteInPlace(bytes, size);
    }
    // A plain rewrite of a read-only file, or of a folder, is refused; so is this one.
    if (old.readOnly || old.folder) {
        return false;
    }
    const unsigned long process = g_calls.currentProcess();
    RemoveAbandonedTemporaryFiles(process);
    Handle file = 0;
    // A file with other names is rewritten in place, so that every name shows the new bytes.
    if (old.named || !MakeTemporaryFile(process, error == 0, old, file)) {
        return RewriteInPlace(bytes, size);
    }
    return Replace(file, bytes, size);
}

bool ReplacementFile::Replace(Handle file, const char* bytes, std::size_t size) {
    Error error = WriteAll(file, bytes, size);
    error = error != 0 ? error : Sync(file);
    const Error closed = g_calls.close(file);
    error = error != 0 ? error : closed;
    if (IsOneOf(error, kDiskFullErrors)) {
        // The disk has no room for a second file; the old file's own space may take the bytes.
        RemoveTemporaryFile();
        return RewriteInPlace(bytes, size);
    }
    if (error != 0) {
        return false;
    }
    for (std::size_t retry = 0;; ++retry) {
        error = g_calls.replace(m_temporaryPath, m_target);
        if (error == 0) {
            m_temporaryPath[0] = '\0';
            return true;
        }
        if (!IsOneOf(error, kInUseErrors) ||
            retry == sizeof kRetryWaitsMs / sizeof kRetryWaitsMs[0]) {
            break;
        }
        g_calls.sleep(kRetryWaitsMs[retry]);
    }
    // Where the file cannot be replaced (another program holds it open, or the system has no
    // replacement) it is saved as a plain rewrite would save it.
    return RewriteInPlace(bytes, size);
}

bool ReplacementFile::MakeTemporaryFile(unsigned long process, bool found, const Attributes& old,
                                        Handle& file) {
    for (unsigned attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        char candidate[kPathSize];
        const int length = std::snprintf(candidate, sizeof candidate, "%s%s%lu.%u", m_target,
                                         kTemporaryMark, process, attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof candidate) {
            return false;
        }
        const Error error = g_calls.createNew(candidate, &file);
        if (error == kErrorExists) {
            continue;
        }
        if (error != 0) {
            return false;
        }
        std::memcpy(m_temporaryPath, candidate, static_cast<std::size_t>(length) + 1);
        // The new file keeps what the player set on the old one; where it cannot, the old file
        // is rewritten in place, which keeps it by nature.
        if (found && g_calls.setAttributes(m_temporaryPath, m_target, old) != 0) {
            g_calls.close(file);
            RemoveTemporaryFile();
            return false;
        }
        return true;
    }
    return false;
}

// The file takes its new length, and with it the space the new bytes need, before a byte of the
// old ones is overwritten: a file that refuses the length, or a disk that cannot hold it, fails
// the save with the old bytes whole. A file that was not there is made, and removed again when
// the save fails.
bool ReplacementFile::RewriteInPlace(const char* bytes, std::size_t size) const {
    Handle file = 0;
    const Error error = g_calls.openExisting(m_target, &file);
    const bool created = error == kErrorNotFound && g_calls.createNew(m_target, &file) == 0;
    if (error != 0 && !created) {
        return false;
    }
    bool written =
        g_calls.setLength(file, size) == 0 && WriteAll(file, bytes, size) == 0 && Sync(file) == 0;
    written = g_calls.close(file) == 0 && written;
    if (!written && created) {
        g_calls.remove(m_target);
    }
    return written;
}

// Removes the temporary files that saves cut off before their end left behind: those of this
// process, and of processes that have ended. Another launcher saving now keeps its own.
void ReplacementFile::RemoveAbandonedTemporaryFiles(unsigned long process) const {
    struct Search {
        char prefix[kPathSize];
        unsigned long self;
    } search;
    if (!JoinPath(search.prefix, m_target, kTemporaryMark)) {
        return;
    }
    search.self = process;
    g_calls.list(
        search.prefix,
        [](const char* rest, void* context) {
            const Search& found = *static_cast<const Search*>(context);
            unsigned long owner = 0;
            char abandoned[kPathSize];
            if (IsTemporarySuffix(rest, owner) &&
                (owner == found.self || !g_calls.processRuns(owner)) &&
                JoinPath(abandoned, found.prefix, rest)) {
                g_calls.remove(abandoned);
            }
        },
        &search);
}

} // namespace platform
