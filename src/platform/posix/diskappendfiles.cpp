#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/appendfile.h"
#include "platform/files.h"

namespace tremolex {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

class DiskAppendFile final : public AppendFile {
public:
    DiskAppendFile(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~DiskAppendFile() override { ::close(m_fd); }
    DiskAppendFile(const DiskAppendFile&) = delete;
    DiskAppendFile& operator=(const DiskAppendFile&) = delete;

    std::error_code append(std::string_view text) override {
        while (!text.empty()) {
            const ssize_t written = ::write(m_fd, text.data(), text.size());
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            text.remove_prefix(static_cast<std::size_t>(written));
        }
        return {};
    }

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
    fs::path m_path;
};

class DiskAppendFiles final : public AppendFiles {
public:
    std::error_code makeFolder(const fs::path& folder) override {
        std::error_code error;
        fs::create_directories(folder, error);
        return error;
    }

    std::error_code read(const fs::path& file,
                         const std::function<void(std::string_view)>& onChunk) override {
        return readFileChunks(file, onChunk);
    }

    std::unique_ptr<AppendFile> create(const fs::path& file, std::error_code& error) override {
        const int fd =
            ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = lastError();
            return nullptr;
        }
        syncFolder(file.parent_path());
        error.clear();
        return std::make_unique<DiskAppendFile>(fd, file);
    }

    std::unique_ptr<AppendFile> reopen(const fs::path& file, std::uintmax_t keep,
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

}  // namespace tremolex
