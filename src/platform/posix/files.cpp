#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "platform/appendfile.h"

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

// Makes a rename, or a new name, itself durable.
void syncDirectory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The recording's file: appended to, synced on request, and checked to be still there.
class DiskAppendFile final : public AppendFile {
public:
    DiskAppendFile(int fd, std::filesystem::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~DiskAppendFile() override { ::close(m_fd); }
    DiskAppendFile(const DiskAppendFile&) = delete;
    DiskAppendFile& operator=(const DiskAppendFile&) = delete;

    std::error_code append(std::string_view text) override { return writeAll(m_fd, text); }

    std::error_code sync() override {
        if (::fdatasync(m_fd) != 0) {
            return lastError();
        }
        struct stat open {};
        struct stat named {};
        if (::fstat(m_fd, &open) != 0) {
            return lastError();
        }
        if (::stat(m_path.c_str(), &named) != 0) {
            return lastError();  // deleted, or its folder gone with the disk
        }
        if (open.st_ino != named.st_ino || open.st_dev != named.st_dev) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        return {};
    }

private:
    int m_fd;
    std::filesystem::path m_path;
};

class DiskAppendFiles final : public AppendFiles {
public:
    std::error_code makeFolder(const std::filesystem::path& folder) override {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        return error;
    }

    std::error_code read(const std::filesystem::path& file,
                         const std::function<void(std::string_view)>& onChunk) override {
        return readFileChunks(file, onChunk);
    }

    std::unique_ptr<AppendFile> create(const std::filesystem::path& file,
                                       std::error_code& error) override {
        const int fd =
            ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        syncDirectory(file.parent_path());
        error.clear();
        return std::make_unique<DiskAppendFile>(fd, file);
    }

    std::unique_ptr<AppendFile> reopen(const std::filesystem::path& file, std::uintmax_t keep,
                                       std::error_code& error) override {
        const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        struct stat held {};
        if (::fstat(fd, &held) == 0 && static_cast<std::uintmax_t>(held.st_size) < keep) {
            errno = EINVAL;  // it shrank since it was read: cutting would add zeros
        } else if (::ftruncate(fd, static_cast<off_t>(keep)) == 0) {
            error.clear();
            return std::make_unique<DiskAppendFile>(fd, file);
        }
        error = lastError();
        ::close(fd);
        return nullptr;
    }
};

}  // namespace

std::unique_ptr<AppendFiles> diskAppendFiles() {
    return std::make_unique<DiskAppendFiles>();
}

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
