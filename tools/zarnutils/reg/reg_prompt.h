// reg.exe's confirmation questions, which /f (or /y) skips. A question is
// answered from standard input only when it is a terminal; otherwise the
// answer is no, and the prompt line says why, so that a script never hangs
// on a question nobody can see.
#pragma once

#include <string_view>

#include "console_streams.h"

namespace zarn::cli {

enum class Answer { Yes, No, All };

// Writes "question (Yes/No)? " (or "(Yes/No/All)? " when all is offered) on
// standard output and reads answers (y, yes, n, no, a, all in any case)
// until one fits; the end of input answers no.
Answer ask(ConsoleStreams& console, std::string_view question, bool offerAll = false);

}  // namespace zarn::cli
