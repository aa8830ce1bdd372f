# What a desktop needs to offer Vendaro like any installed application: the
# menu entry, its icon in every size the hicolor theme asks for, AppStream
# metadata for software centres, manual pages, and the Debian copyright and
# changelog files.  Part of VendaroInstall.cmake.

set(VENDARO_APP_ID org.example.vendaro)
set(VENDARO_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vendaro)
set(data_out ${PROJECT_BINARY_DIR}/data)

# The PNG icons are rendered from the one SVG at build time rather than
# committed: a committed bitmap would drift from the drawing the next time
# someone changes it.  rsvg-convert draws the SVG exactly as the desktops'
# own SVG loader (librsvg) does.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: it renders the menu icons "
                      "(Debian: apt-get install librsvg2-bin, or run scripts/deps.sh)")
endif()
set(icon_svg ${PROJECT_SOURCE_DIR}/resources/icons/vendaro.svg)
set(icon_pngs)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${data_out}/icons/${size}x${size}/vendaro.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${data_out}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --format png
            --output ${png} ${icon_svg}
    DEPENDS ${icon_svg}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)

# Manual pages: the version filled in, then the lists of choices from the
# options table (vendaro-man-choices, built here and run at build time), and
# gzipped as Debian wants them; -n keeps the file's name and time out of the
# archive, so the same source gives the same package.
set(VENDARO_MAN_PRIVATE_LIBDIR ${CMAKE_INSTALL_FULL_LIBDIR}/vendaro)
set(man_pages)
foreach(page vendaro vendaro-compose)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${data_out}/man/${page}.1.choices @ONLY)
  add_custom_command(OUTPUT ${data_out}/man/${page}.1
    COMMAND vendaro-man-choices ${data_out}/man/${page}.1.choices ${data_out}/man/${page}.1
    DEPENDS vendaro-man-choices ${data_out}/man/${page}.1.choices
    COMMENT "Listing the choices in ${page}(1)"
    VERBATIM)
  set(gz ${data_out}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9 -n -c ${data_out}/man/${page}.1 > ${gz}
    DEPENDS ${data_out}/man/${page}.1
    COMMENT "Compressing ${page}(1)")
  list(APPEND man_pages ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(changelog_gz ${data_out}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${changelog_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
  COMMENT "Compressing the changelog")

add_custom_target(vendaro_desktop_data ALL DEPENDS ${icon_pngs} ${man_pages} ${changelog_gz})

install(FILES ${PROJECT_SOURCE_DIR}/data/vendaro.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${VENDARO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog_gz}
  DESTINATION ${VENDARO_DOC_DIR})
# Only the package needs lintian's notes; a copy in /usr/local would be
# litter.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME vendaro)
endif()
