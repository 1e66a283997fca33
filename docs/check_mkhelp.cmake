# Checks mkhelp from the outside, the way the build uses it:
#  - the guide becomes an A4 PDF titled by its first heading, whose text
#    layer holds the Cyrillic captions (not boxes or question marks);
#  - input it cannot use fails with its exit status and leaves no PDF.
# Every failed check is reported (SEND_ERROR), and any makes the run fail.
#
# cmake -DMKHELP=... -DGUIDE=... -DPDFTOTEXT=... -DPDFINFO=... -DWORK=...
#       -P check_mkhelp.cmake

cmake_minimum_required(VERSION 3.22)

set(ENV{QT_QPA_PLATFORM} offscreen)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# The guide itself.
set(pdf "${WORK}/guide.pdf")
execute_process(COMMAND "${MKHELP}" "${GUIDE}" "${pdf}"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "guide: exit ${rc}: ${err}")
endif()

execute_process(COMMAND "${PDFINFO}" "${pdf}" OUTPUT_VARIABLE info)
if(NOT info MATCHES "Title: +Куорин Зелво — ръководство за потребителя\n")
  message(SEND_ERROR "guide: wrong title in\n${info}")
endif()
if(NOT info MATCHES "Page size: +595 x 842 pts")
  message(SEND_ERROR "guide: pages are not A4 in\n${info}")
endif()

execute_process(COMMAND "${PDFTOTEXT}" "${pdf}" - OUTPUT_VARIABLE text)
foreach(caption "Регистрация" "Невалидни ЕГН-та" "История на действията"
                "Имена от ЛБД..." "Сл. Бележка")
  string(FIND "${text}" "${caption}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "guide: \"${caption}\" missing from the PDF text")
  endif()
endforeach()

# Unusable input. Each case: name|file content|arguments|expected exit status.
# "missing" writes no input file; "only-in" leaves out the output argument.
string(ASCII 207 240 232 236 229 240 not_utf8) # "Пример" in Windows-1251
set(cases "not-utf8|${not_utf8}|in-out|1"
          "blank|  \n\n|in-out|1"
          "missing||in-out|1"
          "no-output|# Помощ|only-in|2")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 name)
  list(GET parts 1 content)
  list(GET parts 2 args)
  list(GET parts 3 expected)
  set(in "${WORK}/${name}.md")
  set(out "${WORK}/${name}.pdf")
  if(NOT name STREQUAL "missing")
    file(WRITE "${in}" "${content}")
  endif()
  if(args STREQUAL "only-in")
    execute_process(COMMAND "${MKHELP}" "${in}" RESULT_VARIABLE rc ERROR_QUIET)
  else()
    execute_process(COMMAND "${MKHELP}" "${in}" "${out}" RESULT_VARIABLE rc ERROR_QUIET)
  endif()
  if(NOT rc EQUAL expected)
    message(SEND_ERROR "${name}: exit ${rc}, expected ${expected}")
  endif()
  if(EXISTS "${out}")
    message(SEND_ERROR "${name}: a PDF was left behind")
  endif()
endforeach()
