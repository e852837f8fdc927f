// A program built only against an installed ZarnUtils: it sees the public
// headers and nothing of src/.
#include <zarnutils/store_location.h>

#include <iostream>

int main() { std::cout << zarn::registryDirVariable << ' ' << zarn::machineStoreFolder << '\n'; }
