#include "ZipBuilder.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace kelvarn::testing {

void writeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
    std::unique_ptr<archive, decltype(&archive_write_free)> zip(archive_write_new(),
                                                                archive_write_free);
    archive_write_set_format_zip(zip.get());
    if (archive_write_open_filename(zip.get(), path.c_str()) != ARCHIVE_OK) {
        throw std::runtime_error("cannot write the zip");
    }
    for (const auto& item : entries) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                            archive_entry_free);
        archive_entry_set_pathname(entry.get(), item.path.c_str());
        switch (item.kind) {
        case ZipEntry::Kind::file:
            archive_entry_set_filetype(entry.get(), AE_IFREG);
            archive_entry_set_perm(entry.get(), item.permissions);
            archive_entry_set_size(entry.get(), la_int64_t(item.content.size()));
            break;
        case ZipEntry::Kind::folder:
            archive_entry_set_filetype(entry.get(), AE_IFDIR);
            archive_entry_set_perm(entry.get(), 0755);
            break;
        case ZipEntry::Kind::symlink:
            archive_entry_set_filetype(entry.get(), AE_IFLNK);
            archive_entry_set_perm(entry.get(), 0777);
            archive_entry_set_symlink(entry.get(), item.content.c_str());
            break;
        }
        if (archive_write_header(zip.get(), entry.get()) != ARCHIVE_OK) {
            throw std::runtime_error("cannot write a zip entry");
        }
        if (item.kind == ZipEntry::Kind::file && !item.content.empty()) {
            archive_write_data(zip.get(), item.content.data(), item.content.size());
        }
    }
    archive_write_close(zip.get());
}

} // namespace kelvarn::testing
