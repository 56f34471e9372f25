# Run by CPack once it has made the packages: puts the package of debug symbols right, as
# Debian's own tools make one. CPack lists the files in its md5sums by the absolute paths of
# its staging directory, and gives it no documentation directory; here the list gets the
# package's own paths, and the documentation directory becomes the link to the main package's
# that Debian's debug packages have (they depend on that exact version).
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    string(REGEX REPLACE "_([^_/]+)_([^_/]+)\\.deb$" "-dbgsym_\\1_\\2.ddeb" ddeb "${deb}")
    if(NOT ddeb MATCHES "\\.ddeb$" OR NOT EXISTS "${ddeb}")
        continue()
    endif()
    set(tree "${ddeb}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb -R "${ddeb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${tree}/DEBIAN/md5sums" sums)
    string(REGEX REPLACE "  [^\n]*/usr/lib/debug/" "  usr/lib/debug/" sums "${sums}")
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    file(MAKE_DIRECTORY "${tree}/usr/share/doc")
    file(CREATE_LINK ${CPACK_PACKAGE_NAME} "${tree}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym"
        SYMBOLIC)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b "${tree}" "${ddeb}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
endforeach()
