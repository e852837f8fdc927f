// Automation error numbers, their standard descriptions, and the exception
// that carries one out of a failing conversion or method body.
//
// The automation-shaped methods of Regedit and IniEdit never throw it: they
// return its number in their CallStatus. Their UTF-8 overloads throw it for
// a failed status, with what() the number's standard description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace zarn {

namespace error {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t CantCreateObject = 429;
inline constexpr int32_t ObjectDoesntSupport = 438;
inline constexpr int32_t WrongNumberOfArguments = 450;
inline constexpr int32_t ArgumentNotOptional = 449;
}  // namespace error

// The standard description of an error number ("Subscript out of range" for
// 9); "Application-defined or object-defined error" for numbers without one.
std::string_view errorDescription(int32_t number);

class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(int32_t number);
  int32_t number() const { return number_; }

 private:
  int32_t number_;
};

}  // namespace zarn
