# Writes LICENSE.txt (the project's own terms) and NOTICES.txt (those of the
# libraries linked into the programs) with Windows line ends, from the
# project's LICENSE (MIT) and the build machine's Debian copyright files.
#
#   cmake -DPROJECT_LICENSE=FILE -DOUTPUT_DIR=DIR "-DNOTICES=Title|FILE;..." -P notices.cmake

function(write_crlf path text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${path}" "${text}")
endfunction()

file(READ "${PROJECT_LICENSE}" license)
write_crlf("${OUTPUT_DIR}/LICENSE.txt" "${license}")

set(notices "KV7700 configurator: notices of the libraries linked into kv7700ctl.exe and
kv7700-config.exe

The programs are linked statically with the libraries below. Each section
holds the copyright and licence statement of the library as it was built.
")
foreach(entry IN LISTS NOTICES)
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} title)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${entry}" ${start} -1 source)
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "${source} is missing: the notice of ${title} cannot be made")
  endif()
  file(READ "${source}" text)
  string(REPEAT "=" 78 rule)
  string(APPEND notices "\n${rule}\n${title}\n${rule}\n\n${text}")
endforeach()
write_crlf("${OUTPUT_DIR}/NOTICES.txt" "${notices}")
