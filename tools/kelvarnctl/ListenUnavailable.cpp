#include "Listen.h"

#include "Kelvarnctl.h"

namespace kelvarn::ctl {

// Chosen by the build when the application's speech library is not built.
int listen(GradingStore&, const ListenOptions&, std::ostream& err) {
    err << "This kelvarnctl was built without speech input.\n";
    return exitFailure;
}

} // namespace kelvarn::ctl
