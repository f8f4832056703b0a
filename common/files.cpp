#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/errors.h"

namespace vk7 {

std::string pathForMessage(const fs::path& path) { return path.string(); }

void renameOver(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) throw IoError("rename", pathForMessage(from), ec.message());
}

std::optional<std::string> readFileBytesIfExists(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return std::nullopt;
    return readFileBytes(path);
}

ReadOnlyFile::ReadOnlyFile(const fs::path& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw IoError("open", pathForMessage(path), std::strerror(errno));
    struct stat st{};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw IoError("open", pathForMessage(path), std::strerror(err));
    }
    size_ = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

ReadOnlyFile::~ReadOnlyFile() { ::close(fd_); }

size_t ReadOnlyFile::readAt(uint64_t offset, void* into, size_t count) const {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, static_cast<char*>(into) + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw IoError("read", pathForMessage(path_), std::strerror(errno));
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

std::string readFileBytes(const fs::path& path) {
    const ReadOnlyFile in(path);
    // One read of the size known at opening; a file that has grown since (or shows no size,
    // as those of /proc) is then read on to its end.
    std::string bytes(in.size(), '\0');
    bytes.resize(in.readAt(0, bytes.data(), bytes.size()));
    char buffer[1 << 16];
    while (const size_t n = in.readAt(bytes.size(), buffer, sizeof buffer)) bytes.append(buffer, n);
    return bytes;
}

std::vector<std::string> splitLines(std::string_view bytes, size_t maxLength) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == std::string_view::npos ? bytes.size() : nl;
        size_t lineEnd = end;
        if (lineEnd > pos && bytes[lineEnd - 1] == '\r') --lineEnd;
        std::string line(bytes.substr(pos, lineEnd - pos));
        if (maxLength > 0 && line.size() > maxLength) line.resize(maxLength);
        lines.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return lines;
}

std::string lineAsWritten(std::string_view line) {
    std::string out(line);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += lineAsWritten(l) + "\r\n";
    return out;
}

std::vector<std::string> readLines(const fs::path& path, size_t maxLength) {
    return splitLines(readFileBytes(path), maxLength);
}

std::optional<std::vector<std::string>> readLinesIfExists(const fs::path& path, size_t maxLength) {
    auto bytes = readFileBytesIfExists(path);
    if (!bytes) return std::nullopt;
    return splitLines(*bytes, maxLength);
}

namespace {

constexpr std::string_view kTemporaryPrefix = ".vk7-";

// The permission bits a rewrite of `target` gets: those of the file it replaces, so that a
// rewrite never changes who may read or write it; 0644 for a new file.
mode_t rewriteMode(const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    return 0644;
}

// Writes `bytes` to a new unique temporary beside `target`; returns its path.
fs::path writeTemporary(const fs::path& target, std::string_view bytes) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string templ = (dir / std::string(kTemporaryPrefix)).string() + target.filename().string() + ".XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) throw IoError("create", pathForMessage(target), std::strerror(errno));
    fs::path tmp(name.data());
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw IoError("write", pathForMessage(target), std::strerror(err));
    };
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fchmod(fd, rewriteMode(target)) != 0) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw IoError("write", pathForMessage(target), std::strerror(err));
    }
    return tmp;
}

// Makes a rename in `dir` durable: without it a power loss may bring back the old name.
// Some file systems cannot sync a folder; the rename itself has succeeded, so that is no
// failure of the rewrite.
void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void renameOver(const fs::path& from, const fs::path& to, const fs::path& shown) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        int err = errno;
        ::unlink(from.c_str());
        throw IoError("rename", pathForMessage(shown), std::strerror(err));
    }
}

}  // namespace

void safeRewrite(const fs::path& target, std::string_view bytes, const RewriteOptions& options) {
    fs::path tmp = writeTemporary(target, bytes);
    if (options.backup) {
        std::error_code ec;
        if (fs::exists(target, ec)) {
            std::string old;
            try {
                old = readFileBytes(target);
                fs::path bakTmp = writeTemporary(*options.backup, old);
                renameOver(bakTmp, *options.backup, *options.backup);
            } catch (...) {
                ::unlink(tmp.c_str());
                throw;
            }
        }
    }
    renameOver(tmp, target, target);
    syncFolder(target.parent_path());
}

int removeStaleRewriteTemporaries(const fs::path& folder, std::chrono::seconds olderThan) {
    int removed = 0;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // ".vk7-<name>.XXXXXX" as mkstemp completes the template.
        if (name.size() < kTemporaryPrefix.size() + 8 || name.compare(0, kTemporaryPrefix.size(), kTemporaryPrefix) != 0 ||
            name[name.size() - 7] != '.')
            continue;
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || it->is_symlink(fileEc)) continue;
        const auto written = fs::last_write_time(it->path(), fileEc);
        if (fileEc || now - written < olderThan) continue;
        if (fs::remove(it->path(), fileEc)) ++removed;
    }
    return removed;
}

void writeLines(const fs::path& target, const std::vector<std::string>& lines, const RewriteOptions& options) {
    safeRewrite(target, joinLinesCrLf(lines), options);
}

}  // namespace vk7
