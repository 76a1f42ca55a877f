# Signs FILE in place with Authenticode (SHA-256), through a scratch file so
# that a failed signing leaves no half-written program behind.
#
#   cmake -DOSSLSIGNCODE=osslsigncode -DPKCS12=cert.p12 [-DPASSWORD_FILE=f]
#         [-DTIMESTAMP_URL=url] [-DDESCRIPTION=text] -DFILE=program.exe -P sign.cmake
set(arguments sign -pkcs12 ${PKCS12} -h sha256)
if(PASSWORD_FILE)
  list(APPEND arguments -readpass ${PASSWORD_FILE})
endif()
if(DESCRIPTION)
  list(APPEND arguments -n ${DESCRIPTION})
endif()
if(TIMESTAMP_URL)
  list(APPEND arguments -ts ${TIMESTAMP_URL})
endif()
set(signed ${FILE}.signed)
file(REMOVE ${signed})
execute_process(COMMAND ${OSSLSIGNCODE} ${arguments} -in ${FILE} -out ${signed}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE ${signed})
  message(FATAL_ERROR "osslsigncode could not sign ${FILE}:\n${output}")
endif()
file(RENAME ${signed} ${FILE})
