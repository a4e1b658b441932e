# Installs the build tree into an emptied prefix, so the end-to-end test sees
# exactly what `cmake --install` puts there and nothing left from earlier runs.
# Usage: cmake -DBUILD_DIR=<build> -DPREFIX=<prefix> -P InstallFresh.cmake
if(NOT BUILD_DIR OR NOT PREFIX)
  message(FATAL_ERROR "BUILD_DIR and PREFIX are required")
endif()
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
