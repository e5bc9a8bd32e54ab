#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tavrin {

// A failure described in words that can be shown to the user as they stand.
struct Error {
  std::string message;
};

// A value or the reason there is none. Model code returns these; only the windows and
// the command-line front end turn an error into a dialog or a line on stderr.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : m_state(std::move(value)) {}
  Result(Error error) : m_state(std::move(error)) {}

  bool Ok() const { return m_state.index() == 0; }
  explicit operator bool() const { return Ok(); }

  T& Value() & { return std::get<0>(m_state); }
  const T& Value() const& { return std::get<0>(m_state); }
  T&& Value() && { return std::get<0>(std::move(m_state)); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  T& operator*() & { return Value(); }
  const T& operator*() const& { return Value(); }

  // The message of a failed result; empty for a success.
  const std::string& ErrorText() const {
    static const std::string kNone;
    return Ok() ? kNone : std::get<1>(m_state).message;
  }
  Error TakeError() const { return std::get<1>(m_state); }

 private:
  std::variant<T, Error> m_state;
};

// Success or the reason for failure, for operations that produce nothing.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : m_error(std::move(error)) {}

  bool Ok() const { return !m_error.has_value(); }
  explicit operator bool() const { return Ok(); }
  const std::string& ErrorText() const {
    static const std::string kNone;
    return m_error ? m_error->message : kNone;
  }
  Error TakeError() const { return *m_error; }

 private:
  std::optional<Error> m_error;
};

}  // namespace tavrin
