# The Debian package: cpack -G DEB from a build configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does all of it).

set(CPACK_GENERATOR DEB)
# Write the variables into CPackConfig.cmake as they are: the description
# holds quotes.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME vendaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zespół Vendaro")
set(CPACK_PACKAGE_CONTACT "Zespół Vendaro <vendaro@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/vendaro")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wallpaper changer for the tray, with a Polish interface")
set(CPACK_PACKAGE_DESCRIPTION "\
Vendaro lives in the system tray and changes the desktop wallpaper every few
minutes, once a day or once per system start, or when asked. It takes the
next or a random picture of a list and composes a wallpaper of the screen's
size from it: five display modes, nine alignments, margins in a colour or
drawn out from the picture's edges, three scaling filters. When it ends,
the desktop's own wallpaper comes back.

It works on plain X11, GNOME, Budgie, KDE Plasma, Xfce, Cinnamon, MATE,
sway and Hyprland. The commands \"vendaro next|previous|settings|quit\" reach
the running program from a terminal, and vendaro-compose composes a single
wallpaper for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# Folders that the install creates get 755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dlopen'ed, so dpkg-shlibdeps cannot see them: Qt's picture readers (TIFF,
# WebP), its X11 platform plugin, the Polish catalogue of Qt's own dialogs,
# and the Wayland platform for sessions without X.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-image-formats-plugins, qt6-qpa-plugins, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
