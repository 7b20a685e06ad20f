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
// its boundary; ignoring one is a compile warning, since a dropped failure is lost data.
template <typename T> class [[nodiscard]] Result {
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

// Success without a value, or the reason for the failure.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error.message)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return m_error; }

private:
    std::string m_error;
    bool m_failed = false;
};

} // namespace kelvarn
