#include "update/ElfMachine.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace kelvarn::update {

namespace {

// e_ident, then e_type and e_machine: the same offsets for 32- and 64-bit files.
constexpr std::size_t kHeaderSize = EI_NIDENT + 4;

std::uint16_t half(const std::uint8_t* bytes, std::uint8_t byteOrder) {
    return byteOrder == ELFDATA2LSB ? std::uint16_t(bytes[0] | bytes[1] << 8)
                                    : std::uint16_t(bytes[0] << 8 | bytes[1]);
}

} // namespace

std::optional<ElfMachine> readElfMachine(const std::filesystem::path& file) {
    // Non-blocking, so that a pipe in the file's place cannot hold the read.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kHeaderSize> header{};
    const ssize_t read = ::read(fd, header.data(), header.size());
    ::close(fd);
    if (read != ssize_t(header.size()) || std::memcmp(header.data(), ELFMAG, SELFMAG) != 0) {
        return std::nullopt;
    }
    const ElfMachine found{header[EI_CLASS], header[EI_DATA],
                           half(&header[EI_NIDENT + 2], header[EI_DATA])};
    const std::uint16_t type = half(&header[EI_NIDENT], found.byteOrder);
    if ((found.wordSize != ELFCLASS32 && found.wordSize != ELFCLASS64) ||
        (found.byteOrder != ELFDATA2LSB && found.byteOrder != ELFDATA2MSB) ||
        (type != ET_EXEC && type != ET_DYN)) {
        return std::nullopt;
    }
    return found;
}

std::optional<ElfMachine> runningElfMachine() {
    return readElfMachine("/proc/self/exe");
}

bool isProgramFor(const std::filesystem::path& file, const ElfMachine& machine) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        (status.st_mode & S_IXUSR) == 0) {
        return false;
    }
    return readElfMachine(file) == machine;
}

} // namespace kelvarn::update
