// Build step: writes the type library and each class's interface identifier
// list into the folder named by its one argument, for the resource compiler.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "component/com/class_interfaces.h"
#include "component/com/com_text.h"
#include "component/com/interface_id_list.h"
#include "component/com/type_library_builder.h"
#include "automation/text.h"

namespace {

std::wstring widePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring result(length > 0 ? length - 1 : 0, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, result.data(), length);
  return result;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "\\";
  try {
    const std::string libraryName = zarn::textToUtf8(zarn::identity::libraryName);
    zarn::com::writeTypeLibrary(widePath(folder + libraryName + ".tlb"));
    for (const zarn::com::ComClass* comClass : zarn::com::comClasses()) {
      writeFile(folder + zarn::textToUtf8(comClass->description.className) + ".iids",
                zarn::com::interfaceIdList(*comClass));
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
