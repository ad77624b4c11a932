# The layers, lowest first: the paths each holds (a longer path wins) and
# the layers right under it, which with theirs are all it may include and
# link. Written once here: the libraries are made from it, and the layers
# test (cmake/check_layers.py) fails on any include that reaches up or across.
set_property(GLOBAL PROPERTY VANTA_LAYERS "")
function(vanta_layer name)
  cmake_parse_arguments(L "" "" "PATHS;USES" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VANTA_LAYERS ${name})
  set_property(GLOBAL PROPERTY VANTA_LAYER_${name}_PATHS ${L_PATHS})
  set_property(GLOBAL PROPERTY VANTA_LAYER_${name}_USES ${L_USES})
endfunction()

# VantaSaver.scr (src/)
vanta_layer(base PATHS src/base)
vanta_layer(platform PATHS src/platform USES base)
vanta_layer(engine PATHS src/engine USES platform)
vanta_layer(music PATHS src/music USES platform)
vanta_layer(forms PATHS src/forms USES platform)
vanta_layer(settings PATHS src/settings USES platform)
vanta_layer(show PATHS src/show USES engine music settings)
vanta_layer(setting_dialog PATHS src/setting_dialog USES forms settings)
vanta_layer(saver PATHS src/saver USES show forms)
vanta_layer(builder PATHS src/builder USES saver setting_dialog)
vanta_layer(startup PATHS src/startup USES builder)
# The installer (installer/): the compiler's library, the setup's portable
# part, the setup program, and the compiler program (which reads pictures
# through the engine).
vanta_layer(compiler PATHS installer/ USES base)
vanta_layer(setup PATHS installer/setup/ USES compiler)
vanta_layer(setup_program PATHS installer/setup/win32/ USES setup)
vanta_layer(compiler_program
            PATHS installer/Main.cpp installer/WizardPictures installer/ProgramHost.h installer/posix/ProgramHost
                  installer/win32/ProgramHost installer/win32/CopyDataStatus installer/win32/VantaBuild
            USES compiler engine)

# A layer of src/ as a static library vanta_<name> of the sources listed in
# VANTA_<NAME>_SOURCES (and _WIN32_SOURCES or _POSIX_SOURCES), linking the
# layers right under it. Its headers are reached through an include root of
# its own holding only its folder, so that a file sees the headers of its
# own layer and those under it, and an include reaching up does not build.
function(vanta_add_layer name)
  string(TOUPPER ${name} upper)
  set(sources ${VANTA_${upper}_SOURCES})
  if(WIN32)
    list(APPEND sources ${VANTA_${upper}_WIN32_SOURCES})
  else()
    list(APPEND sources ${VANTA_${upper}_POSIX_SOURCES})
  endif()
  add_library(vanta_${name} STATIC ${sources})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  get_filename_component(folder ${VANTA_ROOT}/src/${name} ABSOLUTE)
  file(CREATE_LINK ${folder} ${root}/${name} SYMBOLIC)
  target_include_directories(vanta_${name} PUBLIC ${root})
  get_property(uses GLOBAL PROPERTY VANTA_LAYER_${name}_USES)
  foreach(used IN LISTS uses)
    target_link_libraries(vanta_${name} PUBLIC vanta_${used})
  endforeach()
endfunction()

# The layers test's arguments: the table above.
function(vanta_layer_check_args out)
  set(args)
  get_property(layers GLOBAL PROPERTY VANTA_LAYERS)
  foreach(name IN LISTS layers)
    get_property(paths GLOBAL PROPERTY VANTA_LAYER_${name}_PATHS)
    get_property(uses GLOBAL PROPERTY VANTA_LAYER_${name}_USES)
    string(REPLACE ";" "," paths "${paths}")
    string(REPLACE ";" "," uses "${uses}")
    list(APPEND args --layer "${name}=${paths}:${uses}")
  endforeach()
  set(${out} ${args} PARENT_SCOPE)
endfunction()
