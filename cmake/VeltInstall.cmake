# What `cmake --install` puts where (GNUInstallDirs), and the Debian package
# CPack makes of it (`./dev package`).
include(GNUInstallDirs)

set(VELT_APP_ID org.veltplimsett.ObjectOrganizer)
set(velt_data ${PROJECT_SOURCE_DIR}/data)
set(velt_generated ${CMAKE_BINARY_DIR}/generated)

install(TARGETS velt-sort RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(${velt_data}/velt-sort.1.in ${velt_generated}/velt-sort.1 @ONLY)
install(FILES ${velt_generated}/velt-sort.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(VELT_GUI)
  install(TARGETS velt-organizer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${velt_data}/velt-organizer.1.in ${velt_generated}/velt-organizer.1 @ONLY)
  install(FILES ${velt_generated}/velt-organizer.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${velt_data}/${VELT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${velt_data}/${VELT_APP_ID}.metainfo.xml.in ${velt_generated}/${VELT_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${velt_generated}/${VELT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The icon theme's sizes, drawn by the asset tool from the dialogs' icon.
  set(icon_dir ${CMAKE_BINARY_DIR}/icons)
  set(icon_sizes 16 32 48 64 128 256)
  set(icon_files)
  foreach(size ${icon_sizes})
    list(APPEND icon_files ${icon_dir}/${size}x${size}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${icon_files}
    COMMAND velt-assets --icons ${icon_dir}
    DEPENDS velt-assets
    COMMENT "Drawing the desktop icon")
  add_custom_target(velt_icons ALL DEPENDS ${icon_files})
  foreach(size ${icon_sizes})
    install(FILES ${icon_dir}/${size}x${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VELT_APP_ID}.png)
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velt-organizer)
set(CPACK_PACKAGE_VENDOR "The Velt Plimsett Object Organizer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Change the buy-catalogue sorts of The Velt's extra objects")
set(CPACK_PACKAGE_CONTACT "The Velt Plimsett Object Organizer <organizer@veltplimsett.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The Qt 6 runtime libraries come from the programs' own links; the font the
# dialogs are drawn in is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-comic-neue")
include(CPack)
