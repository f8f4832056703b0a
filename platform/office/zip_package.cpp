#include "platform/office/zip_package.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <memory>

#include "common/errors.h"
#include "common/files.h"

namespace vk7 {

namespace {

constexpr unsigned char kCompoundHeader[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct SourceCloser {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

[[noreturn]] void notPackage(const std::string& detail) { throw PackageError(PackageError::Kind::NotPackage, detail); }

// Whether an entry name stays inside the folder the archive is unpacked into.
bool staysInside(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() >= 2 && name[1] == ':')) return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find_first_of("/\\", start), name.size());
        const std::string_view segment = std::string_view(name).substr(start, end - start);
        if (segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

ZipPackage ZipPackage::fromBytes(std::string_view bytes) {
    if (bytes.size() >= sizeof kCompoundHeader && std::memcmp(bytes.data(), kCompoundHeader, sizeof kCompoundHeader) == 0)
        throw PackageError(PackageError::Kind::OldBinary, "compound document");

    zip_error_t error;
    zip_error_init(&error);
    // The source does not copy the bytes; it only lives while they are read below.
    std::unique_ptr<zip_source_t, SourceCloser> source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
    if (!source) {
        zip_error_fini(&error);
        notPackage("buffer");
    }
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    zip_error_fini(&error);
    if (!archive) notPackage("not a zip archive");
    zip_source_keep(source.get());  // the archive took a reference; ours is released by the holder

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0) notPackage("entries");
    if (static_cast<std::size_t>(count) > kMaxParts) throw PackageError(PackageError::Kind::TooManyParts, "too many parts");

    ZipPackage package;
    std::size_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            notPackage("entry");
        const std::string name = st.name;
        if (!name.empty() && name.back() == '/') continue;  // a folder entry
        if (!staysInside(name)) continue;
        if (st.size > kMaxUnpackedBytes - total) throw PackageError(PackageError::Kind::TooLarge, "too large");
        total += static_cast<std::size_t>(st.size);

        std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (!file) notPackage("cannot open " + name);
        std::string data(static_cast<std::size_t>(st.size), '\0');
        std::size_t got = 0;
        while (got < data.size()) {
            const zip_int64_t n = zip_fread(file.get(), data.data() + got, data.size() - got);
            if (n <= 0) notPackage("cannot read " + name);
            got += static_cast<std::size_t>(n);
        }
        // More bytes than the directory says (or a broken checksum) is no package either.
        char extra;
        if (zip_fread(file.get(), &extra, 1) != 0) notPackage("size of " + name);
        package.parts_[name] = std::move(data);
    }
    return package;
}

ZipPackage ZipPackage::read(const std::filesystem::path& file) { return fromBytes(readFileBytes(file)); }

const std::string& ZipPackage::part(const std::string& name) const {
    auto it = parts_.find(name);
    if (it == parts_.end()) notPackage("missing part " + name);
    return it->second;
}

void ZipPackage::setPart(const std::string& name, std::string bytes) { parts_[name] = std::move(bytes); }

std::vector<std::string> ZipPackage::names() const {
    std::vector<std::string> out;
    for (const auto& [name, bytes] : parts_) out.push_back(name);
    return out;
}

std::string ZipPackage::bytes() const {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* raw = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!raw) {
        zip_error_fini(&error);
        throw std::bad_alloc();
    }
    std::unique_ptr<zip_source_t, SourceCloser> sink(raw);
    zip_source_keep(sink.get());  // keep the written bytes after the archive is closed
    zip_t* archive = zip_open_from_source(sink.get(), ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(sink.get());  // the reference the archive did not take
        throw std::runtime_error("zip: cannot create an archive");
    }
    std::unique_ptr<zip_t, ArchiveCloser> holder(archive);

    // "[Content_Types].xml" first, as office programs write it.
    std::vector<const std::pair<const std::string, std::string>*> order;
    if (auto it = parts_.find("[Content_Types].xml"); it != parts_.end()) order.push_back(&*it);
    for (const auto& entry : parts_)
        if (entry.first != "[Content_Types].xml") order.push_back(&entry);
    for (const auto* entry : order) {
        zip_source_t* data = zip_source_buffer(archive, entry->second.data(), entry->second.size(), 0);
        if (!data) throw std::runtime_error("zip: cannot add " + entry->first);
        const zip_int64_t index = zip_file_add(archive, entry->first.c_str(), data, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(data);
            throw std::runtime_error("zip: cannot add " + entry->first);
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6);
    }
    if (zip_close(holder.release()) != 0) {
        zip_discard(archive);
        throw std::runtime_error("zip: cannot write the archive");
    }

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(sink.get(), &st) != 0 || zip_source_open(sink.get()) != 0)
        throw std::runtime_error("zip: cannot read the archive back");
    std::string out(static_cast<std::size_t>(st.size), '\0');
    const zip_int64_t n = zip_source_read(sink.get(), out.data(), out.size());
    zip_source_close(sink.get());
    if (n < 0 || static_cast<std::size_t>(n) != out.size()) throw std::runtime_error("zip: cannot read the archive back");
    return out;
}

void ZipPackage::save(const std::filesystem::path& file) const { safeRewrite(file, bytes()); }

}  // namespace vk7
