# Desktop install and the Debian package.
#
#   cmake --install BUILD [--prefix DIR]   program, library and desktop files
#   cd BUILD && cpack -G DEB               hokora_<version>_<arch>.deb
#
# Layout under the prefix: bin/hokora and bin/unlha, lib/hokora/libunlha32.so
# (found by the program through its RUNPATH $ORIGIN/../lib/hokora), and under
# share/ the .desktop entry, the hicolor icons, the AppStream metainfo and the
# MIME definition.

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
install(FILES ${HOKORA_RESOURCES_DIR}/${HOKORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${HOKORA_RESOURCES_DIR}/hokora-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME hokora.xml)

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
set(CPACK_PACKAGE_CONTACT "Hokora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LHA (.LZH) archive extractor with a Japanese interface")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "LHA (.LZH) archive extractor with a Japanese interface
 Hokora extracts one LHA archive into a folder the user picks: open the
 archive with it, choose a drive and a folder, and drag the floppy disk onto
 the disk drive. Japanese file names stored in Shift-JIS come out right.
 .
 The package also contains unlha, a command-line front end to the same
 archive library.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows ask for Japanese fonts; these are the ones they fall back to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, fonts-motoya-l-maruberi, fonts-noto-cjk")
include(CPack)
