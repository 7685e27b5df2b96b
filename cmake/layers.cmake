# The program's layers, each a static library that links only the layers below it.

# The program's own code runs for microseconds between Qt's calls; optimized for size, it is a
# third smaller, and the start brings that much less of it into memory.
function(tolvy_optimize_for_size target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE "$<$<CONFIG:Release>:-Os>")
    endif()
endfunction()

# Hardened as the distribution builds its own packages; the checked builds stay as they are.
function(tolvy_harden target)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" OR WIN32)
        return()
    endif()
    target_compile_options(${target} PRIVATE
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-fstack-protector-strong;-D_FORTIFY_SOURCE=2>")
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_link_options(${target} PRIVATE "LINKER:-z,relro" "LINKER:-z,now")
    endif()
endfunction()

# tolvy_add_layer(<folder> <libraries below it>...): the folder's code as the static library
# tolvy_<folder>. Its headers are found as "<folder>/x.h" only by what links it, through one
# forwarding header each in the build folder: a file that includes from a layer above its own
# does not build. The folder's CMakeLists.txt lists the sources, then calls
# tolvy_publish_headers(<folder>).
function(tolvy_add_layer layer)
    add_library(tolvy_${layer} STATIC)
    target_link_libraries(tolvy_${layer} PUBLIC ${ARGN} tolvy_options PRIVATE tolvy_code)
    target_include_directories(tolvy_${layer} PUBLIC ${CMAKE_BINARY_DIR}/layers/${layer})
    if(TOLVY_PCH AND NOT layer STREQUAL "platform")
        # One precompiled header for every layer with widgets; their flags are the same.
        if(layer STREQUAL "ui")
            target_precompile_headers(tolvy_ui PRIVATE ${tolvy_pch_headers})
        else()
            target_precompile_headers(tolvy_${layer} REUSE_FROM tolvy_ui)
        endif()
    endif()
    tolvy_harden(tolvy_${layer})
    tolvy_optimize_for_size(tolvy_${layer})
endfunction()

# tolvy_publish_headers(<folder>): the forwarding headers of the layer's headers.
function(tolvy_publish_headers layer)
    get_target_property(sources tolvy_${layer} SOURCES)
    foreach(source IN LISTS sources)
        if(source MATCHES "[.]h$")
            file(RELATIVE_PATH path ${CMAKE_SOURCE_DIR} ${source})
            set(forward ${CMAKE_BINARY_DIR}/layers/${layer}/${path})
            # Relative, so that two clones' forwarding headers are the same text and the
            # compiler cache serves one from the other's work.
            get_filename_component(folder ${forward} DIRECTORY)
            file(RELATIVE_PATH target ${folder} ${source})
            file(CONFIGURE OUTPUT ${forward} CONTENT "#pragma once\n#include \"${target}\"\n" @ONLY)
        endif()
    endforeach()
endfunction()
