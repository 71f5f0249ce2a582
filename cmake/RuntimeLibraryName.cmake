# The name a shared library is loaded by at run time (its soname, such as
# libtiff.so.6), read off the development link its package installs. For
# libraries the kvd tool opens only when a command needs them.
function(kvd_runtime_library_name out_var library)
    find_library(KVD_${library}_LIBRARY_PATH NAMES ${library} REQUIRED)
    file(REAL_PATH ${KVD_${library}_LIBRARY_PATH} real_path)
    get_filename_component(file_name ${real_path} NAME)
    string(REGEX REPLACE "^(lib[^.]+\\.so\\.[0-9]+).*$" "\\1" soname ${file_name})
    set(${out_var} ${soname} PARENT_SCOPE)
endfunction()
