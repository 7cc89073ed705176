# Build settings: server hosts and the list-signing public key.
set(VELMORA_GAME_HOST "localhost" CACHE STRING "Host name of the game's web server (HTTPS, port 443)")
set(VELMORA_PORTAL_HOST "localhost" CACHE STRING "Host name of the publisher's portal (news and sign-up pages)")
set(VELMORA_PUBLIC_KEY "" CACHE STRING "List-signing public key: 64 bytes X||Y as 128 hex digits")
option(VELMORA_RELEASE "Release build: requires the publisher's public key" OFF)

set(VELMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(VELMORA_KEY_DIR ${CMAKE_BINARY_DIR}/keys)
file(MAKE_DIRECTORY ${VELMORA_GENERATED_DIR})

find_program(OPENSSL openssl REQUIRED)

if(VELMORA_RELEASE)
  if(VELMORA_PUBLIC_KEY STREQUAL "")
    message(FATAL_ERROR
      "A release build needs the publisher's list-signing public key: "
      "configure with -DVELMORA_PUBLIC_KEY=<128 hex digits, X then Y>. "
      "A shipped launcher must never trust a key whose private half lies in a build folder or the repository.")
  endif()
  if(EXISTS ${VELMORA_KEY_DIR}/list-signing.pub.hex)
    file(READ ${VELMORA_KEY_DIR}/list-signing.pub.hex _test_key)
    string(STRIP "${_test_key}" _test_key)
    string(TOLOWER "${VELMORA_PUBLIC_KEY}" _given)
    if(_given STREQUAL _test_key)
      message(FATAL_ERROR "VELMORA_PUBLIC_KEY is this build folder's test key; a release build needs the publisher's key.")
    endif()
  endif()
  set(_key_hex "${VELMORA_PUBLIC_KEY}")
else()
  if(VELMORA_PUBLIC_KEY STREQUAL "")
    # Test builds trust a key pair made here, whose private half the tests use to sign lists.
    if(NOT EXISTS ${VELMORA_KEY_DIR}/list-signing.key)
      file(MAKE_DIRECTORY ${VELMORA_KEY_DIR})
      execute_process(COMMAND ${OPENSSL} ecparam -name prime256v1 -genkey -noout
                              -out ${VELMORA_KEY_DIR}/list-signing.key
                      RESULT_VARIABLE _rc)
      if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "openssl could not make the test signing key")
      endif()
      file(REMOVE ${VELMORA_KEY_DIR}/list-signing.pub.hex)
    endif()
    if(NOT EXISTS ${VELMORA_KEY_DIR}/list-signing.pub.hex)
      execute_process(COMMAND ${OPENSSL} ec -in ${VELMORA_KEY_DIR}/list-signing.key -pubout -outform DER
                      OUTPUT_FILE ${VELMORA_KEY_DIR}/list-signing.pub.der ERROR_QUIET RESULT_VARIABLE _rc)
      if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "openssl could not extract the test public key")
      endif()
      execute_process(COMMAND ${OPENSSL} ec -in ${VELMORA_KEY_DIR}/list-signing.key -pubout
                      OUTPUT_FILE ${VELMORA_KEY_DIR}/list-signing.pub.pem ERROR_QUIET)
      # The DER SubjectPublicKeyInfo of a P-256 key ends with 04 || X || Y.
      file(READ ${VELMORA_KEY_DIR}/list-signing.pub.der _der HEX)
      string(LENGTH "${_der}" _len)
      math(EXPR _start "${_len} - 128")
      string(SUBSTRING "${_der}" ${_start} 128 _pub)
      file(WRITE ${VELMORA_KEY_DIR}/list-signing.pub.hex "${_pub}\n")
    endif()
    file(READ ${VELMORA_KEY_DIR}/list-signing.pub.hex _key_hex)
    string(STRIP "${_key_hex}" _key_hex)
  else()
    set(_key_hex "${VELMORA_PUBLIC_KEY}")
  endif()
endif()

string(TOLOWER "${_key_hex}" _key_hex)
if(NOT _key_hex MATCHES "^[0-9a-f]+$")
  message(FATAL_ERROR "VELMORA_PUBLIC_KEY must be 128 hexadecimal digits (X then Y)")
endif()
string(LENGTH "${_key_hex}" _key_len)
if(NOT _key_len EQUAL 128)
  message(FATAL_ERROR "VELMORA_PUBLIC_KEY must be 128 hexadecimal digits (X then Y), got ${_key_len}")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _key_bytes "${_key_hex}")
string(REGEX REPLACE ",$" "" _key_bytes "${_key_bytes}")
set(VELMORA_PUBLIC_KEY_HEX "${_key_hex}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildSettings.h.in ${VELMORA_GENERATED_DIR}/BuildSettings.h @ONLY)

if(VELMORA_RELEASE)
  # Release builds carry no test seams.
  add_compile_definitions(VELMORA_RELEASE_BUILD)
endif()
