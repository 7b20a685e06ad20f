// Writes the large class, with its full saved history, into the data folder given as the only
// argument, for figures taken from the running application (bench/desktop_figures.py).
#include "LargeClass.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::cerr << "usage: LargeClassFolder DATA_FOLDER\n";
        return 2;
    }
    const fs::path target(argv[1]);
    std::error_code error;
    fs::create_directories(target, error);
    fs::copy_file(kelvarn::bench::preparedFolder() / "session.json", target / "session.json",
                  fs::copy_options::overwrite_existing, error);
    if (error) {
        std::cerr << "LargeClassFolder: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
