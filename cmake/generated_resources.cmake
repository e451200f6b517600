# The resources library made from the generated sources of another, already built, native build:
# for builds that must not (the browser build: the generators run on the build machine) or need
# not (the sanitizer build of `make test`) build and run the generators again.
function(zandrel_resources_from_build native_build)
  set(generated ${native_build}/resources)
  foreach(source string_table.cpp glyph_table.cpp sound_data.cpp)
    if(NOT EXISTS ${generated}/${source})
      message(FATAL_ERROR "${native_build} must be a built native build folder: "
                          "${generated}/${source} is missing (run `make build` first)")
    endif()
  endforeach()
  add_library(zandrel_resources STATIC
    ${generated}/string_table.cpp
    ${generated}/glyph_table.cpp
    ${generated}/sound_data.cpp
    ${CMAKE_SOURCE_DIR}/resources/sounds.cpp
    ${CMAKE_SOURCE_DIR}/resources/ui_resources.cpp)
  target_include_directories(zandrel_resources PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()
