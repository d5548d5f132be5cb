# Shipping Quorvia as a Debian package: manual pages made from the programs'
# own --help, the documents Debian wants beside every package, and CPack's
# settings. `cpack -G DEB` in the build folder (or scripts/package.sh) makes the
# .deb.

set(QUORVIA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUORVIA_GENERATED_DOC_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QUORVIA_GENERATED_DOC_DIR})
find_program(QUORVIA_GZIP gzip REQUIRED)
find_program(QUORVIA_HELP2MAN help2man)

# Debian wants documents gzip-compressed at the highest level and without a time
# stamp, so that the same sources always give the same package.
function(quorvia_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${QUORVIA_GZIP} -9 -n -c ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()

# The manual pages are made from each program's --help at build time, so they
# always list the commands and options that program has. What --help does not
# say (exit status, files, examples) comes from an include file beside this one.
set(QUORVIA_MAN_PAGES "")
if(QUORVIA_HELP2MAN)
    foreach(program quorvia quorvia-cli)
        set(page ${QUORVIA_GENERATED_DOC_DIR}/${program}.1)
        set(include ${QUORVIA_PACKAGING_DIR}/${program}.h2m)
        add_custom_command(OUTPUT ${page}
            COMMAND ${QUORVIA_HELP2MAN} --no-info --section=1
                    --version-string=${PROJECT_VERSION} --include=${include}
                    --output=${page} $<TARGET_FILE:${program}>
            DEPENDS ${program} ${include}
            COMMENT "Making the manual page ${program}(1)"
            VERBATIM)
        quorvia_gzip(${page} ${page}.gz)
        list(APPEND QUORVIA_MAN_PAGES ${page}.gz)
    endforeach()
else()
    message(WARNING "help2man was not found: no manual pages are made (scripts/install-deps.sh installs it).")
endif()

quorvia_gzip(${QUORVIA_PACKAGING_DIR}/changelog ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz)
add_custom_target(quorvia_docs ALL DEPENDS ${QUORVIA_MAN_PAGES} ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz)

install(FILES ${QUORVIA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVIA_PACKAGING_DIR}/copyright ${QUORVIA_GENERATED_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvia)

# The package.
set(QUORVIA_MAINTAINER "Quorvia developers <quorvia@example.org>" CACHE STRING
    "Maintainer named in the Debian package")
set(CPACK_PACKAGE_NAME quorvia)
set(CPACK_PACKAGE_VENDOR "Quorvia developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUORVIA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "divide a pool of people into groups that suit each other")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvia keeps a pool of people, each with a profile of traits: their own,\n"
    "the ones they work well with and the ones they do not. Tick people, ask\n"
    "for a number of groups or a number of people per group, and Quorvia chains\n"
    "them by compatibility and deals them into groups that can be printed or\n"
    "exported.\n"
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
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_GENERATOR DEB)
include(CPack)
