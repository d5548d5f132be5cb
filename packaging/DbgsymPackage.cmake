# SPDX-License-Identifier: GPL-3.0-or-later
#
# Run by CPack after it made the packages: puts the -dbgsym package in the
# shape Debian's own debug packages have. CPack lists the staging folder's
# absolute paths in its md5sums, leaves the debug files executable and gives it
# no documentation; here its md5sums are made again from the files, the debug
# files become plain data, and /usr/share/doc/quorvia-dbgsym points to the
# documentation of quorvia, on which it depends.

find_program(QUORVIA_DPKG_DEB dpkg-deb REQUIRED)
# CPack runs this before it copies the packages out of its staging folder:
# CPACK_PACKAGE_FILES names them there.
set(ddebs ${CPACK_PACKAGE_FILES})
list(FILTER ddebs INCLUDE REGEX "-dbgsym_[^/]*\\.ddeb$")
if(NOT ddebs)
    message(FATAL_ERROR "No -dbgsym package among: ${CPACK_PACKAGE_FILES}")
endif()
# The same compression as the main package ("gzip", "xz", "zstd" or "none").
set(compression gzip)
if(CPACK_DEBIAN_COMPRESSION_TYPE)
    set(compression ${CPACK_DEBIAN_COMPRESSION_TYPE})
endif()
foreach(ddeb IN LISTS ddebs)
    get_filename_component(name "${ddeb}" NAME)
    string(REGEX REPLACE "_.*" "" package "${name}")
    string(REGEX REPLACE "-dbgsym$" "" main_package "${package}")
    get_filename_component(folder "${ddeb}" DIRECTORY)
    set(tree "${folder}/${package}-tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND ${QUORVIA_DPKG_DEB} --raw-extract "${ddeb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)

    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
    list(SORT files)
    set(md5sums "")
    foreach(file IN LISTS files)
        file(CHMOD "${tree}/${file}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 "${tree}/${file}" sum)
        string(APPEND md5sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")

    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK "${main_package}" "${tree}/usr/share/doc/${package}" SYMBOLIC)

    # What was added here gets the time of everything else in the package.
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        execute_process(COMMAND find "${tree}" -exec touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH} {} +
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()

    file(REMOVE "${ddeb}")
    execute_process(COMMAND ${QUORVIA_DPKG_DEB} --root-owner-group -Z${compression} --build "${tree}" "${ddeb}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
