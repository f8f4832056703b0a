// Whole-file and line-file access: bytes in and out, lines read with CR LF or LF and
// written with CR LF, and the safe rewrite that never leaves a half-written file.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vk7 {

namespace fs = std::filesystem;

// A file opened for reading by position; closed when the object goes. Throws IoError when
// the file cannot be opened or read (a folder fails at its first read).
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const fs::path& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Size in bytes when it was opened.
    uint64_t size() const { return size_; }
    // Reads up to `count` bytes from `offset` into `into`; fewer only where the file ends.
    size_t readAt(uint64_t offset, void* into, size_t count) const;

private:
    fs::path path_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

// The whole file. Throws IoError when it cannot be opened or read.
std::string readFileBytes(const fs::path& path);
// The whole file, or nullopt when it does not exist. Throws IoError on other failures.
std::optional<std::string> readFileBytesIfExists(const fs::path& path);

// Lines of a text: LF ends a line, a CR before it is dropped; a last line without LF counts.
// Each line is cut to `maxLength` characters when it is given (> 0).
std::vector<std::string> splitLines(std::string_view bytes, size_t maxLength = 0);
// A line as the line files write it: a CR or LF inside it, which would split it for every
// reader, becomes a blank.
std::string lineAsWritten(std::string_view line);
// The lines joined, each as written and followed by CR LF.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

std::vector<std::string> readLines(const fs::path& path, size_t maxLength = 0);
std::optional<std::vector<std::string>> readLinesIfExists(const fs::path& path, size_t maxLength = 0);

struct RewriteOptions {
    // When set and the target exists, its present content is kept under this name
    // (normally "<name>.bak") before the new content replaces it.
    std::optional<fs::path> backup;
};

// Replaces `target` with `bytes`: the bytes go to a uniquely named temporary in the same
// folder (".vk7-<name>.XXXXXX", never ending in ".hrm") with the permissions of the file it
// replaces, which is flushed and renamed over the target, and the folder is flushed so that
// the new name survives a power loss. On any failure the temporary is removed, the old file
// is left whole and IoError is thrown.
void safeRewrite(const fs::path& target, std::string_view bytes, const RewriteOptions& options = {});

// Removes from `folder` the temporaries of rewrites that were killed before their rename,
// when older than `olderThan` (a younger one may belong to a rewrite still running, in this
// or the other program). Errors are ignored: a temporary left is only wasted space.
// Returns how many were removed.
int removeStaleRewriteTemporaries(const fs::path& folder, std::chrono::seconds olderThan = std::chrono::seconds(60));

// safeRewrite of lines written with CR LF.
void writeLines(const fs::path& target, const std::vector<std::string>& lines, const RewriteOptions& options = {});

// Renames `from` over `to` (replacing it). Throws IoError.
void renameOver(const fs::path& from, const fs::path& to);

// Text of a path for messages (UTF-8).
std::string pathForMessage(const fs::path& path);

}  // namespace vk7
