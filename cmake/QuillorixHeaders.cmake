# A library publishes only its own headers: its include folder holds one entry,
# <name> leading to src/<name>, so that "<name>/Header.h" is all that resolves
# through it. Code that includes a header of a library it does not link does
# not compile.
function(quillorix_headers target name)
    set(dir ${CMAKE_BINARY_DIR}/include/${name})
    set(leads_to "")
    if(IS_SYMLINK ${dir}/${name})
        file(READ_SYMLINK ${dir}/${name} leads_to)
    endif()
    if(NOT leads_to STREQUAL "${PROJECT_SOURCE_DIR}/src/${name}")
        file(MAKE_DIRECTORY ${dir})
        file(REMOVE ${dir}/${name})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${dir}/${name} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${dir})
endfunction()
