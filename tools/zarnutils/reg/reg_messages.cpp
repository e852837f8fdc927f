#include "reg/reg_messages.h"

namespace zarn::cli {
namespace {

struct StatusText {
  RegistryStatus status;
  const char* text;
};

constexpr StatusText statusTexts[] = {
    {registry_status::NotFound,
     "The system was unable to find the specified registry key or value."},
    {registry_status::AccessDenied, "Access is denied."},
    {registry_status::InvalidHandle, "The handle is invalid."},
    {registry_status::InvalidParameter, "The parameter is incorrect."},
    {registry_status::BadPathName, "The specified path is invalid."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably."},
    {registry_status::KeyDeleted,
     "Illegal operation attempted on a registry key that has been marked for deletion."},
};

std::string upperWord(std::string_view word) {
  std::string upper(word);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

int reportWithUsageHint(ConsoleStreams& console, std::string_view problem, std::string_view verb) {
  const std::string command = verb.empty() ? "REG" : "REG " + upperWord(verb);
  console.err << "ERROR: " << problem << "\nType \"" << command << " /?\" for usage.\n";
  return regFailed;
}

}  // namespace

int reportSuccess(ConsoleStreams& console) {
  console.out << "The operation completed successfully.\n";
  return regSucceeded;
}

int reportInvalidSyntax(ConsoleStreams& console, std::string_view verb) {
  return reportWithUsageHint(console, "Invalid syntax.", verb);
}

int reportInvalidKeyName(ConsoleStreams& console, std::string_view verb) {
  return reportWithUsageHint(console, "Invalid key name.", verb);
}

int reportStatus(ConsoleStreams& console, RegistryStatus status) {
  return reportError(console, statusText(status));
}

int reportError(ConsoleStreams& console, std::string_view text) {
  console.err << "ERROR: " << text << '\n';
  return regFailed;
}

std::string statusText(RegistryStatus status) {
  for (const StatusText& known : statusTexts) {
    if (known.status == status) return known.text;
  }
  return "The registry operation failed with status " + std::to_string(status) + ".";
}

}  // namespace zarn::cli

namespace zarn::cli {

int reportCanceled(ConsoleStreams& console) {
  console.err << "The operation was canceled by the user.\n";
  return regFailed;
}

}  // namespace zarn::cli
