# Helpers shared by every folder's CMakeLists.

# One static library per source folder. The folder's .cpp files (and those in
# its internal/ subfolder and in the SUBDIRS it names) are picked up so that
# adding a file needs no edit here; the repository root is the include root.
function(varnok_library name)
    cmake_parse_arguments(ARG "" "" "LIBS;PRIVATE_LIBS;SUBDIRS" ${ARGN})
    set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/internal/*.cpp)
    foreach(dir ${ARG_SUBDIRS})
        list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    set_property(GLOBAL APPEND PROPERTY VARNOK_LIBRARIES ${name})
endfunction()

# Every library made so far, for programs that may touch any of them
# (benchmarks, fuzz targets, tools).
function(varnok_all_libraries out)
    get_property(libs GLOBAL PROPERTY VARNOK_LIBRARIES)
    set(${out} ${libs} PARENT_SCOPE)
endfunction()

# One test executable per library: every .cpp in the calling folder and in
# the SUBDIRS it names. PER_TEST runs every test in a process of its own:
# for suites that share one GL context, whose state a test may leave behind.
function(varnok_test name)
    cmake_parse_arguments(ARG "PER_TEST" "" "LIBS;SUBDIRS" ${ARGN})
    set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(dir ${ARG_SUBDIRS})
        list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                          Threads::Threads)
    target_compile_definitions(${name} PRIVATE
        VARNOK_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
    # Test code needs no optimisation, and at -O1 with both sanitizers the
    # assertion-heavy files took about twice as long to compile.
    target_compile_options(${name} PRIVATE -O0)
    if(VARNOK_SANITIZE)
        # The code under test keeps both sanitizers; the test bodies keep
        # AddressSanitizer only. UBSan's checks on the assertion macros' code
        # cost about a quarter of each test file's compile time and guard
        # nothing the libraries' own checks do not.
        target_compile_options(${name} PRIVATE -fno-sanitize=undefined)
    endif()
    if(ARG_PER_TEST)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
            PROPERTIES ENVIRONMENT "VARNOK_TEST_DATA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data")
        return()
    endif()
    # A process per test cost more than the tests themselves (each sanitized
    # executable takes about half a second of CPU just to start), so CTest
    # runs each executable in a few GoogleTest shards: still parallel, and
    # a failure names its test in the shard's output.
    list(LENGTH sources count)
    math(EXPR shards "(${count} + 5) / 6")
    math(EXPR last "${shards} - 1")
    foreach(index RANGE ${last})
        add_test(NAME ${name}.${index} COMMAND ${name} --gtest_brief=1)
        set_tests_properties(${name}.${index} PROPERTIES ENVIRONMENT
            "VARNOK_TEST_DATA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data;GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${index}")
    endforeach()
endfunction()
