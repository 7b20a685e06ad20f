#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kelvarn::update {

// The machine an ELF file's code is for: word size, byte order and instruction set.
struct ElfMachine {
    std::uint8_t wordSize = 0;  // EI_CLASS
    std::uint8_t byteOrder = 0; // EI_DATA
    std::uint16_t machine = 0;  // e_machine
    bool operator==(const ElfMachine&) const = default;
};

// Absent unless the file starts with the header of an ELF executable or shared object.
std::optional<ElfMachine> readElfMachine(const std::filesystem::path& file);

// The machine this process's own code is for.
std::optional<ElfMachine> runningElfMachine();

// A regular file (not a link), executable by its owner, whose code is for `machine`.
bool isProgramFor(const std::filesystem::path& file, const ElfMachine& machine);

} // namespace kelvarn::update
