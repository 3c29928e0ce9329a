# Writes the columns that the import fills in the staging tables, as C++,
# from schema.sql, so that the columns are listed in that file alone. A
# script that CMake runs at build time, so that a cross build needs no tool
# built for the build machine; a build includes this file for the rule:
#   korvun_schema_tables(<schema.sql> <generated .cpp>)
# It reads the schema's own layout: "CREATE TABLE NAME (" on a line, then a
# column a line up to ")"; a column whose comment says "never filled" is left
# out; "ALTER TABLE T ADD CONSTRAINT K PRIMARY KEY (C)" gives T its key.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(korvun_schema_tables schema output)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DSCHEMA=${schema} -DOUTPUT=${output} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${schema} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Generating the staging tables' columns from schema.sql"
      VERBATIM)
  endfunction()
  return()
endif()

file(READ "${SCHEMA}" text)
# A list element a line (a semicolon would split one).
string(REPLACE ";" "," text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(tables "")
set(table "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "--.*" "" code "${line}")
  string(STRIP "${code}" code)
  if(code MATCHES "^CREATE TABLE ([A-Z0-9_]+)")
    set(table ${CMAKE_MATCH_1})
    list(APPEND tables ${table})
    set(columns_${table} "")
    set(key_${table} "nullptr, nullptr")
  elseif(table AND code MATCHES "^\\)")
    set(table "")
  elseif(table AND code MATCHES "^([A-Z0-9_]+)[ \t]+(.*)$")
    set(column ${CMAKE_MATCH_1})
    set(type "${CMAKE_MATCH_2}")
    if(line MATCHES "--.*never filled")
      continue()
    elseif(type MATCHES "^INTEGER")
      set(kind kInteger)
    elseif(type MATCHES "^DOUBLE PRECISION")
      set(kind kFloat)
    elseif(type MATCHES "^VARCHAR")
      set(kind kText)
    else()
      message(FATAL_ERROR "${SCHEMA}: ${table}.${column}: no column kind for \"${type}\"")
    endif()
    string(APPEND columns_${table} "            {\"${column}\", ColumnKind::${kind}},\n")
  elseif(code MATCHES "^ALTER TABLE ([A-Z0-9_]+) ADD CONSTRAINT ([A-Z0-9_]+) PRIMARY KEY \\(([A-Z0-9_]+)\\)")
    set(key_${CMAKE_MATCH_1} "\"${CMAKE_MATCH_3}\", \"${CMAKE_MATCH_2}\"")
  endif()
endforeach()
if(NOT tables)
  message(FATAL_ERROR "${SCHEMA}: no CREATE TABLE")
endif()

set(entries "")
foreach(table IN LISTS tables)
  string(APPEND entries "      {\"${table}\",\n       {\n${columns_${table}}       },\n       ${key_${table}}},\n")
endforeach()

file(WRITE "${OUTPUT}" "// Generated from staging/schema.sql at build time; edit that file instead.
#include \"staging/staging_tables.hpp\"

namespace korvun {

const std::vector<StagingTable>& StagingSchemaTables() {
  static const std::vector<StagingTable> tables{
${entries}  };
  return tables;
}

}  // namespace korvun
")
