// The package of an office document: a ZIP archive of named parts, read whole into memory
// and written back as a new archive.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vk7 {

// Why a file could not be taken as a package.
class PackageError : public std::runtime_error {
public:
    enum class Kind {
        NotPackage,    // not a readable ZIP archive
        OldBinary,     // an old binary office file (compound document header)
        TooManyParts,  // more parts than ZipPackage::kMaxParts
        TooLarge,      // more unpacked bytes than ZipPackage::kMaxUnpackedBytes
    };
    PackageError(Kind kind, const std::string& detail) : std::runtime_error(detail), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class ZipPackage {
public:
    // Limits of what is read: more parts or more unpacked bytes are refused.
    static constexpr std::size_t kMaxParts = 2000;
    static constexpr std::size_t kMaxUnpackedBytes = 64u << 20;

    ZipPackage() = default;
    // The parts of the archive in `bytes`. An entry whose name leads out of the folder the
    // package is unpacked into (a "." or ".." segment, a leading separator or drive) is no
    // part of an office document and is left out, so that it is never written again.
    // Throws PackageError.
    static ZipPackage fromBytes(std::string_view bytes);
    // The parts of the file. Throws IoError when it cannot be read, PackageError when it is
    // not a package.
    static ZipPackage read(const std::filesystem::path& file);

    bool has(const std::string& name) const { return parts_.count(name) != 0; }
    // The part's bytes; throws PackageError when it is missing.
    const std::string& part(const std::string& name) const;
    void setPart(const std::string& name, std::string bytes);
    void removePart(const std::string& name) { parts_.erase(name); }
    std::vector<std::string> names() const;

    // The archive (deflated parts, "[Content_Types].xml" first).
    std::string bytes() const;
    // Writes the archive through the safe rewrite. Throws IoError.
    void save(const std::filesystem::path& file) const;

private:
    std::map<std::string, std::string> parts_;
};

}  // namespace vk7
