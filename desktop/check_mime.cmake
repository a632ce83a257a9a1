# The MIME type file: well-formed XML, valid against the shared-mime-info schema
# where the system has one (Debian's shared-mime-info ships none), and compiled
# by update-mime-database without a complaint, the magic rule included.
execute_process(COMMAND ${XMLLINT} --noout ${XML} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${XML} is not well-formed XML")
endif()
foreach(schema /usr/share/xml/shared-mime-info/shared-mime-info.xsd /usr/share/shared-mime-info/shared-mime-info.xsd)
  if(EXISTS ${schema})
    execute_process(COMMAND ${XMLLINT} --noout --schema ${schema} ${XML} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${XML} does not follow ${schema}")
    endif()
    message(STATUS "validated against ${schema}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/mime/packages)
configure_file(${XML} ${WORK}/mime/packages/tavelo.xml COPYONLY)
# XDG_DATA_DIRS names the folder, or update-mime-database notes that it is
# outside the search path.
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${WORK} XDG_DATA_HOME=${WORK}
    ${UPDATE_MIME_DATABASE} ${WORK}/mime
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "update-mime-database refused ${XML} (${status}):\n${out}${err}")
endif()
file(READ ${WORK}/mime/magic magic HEX)
# "\t\0CTenorels" (09 00 43 54 65 6e 6f 72 65 6c 73) at both offsets.
string(REGEX MATCHALL "09004354656e6f72656c73" found "${magic}")
list(LENGTH found count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "the magic rule of application/x-tavelo-book did not compile as expected")
endif()
