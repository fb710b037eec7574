# Checks that every library under src/ includes only what it links, links only
# what it includes, and keeps to the system headers of its layer. Run by ctest:
#   cmake -DSOURCE_DIR=<src> -DGRAPH=<file written at configure time> -P CheckLibraryGraph.cmake
# Each fault is reported as file:line and the check fails.
#
# The system headers allowed:
# - the C++ standard library headers below, everywhere;
# - Qt's headers in src/ui only;
# - the processor's vector intrinsics in src/kernels only;
# - every other system header (POSIX, Windows, iconv, X11) in src/platform only.
cmake_minimum_required(VERSION 3.25)

include(${GRAPH})

set(STD_HEADERS
    algorithm any array atomic barrier bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes
    climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal
    cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution
    expected filesystem format forward_list fstream functional future initializer_list iomanip ios iosfwd
    iostream istream iterator latch limits list locale map memory memory_resource mutex new numbers numeric
    optional ostream queue random ranges ratio regex scoped_allocator semaphore set shared_mutex
    source_location span sstream stack stdexcept stop_token streambuf string string_view syncstream
    system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray
    variant vector version)
set(INTRINSIC_HEADERS
    immintrin.h emmintrin.h xmmintrin.h pmmintrin.h tmmintrin.h smmintrin.h nmmintrin.h wmmintrin.h
    x86intrin.h intrin.h arm_neon.h arm_sve.h)

file(GLOB LIBRARIES LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(FILTER LIBRARIES EXCLUDE REGEX "\\.")
set(FAULTS "")
macro(fault where text)
    string(APPEND FAULTS "${where}: ${text}\n")
endmacro()

foreach(lib ${LIBRARIES})
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${lib})
        continue()
    endif()
    set(has_target OFF)
    if(DEFINED LINKS_${lib})
        set(has_target ON)
    endif()
    set(included "")          # libraries whose headers it includes
    set(included_by_header "")  # of those, the ones its own headers include
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${lib}/*.h ${SOURCE_DIR}/${lib}/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${SOURCE_DIR}/${source} lines)
        set(n 0)
        foreach(line IN LISTS lines)
            math(EXPR n "${n} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
                continue()
            endif()
            set(quote "${CMAKE_MATCH_1}")
            set(header "${CMAKE_MATCH_2}")
            set(where "src/${source}:${n}")
            if(quote STREQUAL "\"")
                if(NOT header MATCHES "^([A-Za-z0-9_]+)/")
                    continue()  # beside the including file, or generated
                endif()
                set(other "${CMAKE_MATCH_1}")
                if(other STREQUAL lib OR NOT other IN_LIST LIBRARIES)
                    continue()
                endif()
                list(APPEND included ${other})
                if(source MATCHES "\\.h$")
                    list(APPEND included_by_header ${other})
                endif()
                if(has_target AND NOT qx_${other} IN_LIST LINKS_${lib})
                    fault(${where} "includes \"${header}\" but qx_${lib} does not link qx_${other}")
                elseif(has_target AND source MATCHES "\\.h$" AND NOT qx_${other} IN_LIST PUBLIC_${lib})
                    fault(${where} "a header includes \"${header}\" but qx_${lib} links qx_${other} PRIVATE")
                endif()
                continue()
            endif()
            if(header IN_LIST STD_HEADERS)
                continue()
            endif()
            if(header MATCHES "^Q[A-Za-z0-9]*$" OR header MATCHES "^Qt[A-Za-z]+/")
                if(NOT lib STREQUAL "ui")
                    fault(${where} "includes Qt's <${header}> outside src/ui")
                endif()
                continue()
            endif()
            if(header IN_LIST INTRINSIC_HEADERS)
                if(NOT lib STREQUAL "kernels")
                    fault(${where} "includes <${header}> outside src/kernels")
                endif()
                continue()
            endif()
            if(NOT lib STREQUAL "platform")
                fault(${where} "includes the system header <${header}> outside src/platform")
            endif()
        endforeach()
    endforeach()
    if(NOT has_target)
        continue()
    endif()
    # The other way: every library it links is one it includes.
    foreach(link ${LINKS_${lib}})
        if(NOT link MATCHES "^qx_(.+)$" OR NOT CMAKE_MATCH_1 IN_LIST LIBRARIES)
            continue()
        endif()
        set(other "${CMAKE_MATCH_1}")
        if(NOT other IN_LIST included)
            fault("src/${lib}/CMakeLists.txt" "qx_${lib} links qx_${other} but includes none of its headers")
        elseif(qx_${other} IN_LIST PUBLIC_${lib} AND NOT other IN_LIST included_by_header)
            fault("src/${lib}/CMakeLists.txt"
                  "qx_${lib} links qx_${other} PUBLIC but none of its headers includes one of qx_${other}")
        endif()
    endforeach()
endforeach()

if(FAULTS)
    message(FATAL_ERROR "The library graph does not hold:\n${FAULTS}")
endif()
list(LENGTH LIBRARIES count)
message(STATUS "The includes of the ${count} libraries under src/ match their link lists and layers")
