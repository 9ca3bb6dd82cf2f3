# gleamkit_install_library(NAME)
# Installs a library target into the export set GleamkitTargets under the
# short name (gleamkit_effects is Gleamkit::effects) and gives the build tree
# the same alias, so a consumer writes the same name either way.
function(gleamkit_install_library name)
    string(REGEX REPLACE "^gleamkit_" "" short ${name})
    set_target_properties(${name} PROPERTIES EXPORT_NAME ${short})
    add_library(Gleamkit::${short} ALIAS ${name})
    install(TARGETS ${name} EXPORT GleamkitTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()

# gleamkit_module(NAME LABEL label DEPS dep...)
# One static library per module folder, built from every .cpp in the folder and
# its non-test subfolders, installed and exported as Gleamkit::<NAME without
# gleamkit_>; the folder's tests/ become NAME_tests, registered with CTest
# under the given label.
function(gleamkit_module name)
    cmake_parse_arguments(ARG "" "LABEL" "DEPS;EXTRA_SOURCES" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/tests/")
    list(FILTER sources EXCLUDE REGEX "/gtk/")
    add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/gleamkit>)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    gleamkit_install_library(${name})

    if(GLEAMKIT_TESTS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests)
        file(GLOB_RECURSE test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
        if(test_sources)
            add_executable(${name}_tests ${test_sources})
            target_link_libraries(${name}_tests PRIVATE ${name} GTest::gtest GTest::gtest_main)
            target_compile_definitions(${name}_tests PRIVATE
                GLEAMKIT_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
            gtest_discover_tests(${name}_tests
                PROPERTIES LABELS "${ARG_LABEL}"
                DISCOVERY_TIMEOUT 60)
        endif()
    endif()
endfunction()
