# Warning flags shared by every target of ours.
add_library(corvalinde_warnings INTERFACE)
target_compile_options(corvalinde_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor)
if(CORVALINDE_WERROR)
  target_compile_options(corvalinde_warnings INTERFACE -Werror)
endif()
