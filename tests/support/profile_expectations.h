// Reads the expected-readings files beside the INI samples (NAME.expected
// beside NAME.ini; the format is described at the top of
// platform/profile_service_test.cpp) into one expectation per line.
// A line that does not follow the format becomes an error with its line
// number, so a typo fails the test instead of checking less.
#pragma once

#include <algorithm>
#include <cstdint>
#include <istream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::test_support {

// What a call gets when the expected file does not say otherwise.
constexpr const char* expectedDefaultText = "<default>";
constexpr uint32_t expectedBufferSize = 255;  // the read buffer of IniEdit
constexpr int32_t expectedDefaultNumber = 77;

enum class ProfileCall { SectionNames, SectionLines, String, Int };

// Which target checks an expectation: both, or, where Wine departs from
// Windows, the native engine one answer and Wine the other.
enum class ProfileTarget { Both, Native, Win32 };

struct ProfileExpectation {
  int line = 0;
  std::string source;  // the line as written
  ProfileTarget target = ProfileTarget::Both;
  std::string reason;  // why the targets differ, for Native and Win32
  ProfileCall call = ProfileCall::SectionNames;
  std::string section;
  std::string key;
  uint32_t size = expectedBufferSize;
  int32_t defaultNumber = expectedDefaultNumber;
  std::string text;    // String: the text; listings: the items joined by '|'
  int32_t number = 0;  // Int
};

struct ProfileExpectationError {
  int line = 0;
  std::string what;
};

struct ProfileExpectations {
  std::vector<ProfileExpectation> expectations;
  std::vector<ProfileExpectationError> errors;
};

namespace profile_expectations_detail {

inline std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A trimmed field; backticks around it keep the blanks inside them.
inline std::string field(std::string_view text) {
  text = trimmed(text);
  if (text.size() >= 2 && text.front() == '`' && text.back() == '`')
    text = text.substr(1, text.size() - 2);
  return std::string(text);
}

inline std::optional<int64_t> integer(std::string_view text) {
  text = trimmed(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

inline bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Splits "KEY[, size N | , default N]" off the call; reports false when the
// option is malformed or does not belong to the call.
inline bool readKeyAndOption(std::string_view part, ProfileExpectation& expectation) {
  const std::string_view option =
      expectation.call == ProfileCall::String ? ", size " : ", default ";
  const auto at = part.rfind(option);
  const bool backticked = trimmed(part).substr(0, 1) == "`";
  if (at != std::string_view::npos && (!backticked || part.rfind('`') < at)) {
    const auto value = integer(part.substr(at + option.size()));
    if (!value || *value < INT32_MIN || *value > INT32_MAX) return false;
    if (expectation.call == ProfileCall::String) {
      if (*value < 1) return false;  // a read needs room for its NUL
      expectation.size = static_cast<uint32_t>(*value);
    } else {
      expectation.defaultNumber = static_cast<int32_t>(*value);
    }
    part = part.substr(0, at);
  }
  expectation.key = field(part);
  return !expectation.key.empty();
}

// One expectation line, without its "win32 " prefix; nullopt when it does
// not follow the format.
inline std::optional<ProfileExpectation> parseCall(std::string_view line) {
  struct Verb {
    std::string_view word;
    ProfileCall call;
  };
  constexpr Verb verbs[] = {{"sections", ProfileCall::SectionNames},
                            {"section", ProfileCall::SectionLines},
                            {"string", ProfileCall::String},
                            {"int", ProfileCall::Int}};
  const std::string_view word = line.substr(0, line.find_first_of(" :"));
  const auto verb = std::find_if(std::begin(verbs), std::end(verbs),
                                 [&](const Verb& v) { return v.word == word; });
  if (verb == std::end(verbs)) return std::nullopt;
  ProfileExpectation expectation;
  expectation.call = verb->call;
  std::string_view rest = line.substr(word.size());

  if (expectation.call != ProfileCall::SectionNames) {
    rest = trimmed(rest);
    const auto close = rest.find(']');
    if (!startsWith(rest, "[") || close == std::string_view::npos) return std::nullopt;
    expectation.section = std::string(rest.substr(1, close - 1));
    rest = rest.substr(close + 1);
  }

  // The call ends at the first colon, or at the first one after a
  // backticked key, which may hold colons itself.
  std::size_t colon = rest.find(':');
  const auto keyStart = rest.find_first_not_of(' ');
  if (keyStart != std::string_view::npos && rest[keyStart] == '`') {
    const auto closing = rest.find('`', keyStart + 1);
    if (closing == std::string_view::npos) return std::nullopt;
    colon = rest.find(':', closing);
  }
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view callPart = rest.substr(0, colon);
  const std::string_view answer = rest.substr(colon + 1);

  const bool takesKey =
      expectation.call == ProfileCall::String || expectation.call == ProfileCall::Int;
  if (takesKey ? !readKeyAndOption(callPart, expectation) : !trimmed(callPart).empty())
    return std::nullopt;

  if (expectation.call == ProfileCall::Int) {
    const auto value = integer(answer);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
    expectation.number = static_cast<int32_t>(*value);
  } else {
    expectation.text = field(answer);
  }
  return expectation;
}

inline bool sameCall(const ProfileExpectation& a, const ProfileExpectation& b) {
  return a.call == b.call && a.section == b.section && a.key == b.key && a.size == b.size &&
         a.defaultNumber == b.defaultNumber;
}

}  // namespace profile_expectations_detail

inline ProfileExpectations parseProfileExpectations(std::istream& in) {
  using namespace profile_expectations_detail;
  ProfileExpectations result;
  auto error = [&](int line, const std::string& what) { result.errors.push_back({line, what}); };

  // A "win32: REASON" mark, then the expectation it marks, then Wine's one.
  enum class Awaiting { Nothing, Marked, WineAnswer } awaiting = Awaiting::Nothing;
  std::string reason;
  int markLine = 0;

  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    const std::string_view line = trimmed(text);
    if (line.empty() || line.front() == '#') continue;

    if (startsWith(line, "win32:")) {
      if (awaiting != Awaiting::Nothing) error(markLine, "mark without its two expectations");
      reason = std::string(trimmed(line.substr(6)));
      if (reason.empty()) error(number, "a win32 mark needs its reason");
      awaiting = Awaiting::Marked;
      markLine = number;
      continue;
    }

    const bool forWine = startsWith(line, "win32 ");
    auto expectation = parseCall(forWine ? line.substr(6) : line);
    if (!expectation) {
      error(number, "not an expectation: " + std::string(line));
      continue;
    }
    expectation->line = number;
    expectation->source = std::string(line);

    if (forWine) {
      if (awaiting != Awaiting::WineAnswer) {
        error(number, "Wine's answer without a win32 mark and the expectation it marks");
        continue;
      }
      if (!sameCall(result.expectations.back(), *expectation))
        error(number, "Wine's answer is for another call than the marked expectation");
      expectation->target = ProfileTarget::Win32;
      expectation->reason = reason;
      awaiting = Awaiting::Nothing;
    } else if (awaiting == Awaiting::Marked) {
      expectation->target = ProfileTarget::Native;
      expectation->reason = reason;
      awaiting = Awaiting::WineAnswer;
    } else if (awaiting == Awaiting::WineAnswer) {
      error(markLine, "mark without Wine's answer (a line starting \"win32 \")");
      awaiting = Awaiting::Nothing;
    }
    result.expectations.push_back(*expectation);
  }
  if (awaiting != Awaiting::Nothing) error(markLine, "mark without its two expectations");
  return result;
}

}  // namespace zarn::test_support
