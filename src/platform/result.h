#pragma once
// What a reader gives back: the value, or a message saying why there is
// none. It reads like an optional (test it, then use * or ->), so a caller
// that only needs to know whether it worked stays as short as before.
#include <string>
#include <utility>
#include <variant>

namespace tesmiro {

// The failing side of any Result: `return Failure{"..."};`.
struct Failure {
  std::string message;
};

template <typename T>
class Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Failure failure)  // NOLINT(google-explicit-constructor)
      : state_(std::in_place_index<1>, std::move(failure.message)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  bool has_value() const { return ok(); }

  // The value; throws std::bad_variant_access on a failure.
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T value_or(T fallback) const& { return ok() ? value() : std::move(fallback); }
  T value_or(T fallback) && { return ok() ? std::move(*this).value() : std::move(fallback); }

  // Why there is no value; "" when there is one.
  const std::string& message() const {
    static const std::string kNone;
    return ok() ? kNone : std::get<1>(state_);
  }

 private:
  std::variant<T, std::string> state_;
};

// A step that gives nothing back but may fail: `return {};` when it worked.
template <>
class Result<void> {
 public:
  Result() = default;
  Result(Failure failure)  // NOLINT(google-explicit-constructor)
      : message_(std::move(failure.message)), ok_(false) {}

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  // Why it failed; "" when it worked.
  const std::string& message() const { return message_; }

 private:
  std::string message_;
  bool ok_ = true;
};

}  // namespace tesmiro
