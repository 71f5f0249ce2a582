# The library's own sources and the parts of the tool's layers it adds to
# the reader and writer: for the library itself, and for the fuzz target,
# which builds them into itself beside the import core.
set(kvd_library_own_sources
    ${CMAKE_SOURCE_DIR}/library/ApiResult.cpp
    ${CMAKE_SOURCE_DIR}/library/BuildApi.cpp
    ${CMAKE_SOURCE_DIR}/library/FileOutput.cpp
    ${CMAKE_SOURCE_DIR}/library/GetterApi.cpp
    ${CMAKE_SOURCE_DIR}/library/ItemViews.cpp
    ${CMAKE_SOURCE_DIR}/library/LibraryInfo.cpp
    ${CMAKE_SOURCE_DIR}/library/LoadApi.cpp
    ${CMAKE_SOURCE_DIR}/library/SceneLoader.cpp
    ${CMAKE_SOURCE_DIR}/library/SceneSaving.cpp
    # The tool's import run (memory, files, no progress shown).
    ${CMAKE_SOURCE_DIR}/tools/scene/SceneImport.cpp
    ${CMAKE_SOURCE_DIR}/tools/scene/ImportProgress.cpp
    ${CMAKE_SOURCE_DIR}/tools/scene/ProgressBar.cpp)
