#pragma once

#include <filesystem>
#include <optional>

namespace kelvarn::update {

// A new private folder next to a given one, on the same file system so that its contents can
// be swapped in by a rename; removed with everything in it when the object goes.
class StagingFolder final {
public:
    // Absent when it could not be made; errno then says why.
    static std::optional<StagingFolder> createIn(const std::filesystem::path& parent);

    StagingFolder(StagingFolder&& other) noexcept;
    StagingFolder& operator=(StagingFolder&&) = delete;
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder();

    const std::filesystem::path& path() const { return m_path; }
    // Removes it now; errors are ignored, as there is nothing better to do with them.
    void remove();

private:
    explicit StagingFolder(std::filesystem::path path) : m_path(std::move(path)) {}

    std::filesystem::path m_path;
};

} // namespace kelvarn::update
