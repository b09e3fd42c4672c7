# What the Windows installer carries, and the `installer` target that stages it
# and runs makensis: hestavo-setup-<version>.exe in the build folder.
# The templates and legislation texts are inside the program itself.
set(qt_prefix $ENV{HESTAVO_WINDOWS_PREFIX}/qt)
set(mingw_runtime
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)

install(TARGETS hestavo hestavo-cli RUNTIME DESTINATION .)
install(FILES
  ${qt_prefix}/bin/Qt6Core.dll ${qt_prefix}/bin/Qt6Gui.dll
  ${qt_prefix}/bin/Qt6Widgets.dll ${qt_prefix}/bin/Qt6Network.dll
  ${mingw_runtime}
  DESTINATION .)
install(FILES ${qt_prefix}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(DIRECTORY ${qt_prefix}/plugins/styles ${qt_prefix}/plugins/tls ${qt_prefix}/plugins/imageformats
  DESTINATION . OPTIONAL FILES_MATCHING PATTERN "*.dll" PATTERN "*d.dll" EXCLUDE)
# Qt's own dialogs in Romanian (calendar, file dialogs), from Debian's
# translations package when it is installed.
install(FILES /usr/share/qt6/translations/qtbase_ro.qm DESTINATION translations OPTIONAL)

set(HESTAVO_INSTALLER_FILE ${CMAKE_BINARY_DIR}/hestavo-setup-${PROJECT_VERSION}.exe)
set(stage ${CMAKE_BINARY_DIR}/installer-stage)
find_program(HESTAVO_MAKENSIS makensis)
add_custom_target(installer
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage} --strip
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DVERSION=${PROJECT_VERSION}
          -DOUT_FILE=${HESTAVO_INSTALLER_FILE} -DTEMPLATE=${CMAKE_SOURCE_DIR}/installer/hestavo.nsi.in
          -DNSI=${CMAKE_BINARY_DIR}/hestavo.nsi -P ${CMAKE_SOURCE_DIR}/installer/WriteScript.cmake
  COMMAND ${HESTAVO_MAKENSIS} -V2 ${CMAKE_BINARY_DIR}/hestavo.nsi
  DEPENDS hestavo hestavo-cli
  BYPRODUCTS ${HESTAVO_INSTALLER_FILE}
  COMMENT "Windows installer ${HESTAVO_INSTALLER_FILE}"
  VERBATIM)
