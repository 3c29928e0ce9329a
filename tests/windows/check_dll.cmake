cmake_policy(SET CMP0057 NEW)
# A built DLL exports exactly the seven functions, undecorated, and imports
# only DLLs every Windows has (nothing of the compiler's runtime, no zlib).
#   cmake -DOBJDUMP=<mingw objdump> -DDLL=<file> -P check_dll.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]*\\[ *[0-9]+\\] [^\n]*\n)+" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_@0-9]+" entries "${table}")
set(names)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^.* " "" name "${entry}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected ApiDataDialog AppVersionCheck ExportXML GetExportErrorMsg ImportVersionInfo
  RegProgrCallback VersionInfo)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports are [${names}], expected [${expected}]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOUPPER)
set(system ADVAPI32.DLL BCRYPT.DLL COMCTL32.DLL CRYPT32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL
  SHELL32.DLL USER32.DLL WININET.DLL WS2_32.DLL)
foreach(dll IN LISTS imports)
  if(NOT dll IN_LIST system)
    message(FATAL_ERROR "${DLL} imports ${dll}, which is not a Windows system DLL")
  endif()
endforeach()
message(STATUS "${DLL}: the seven exports; imports ${imports}")
