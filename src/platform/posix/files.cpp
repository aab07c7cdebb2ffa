#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

namespace tremolex {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// A new file of a name no other file has beside `file`, made with the mode any new file
// gets (0666 less the umask), unlike mkstemp's 0600: a saved log is the user's to share.
int createTemporary(const std::filesystem::path& file, std::string& name) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::minstd_rand random(seed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    std::filesystem::path pattern = file.parent_path() / ".";
    pattern += file.filename();
    pattern += ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = pattern.string();
        for (int i = 0; i < 6; ++i) {
            name += kLetters[letter(random)];
        }
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Makes the rename itself durable.
void syncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view content) {
    std::error_code error;
    std::filesystem::path file = target;
    if (std::filesystem::is_symlink(target, error)) {
        file = std::filesystem::weakly_canonical(target, error);
        if (error) {
            return error;
        }
    }
    const std::filesystem::path directory =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");

    std::string temporary;
    const int fd = createTemporary(directory / file.filename(), temporary);
    if (fd < 0) {
        return lastError();
    }
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    }

    error = writeAll(fd, content);
    if (!error && ::fsync(fd) != 0) {
        error = lastError();
    }
    if (::close(fd) != 0 && !error) {
        error = lastError();
    }
    if (!error && ::rename(temporary.c_str(), file.c_str()) != 0) {
        error = lastError();
    }
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncDirectory(directory);
    return {};
}

std::error_code readFileChunks(const std::filesystem::path& file,
                               const std::function<void(std::string_view)>& onChunk) {
    // Non-blocking, so that opening a pipe does not wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return lastError();
    }
    std::error_code error;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = lastError();
    } else if (S_ISDIR(info.st_mode)) {
        error = std::make_error_code(std::errc::is_a_directory);
    } else if (!S_ISREG(info.st_mode)) {
        error = std::make_error_code(std::errc::not_supported);
    }
    if (error) {
        ::close(fd);
        return error;
    }
    static constexpr std::size_t kChunk = 64 * 1024;
    std::string chunk(kChunk, '\0');
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), kChunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = lastError();
        }
        if (got <= 0) {
            break;
        }
        onChunk(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    ::close(fd);
    return error;
}

}  // namespace tremolex
