# What `cmake --install` puts where, and the Debian package CPack makes of it.
#
#   bin/                      tessary, tessary-script, tessary-gen
#   share/tessary/            the program folder: data templates, sign-on picture, user's
#                             guide and the archiving tool volume.pif
#   share/applications/       the desktop entry
#   share/metainfo/           the AppStream description
#   share/icons/hicolor/      the icon, as SVG and PNG
#   share/man/man1/           the manual pages
#
# An installed program never writes under its prefix: its data folders live in the user's data
# folder or in $TESSARY_HOME (core/install.cpp).

set(TESSARY_APP_ID org.tessary.Tessary)
set(TESSARY_PROGRAM_DIR ${CMAKE_INSTALL_DATADIR}/tessary)

if(TESSARY_QT)
  install(TARGETS tessary RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS volume RUNTIME DESTINATION ${TESSARY_PROGRAM_DIR})
endif()
install(TARGETS tessary-script tessary-gen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES
  ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/sys.d32
  ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/nomacc.d32
  ${PROJECT_SOURCE_DIR}/assets/TS32.png
  ${PROJECT_SOURCE_DIR}/help/tessary.html
  DESTINATION ${TESSARY_PROGRAM_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/desktop/${TESSARY_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/${TESSARY_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/tessary.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${TESSARY_APP_ID}.svg)
foreach(size 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/tessary-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${TESSARY_APP_ID}.png)
endforeach()
file(GLOB TESSARY_MAN_PAGES ${PROJECT_SOURCE_DIR}/man/*.1)
install(FILES ${TESSARY_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tessary developers")
set(CPACK_PACKAGE_CONTACT "The Tessary developers <tessary@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bookkeeping for savings-and-loans co-operatives")
set(CPACK_PACKAGE_DESCRIPTION "Tessary keeps the books of a small savings-and-loans \
co-operative (a credit union): members' share balances and loans, a 160-account nominal \
ledger with budgets, the cash book and bank reconciliation, statements and financial reports, \
period end, year end and dividends, with a safety copy of the data after every update. \
Several workstations may share one data folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The shared libraries the executables link decide the package's dependencies; opening the
# guide and documents goes through the desktop's handler.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
