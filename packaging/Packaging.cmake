# SPDX-License-Identifier: GPL-3.0-or-later
#
# Shipping Quorvia as a Debian package: the manual pages, the icons in every
# size a desktop asks for, the documents Debian wants beside every package,
# and CPack's settings. `cpack -G DEB` in the build folder makes the .deb and
# its -dbgsym package; scripts/package.sh does it with Debian's build flags.

set(QUORVIA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUORVIA_GENERATED_DOC_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QUORVIA_GENERATED_DOC_DIR})
find_program(QUORVIA_GZIP gzip REQUIRED)
find_program(QUORVIA_RSVG_CONVERT rsvg-convert)

set(QUORVIA_MAINTAINER "Quorvia developers <quorvia@example.org>" CACHE STRING
    "Maintainer named in the Debian package and its copyright file")
set(QUORVIA_BUGS_URL ${QUORVIA_REPOSITORY_URL}/issues)

# Debian wants documents gzip-compressed at the highest level and without a time
# stamp, so that the same sources always give the same package.
function(quorvia_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${QUORVIA_GZIP} -9 -n -c ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# The manual pages are written by hand; only the address for bug reports is
# filled in, so that it follows the repository's address.
set(QUORVIA_MAN_PAGES "")
foreach(program quorvia quorvia-cli)
    set(page ${QUORVIA_GENERATED_DOC_DIR}/${program}.1)
    configure_file(${QUORVIA_PACKAGING_DIR}/${program}.1.in ${page} @ONLY)
    quorvia_gzip(${page} ${page}.gz)
    list(APPEND QUORVIA_MAN_PAGES ${page}.gz)
endforeach()

configure_file(${QUORVIA_PACKAGING_DIR}/copyright.in ${QUORVIA_GENERATED_DOC_DIR}/copyright @ONLY)
quorvia_gzip(${QUORVIA_PACKAGING_DIR}/changelog ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz)

# Icons: menus and file managers look for a bitmap in the size they draw; the
# bitmaps are rendered from the one drawing at build time.
set(QUORVIA_ICON_SIZES 16 32 48 64 128 256)
set(QUORVIA_ICONS "")
if(QUORVIA_RSVG_CONVERT)
    foreach(size IN LISTS QUORVIA_ICON_SIZES)
        set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/quorvia.png)
        add_custom_command(OUTPUT ${icon}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${QUORVIA_RSVG_CONVERT} --width=${size} --height=${size} --format=png
                    --output=${icon} ${PROJECT_SOURCE_DIR}/data/quorvia.svg
            DEPENDS ${PROJECT_SOURCE_DIR}/data/quorvia.svg
            VERBATIM)
        list(APPEND QUORVIA_ICONS ${icon})
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert was not found: only the scalable icon is installed "
                    "(scripts/install-deps.sh installs librsvg2-bin).")
endif()

add_custom_target(quorvia_docs ALL DEPENDS
    ${QUORVIA_MAN_PAGES} ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz ${QUORVIA_ICONS})

install(FILES ${QUORVIA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVIA_GENERATED_DOC_DIR}/copyright ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvia)

# The package.
set(CPACK_PACKAGE_NAME quorvia)
set(CPACK_PACKAGE_VENDOR "Quorvia developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUORVIA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUORVIA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "divide a pool of people into groups that suit each other")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvia keeps a pool of people, each with a profile of traits: their own,\n"
    "the ones they work well with and the ones they do not. Tick people, ask\n"
    "for a number of groups or a number of people per group, and Quorvia deals\n"
    "them into groups of people who suit each other.\n"
    "\n"
    "Improve then raises the groups' score while meeting the user's rules\n"
    "(keep people apart or together, spread a trait, mix positions) and\n"
    "avoiding partners from earlier rounds. Arrange Groups moves and swaps\n"
    "people by hand, with undo and pins. People come in from spreadsheets\n"
    "(CSV), and groups are printed or exported as text or CSV.\n"
    "\n"
    "The package holds the desktop program, the command-line tool quorvia-cli\n"
    "for the same pool files, and the user help.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${QUORVIA_REPOSITORY_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Installing through DESTDIR (the .deb generator does so by default too) tells
# the install rules that this is a staging install, so they leave the desktop
# databases to the triggers of shared-mime-info and desktop-file-utils.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps); the
# window also needs a Qt platform plugin, which no library links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The debug symbols go to quorvia-dbgsym (found by build ID); the programs in
# the main package are stripped by that split, so CPack must not strip first.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_STRIP_FILES OFF)
set(CPACK_POST_BUILD_SCRIPTS ${QUORVIA_PACKAGING_DIR}/DbgsymPackage.cmake)
# gzip keeps a plain `cpack` quick; scripts/package.sh asks for xz, as Debian's
# own packages are compressed.
if(NOT CPACK_DEBIAN_COMPRESSION_TYPE)
    set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_GENERATOR DEB)
include(CPack)
