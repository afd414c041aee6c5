# Shared build rules of the subsystem libraries, their tests and benchmarks.

set(KORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

if(KORVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(KORVANE_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# korvane_library(<name> [QT <components>...] [DEPS <targets>...] [EXCLUDE <regex>])
# A static library of every .cpp/.h in the calling folder and its sub-folders.
# Includes are written from the source root: #include "support/TelegraphCode.h".
function(korvane_library name)
    cmake_parse_arguments(ARG "" "EXCLUDE" "QT;DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
    endif()
    if(NOT sources)
        message(STATUS "${name}: no sources yet")
        return()
    endif()
    add_library(${name} STATIC ${sources})
    set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${KORVANE_WARNINGS})
    set(qtlibs Qt6::Core)
    foreach(c IN LISTS ARG_QT)
        find_package(Qt6 REQUIRED COMPONENTS ${c})
        list(APPEND qtlibs Qt6::${c})
    endforeach()
    target_link_libraries(${name} PUBLIC ${qtlibs} ${ARG_DEPS} Threads::Threads)
endfunction()

# korvane_test(<name> [OWN_MAIN] [QT <components>...] [DEPS <targets>...])
# One GoogleTest program of every .cpp in the calling folder; each test is a CTest case.
# The program runs in a QCoreApplication (tests/fakes/TestMain.cpp) unless OWN_MAIN.
function(korvane_test name)
    cmake_parse_arguments(ARG "OWN_MAIN" "" "QT;DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(NOT sources)
        message(STATUS "${name}: no tests yet")
        return()
    endif()
    foreach(dep IN LISTS ARG_DEPS)
        if(NOT TARGET ${dep})
            message(STATUS "${name}: library ${dep} has no sources yet")
            return()
        endif()
    endforeach()
    add_executable(${name} ${sources})
    target_compile_options(${name} PRIVATE ${KORVANE_WARNINGS})
    set(qtlibs Qt6::Core)
    foreach(c IN LISTS ARG_QT)
        find_package(Qt6 REQUIRED COMPONENTS ${c})
        list(APPEND qtlibs Qt6::${c})
    endforeach()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} testfakes ${qtlibs} GTest::gtest GTest::gmock)
    if(NOT ARG_OWN_MAIN)
        target_link_libraries(${name} PRIVATE testmain)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
                   TIMEOUT 300)
endfunction()
