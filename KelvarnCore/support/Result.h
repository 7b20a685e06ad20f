#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kelvarn {

// A failure with a message meant for the user or the log.
struct Error {
    std::string message;
};

// A value or the reason there is none. The core returns these instead of throwing across
// its boundary.
template <typename T> class Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Error error) : m_data(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(m_data); }
    T& value() & { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    const std::string& error() const { return std::get<Error>(m_data).message; }

private:
    std::variant<T, Error> m_data;
};

} // namespace kelvarn
