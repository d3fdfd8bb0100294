#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

// Why something the user asked for did not happen: what failed and, on a line of its own, why, in words the user
// understands. The detail (the engine's own words, a path) is for the log.
struct Failure {
    QString what{};
    QString why{};
    QString detail{};

    // The text the user is shown.
    QString message() const { return why.isEmpty() ? what : what + u'\n' + why; }
    // The same cause told as the failure of something else, as a caller higher up names it.
    Failure as(const QString& otherWhat) const { return {otherWhat, why, detail}; }
};

// What an operation that can fail gives back: its value, or the failure with the text the user is shown. Every
// function returning one must have its result looked at.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {}
    Result(Failure failure)
        : m_state(std::in_place_index<1>, std::move(failure))
    {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_state); }
    T& value() & { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    const Failure& failure() const { return std::get<1>(m_state); }
    QString message() const { return ok() ? QString() : failure().message(); }

private:
    std::variant<T, Failure> m_state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_failure(std::move(failure))
    {}

    bool ok() const { return !m_failure; }
    explicit operator bool() const { return ok(); }
    const Failure& failure() const { return *m_failure; }
    QString message() const { return m_failure ? m_failure->message() : QString(); }

private:
    std::optional<Failure> m_failure;
};

// Shorthand for an operation that has nothing to give back but its success.
using Done = Result<void>;
