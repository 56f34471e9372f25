# One library per source folder. Its headers are included with their folder
# ("board/Declare.h") through an include root of the library's own that holds nothing but a
# link to that folder, so code sees exactly the folders of the libraries it links and an
# include the wrong way up the layers does not compile.
function(xt4830_folder_include_root target folder scope)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} ${scope} ${root})
endfunction()

function(xt4830_folder_library target folder)
    add_library(${target} STATIC ${ARGN})
    xt4830_folder_include_root(${target} ${folder} PUBLIC)
endfunction()

# A folder of headers only.
function(xt4830_interface_library target folder)
    add_library(${target} INTERFACE)
    xt4830_folder_include_root(${target} ${folder} INTERFACE)
endfunction()
