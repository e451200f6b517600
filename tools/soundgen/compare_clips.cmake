# Runs soundgen into ACTUAL and fails unless every clip there matches the one in EXPECTED byte for
# byte. Run with -DSOUNDGEN= -DEXPECTED= -DACTUAL=.
file(REMOVE_RECURSE "${ACTUAL}")
file(MAKE_DIRECTORY "${ACTUAL}")
execute_process(COMMAND "${SOUNDGEN}" "${ACTUAL}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "soundgen failed: ${status}")
endif()
foreach(id 1999 2010 2030 2090 2095)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${EXPECTED}/${id}.wav"
                          "${ACTUAL}/${id}.wav" RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "resources/sounds/${id}.wav is not what soundgen makes now; "
                        "run `soundgen resources/sounds` and check the clip in")
  endif()
endforeach()
