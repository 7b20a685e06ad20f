#pragma once

#include <functional>
#include <memory>

namespace kelvarn::app {

// The two system-wide keys: Ctrl+Alt+G shows or hides the panel, Ctrl+Alt+L starts or stops
// listening. A combination another program owns silently does nothing.
class GlobalHotkeys {
public:
    enum class Key { togglePanel, toggleListening };

    virtual ~GlobalHotkeys() = default;
    // Registers both keys; pressed is called on the main thread.
    virtual void start(std::function<void(Key)> pressed) = 0;
};

} // namespace kelvarn::app
