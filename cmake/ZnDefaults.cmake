# Compiler settings shared by every target of the project.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(ZN_WERROR)
    add_compile_options(-Werror)
endif()

if(ZN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "ZN_FUZZ needs clang (libFuzzer)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# A plain C++ library: no Qt include may reach it.
function(zn_add_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
endfunction()

# A QtTest program registered with CTest, run on the offscreen platform.
function(zn_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A test that sends datagrams: run inside a private network namespace made by
# the harness, skipped (exit 77) where no namespace can be made.
# SEGMENTS is the number of simulated device segments joined to the tool.
function(zn_add_net_test name)
    cmake_parse_arguments(ARG "" "SEGMENTS" "COMMAND" ${ARGN})
    if(NOT ARG_SEGMENTS)
        set(ARG_SEGMENTS 1)
    endif()
    add_test(NAME ${name}
             COMMAND ${PROJECT_SOURCE_DIR}/tools/netns/znnet-run --segments ${ARG_SEGMENTS} -- ${ARG_COMMAND})
    set_tests_properties(${name} PROPERTIES
        SKIP_RETURN_CODE 77
        RUN_SERIAL TRUE
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZNSIM=${PROJECT_BINARY_DIR}/tools/znsim/znsim;ZNSCAN_CLI=${PROJECT_BINARY_DIR}/tools/znscan-cli/znscan-cli;ZNNET_EXEC=${PROJECT_SOURCE_DIR}/tools/netns/znnet-exec")
endfunction()

# A fuzz target: a libFuzzer binary under ZN_FUZZ, otherwise a replay program
# that runs the committed seed corpus as a regression test.
function(zn_add_fuzzer name source)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    if(ZN_FUZZ)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        if(NOT TARGET fuzzers)
            add_custom_target(fuzzers)
        endif()
        add_dependencies(fuzzers ${name})
    else()
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
        set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
        if(ZN_BUILD_TESTS AND EXISTS ${corpus})
            add_test(NAME ${name}_corpus COMMAND ${name} ${corpus})
        endif()
    endif()
endfunction()
