// What the reg verbs say, in Windows reg.exe's words (Wine's reg.exe words
// some of them differently). Errors go to standard error, and every verb
// that prints one exits with 1.
#pragma once

#include <string>
#include <string_view>

#include "console_streams.h"
#include "platform/registry_service.h"

namespace zarn::cli {

constexpr int regSucceeded = 0;
constexpr int regFailed = 1;

// "The operation completed successfully." on standard output; returns 0.
int reportSuccess(ConsoleStreams& console);

// "ERROR: Invalid syntax." and where to find the verb's usage; returns 1.
int reportInvalidSyntax(ConsoleStreams& console, std::string_view verb);

// "ERROR: Invalid key name." and where to find the verb's usage; returns 1.
int reportInvalidKeyName(ConsoleStreams& console, std::string_view verb);

// "ERROR: " and the platform's text for a registry status; returns 1.
int reportStatus(ConsoleStreams& console, RegistryStatus status);

// "ERROR: " and the text; returns 1.
int reportError(ConsoleStreams& console, std::string_view text);

// The platform's text for a registry status code.
std::string statusText(RegistryStatus status);

}  // namespace zarn::cli

namespace zarn::cli {

// The answer to a question was no: nothing was changed; returns 1.
int reportCanceled(ConsoleStreams& console);

}  // namespace zarn::cli
