# Fails when a text marked in the sources has no English translation in
# tavelo_en.ts: lupdate runs on a copy of the file, and every message it leaves
# unfinished is listed.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
configure_file(${TS} ${WORK}/tavelo_en.ts COPYONLY)
execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${WORK}/tavelo_en.ts RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${status})")
endif()
file(READ ${WORK}/tavelo_en.ts content)
string(REGEX MATCHALL "<source>[^<]*(<[^/][^<]*)*</source>[ \n]*<translation type=\"unfinished\"" missing "${content}")
list(LENGTH missing count)
if(count GREATER 0)
  string(REPLACE ";" "\n" missing "${missing}")
  message(FATAL_ERROR "${count} text(s) without an English translation (run the tavelo_lupdate target, "
    "then translate them in translations/tavelo_en.ts):\n${missing}")
endif()
message(STATUS "Every marked text has its English translation.")
