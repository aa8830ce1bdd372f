# Installs Vendaro like any desktop application (GNUInstallDirs):
#   bin/vendaro, bin/vendaro-compose
#   <libdir>/vendaro/   the private libraries, never in the linker's path
#   share/              desktop entry, icons, AppStream metadata, manual pages
# Included from the top-level CMakeLists.txt after the targets exist.
include(GNUInstallDirs)

set(VENDARO_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/vendaro")

# The executables look for their private libraries from their own location,
# so the path is relative to the bin folder; computed from the full paths so
# that an absolute CMAKE_INSTALL_LIBDIR still gives the right answer.
file(RELATIVE_PATH VENDARO_PRIVATE_LIB_DIR
  "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}/vendaro")
configure_file(${CMAKE_CURRENT_LIST_DIR}/vendaro_paths.h.in
  ${PROJECT_BINARY_DIR}/generated/vendaro_paths.h @ONLY)
# Link this to a target whose sources include "vendaro_paths.h".
add_library(vendaro_paths INTERFACE)
target_include_directories(vendaro_paths INTERFACE ${PROJECT_BINARY_DIR}/generated)

install(TARGETS vendaro vendaro-compose RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Loaded with dlopen, not linked: nobody needs them executable, and Debian
# wants shared objects without the executable bit.
install(TARGETS vendaro_pictures verdpak
  LIBRARY DESTINATION ${VENDARO_PRIVATE_LIBDIR} NAMELINK_SKIP
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

include(${CMAKE_CURRENT_LIST_DIR}/VendaroDesktopData.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/VendaroPackage.cmake)
