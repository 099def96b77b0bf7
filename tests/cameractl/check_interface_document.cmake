# Fails when docs/ostrelctl-interface.md is not what `ostrelctl-host --interface` prints.
execute_process(COMMAND ${HOST} --interface OUTPUT_VARIABLE made RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ostrelctl-host --interface failed: ${status}")
endif()
file(READ ${DOCUMENT} committed)
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "${DOCUMENT} is out of date: regenerate it with "
                      "`ostrelctl-host --interface > docs/ostrelctl-interface.md`")
endif()
