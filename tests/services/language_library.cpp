// A language library for the tests. Its entry function returns the image
// encoded from tests/data/messages/library.tsv, or, as the environment
// variable CORVALINDE_TEST_LIBRARY_IMAGE asks, a damaged image ("decreasing")
// or none ("null"). Built a second time without the entry function.
#include <cstdlib>
#include <cstring>

namespace corvalinde::generated {
extern const unsigned char kMessageImageLibrary[];
}

#ifndef CORVALINDE_LIBRARY_WITHOUT_ENTRY
extern "C" __attribute__((visibility("default"))) const unsigned char* INI_DLL();

extern "C" const unsigned char* INI_DLL() {
  static const unsigned char decreasing[] = {2, 0, '1', '2', 1, 0, 0, 0, 5, 0, 3, 0, 'a', 'b', 'c', 'd', 'e'};
  const char* mode = std::getenv("CORVALINDE_TEST_LIBRARY_IMAGE");
  if (mode != nullptr && std::strcmp(mode, "decreasing") == 0) return decreasing;
  if (mode != nullptr && std::strcmp(mode, "null") == 0) return nullptr;
  return corvalinde::generated::kMessageImageLibrary;
}
#else
extern "C" __attribute__((visibility("default"))) int language_library_without_entry();

extern "C" int language_library_without_entry() {
  return 0;
}
#endif
