# Installs a file gzip-compressed the way Debian keeps manual pages and changelogs: at the
# highest compression, with no name or time stamp in the header, so every build gives the same
# bytes. The file is compressed at build time into name.gz beside the folder's other outputs.
function(xt4830_install_gzipped source name destination)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${source} ${output}
        DEPENDS ${source} VERBATIM)
    add_custom_target(gzip_${name} ALL DEPENDS ${output})
    install(FILES ${output} DESTINATION ${destination})
endfunction()
