# SPDX-License-Identifier: MIT
# The version record, written once: the project's version feeds a generated
# header (the program, the library's version entry), the AppStream metainfo
# and the Debian package.
math(EXPR HOKORA_LIBRARY_VERSION "${PROJECT_VERSION_MAJOR} * 100 + ${PROJECT_VERSION_MINOR}")
set(HOKORA_PRODUCT_NAME "Hokora Ｖｅｒ．１．００")
set(HOKORA_FILE_DESCRIPTION "LHA形式ファイルの解凍を行うソフト")
set(HOKORA_RELEASE_DATE 2026-12-07)

set(HOKORA_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${HOKORA_GENERATED_DIR}/hokora/version.h @ONLY)
add_library(hokora_version INTERFACE)
target_include_directories(hokora_version INTERFACE ${HOKORA_GENERATED_DIR})
