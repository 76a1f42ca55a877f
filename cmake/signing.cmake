# Authenticode signing of the Windows programs and the .msi with osslsigncode,
# when a certificate is given; unsigned otherwise.
#
#   -DKV_SIGN_PKCS12=cert.p12              the certificate and its key
#   -DKV_SIGN_PASSWORD_FILE=pass.txt       its password, if it has one
#   -DKV_SIGN_TIMESTAMP_URL=http://...     an RFC 3161 time-stamping server
#
# A timestamp keeps the signature valid after the certificate expires.
set(KV_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file to sign the Windows programs and .msi with")
set(KV_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 file's password")
set(KV_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamping URL for the signatures")
set(KV_SIGN_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/sign.cmake)
if(KV_SIGN_PKCS12)
  find_program(KV_OSSLSIGNCODE osslsigncode REQUIRED)
endif()

# The command that signs FILE in place (nothing without a certificate).
function(kv_sign_command out file)
  if(NOT KV_SIGN_PKCS12)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  set(${out}
      COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${KV_OSSLSIGNCODE} -DPKCS12=${KV_SIGN_PKCS12}
              -DPASSWORD_FILE=${KV_SIGN_PASSWORD_FILE} -DTIMESTAMP_URL=${KV_SIGN_TIMESTAMP_URL}
              "-DDESCRIPTION=KV7700 ${PROJECT_VERSION}" -DFILE=${file} -P ${KV_SIGN_SCRIPT}
      PARENT_SCOPE)
endfunction()

# Signs the program each time it is linked.
function(kv_sign_program target)
  kv_sign_command(sign $<TARGET_FILE:${target}>)
  if(sign)
    add_custom_command(TARGET ${target} POST_BUILD ${sign} VERBATIM)
  endif()
endfunction()
