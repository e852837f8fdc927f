#include "component/class_description.h"

#include <array>

#include "automation/text.h"
#include "component/described_classes.h"

namespace zarn {
namespace {

template <class... Objects>
constexpr std::array<const ClassDescription*, sizeof...(Objects)> viewsOf(ClassList<Objects...>) {
  return {&descriptionOf<Objects>()...};
}

constexpr auto classes = viewsOf(DescribedClasses{});

}  // namespace

std::span<const ClassDescription* const> describedClasses() { return classes; }

const ClassDescription& regeditClass() { return descriptionOf<Regedit>(); }

const ClassDescription& iniEditClass() { return descriptionOf<IniEdit>(); }

const ClassDescription& registryObjectClass() { return descriptionOf<RegistryObject>(); }

const ClassDescription* findClass(std::u16string_view classNameOrProgId) {
  for (const ClassDescription* description : classes) {
    if (equalsIgnoringCase(classNameOrProgId, description->className) ||
        equalsIgnoringCase(classNameOrProgId, description->progId)) {
      return description;
    }
  }
  return nullptr;
}

int findMethodByName(const ClassDescription& description, std::u16string_view name) {
  for (size_t i = 0; i < description.methods.size(); ++i) {
    if (equalsIgnoringCase(description.methods[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

int findMethodByDispatchId(const ClassDescription& description, int32_t dispatchId) {
  for (size_t i = 0; i < description.methods.size(); ++i) {
    if (description.methods[i].dispatchId == dispatchId) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zarn
