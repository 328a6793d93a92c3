# Install rules and the Debian package: a self-contained program folder under /opt, plus the desktop, AppStream
# and systemd files that make it a desktop program and a service.
include(GNUInstallDirs)

set(TAVREL_PACKAGE_NAME dwx-tavrel-translator)
# The program reads and writes its files in the folder that holds its executables; the maintainer scripts, the
# launcher and the systemd unit name this folder too.
set(TAVREL_PROGRAM_DIR /opt/${TAVREL_PACKAGE_NAME})
set(TAVREL_SYSTEMD_UNIT_DIR /lib/systemd/system CACHE PATH "Where the tavrel-watch unit is installed")
set(TAVREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${TAVREL_PACKAGE_NAME})
set(TAVREL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

foreach(exe tavrel-translator tavrel-watch tavrel-convert)
    if(TARGET ${exe})
        install(TARGETS ${exe} RUNTIME DESTINATION ${TAVREL_PROGRAM_DIR})
    endif()
endforeach()

if(TARGET tavrel-translator)
    install(PROGRAMS ${TAVREL_PACKAGING_DIR}/dwx-tavrel-translator-launcher
            DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME ${TAVREL_PACKAGE_NAME})
    install(FILES ${TAVREL_PACKAGING_DIR}/${TAVREL_PACKAGE_NAME}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${TAVREL_PACKAGING_DIR}/${TAVREL_PACKAGE_NAME}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${TAVREL_PACKAGING_DIR}/tv.dwx.tavrel_translator.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

if(TARGET tavrel-convert)
    # On the search path for station staff; the link resolves to the program folder, which stays the exe's folder.
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
    file(CREATE_LINK ${TAVREL_PROGRAM_DIR}/tavrel-convert ${CMAKE_CURRENT_BINARY_DIR}/packaging/tavrel-convert SYMBOLIC)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tavrel-convert DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(TARGET tavrel-watch)
    install(FILES ${TAVREL_PACKAGING_DIR}/tavrel-watch.service DESTINATION ${TAVREL_SYSTEMD_UNIT_DIR})
endif()

# Examples only: the live Translator.ini, DWX.INI and RT-IN1.LST belong to the station and are never shipped.
install(FILES ${TAVREL_PACKAGING_DIR}/examples/Translator.ini ${TAVREL_PACKAGING_DIR}/examples/DWX.INI
              ${TAVREL_PACKAGING_DIR}/examples/RT-IN1.LST
        DESTINATION ${TAVREL_DOC_DIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/OPERATIONS.md DESTINATION ${TAVREL_DOC_DIR})
# The install guide is about this package, which is what Debian keeps in README.Debian.
install(FILES ${PROJECT_SOURCE_DIR}/docs/INSTALL.md DESTINATION ${TAVREL_DOC_DIR} RENAME README.Debian)
install(FILES ${TAVREL_PACKAGING_DIR}/debian/copyright DESTINATION ${TAVREL_DOC_DIR})
install(FILES ${TAVREL_PACKAGING_DIR}/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${TAVREL_PACKAGE_NAME})
include(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TAVREL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "DWX")
set(CPACK_PACKAGE_CONTACT "DWX Tavrel Translator maintainers <tavrel-translator@dwx.tv>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turns schedule spreadsheets into Tavrel event files for playout automation")
# Debian shows these lines as they are: at most 80 columns with the leading space.
set(CPACK_PACKAGE_DESCRIPTION
    "DWX Tavrel Translator watches up to two folders for schedule spreadsheets
(.xlsx) and writes a Tavrel event file (.TVX) beside each new or changed one,
one router-switching event per valid row, for the broadcast automation system
to load. It runs as a desktop window or as the tavrel-watch systemd service
(installed disabled). Its program folder is /opt/dwx-tavrel-translator, which
holds Translator.ini, DWX.INI, RT-IN1.LST and the Logs folder beside the
executables; examples are in /usr/share/doc/dwx-tavrel-translator/examples.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt, libzip and expat come from the executables' own links; the rest are run-time needs no link shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(tavrel_depends "passwd")
if(TARGET tavrel-translator)
    # The X11/Wayland platform plugins are loaded at run time, so no link names them.
    string(APPEND tavrel_depends ", qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${tavrel_depends}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TAVREL_PACKAGING_DIR}/debian/postinst ${TAVREL_PACKAGING_DIR}/debian/prerm
                                       ${TAVREL_PACKAGING_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/demo/run/")
include(CPack)
