cmake_minimum_required(VERSION 3.25)
# Creates a Firebird database file from a schema script with isql-fb.
# The script's CREATE DATABASE names the placeholder path %OUTPUT%.
file(MAKE_DIRECTORY ${LOCKDIR})
get_filename_component(outdir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${outdir})
set(tmp ${OUTPUT}.new)
file(REMOVE ${tmp})
file(READ ${SCHEMA} sql)
string(REPLACE "%OUTPUT%" "${tmp}" sql "${sql}")
file(WRITE ${OUTPUT}.sql "${sql}")
set(ENV{FIREBIRD_LOCK} ${LOCKDIR})
execute_process(COMMAND ${ISQL} -q -b -i ${OUTPUT}.sql
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(REMOVE ${OUTPUT}.sql)
if(NOT rc EQUAL 0)
  file(REMOVE ${tmp})
  message(FATAL_ERROR "isql-fb failed (${rc}): ${out}${err}")
endif()
# Projects are worked on in a private copy that is committed after every page of a
# download; waiting for the disk at each commit would cost more than the download.
# The saved project file is written and synced by the program itself.
execute_process(COMMAND ${GFIX} -write async -user SYSDBA ${tmp}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  file(REMOVE ${tmp})
  message(FATAL_ERROR "gfix failed (${rc}): ${out}${err}")
endif()
# Shipped data is read by every user of an installed program.
file(CHMOD ${tmp} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(RENAME ${tmp} ${OUTPUT})
