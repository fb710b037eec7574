# quillorix_add_test(<name> SOURCES <files...> LIBS <libs...>)
# One test binary per module; ctest runs each binary as one test. The binaries go
# to QX_TEST_OUTPUT_DIR (by default the build's tests folder).
function(quillorix_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock quillorix_warnings)
    target_compile_definitions(${name} PRIVATE
        QX_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
        QX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        QX_BIN_DIR="${QUILLORIX_BIN_DIR}")
    if(NOT QX_TEST_OUTPUT_DIR)
        set(QX_TEST_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tests)
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QX_TEST_OUTPUT_DIR})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
