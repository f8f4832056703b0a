#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/errors.h"

namespace vk7 {

std::string pathForMessage(const fs::path& path) { return path.string(); }

std::optional<std::string> readFileBytesIfExists(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return std::nullopt;
    return readFileBytes(path);
}

std::string readFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw IoError("open", pathForMessage(path), std::strerror(errno));
    // A read error (a folder opened as a file, a failing disk) surfaces from the stream
    // buffer as an exception of its own: report it as the failed read of this file.
    std::string bytes;
    try {
        char buffer[1 << 16];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
            bytes.append(buffer, static_cast<size_t>(in.gcount()));
    } catch (const std::exception& e) {
        throw IoError("read", pathForMessage(path), e.what());
    }
    if (in.bad()) throw IoError("read", pathForMessage(path));
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

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        // A CR or LF inside a line would split it for every reader: it becomes a blank.
        for (char c : l) out += (c == '\r' || c == '\n') ? ' ' : c;
        out += "\r\n";
    }
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

// Writes `bytes` to a new unique temporary beside `target`; returns its path.
fs::path writeTemporary(const fs::path& target, std::string_view bytes) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string templ = (dir / ".vk7-").string() + target.filename().string() + ".XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) throw IoError("create", pathForMessage(target), std::strerror(errno));
    fs::path tmp(name.data());
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            throw IoError("write", pathForMessage(target), std::strerror(err));
        }
        done += static_cast<size_t>(n);
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw IoError("write", pathForMessage(target), std::strerror(err));
    }
    return tmp;
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
}

void writeLines(const fs::path& target, const std::vector<std::string>& lines, const RewriteOptions& options) {
    safeRewrite(target, joinLinesCrLf(lines), options);
}

}  // namespace vk7
