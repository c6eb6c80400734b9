# SPDX-License-Identifier: MIT
# Compiler warnings as one target that every target of the project links, so
# third-party code (the tests' frameworks, Qt's generated sources) is judged
# by its own flags. Warnings stop the build only when HOKORA_WERROR is on: the
# developer and CI presets turn it on, a user's or a package's build does not.
add_library(hokora_warnings INTERFACE)
target_compile_options(hokora_warnings INTERFACE -Wall -Wextra -Wshadow -Wpedantic
                       $<$<BOOL:${HOKORA_WERROR}>:-Werror>)

# Sanitizers apply to everything that is compiled and linked, libraries of the
# tests included, so they stay directory-wide.
if(HOKORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
