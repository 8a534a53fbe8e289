# Fails when an object of the stream's libraries refers to an allocator,
# except for the one heap block of the opening. Run with -DNM=... and
# -DLIBRARIES=a;b.
cmake_minimum_required(VERSION 3.20)
set(allocators
  malloc calloc realloc strdup _strdup _Znwm _Znam _Znwj _Znaj _ZnwmRKSt9nothrow_t
  HeapAlloc HeapReAlloc LocalAlloc LocalReAlloc GlobalAlloc GlobalReAlloc VirtualAlloc)
set(allowed "open_stream[.]cpp[.]obj?:HeapAlloc")

set(found "")
foreach(library ${LIBRARIES})
  execute_process(COMMAND ${NM} -A -u ${library} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${library}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line ${lines})
    # "library:object: U symbol", or "library:object:  U symbol"
    if(NOT line MATCHES "([^:/]+):[ ]+U (__imp_)?([A-Za-z0-9_]+)$")
      continue()
    endif()
    set(object ${CMAKE_MATCH_1})
    set(symbol ${CMAKE_MATCH_3})
    if(symbol IN_LIST allocators AND NOT "${object}:${symbol}" MATCHES "^${allowed}$")
      list(APPEND found "${object}: ${symbol}")
    endif()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "allocations in the stream: ${found}")
endif()
message(STATUS "no allocator referenced in ${LIBRARIES} besides the opening's heap block")
