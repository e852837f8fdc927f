#include "console_streams.h"

#ifdef _WIN32

// ---- Windows ----
// The narrow argv is in the ANSI code page and loses every other character,
// so the arguments are taken from the wide command line; the C runtime's
// text mode would turn LF into CRLF and stop reading at Ctrl+Z.

// windows.h first: shellapi.h relies on its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "automation/text.h"
#include "platform/narrow_text.h"

namespace zarn::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) {
    for (int i = 1; i < argc; ++i) arguments.push_back(textToUtf8(fromNarrow(argv[i])));
    return arguments;
  }
  for (int i = 1; i < count; ++i) {
    arguments.push_back(textToUtf8(reinterpret_cast<const char16_t*>(words[i])));
  }
  LocalFree(words);
  return arguments;
}

// A console handle answers GetConsoleMode; a pipe, a file or NUL does not.
bool standardInputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool standardOutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void useBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace zarn::cli

#else

// ---- Linux ----
// The command line is already UTF-8 and streams are byte streams.

#include <unistd.h>

namespace zarn::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void useBinaryStandardStreams() {}

}  // namespace zarn::cli

#endif
