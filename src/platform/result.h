// The outcome of a call at a seam (bus, channel, store, files): a value, or the reason it
// failed. The toolchain's library has no std::expected in C++20, so this is the small own one.
#pragma once

#include <cassert>
#include <cstring>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// Why something failed. `code` is the errno, SQLite or own code where one exists (0 when
// none does); `reason` is the one-line text for the log and for messages.
struct Error {
  int code = 0;
  std::string reason;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}      // NOLINT: implicit on purpose
  Result(Error error) : state_(std::move(error)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // Only on success.
  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  T value_or(T fallback) const { return ok() ? std::get<0>(state_) : std::move(fallback); }

  // Only on failure.
  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

// A result that carries no value: success, or the reason.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    assert(failed_);
    return error_;
  }

 private:
  Error error_;
  bool failed_ = false;
};

inline Error Fail(int code, std::string reason) { return Error{code, std::move(reason)}; }

// The system's text for an errno value ("Permission denied"); "reason unknown" for 0.
inline std::string ErrnoText(int error) {
  if (error == 0) return "reason unknown";
  char buffer[256] = {};
  // The GNU strerror_r: thread-safe, and it may return a static text instead of the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace platform
