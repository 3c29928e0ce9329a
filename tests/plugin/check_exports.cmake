# Fails unless the library defines exactly the seven exports and nothing else
# of ours in its dynamic symbol table.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" lines "${out}")
set(found "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${line}")
  # Symbols the linker and the sanitizer runtime add are not ours.
  if(name MATCHES "^(_init|_fini|_edata|_end|__bss_start|__.*)$")
    continue()
  endif()
  list(APPEND found ${name})
endforeach()
list(SORT found)
set(expected AppVersionCheck ApiDataDialog ExportXML GetExportErrorMsg ImportVersionInfo
    RegProgrCallback VersionInfo)
list(SORT expected)
if(NOT "${found}" STREQUAL "${expected}")
  message(FATAL_ERROR "exports differ:\n found:    ${found}\n expected: ${expected}")
endif()
