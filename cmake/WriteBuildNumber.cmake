# Writes buildNumber.xml: the shell's version and the number of commits the
# build was made from (0 outside a git checkout). Run at build time:
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P WriteBuildNumber.cmake
set(commits 0)
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
        WORKING_DIRECTORY ${SOURCE_DIR}
        OUTPUT_VARIABLE counted OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE result ERROR_QUIET)
    if(result EQUAL 0 AND counted MATCHES "^[0-9]+$")
        set(commits ${counted})
    endif()
endif()
set(text "<?xml version=\"1.0\" ?>\n<VersionNumber version=\"1.0.0.${commits}\"/>\n")
# Rewritten only when it changes, so the bundle is not touched every build.
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${OUTPUT} "${text}")
endif()
