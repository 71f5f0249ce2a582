# Brings kvd.dll of the win64 preset up to date for the add-on zip:
# configures the preset's build folder when it has never been, then builds
# only the library there.
# usage: cmake -DSOURCE_DIR=... -DBUILD_DIR=... -P BuildWindowsLibrary.cmake
if(NOT EXISTS ${BUILD_DIR}/CMakeCache.txt)
    execute_process(COMMAND ${CMAKE_COMMAND} --preset win64
        WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE configured)
    if(NOT configured EQUAL 0)
        message(FATAL_ERROR "cannot configure the win64 preset for kvd.dll")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target kvd_shared --parallel 2
    RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "cannot build kvd.dll in ${BUILD_DIR}")
endif()
