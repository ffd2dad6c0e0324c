# Lays out the data folders beside the executables: blog types, templates and
# the two empty databases, generated from their readable schema files.

find_program(ISQL_FB isql-fb REQUIRED)
find_program(GFIX gfix REQUIRED)
find_program(SQLITE3 sqlite3 REQUIRED)

set(VARNOKI_DB_DIR ${VARNOKI_BIN_DIR}/db)
set(VARNOKI_FDB ${VARNOKI_DB_DIR}/VARNOKI.FDB)
set(VARNOKI_HTMLDB ${VARNOKI_DB_DIR}/html.mdb)

add_custom_command(
  OUTPUT ${VARNOKI_FDB}
  COMMAND ${CMAKE_COMMAND}
          -DISQL=${ISQL_FB}
          -DGFIX=${GFIX}
          -DSCHEMA=${CMAKE_SOURCE_DIR}/data/db/varnoki.sql
          -DOUTPUT=${VARNOKI_FDB}
          -DLOCKDIR=${CMAKE_BINARY_DIR}/firebird-lock
          -P ${CMAKE_SOURCE_DIR}/cmake/MakeFirebirdDb.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/data/db/varnoki.sql ${CMAKE_SOURCE_DIR}/cmake/MakeFirebirdDb.cmake
  COMMENT "Generating the empty project database VARNOKI.FDB")

set(VARNOKI_DATA_OUTPUTS ${VARNOKI_FDB})
set(VARNOKI_DATA_OUTPUTS_DB ${VARNOKI_FDB})

if(EXISTS ${CMAKE_SOURCE_DIR}/data/db/html.sql)
  add_custom_command(
    OUTPUT ${VARNOKI_HTMLDB}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VARNOKI_DB_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${VARNOKI_HTMLDB}
    COMMAND ${SQLITE3} ${VARNOKI_HTMLDB} ".read ${CMAKE_SOURCE_DIR}/data/db/html.sql"
    DEPENDS ${CMAKE_SOURCE_DIR}/data/db/html.sql
    COMMENT "Generating the empty output database html.mdb")
  list(APPEND VARNOKI_DATA_OUTPUTS ${VARNOKI_HTMLDB})
  list(APPEND VARNOKI_DATA_OUTPUTS_DB ${VARNOKI_HTMLDB})
endif()

# Blog types, their shared helper scripts among them, copied as they are; the
# program loads the helpers ahead of each blog type's script.
file(GLOB_RECURSE VARNOKI_BLOG_FILES CONFIGURE_DEPENDS
  RELATIVE ${CMAKE_SOURCE_DIR}/data/blog ${CMAKE_SOURCE_DIR}/data/blog/*)
foreach(rel ${VARNOKI_BLOG_FILES})
  set(src ${CMAKE_SOURCE_DIR}/data/blog/${rel})
  set(dst ${VARNOKI_BIN_DIR}/blog/${rel})
  add_custom_command(OUTPUT ${dst}
    COMMAND ${CMAKE_COMMAND} -E copy ${src} ${dst}
    DEPENDS ${src})
  list(APPEND VARNOKI_DATA_OUTPUTS ${dst})
endforeach()

file(GLOB_RECURSE VARNOKI_TEMPLATE_FILES CONFIGURE_DEPENDS
  RELATIVE ${CMAKE_SOURCE_DIR}/data/template ${CMAKE_SOURCE_DIR}/data/template/*)
foreach(rel ${VARNOKI_TEMPLATE_FILES})
  set(src ${CMAKE_SOURCE_DIR}/data/template/${rel})
  set(dst ${VARNOKI_BIN_DIR}/template/${rel})
  add_custom_command(OUTPUT ${dst}
    COMMAND ${CMAKE_COMMAND} -E copy ${src} ${dst}
    DEPENDS ${src})
  list(APPEND VARNOKI_DATA_OUTPUTS ${dst})
endforeach()

add_custom_target(varnoki_data ALL DEPENDS ${VARNOKI_DATA_OUTPUTS})
