#include "Train.h"

#include "Kelvarnctl.h"

namespace kelvarn::ctl {

// Chosen by the build when the application's speech library is not built.
int train(const std::filesystem::path&, const TrainOptions&, std::ostream&, std::ostream& err) {
    err << "This kelvarnctl was built without speech input.\n";
    return exitFailure;
}

} // namespace kelvarn::ctl
