#include "reg/reg_prompt.h"

#include <string>

#include "reg/reg_words.h"

namespace zarn::cli {

Answer ask(ConsoleStreams& console, std::string_view question, bool offerAll) {
  const char* choices = offerAll ? " (Yes/No/All)? " : " (Yes/No)? ";
  while (true) {
    console.out << question << choices;
    if (!console.inputIsTerminal) {
      console.out << "No (standard input is not a terminal; /f or /y answers yes)\n";
      return Answer::No;
    }
    console.out.flush();
    std::string reply;
    if (!std::getline(console.in, reply)) {
      console.out << '\n';
      return Answer::No;
    }
    if (!reply.empty() && reply.back() == '\r') reply.pop_back();
    if (sameWord(reply, "y") || sameWord(reply, "yes")) return Answer::Yes;
    if (sameWord(reply, "n") || sameWord(reply, "no")) return Answer::No;
    if (offerAll && (sameWord(reply, "a") || sameWord(reply, "all"))) return Answer::All;
  }
}

}  // namespace zarn::cli
