# Project-wide compiler flags: strict warnings, optional sanitizers.
add_compile_options(-Wall -Wextra)
if(HOKORA_WERROR)
  add_compile_options(-Werror)
endif()

if(HOKORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
