# Runs make_screenshots into a fresh folder and checks what it took against
# the user guide: every picture a page shows is taken, every picture taken
# is non-empty PNG data, shown by a page, compiled into the CHM file
# (morvane.hhp) and kept in the guide's sources, and the sources hold no
# picture the tool no longer takes. Pixels are not compared: the pictures
# change with fonts, styles and timing.
#   cmake -DTOOL=... -DAPP_FOLDER=... -DHELP=resources/help -DOUT=... -P check_screenshots.cmake

cmake_minimum_required(VERSION 3.16)

file(REMOVE_RECURSE ${OUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${TOOL} ${APP_FOLDER} ${OUT}
  RESULT_VARIABLE status
  TIMEOUT 600)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_screenshots ended with ${status}")
endif()

function(names_of files out)
  set(names)
  foreach(f ${files})
    get_filename_component(name ${f} NAME)
    list(APPEND names ${name})
  endforeach()
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

file(GLOB taken_files ${OUT}/*.png)
names_of("${taken_files}" taken)
file(GLOB kept_files ${HELP}/*.png)
names_of("${kept_files}" kept)

set(shown)
file(GLOB pages ${HELP}/*.html)
foreach(page ${pages})
  file(READ ${page} html)
  string(REGEX MATCHALL "<img src=\"[^\"]+\"" images "${html}")
  foreach(image ${images})
    string(REGEX REPLACE "<img src=\"([^\"]+)\"" "\\1" image "${image}")
    list(APPEND shown ${image})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES shown)
file(READ ${HELP}/morvane.hhp project)

set(problems)
foreach(picture ${shown})
  if(NOT picture IN_LIST taken)
    list(APPEND problems "${picture} is shown by a page but was not taken")
  endif()
endforeach()
foreach(picture ${taken})
  file(SIZE ${OUT}/${picture} size)
  file(READ ${OUT}/${picture} magic LIMIT 8 HEX)
  if(size EQUAL 0 OR NOT magic STREQUAL "89504e470d0a1a0a")
    list(APPEND problems "${picture} is empty or no PNG file")
  endif()
  if(NOT picture IN_LIST shown)
    list(APPEND problems "${picture} is shown by no page")
  endif()
  string(FIND "${project}" "\n${picture}\n" listed)
  if(listed EQUAL -1)
    list(APPEND problems "${picture} is missing from morvane.hhp")
  endif()
endforeach()
if(NOT kept STREQUAL taken)
  list(APPEND problems "the guide's sources hold ${kept}, the tool took ${taken}")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "the guide's pictures:\n  ${text}")
endif()
list(LENGTH taken count)
message(STATUS "${count} pictures taken and checked")
