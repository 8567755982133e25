# The KDE thumbnail plugin (kde/) is a Qt 5 project beside Plavik's Qt 6 build: configured here into
# <build>/kde, built with every build, installed by "cmake --install" (component "kde") and tested by
# ctest. AUTO builds it where KDE Frameworks 5 is installed (extra-cmake-modules, libkf5kio-dev,
# qtbase5-dev) and leaves it out elsewhere.
include(GNUInstallDirs)

set(PLAVIK_KDE_THUMBNAILER AUTO CACHE STRING "Build the KDE thumbnail plugin: AUTO (where KDE Frameworks 5 is found), ON or OFF")
set_property(CACHE PLAVIK_KDE_THUMBNAILER PROPERTY STRINGS AUTO ON OFF)
set(PLAVIK_KDE_BINARY_DIR ${CMAKE_BINARY_DIR}/kde)
set(PLAVIK_KDE_BUILT OFF)

if(NOT PLAVIK_KDE_THUMBNAILER STREQUAL "OFF")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR} -B ${PLAVIK_KDE_BINARY_DIR} -G ${CMAKE_GENERATOR}
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
            -DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX}
            -DPLAVIK_BINDIR=${CMAKE_INSTALL_BINDIR}
            -DPLAVIK_WERROR=${PLAVIK_WERROR}
            -DPLAVIK_BUILD_TESTS=${PLAVIK_BUILD_TESTS}
        RESULT_VARIABLE kde_result
        OUTPUT_VARIABLE kde_output
        ERROR_VARIABLE kde_output)
    if(kde_result EQUAL 0)
        set(PLAVIK_KDE_BUILT ON)
        message(STATUS "KDE thumbnail plugin: built in ${PLAVIK_KDE_BINARY_DIR}")
    elseif(PLAVIK_KDE_THUMBNAILER STREQUAL "ON")
        message(FATAL_ERROR "KDE thumbnail plugin cannot be configured:\n${kde_output}")
    else()
        message(STATUS "KDE thumbnail plugin: left out (needs extra-cmake-modules, libkf5kio-dev and qtbase5-dev)")
    endif()
endif()

if(PLAVIK_KDE_BUILT)
    # The plugin's own build decides what is out of date; this only runs it.
    add_custom_target(plavik_kde_thumbnailer ALL
        COMMAND ${CMAKE_COMMAND} --build ${PLAVIK_KDE_BINARY_DIR} --parallel 1
        COMMENT "Building the KDE thumbnail plugin"
        USES_TERMINAL)
    # Into the prefix, strip and DESTDIR of this installation.
    install(CODE "
        set(kde_install \"${CMAKE_COMMAND}\" --install \"${PLAVIK_KDE_BINARY_DIR}\" --prefix \"\${CMAKE_INSTALL_PREFIX}\")
        if(CMAKE_INSTALL_DO_STRIP)
            list(APPEND kde_install --strip)
        endif()
        execute_process(COMMAND \${kde_install} RESULT_VARIABLE kde_result)
        if(NOT kde_result EQUAL 0)
            message(FATAL_ERROR \"The KDE thumbnail plugin could not be installed\")
        endif()
    " COMPONENT kde)
endif()

if(PLAVIK_BUILD_TESTS)
    # The plugin loaded as the file manager's thumbnail worker loads it, installed beside plavik-render
    # and found on PATH. Without the plugin the test is listed as not run.
    add_test(NAME kde.thumbnailer COMMAND ${PLAVIK_KDE_BINARY_DIR}/test_kde_thumbnailer
        $<TARGET_FILE:plavik-render> ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_SOURCE_DIR})
    set_tests_properties(kde.thumbnailer PROPERTIES TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC")
    if(NOT PLAVIK_KDE_BUILT)
        set_tests_properties(kde.thumbnailer PROPERTIES DISABLED TRUE)
    endif()
endif()

plavik_format_sources(kde/renderprogram.cpp kde/renderprogram.h kde/thumbnailcreator.cpp kde/thumbnailcreator.h
    kde/tests/test_thumbnailcreator.cpp)
