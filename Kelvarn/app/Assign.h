#pragma once

#include <utility>

namespace kelvarn::app {

// Stores a value and says whether it changed, so that a property's signal fires only then.
template <typename T, typename U> bool assign(T& field, U&& value) {
    if (field == value) {
        return false;
    }
    field = std::forward<U>(value);
    return true;
}

} // namespace kelvarn::app
