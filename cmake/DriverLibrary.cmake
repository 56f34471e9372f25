# One driver library of the program's ABI: only the ABI's symbols (and any the sources mark)
# are exported, and -Bsymbolic keeps each library's calls on its own copy of the board even
# when both variants are loaded into one process.
function(xt4830_driver_library target output_name dir)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_library(${target} SHARED ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES})
    target_link_options(${target} PRIVATE -Wl,-Bsymbolic -Wl,--no-undefined)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${output_name}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY ${dir})
endfunction()
