# zerna_msabi.exe: the stand-in host as a host built by Microsoft's compiler
# looks to the plug-in. Its entry point, Point3d members and GB_ functions
# are compiled by clang for the Microsoft target and linked by lld-link with
# no runtime; they hand everything on to zerna_trace.dll, the MinGW-built
# program and trace. zerna_msabi_lacking_endsurface.exe is the same host
# without GB_EndSurface, zerna_msabi_without_point3d.exe without any Point3d
# member.
find_program(KVD_CLANGXX NAMES clang++ clang++-14)
find_program(KVD_LLD_LINK NAMES lld-link lld-link-14)
if(NOT KVD_CLANGXX OR NOT KVD_LLD_LINK)
    message(WARNING "clang++ or lld-link not found: no Microsoft-ABI stand-in host")
    return()
endif()

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(msabi_target i686-pc-windows-msvc)
    # MinGW's import libraries carry no safe exception handler tables.
    set(msabi_link_options /machine:x86 /safeseh:no)
else()
    set(msabi_target x86_64-pc-windows-msvc)
    set(msabi_link_options /machine:x64)
endif()
# MinGW's import library of the system's kernel32.dll, for ExitProcess.
find_library(mingw_kernel32 NAMES kernel32 REQUIRED)

add_library(zerna_trace SHARED
    zerna/StandInLibrary.cpp
    zerna/ZernaProgram.cpp
    zerna/WindowsPluginModule.cpp
    standin/SceneHost.cpp
    standin/TraceHost.cpp
    standin/TraceText.cpp
    ${CMAKE_SOURCE_DIR}/base/GbkText.cpp)
target_include_directories(zerna_trace PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(zerna_trace PRIVATE ZERNA_BUILDING_HOST)
target_link_libraries(zerna_trace PRIVATE cli11_headers shell32)
set_target_properties(zerna_trace PROPERTIES PREFIX "")

set(msabi_compile_options --target=${msabi_target} -std=c++20 -O2 -g0
    -ffreestanding -fno-exceptions -fno-rtti
    -Wall -Wextra -Wpedantic -Werror -I${CMAKE_SOURCE_DIR})
set(msabi_dir ${CMAKE_CURRENT_BINARY_DIR}/msabi)
file(MAKE_DIRECTORY ${msabi_dir})

# msabi_object(OBJECT SOURCE [DEFINITIONS...])
function(msabi_object object source)
    set(definitions)
    foreach(definition IN LISTS ARGN)
        list(APPEND definitions -D${definition})
    endforeach()
    add_custom_command(OUTPUT ${msabi_dir}/${object}
        COMMAND ${KVD_CLANGXX} ${msabi_compile_options} ${definitions}
            -MD -MF ${msabi_dir}/${object}.d -c ${source} -o ${msabi_dir}/${object}
        DEPENDS ${source}
        DEPFILE ${msabi_dir}/${object}.d
        COMMENT "Compiling ${object} in Microsoft's C++ ABI"
        VERBATIM)
endfunction()

msabi_object(Point3d.obj ${CMAKE_CURRENT_SOURCE_DIR}/standin/Point3d.cpp ZERNA_BUILDING_HOST)
msabi_object(MicrosoftAbiHost.obj ${CMAKE_CURRENT_SOURCE_DIR}/zerna/MicrosoftAbiHost.cpp)
msabi_object(MicrosoftAbiHostLackingEndSurface.obj ${CMAKE_CURRENT_SOURCE_DIR}/zerna/MicrosoftAbiHost.cpp
    STAND_IN_LACKS_GB_ENDSURFACE)

# msabi_host(EXE_NAME HOST_OBJECT [POINT_OBJECT])
function(msabi_host name host_object)
    set(exe ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}.exe)
    set(objects ${msabi_dir}/${host_object})
    foreach(object IN LISTS ARGN)
        list(APPEND objects ${msabi_dir}/${object})
    endforeach()
    add_custom_command(OUTPUT ${exe}
        COMMAND ${KVD_LLD_LINK} /nologo /nodefaultlib /entry:HostStart /subsystem:console
            ${msabi_link_options} /out:${exe} /implib:${msabi_dir}/${name}.lib
            ${objects} $<TARGET_LINKER_FILE:zerna_trace> ${mingw_kernel32}
        DEPENDS ${objects} zerna_trace
        COMMENT "Linking ${name}.exe with lld-link"
        VERBATIM)
    add_custom_target(${name} ALL DEPENDS ${exe})
    add_dependencies(${name} QUENDARIL)
endfunction()

msabi_host(zerna_msabi MicrosoftAbiHost.obj Point3d.obj)
msabi_host(zerna_msabi_lacking_endsurface MicrosoftAbiHostLackingEndSurface.obj Point3d.obj)
msabi_host(zerna_msabi_without_point3d MicrosoftAbiHost.obj)
