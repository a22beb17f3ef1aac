# Fails when any of OBJECTS uses the compiler's emulated thread-local
# storage, whose first access on a thread allocates: the audio routines must
# not allocate, and a thread's first flips come on the audio thread.
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} ${object} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot list the symbols of ${object}")
  endif()
  if(symbols MATCHES "emutls")
    message(FATAL_ERROR "${object} uses emulated thread-local storage")
  endif()
  message(STATUS "${object}: no emulated thread-local storage")
endforeach()
if(NOT OBJECTS)
  message(FATAL_ERROR "no objects to check")
endif()
