#include "update/TransferStop.h"

namespace kelvarn::update {

void TransferStop::stop() {
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    emit stopped();
}

} // namespace kelvarn::update
