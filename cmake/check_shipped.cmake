# Fails when a shipped program or library carries code of the test tools: the
# page generator, the sheet drawing or the fax server stand-in. Run as:
# cmake -DREADELF=... -DNM=... -DFILES="a;b" -P check_shipped.cmake
cmake_minimum_required(VERSION 3.25)

set(faults "")
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${READELF} -d ${file} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(APPEND faults "${file}: readelf failed")
    continue()
  endif()
  if(dynamic MATCHES "NEEDED[^\n]*(libostrelsheets[^]]*)")
    list(APPEND faults "${file} needs ${CMAKE_MATCH_1}")
  endif()
  execute_process(COMMAND ${NM} -C ${file} OUTPUT_VARIABLE symbols ERROR_QUIET)
  if(symbols MATCHES "ostrel::(pagegen|virtualpages|fakefax)::")
    list(APPEND faults "${file} holds code of ostrel::${CMAKE_MATCH_1}")
  endif()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Test-only code in what ships:\n  ${text}")
endif()
list(LENGTH FILES count)
message(STATUS "${count} shipped files hold no test-only code")
