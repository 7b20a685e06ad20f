#include "update/ArchiveUnpacker.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <string>

namespace kelvarn::update {

namespace {

using Reader = std::unique_ptr<archive, decltype(&archive_read_free)>;
using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;

Error failure(const std::string& detail) {
    return Error{"The download couldn't be unpacked: " + detail};
}

// Relative, non-empty, and without a ".." component.
bool staysInside(const char* path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    const std::filesystem::path relative(path);
    if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
        return false;
    }
    for (const auto& part : relative) {
        if (part == "..") {
            return false;
        }
    }
    return true;
}

std::string archiveError(archive* handle) {
    const char* message = archive_error_string(handle);
    return message != nullptr ? message : "unknown error";
}

Error tooLarge(la_int64_t maxBytes) {
    return failure("it unpacks to more than " + std::to_string(maxBytes / (1024 * 1024)) + " MB.");
}

Result<void> copyData(archive* reader, archive* writer, la_int64_t& total, la_int64_t maxBytes) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return {};
        }
        if (status < ARCHIVE_OK) {
            return failure(archiveError(reader));
        }
        total += la_int64_t(size);
        if (total > maxBytes) {
            return tooLarge(maxBytes);
        }
        if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_OK) {
            return failure(archiveError(writer));
        }
    }
}

} // namespace

Result<void> unpackArchive(const std::filesystem::path& archivePath,
                           const std::filesystem::path& folder, std::int64_t maxBytes) {
    Reader reader(archive_read_new(), archive_read_free);
    Writer writer(archive_write_disk_new(), archive_write_free);
    archive_read_support_format_zip(reader.get());
    // Our own checks come first; these are libarchive's second line of defence.
    archive_write_disk_set_options(writer.get(), ARCHIVE_EXTRACT_TIME |
                                                     ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                                     ARCHIVE_EXTRACT_SECURE_NODOTDOT);
    if (archive_read_open_filename(reader.get(), archivePath.c_str(), 64 * 1024) != ARCHIVE_OK) {
        return failure(archiveError(reader.get()));
    }
    la_int64_t total = 0;
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status < ARCHIVE_OK) {
            return failure(archiveError(reader.get()));
        }
        const char* name = archive_entry_pathname(entry);
        if (!staysInside(name)) {
            return failure("an entry points outside its folder (“" +
                           std::string(name != nullptr ? name : "") + "”).");
        }
        const char* hardlink = archive_entry_hardlink(entry);
        const auto type = archive_entry_filetype(entry);
        if (hardlink != nullptr) {
            if (!staysInside(hardlink)) {
                return failure("a link points outside its folder (“" + std::string(name) + "”).");
            }
            archive_entry_set_hardlink(entry, (folder / hardlink).c_str());
        } else if (type == AE_IFLNK) {
            if (!staysInside(archive_entry_symlink(entry))) {
                return failure("a link points outside its folder (“" + std::string(name) + "”).");
            }
        } else if (type != AE_IFREG && type != AE_IFDIR) {
            return failure("“" + std::string(name) + "” is neither a file, a folder nor a link.");
        }
        // The writer makes a file as long as its entry says, whatever the data that follows.
        if (type == AE_IFREG && hardlink == nullptr && archive_entry_size_is_set(entry) != 0 &&
            archive_entry_size(entry) > maxBytes - total) {
            return tooLarge(maxBytes);
        }
        archive_entry_set_pathname(entry, (folder / name).c_str());
        if (archive_write_header(writer.get(), entry) < ARCHIVE_OK) {
            return failure(archiveError(writer.get()));
        }
        if (type == AE_IFREG && hardlink == nullptr) {
            if (auto copied = copyData(reader.get(), writer.get(), total, maxBytes); !copied) {
                return copied;
            }
        }
        if (archive_write_finish_entry(writer.get()) < ARCHIVE_OK) {
            return failure(archiveError(writer.get()));
        }
    }
    if (archive_write_close(writer.get()) < ARCHIVE_OK) {
        return failure(archiveError(writer.get()));
    }
    return {};
}

} // namespace kelvarn::update
