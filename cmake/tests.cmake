# tolvy_add_test(<name>): the QtTest program tests/<name>.cpp on the shared fixture, registered
# with CTest to run headless.
function(tolvy_add_test name)
    qt_add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE tolvy_testsupport)
    if(TOLVY_PCH)
        target_precompile_headers(${name} REUSE_FROM tolvy_testsupport)
        # Each test includes its own moc output; the generated collection is empty and would
        # spend longer loading the headers than compiling.
        set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/mocs_compilation.cpp
            TARGET_DIRECTORY ${name} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TOLVY_EXECUTABLE=$<TARGET_FILE:tolvy-sarnavel>"
        TIMEOUT 120)
endfunction()
