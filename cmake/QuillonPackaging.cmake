# Installing Quillon like desktop software (programs, manual pages, desktop entry, icon, AppStream
# data) and its Debian package. Included from the top level after every subdirectory, so that the
# composer's target exists.

# The console tools install themselves; the composer is installed from here.
install(TARGETS quillon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(quillon_desktop_dir ${PROJECT_SOURCE_DIR}/composer/qt/desktop)
set(QUILLON_APPSTREAM_ID invalid.quillon.quillon)
if(UNIX AND NOT APPLE)
    quillon_man_page(composer/qt/desktop/quillon.1)
    install(FILES ${quillon_desktop_dir}/quillon.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/composer/resources/icons/quillon.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
    install(FILES ${quillon_desktop_dir}/${QUILLON_APPSTREAM_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The Debian package: `make package`, or cpack --config <build>/CPackConfig.cmake.
# The project has no mail domain of its own; .invalid is reserved never to be one, so the field
# names the project without pointing at anybody's real address. A distributor sets their own.
set(QUILLON_DEB_MAINTAINER "Quillon developers <developers@quillon.invalid>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")

# What Debian asks of every package beside the programs: the licence in its machine-readable form
# and the packaging changelog, compressed. They belong to the .deb alone, so `cmake --install`
# leaves them out (EXCLUDE_FROM_ALL) and CPack installs them by their component.
set(quillon_deb_dir ${PROJECT_BINARY_DIR}/debian)
add_custom_command(OUTPUT ${quillon_deb_dir}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
        ${quillon_deb_dir}/changelog.Debian
    COMMAND ${QUILLON_GZIP} -9nf ${quillon_deb_dir}/changelog.Debian
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
    VERBATIM)
add_custom_target(quillon_debian_changelog ALL DEPENDS ${quillon_deb_dir}/changelog.Debian.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
        ${quillon_deb_dir}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon
    COMPONENT debian EXCLUDE_FROM_ALL)
# Each override says in a comment why the tag does not apply.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quillon
    COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "the Quillon developers")
set(CPACK_PACKAGE_CONTACT "${QUILLON_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Line by line: the control file keeps these breaks, as Debian descriptions want.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "The composer quillon is a desktop window of 84 note buttons in numbered"
    "notation (jianpu): each click appends the note's music code byte, as C source"
    "text, to an array definition that is copied into AVR firmware."
    "The console tools timervals and notecodes print the timer reload values of"
    "the 28 notes and the list of all 84 note codes; quillon-import turns an RTTTL"
    "ring tone or a MIDI file into such an array.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
# The first packaging of this upstream version: a Debian revision makes the package non-native,
# whose packaging changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Beside simavr and avrdude: tools for programming microcontrollers.
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# One package of everything, the Debian documents included.
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

# Besides the libraries it links, the composer needs a platform plugin to open a window at all and
# a font that has the Chinese captions.
set(quillon_runtime_extras "qt6-qpa-plugins, fonts-wqy-microhei")
find_program(QUILLON_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUILLON_DPKG_SHLIBDEPS)
    # The library packages and their versions as the built programs need them.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${quillon_runtime_extras}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libstdc++6, libc6, ${quillon_runtime_extras}")
endif()

# The preview's way from ALSA's default device to the desktop's sound server, and Qt's own words
# in the user's language: the composer works without either, so they are recommended.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins | pipewire-alsa, qt6-translations-l10n")

include(CPack)

if(NOT BUILD_TESTING)
    return()
endif()

# Tests of the installed tree and of the package: they run the real cmake --install and cpack on
# this build, so they need a complete build (as ctest after the build has), but neither root nor
# a display.
find_program(QUILLON_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(QUILLON_DPKG_DEB dpkg-deb)
find_program(QUILLON_APPSTREAMCLI appstreamcli)
find_program(QUILLON_LINTIAN lintian)
set(quillon_packaging_work ${PROJECT_BINARY_DIR}/packaging/tests)

add_test(NAME packaging.install_tree
    COMMAND ${CMAKE_COMMAND}
        -D BUILD_DIR=${PROJECT_BINARY_DIR}
        -D WORK_DIR=${quillon_packaging_work}/install
        -D DESKTOP_FILE_VALIDATE=${QUILLON_DESKTOP_FILE_VALIDATE}
        -D APPSTREAMCLI=${QUILLON_APPSTREAMCLI}
        -P ${PROJECT_SOURCE_DIR}/packaging/tests/InstallTreeTest.cmake)
add_test(NAME packaging.deb
    COMMAND ${CMAKE_COMMAND}
        -D BUILD_DIR=${PROJECT_BINARY_DIR}
        -D WORK_DIR=${quillon_packaging_work}/deb
        -D CPACK=${CMAKE_CPACK_COMMAND}
        -D DPKG_DEB=${QUILLON_DPKG_DEB}
        -D DESKTOP_FILE_VALIDATE=${QUILLON_DESKTOP_FILE_VALIDATE}
        -D APPSTREAMCLI=${QUILLON_APPSTREAMCLI}
        -P ${PROJECT_SOURCE_DIR}/packaging/tests/DebPackageTest.cmake)
set_tests_properties(packaging.install_tree packaging.deb PROPERTIES
    LABELS packaging
    TIMEOUT 300
    # Both install this build's files; cmake --install also writes its manifest into the build.
    RESOURCE_LOCK quillon_install
    ENVIRONMENT QT_QPA_PLATFORM=offscreen)
set_tests_properties(packaging.deb PROPERTIES FIXTURES_SETUP deb_package)

# Lintian on the package that packaging.deb made.
add_test(NAME packaging.lintian
    COMMAND ${CMAKE_COMMAND}
        -D PACKAGE_DIR=${quillon_packaging_work}/deb/out
        -D LINTIAN=${QUILLON_LINTIAN}
        -P ${PROJECT_SOURCE_DIR}/packaging/tests/LintianTest.cmake)
set_tests_properties(packaging.lintian PROPERTIES
    LABELS packaging TIMEOUT 300 FIXTURES_REQUIRED deb_package)

# The AppStream data as a software centre reads it. Only the info that the validator does not
# know the reserved .invalid domain behind the id is let through; anything else fails.
add_test(NAME packaging.appstream
    COMMAND ${QUILLON_APPSTREAMCLI} validate --no-net --pedantic --strict
        --override=cid-maybe-not-rdns=pedantic
        ${quillon_desktop_dir}/${QUILLON_APPSTREAM_ID}.metainfo.xml)
set_tests_properties(packaging.appstream PROPERTIES LABELS packaging TIMEOUT 60)

# The release build, as `make package` configures it, looks for no test tool.
add_test(NAME packaging.release_needs_no_test_tools
    COMMAND ${CMAKE_COMMAND}
        -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
        -D WORK_DIR=${quillon_packaging_work}/release
        -P ${PROJECT_SOURCE_DIR}/packaging/tests/ReleaseConfigureTest.cmake)
set_tests_properties(packaging.release_needs_no_test_tools PROPERTIES LABELS packaging TIMEOUT 120)
