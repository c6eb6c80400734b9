# SPDX-License-Identifier: MIT
# Desktop install and the Debian package.
#
#   cmake --install BUILD [--prefix DIR]   program, library and desktop files
#   cd BUILD && cpack -G DEB               hokora_<version>_<arch>.deb
#
# Layout under the prefix: bin/hokora and bin/unlha, lib/hokora/libunlha32.so
# (found by the program through its RUNPATH $ORIGIN/../lib/hokora), and under
# share/ the .desktop entry, the hicolor icons, the AppStream metainfo, the
# MIME definition and unlha's bash completion.

set(HOKORA_APP_ID io.github.hokora.Hokora)
set(HOKORA_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/resources)

# The program, the archive library (into lib/hokora, the fixed directory the
# program's RUNPATH names relative to bin/) and the unlha tool install
# themselves from their folders; this file adds the desktop integration.

# Fixed-size icons are rendered from the one hand-drawn SVG at build time.
find_program(HOKORA_RSVG_CONVERT rsvg-convert)
if(HOKORA_RSVG_CONVERT)
  set(icon_pngs)
  foreach(size IN ITEMS 16 32)
    set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/hokora.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${HOKORA_RSVG_CONVERT} --width=${size} --height=${size}
              --output=${png} ${HOKORA_RESOURCES_DIR}/images/hokora.svg
      DEPENDS ${HOKORA_RESOURCES_DIR}/images/hokora.svg
      COMMENT "Rendering the ${size}x${size} program icon"
      VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(hokora_icons ALL DEPENDS ${icon_pngs})
else()
  message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): "
                  "only the scalable program icon will be installed")
endif()
install(FILES ${HOKORA_RESOURCES_DIR}/images/hokora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${HOKORA_RESOURCES_DIR}/hokora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(HOKORA_METAINFO ${HOKORA_GENERATED_DIR}/${HOKORA_APP_ID}.metainfo.xml)
configure_file(${HOKORA_RESOURCES_DIR}/${HOKORA_APP_ID}.metainfo.xml.in ${HOKORA_METAINFO} @ONLY)
install(FILES ${HOKORA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages (English, and Japanese for the program), the licence and the
# changelog, compressed as Debian keeps them.
set(HOKORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/hokora)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${HOKORA_GENERATED_DIR}/changelog @ONLY)
set(doc_gz)
foreach(page IN ITEMS "docs/hokora.1|man/hokora.1" "docs/hokora.ja.1|man/ja/hokora.1"
                      "docs/unlha.1|man/unlha.1"
                      "${HOKORA_GENERATED_DIR}/changelog|changelog")
  string(REPLACE "|" ";" page "${page}")
  list(GET page 0 source)
  list(GET page 1 target)
  get_filename_component(source ${source} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
  set(gz ${HOKORA_GENERATED_DIR}/${target}.gz)
  get_filename_component(gz_dir ${gz} DIRECTORY)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gz_dir}
    COMMAND gzip -9nc ${source} > ${gz}
    DEPENDS ${source}
    COMMENT "Compressing ${target}")
  list(APPEND doc_gz ${gz})
endforeach()
add_custom_target(hokora_docs ALL DEPENDS ${doc_gz})
install(FILES ${HOKORA_GENERATED_DIR}/man/hokora.1.gz ${HOKORA_GENERATED_DIR}/man/unlha.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${HOKORA_GENERATED_DIR}/man/ja/hokora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${HOKORA_GENERATED_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${HOKORA_DOC_DIR})
install(FILES ${HOKORA_RESOURCES_DIR}/hokora-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME hokora.xml)
# Where bash-completion loads a command's completion from when it is first
# completed, named after the command.
install(FILES ${HOKORA_RESOURCES_DIR}/bash-completion/unlha
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# A plain install (no DESTDIR, as for a user's ~/.local) refreshes the
# desktop's caches so that the menu entry, the icon and the file association
# take effect at once. Package builds stage into DESTDIR and leave this to the
# package manager's triggers.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    set(share "${CMAKE_INSTALL_PREFIX}/share")
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    find_program(update_icons gtk-update-icon-cache)
    if(update_mime)
      execute_process(COMMAND ${update_mime} "${share}/mime" OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(update_desktop)
      execute_process(COMMAND ${update_desktop} -q "${share}/applications" OUTPUT_QUIET ERROR_QUIET)
    endif()
    if(update_icons)
      execute_process(COMMAND ${update_icons} -q -t "${share}/icons/hicolor" OUTPUT_QUIET ERROR_QUIET)
    endif()
  endif()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hokora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Hokora developers")
set(CPACK_PACKAGE_CONTACT "Hokora developers <hokora@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LHA (.LZH) archive extractor with a Japanese interface")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# CPack puts the summary first and indents each line of the rest itself; an
# empty line becomes the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Hokora extracts one LHA archive into a folder the user picks: open the
archive with it, choose a drive and a folder, and drag the floppy disk onto
the disk drive. Japanese file names come out right whether the archive
stored them in Shift-JIS, EUC-JP, UTF-8 or UTF-16.

The package also contains unlha, a command-line front end to the same
archive engine.

${HOKORA_PRODUCT_NAME}: ${HOKORA_FILE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Installed binaries are stripped; their debug symbols go into a separate
# -dbgsym package when the build has any.
set(CPACK_STRIP_FILES ON)
# CPack would call ldconfig for any library under /usr/lib; ours is private.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/drop-ldconfig-scripts.cmake)
if(CMAKE_BUILD_TYPE MATCHES "Deb|RelWithDebInfo")
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
endif()
# The windows ask for Japanese fonts; these are the ones they fall back to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-motoya-l-maruberi, fonts-noto-cjk")
include(CPack)
