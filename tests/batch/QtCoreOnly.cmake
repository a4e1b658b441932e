# Fails unless the executable EXE loads Qt Core and no other Qt library, so the
# command line starts on machines without a desktop.
# Run as: cmake -DEXE=<path> -P QtCoreOnly.cmake
execute_process(COMMAND ldd ${EXE} OUTPUT_VARIABLE libraries RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ldd ${EXE} failed: ${result}")
endif()
string(REGEX MATCHALL "libQt6[A-Za-z]+" qt "${libraries}")
list(REMOVE_DUPLICATES qt)
if(NOT qt STREQUAL "libQt6Core")
  message(FATAL_ERROR "${EXE} loads ${qt}; it should load libQt6Core only")
endif()
