#include "Kelvarnctl.h"

#include <iostream>

int main(int argc, char** argv) {
    return kelvarn::ctl::run(argc, argv, std::cout, std::cerr);
}
