# Every test runs in an environment of its own making. Whatever the developer's shell holds for
# the device screen, the window scale, the language, the settings, the display or the sound is
# removed, and the settings folder is one of the build's; a test that depends on any of them sets
# it itself (the headless host's calls, or the variables in its script).
set(ZANDREL_TEST_CLEARED
  ZANDREL_SCREEN ZANDREL_SCALE ZANDREL_REGISTRY ZANDREL_INSTANCE ZANDREL_READY ZANDREL_PANEL
  LC_ALL LC_MESSAGES LC_CTYPE LANG LANGUAGE
  DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_AUDIODRIVER)
set(ZANDREL_TEST_CONFIG_HOME ${CMAKE_BINARY_DIR}/test-config)

# The same environment as a command prefix, for test binaries whose tests are listed by running
# them (GoogleTest discovery runs them at build time, outside ctest).
set(ZANDREL_TEST_LAUNCHER env)
foreach(variable IN LISTS ZANDREL_TEST_CLEARED)
  list(APPEND ZANDREL_TEST_LAUNCHER -u ${variable})
endforeach()
list(APPEND ZANDREL_TEST_LAUNCHER XDG_CONFIG_HOME=${ZANDREL_TEST_CONFIG_HOME})

# A GoogleTest binary: listed and run through the launcher.
function(zandrel_hermetic_test_binary target)
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "${ZANDREL_TEST_LAUNCHER}")
endfunction()

# Every test added with add_test so far in the calling directory: call it at the end of each
# CMakeLists.txt that adds tests.
function(zandrel_hermetic_tests)
  set(modification "XDG_CONFIG_HOME=set:${ZANDREL_TEST_CONFIG_HOME}")
  foreach(variable IN LISTS ZANDREL_TEST_CLEARED)
    list(APPEND modification "${variable}=unset:")
  endforeach()
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test IN LISTS tests)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION ${modification})
    set_property(GLOBAL APPEND PROPERTY ZANDREL_HERMETIC_TESTS ${test})
  endforeach()
endfunction()

# Fails the configuration when a test in `dir` or below was left out of the above.
function(zandrel_check_hermetic_tests dir)
  get_property(done GLOBAL PROPERTY ZANDREL_HERMETIC_TESTS)
  get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
  foreach(test IN LISTS tests)
    if(NOT test IN_LIST done)
      message(FATAL_ERROR "test ${test} in ${dir} does not set its environment: call "
                          "zandrel_hermetic_tests() at the end of its CMakeLists.txt")
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    zandrel_check_hermetic_tests(${subdirectory})
  endforeach()
endfunction()
