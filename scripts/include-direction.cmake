# Fails when a source file includes a header of a folder above it, or when two folders hold
# headers of the same name (the sources include headers by bare name). Each folder may include
# its own headers and those of the folders listed for it (ARCHITECTURE.md draws the same
# picture). Names are compared without regard to case, as a file system that ignores case
# would find them. Run from ctest, or by hand:
#   cmake -DSOURCE_DIR=<project root> -P scripts/include-direction.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(folders ecu_data trace_data texts platform/ui platform/serial platform/languages platform/composer
            components shell_common tools vehicle_config app resources)
set(below_ecu_data "")
set(below_trace_data ecu_data)
set(below_texts "")
set(below_platform/ui ecu_data)
set(below_platform/serial ecu_data)
set(below_platform/languages texts)
set(below_platform/composer "")
set(below_components platform/ui ecu_data)
set(below_shell_common platform/ui ecu_data texts)
set(below_tools trace_data shell_common components platform/ui ecu_data)
set(below_vehicle_config tools trace_data shell_common components platform/ui ecu_data)
set(below_app vehicle_config tools trace_data shell_common components platform/ui ecu_data)
set(below_resources ecu_data)

# Which folder holds each header, by its lower-case name; a name met a second time is a clash.
set(violations "")
foreach(folder IN LISTS folders)
  file(GLOB headers RELATIVE "${SOURCE_DIR}/${folder}" "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.inc")
  foreach(header IN LISTS headers)
    string(TOLOWER "${header}" key)
    if(DEFINED "owner_${key}")
      string(APPEND violations "  \"${header}\" is a header name in ${owner_${key}} and ${folder}\n")
    endif()
    list(APPEND "owner_${key}" "${folder}")
  endforeach()
endforeach()

set(checked 0)
foreach(folder IN LISTS folders)
  set(allowed ${folder} ${below_${folder}})
  file(GLOB sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
      get_filename_component(name "${included}" NAME)
      string(TOLOWER "${name}" key)
      if(NOT DEFINED "owner_${key}")
        continue()  # a generated or outside header
      endif()
      set(reachable FALSE)
      foreach(owner IN LISTS "owner_${key}")
        if(owner IN_LIST allowed)
          set(reachable TRUE)
        endif()
      endforeach()
      if(NOT reachable)
        file(RELATIVE_PATH where "${SOURCE_DIR}" "${source}")
        list(JOIN "owner_${key}" ", " owners)
        string(APPEND violations "  ${where} includes \"${included}\" of ${owners}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Headers out of the folders' order:\n${violations}"
                      "Move the shared code down (ARCHITECTURE.md) or include from the folder above.")
endif()
message(STATUS "include direction: ${checked} files, every include goes down")
