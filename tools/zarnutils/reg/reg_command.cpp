#include <iterator>

#include "reg/reg_messages.h"
#include "reg/reg_verbs.h"
#include "reg/reg_words.h"

namespace zarn::cli {
namespace {

constexpr SwitchRule querySwitches[] = {{"v", true}, {"ve", false}, {"s", false}, {"se", true}};
constexpr SwitchRule addSwitches[] = {{"v", true}, {"ve", false}, {"t", true},
                                      {"s", true}, {"d", true},   {"f", false}};
constexpr SwitchRule deleteSwitches[] = {{"v", true}, {"ve", false}, {"va", false}, {"f", false}};
constexpr SwitchRule copySwitches[] = {{"s", false}, {"f", false}};
constexpr SwitchRule exportSwitches[] = {{"y", false}, {"-regedit4", false}};

struct Verb {
  const char* name;
  size_t fixedCount;
  std::span<const SwitchRule> switches;
  int (*run)(const RegArguments&, ConsoleStreams&);
  const char* usage;
};

const Verb verbs[] = {
    {"query", 1, querySwitches, regQuery,
     "REG QUERY KeyName [/v ValueName | /ve] [/s] [/se Separator]\n"
     "  Lists the values of KeyName and its subkeys; /s the whole tree below it.\n"
     "  /se sets the separator shown between the strings of a REG_MULTI_SZ.\n"},
    {"add", 1, addSwitches, regAdd,
     "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
     "  Type: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD,\n"
     "  REG_DWORD_BIG_ENDIAN, REG_QWORD, REG_NONE. /s separates the strings of a\n"
     "  REG_MULTI_SZ (default \\0). /f replaces a value without asking.\n"},
    {"delete", 1, deleteSwitches, regDelete,
     "REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
     "  Without /v, /ve or /va deletes the key with all its subkeys.\n"
     "  /va deletes every value of the key. /f deletes without asking.\n"},
    {"copy", 2, copySwitches, regCopy,
     "REG COPY KeyName1 KeyName2 [/s] [/f]\n"
     "  Copies the values of KeyName1 into KeyName2; /s its subkeys too.\n"
     "  /f replaces values without asking.\n"},
    {"export", 2, exportSwitches, regExport,
     "REG EXPORT KeyName FileName [/y] [--regedit4]\n"
     "  Writes the key and everything below it as a .reg file (Windows Registry\n"
     "  Editor Version 5.00, UTF-16LE; --regedit4: REGEDIT4, 8-bit text).\n"
     "  /y replaces an existing file without asking.\n"},
    {"import",
     1,
     {},
     regImport,
     "REG IMPORT FileName\n"
     "  Applies a .reg file of either form; a malformed file is refused with its\n"
     "  line number and nothing of it is applied.\n"},
};

void printOverview(ConsoleStreams& console) {
  console.out << "REG Operation [Parameter List]\n"
                 "  Operation: QUERY | ADD | DELETE | COPY | EXPORT | IMPORT\n"
                 "  Return code: 0 success, 1 failure.\n"
                 "  Type \"REG Operation /?\" for the usage of one operation.\n";
}

}  // namespace

int runReg(const std::vector<std::string>& words, ConsoleStreams& console) {
  if (words.empty()) return reportInvalidSyntax(console, "");
  if (words[0] == "/?" || words[0] == "-?") {
    printOverview(console);
    return regSucceeded;
  }
  for (const Verb& verb : verbs) {
    if (!sameWord(words[0], verb.name)) continue;
    const std::vector<std::string> rest(std::next(words.begin()), words.end());
    if (asksForUsage(rest)) {
      console.out << verb.usage;
      return regSucceeded;
    }
    const std::optional<RegArguments> arguments =
        parseRegArguments(rest, verb.fixedCount, verb.switches);
    if (!arguments) return reportInvalidSyntax(console, verb.name);
    return verb.run(*arguments, console);
  }
  console.err << "ERROR: Invalid argument/option - '" << words[0]
              << "'.\nType \"REG /?\" for usage.\n";
  return regFailed;
}

}  // namespace zarn::cli
