// A program that knows the typed registry API alone: its header and the
// store's location, nothing of the component.
//
//   typed STORE-FOLDER
#include <zarnutils/registry.h>
#include <zarnutils/store_location.h>

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: typed STORE-FOLDER\n";
    return 2;
  }
  zarn::setRegistryDirectory(argv[1]);
  using namespace zarn::registry;
  const Key app = Key::create(Root::CurrentUser, "Software\\Example\\Typed");
  app.writeMultiText("Servers", {"alpha", "beta"});
  for (const std::string& server : app.readMultiText("Servers")) std::cout << server << ' ';
  for (const Value& value : app.values()) std::cout << typeName(value.type) << '\n';
  Key::open(Root::CurrentUser, "Software", Access::ReadWrite).deleteTree("Example");
  std::cout << Key::exists(Root::CurrentUser, "Software\\Example") << '\n';
}
