# Fails when a source folder includes a layer above it, or when code outside the
# window layer includes Qt. Run as: cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
#
# Each entry: a folder, then the folders it may include besides itself, split
# by commas. A file
# belongs to the longest folder that holds it.
cmake_minimum_required(VERSION 3.25)

set(layers
  "platform|"
  "net|platform"
  "imaging|platform"
  "faxsvc|platform"
  "cloud|net,platform"
  "uploader|cloud,net,app/settings,platform"
  "chooser|cloud,platform"
  "scanners/protocol|imaging,platform"
  "scanners/sane|imaging,platform"
  "scanners/sourcemanager|scanners/sane,scanners/protocol,imaging,platform"
  "scanners/nvdriver|scanners/sourcemanager,scanners/protocol,imaging,platform"
  "scanners/sanedriver|scanners/sane,scanners/protocol,imaging,platform"
  "scanners/ostrel-device|scanners/sourcemanager,scanners/sane,scanners/protocol,imaging,platform"
  "app/settings|imaging,platform"
  "app/scan|app/settings,scanners/protocol,imaging,platform"
  "app/core|app/scan,app/settings,scanners/protocol,imaging,platform,faxsvc"
  "app/delivery|app/core,app/scan,app/settings,scanners/protocol,imaging,net,platform,faxsvc"
  "app/ui|app/delivery,app/core,app/scan,app/settings,scanners/protocol,imaging,net,platform,faxsvc"
  "app|app/ui,app/delivery,app/core,app/scan,app/settings,scanners/protocol,imaging,net,platform,faxsvc"
  "tools/pagegen|imaging,platform"
  "tools/virtualpages|tools/pagegen,scanners/sourcemanager,imaging,platform"
  "tools/fakefaxd|faxsvc,platform")
# Where Qt may be included.
set(qt_folders "app/ui" "app" "chooser")

set(folders "")
foreach(entry IN LISTS layers)
  string(REPLACE "|" "," entry "${entry}")
  string(REPLACE "," ";" parts "${entry}")
  list(GET parts 0 folder)
  list(LENGTH parts count)
  set(allowed "")
  if(count GREATER 1)
    list(SUBLIST parts 1 -1 allowed)
  endif()
  list(APPEND folders "${folder}")
  set("allowed_${folder}" ${allowed})
endforeach()

# The longest listed folder holding path, or "" for none.
function(layer_of path out)
  set(best "")
  string(LENGTH "${best}" bestLength)
  foreach(folder IN LISTS folders)
    string(LENGTH "${folder}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    if(head STREQUAL "${folder}/" AND length GREATER bestLength)
      set(best "${folder}")
      set(bestLength ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(faults "")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
  "${SOURCE_DIR}/platform/*" "${SOURCE_DIR}/net/*" "${SOURCE_DIR}/cloud/*" "${SOURCE_DIR}/uploader/*" "${SOURCE_DIR}/imaging/*" "${SOURCE_DIR}/faxsvc/*" "${SOURCE_DIR}/chooser/*"
  "${SOURCE_DIR}/scanners/*" "${SOURCE_DIR}/app/*" "${SOURCE_DIR}/tools/*")
foreach(source IN LISTS sources)
  if(NOT source MATCHES "\\.(h|cpp)$")
    continue()
  endif()
  layer_of("${source}" layer)
  if(layer STREQUAL "")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(target "${CMAKE_MATCH_1}")
      layer_of("${target}" targetLayer)
      if(targetLayer STREQUAL "" OR targetLayer STREQUAL layer)
        continue()
      endif()
      set(allowed ${allowed_${layer}})
      if(NOT targetLayer IN_LIST allowed)
        list(APPEND faults "${source} (${layer}) includes ${target} (${targetLayer})")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)[/>]")
      if(NOT layer IN_LIST qt_folders)
        list(APPEND faults "${source} (${layer}) includes Qt <${CMAKE_MATCH_1}>")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "Layers hold: ${count} files checked")
