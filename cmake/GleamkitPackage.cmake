# What `cmake --install` puts under the prefix besides the libraries and
# gleamfx: the public headers (include/gleamkit/<module>/), the CMake package
# (find_package(Gleamkit) gives Gleamkit::base, ::platform, ::bitmap,
# ::effects, ::winkit), a pkg-config file (gleamkit.pc) and the desktop
# program when the tree builds it.
include(CMakePackageConfigHelpers)

set(GLEAMKIT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Gleamkit)

install(DIRECTORY base platform bitmap effects winkit
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/gleamkit
        FILES_MATCHING PATTERN "*.h"
        PATTERN tests EXCLUDE
        PATTERN gtk EXCLUDE)

install(EXPORT GleamkitTargets NAMESPACE Gleamkit:: DESTINATION ${GLEAMKIT_CMAKE_DIR})
configure_package_config_file(packaging/GleamkitConfig.cmake.in
    ${PROJECT_BINARY_DIR}/GleamkitConfig.cmake INSTALL_DESTINATION ${GLEAMKIT_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/GleamkitConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/GleamkitConfig.cmake
              ${PROJECT_BINARY_DIR}/GleamkitConfigVersion.cmake
        DESTINATION ${GLEAMKIT_CMAKE_DIR})

# The prefix is worked out from where the .pc file lies, so an install under
# any --prefix (or a moved tree) stays usable.
file(RELATIVE_PATH GLEAMKIT_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(packaging/gleamkit.pc.in ${PROJECT_BINARY_DIR}/gleamkit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/gleamkit.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The desktop program "Test Gleamkit" (target test_gleamkit), looked for once
# every folder has been read, wherever its folder is added.
function(gleamkit_install_program)
    if(TARGET test_gleamkit)
        install(TARGETS test_gleamkit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL gleamkit_install_program)
