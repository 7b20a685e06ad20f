# Installs the build into a fresh prefix and checks that a desktop finds the application there:
# the programs, the bundle file, the launcher entry (valid by desktop-file-validate when it is
# installed) and the icon.
# cmake -DBUILD_DIR=... -DPREFIX=... -DBUNDLE=ON|OFF -P InstallTest.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(expected bin/kelvarn bin/kelvarnctl share/applications/kelvarn.desktop
    share/icons/hicolor/scalable/apps/kelvarn.svg)
if(BUNDLE)
    list(APPEND expected kelvarn-bundle.json)
endif()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "${path} is not installed")
    endif()
endforeach()

set(entry "${PREFIX}/share/applications/kelvarn.desktop")
file(READ "${entry}" text)
foreach(line "Name=Kelvarn" "Exec=kelvarn" "Icon=kelvarn" "Categories=Education;Utility;")
    string(FIND "\n${text}" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${entry}" RESULT_VARIABLE result
        OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate: ${complaints}")
    endif()
endif()

file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/kelvarn.svg" icon)
if(NOT icon MATCHES "^<svg ")
    message(FATAL_ERROR "the icon is not an SVG")
endif()
file(REMOVE_RECURSE "${PREFIX}")
