# What the program installs and how `./dev package` turns it into a Debian package: the
# executable, its data under share/<package>/, the udev rule generated from the catalogue,
# the desktop entry, the icon and the AppStream file.

set(MOUSE_PACKAGE_NAME vex-mouse-center)
set(MOUSE_APP_ID example.vexmouse.MouseCenter)
# Before systemd's 73-seat-late.rules, which turns the uaccess tag into the seat user's access.
set(MOUSE_UDEV_RULE_FILE 70-${MOUSE_PACKAGE_NAME}.rules)
set(MOUSE_UDEV_RULE ${CMAKE_BINARY_DIR}/${MOUSE_UDEV_RULE_FILE})
set(MOUSE_METAINFO ${CMAKE_BINARY_DIR}/packaging/${MOUSE_APP_ID}.metainfo.xml)
set(MOUSE_ICON_SIZES 16 24 32 48 64 128 256)

add_custom_command(
  OUTPUT ${MOUSE_UDEV_RULE} ${MOUSE_METAINFO}
  COMMAND ${CMAKE_COMMAND} -DCONFIG=${CMAKE_SOURCE_DIR}/data/config.xml
          -DOUTPUT=${MOUSE_UDEV_RULE}
          -DMETAINFO_IN=${CMAKE_SOURCE_DIR}/packaging/${MOUSE_APP_ID}.metainfo.xml.in
          -DMETAINFO_OUT=${MOUSE_METAINFO} -DVERSION=${PROJECT_VERSION}
          -P ${CMAKE_SOURCE_DIR}/cmake/udev_rules.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/data/config.xml ${CMAKE_SOURCE_DIR}/cmake/udev_rules.cmake
          ${CMAKE_SOURCE_DIR}/packaging/${MOUSE_APP_ID}.metainfo.xml.in
  COMMENT "Generating the udev rule and AppStream file from config.xml")
add_custom_target(udev_rules ALL DEPENDS ${MOUSE_UDEV_RULE} ${MOUSE_METAINFO})

# The hicolor PNG sizes, drawn from the one SVG.
add_executable(render_icon packaging/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(MOUSE_ICON_PNGS "")
foreach(size IN LISTS MOUSE_ICON_SIZES)
  list(APPEND MOUSE_ICON_PNGS ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${MOUSE_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:render_icon> ${CMAKE_SOURCE_DIR}/packaging/icon.svg
          ${CMAKE_BINARY_DIR}/packaging/icons ${MOUSE_ICON_SIZES}
  DEPENDS render_icon ${CMAKE_SOURCE_DIR}/packaging/icon.svg
  COMMENT "Rendering the program icon")
add_custom_target(icons ALL DEPENDS ${MOUSE_ICON_PNGS})

include(GNUInstallDirs)
install(TARGETS DeviceDriver mousectl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/mousectl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/mousectl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME mousectl)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/${MOUSE_PACKAGE_NAME})
# udev reads /usr/lib/udev/rules.d whatever the install prefix's lib folder is called.
install(FILES ${MOUSE_UDEV_RULE} DESTINATION lib/udev/rules.d)
install(FILES packaging/${MOUSE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MOUSE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${MOUSE_APP_ID}.svg)
foreach(size IN LISTS MOUSE_ICON_SIZES)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${MOUSE_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${MOUSE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vex Peripherals")
set(CPACK_PACKAGE_CONTACT "Vex Peripherals <support@vexmouse.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for Vex gaming mice")
set(CPACK_PACKAGE_DESCRIPTION
    "Sets the DPI levels, report rate, buttons, macros, lighting and receiver screen of Vex\n"
    "gaming mice attached by USB cable or through their 2.4 GHz receiver, and keeps\n"
    "profiles of these settings. A udev rule gives the user at the seat access to the mice.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vexmouse.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
