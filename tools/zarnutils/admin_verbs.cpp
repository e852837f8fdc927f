#include "admin_verbs.h"

#include "ini/ini_verbs.h"
#include "reg/reg.h"

namespace zarn::cli {
namespace {

constexpr AdminVerb verbs[] = {{"reg", runReg, regVerbNames, ""},
                               {"ini", runIni, iniVerbNames, " FILE ARG..."}};

}  // namespace

std::span<const AdminVerb> adminVerbs() { return verbs; }

const AdminVerb* findAdminVerb(std::string_view name) {
  for (const AdminVerb& verb : verbs) {
    if (name == verb.name) return &verb;
  }
  return nullptr;
}

}  // namespace zarn::cli
