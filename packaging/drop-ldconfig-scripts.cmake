# SPDX-License-Identifier: MIT
# Runs after cpack has built the packages. CPack's DEB generator adds postinst
# and postrm scripts that call ldconfig for every shared library under
# /usr/lib, ours included, although the library is private to the program
# (found through its RUNPATH) and the linker's cache has nothing to learn from
# it. The package needs no maintainer scripts at all, so they are taken out
# and the package is built again from its own tree.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$" OR package MATCHES "-dbgsym")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
