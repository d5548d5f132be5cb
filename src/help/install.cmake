# SPDX-License-Identifier: GPL-3.0-or-later
# The help document, and the program's place on the desktop: a menu entry, the
# MIME type of pool files (*.Qvr) so that the file manager opens them with
# Quorvia, the icon, and the software centre's metadata.

set(QUORVIA_HELP_FILE ${CMAKE_CURRENT_LIST_DIR}/Quorvia.html)
set(QUORVIA_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

# A built program finds its help beside it, as an installed one finds it in
# its data folder; the window looks in both places.
add_custom_target(quorvia_help ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUORVIA_HELP_FILE} $<TARGET_FILE_DIR:quorvia>/Quorvia.html
    DEPENDS ${QUORVIA_HELP_FILE}
    COMMENT "Copying the help beside the program"
    VERBATIM)
add_dependencies(quorvia quorvia_help)

file(RELATIVE_PATH QUORVIA_HELP_RELATIVE_DIR
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/quorvia)
target_compile_definitions(quorvia_ui PRIVATE QUORVIA_HELP_RELATIVE_DIR="${QUORVIA_HELP_RELATIVE_DIR}")

install(FILES ${QUORVIA_HELP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvia)
install(FILES ${QUORVIA_DATA_DIR}/quorvia.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVIA_DATA_DIR}/quorvia.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${QUORVIA_DATA_DIR}/quorvia.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The software centre's description of the program. Its screenshot is the
# picture the repository publishes beside the README.
set(QUORVIA_SCREENSHOT_URL ${QUORVIA_REPOSITORY_URL}/raw/main/docs/screenshot.png)
set(QUORVIA_METAINFO ${CMAKE_BINARY_DIR}/data/io.github.quorvia.quorvia.metainfo.xml)
configure_file(${QUORVIA_DATA_DIR}/io.github.quorvia.quorvia.metainfo.xml.in ${QUORVIA_METAINFO} @ONLY)
install(FILES ${QUORVIA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Let the desktop know at once. Packagers (DESTDIR set) leave this to the
# package's own triggers; a missing tool is not an error.
set(QUORVIA_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR})
string(CONFIGURE [[
    if("$ENV{DESTDIR}" STREQUAL "")
        set(datadir "@QUORVIA_INSTALL_DATADIR@")
        if(NOT IS_ABSOLUTE "${datadir}")
            set(datadir "${CMAKE_INSTALL_PREFIX}/${datadir}")
        endif()
        find_program(quorvia_update_mime update-mime-database)
        if(quorvia_update_mime)
            execute_process(COMMAND "${quorvia_update_mime}" "${datadir}/mime" OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(quorvia_update_desktop update-desktop-database)
        if(quorvia_update_desktop)
            execute_process(COMMAND "${quorvia_update_desktop}" "${datadir}/applications" OUTPUT_QUIET ERROR_QUIET)
        endif()
    endif()
]] QUORVIA_DESKTOP_UPDATE @ONLY)
install(CODE "${QUORVIA_DESKTOP_UPDATE}")
