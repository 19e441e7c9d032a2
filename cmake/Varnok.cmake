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
# the SUBDIRS it names.
function(varnok_test name)
    cmake_parse_arguments(ARG "" "" "LIBS;SUBDIRS" ${ARGN})
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
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "VARNOK_TEST_DATA_DIR=${CMAKE_CURRENT_SOURCE_DIR}/data")
endfunction()
