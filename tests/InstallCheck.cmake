cmake_minimum_required(VERSION 3.25)
# Installs the build into a fresh prefix and checks that everything the desktop
# needs is in place: cmake -DBUILD_DIR=... -DPREFIX=... -P InstallCheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(required
  bin/velmora
  bin/velmora-render
  share/velmora/VelmoraHelp.htm
  share/velmora/VelmoraHelp_en.htm
  share/velmora/translations/velmora_en.qm
  share/applications/velmora.desktop
  share/icons/hicolor/32x32/apps/velmora.png
  share/icons/hicolor/48x48/apps/velmora.png
  share/icons/hicolor/256x256/apps/velmora.png)
foreach(path IN LISTS required)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/velmora.desktop" entry)
foreach(line "Exec=velmora" "Icon=velmora" "Type=Application")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

# The installed renderer runs from its new place.
execute_process(COMMAND "${PREFIX}/bin/velmora-render" --help RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed velmora-render does not run: ${status}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
