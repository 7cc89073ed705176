# Test certificates for HTTPS on loopback, made once per build folder (never committed):
#   certs/ca.pem, ca.key          the test CA; tools/testenv.sh trusts it inside the test Wine prefix only
#   certs/server.pem, server.key  "localhost" and 127.0.0.1 ... 127.0.0.9, signed by the test CA
# No CRL distribution point or AIA: WinINet would otherwise try to fetch them and fail the check.
set(VELMORA_CERT_DIR ${CMAKE_BINARY_DIR}/certs CACHE INTERNAL "")

function(_velmora_openssl)
  execute_process(COMMAND ${OPENSSL} ${ARGN} RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "openssl ${ARGN} failed:\n${_out}${_err}")
  endif()
endfunction()

# True when the certificate is missing or expires within a week.
function(_velmora_cert_stale pem out)
  set(${out} TRUE PARENT_SCOPE)
  if(EXISTS ${pem})
    execute_process(COMMAND ${OPENSSL} x509 -in ${pem} -noout -checkend 604800
                    RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
    if(_rc EQUAL 0)
      set(${out} FALSE PARENT_SCOPE)
    endif()
  endif()
endfunction()

function(velmora_make_test_certs)
  set(dir ${VELMORA_CERT_DIR})
  file(MAKE_DIRECTORY ${dir})
  set(cnf ${dir}/openssl.cnf)
  # Wine matches the host name against DNS names only, so the addresses are also given as DNS names.
  set(san "DNS:localhost")
  foreach(i RANGE 1 9)
    string(APPEND san ",IP:127.0.0.${i},DNS:127.0.0.${i}")
  endforeach()
  set(old_cnf "")
  if(EXISTS ${cnf})
    file(READ ${cnf} old_cnf)
  endif()
  set(new_cnf "\
[req]
distinguished_name = dn
prompt = no
[dn]
CN = unused
[ca_ext]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server_ext]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = ${san}
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
")
  if(NOT new_cnf STREQUAL old_cnf)
    file(WRITE ${cnf} "${new_cnf}")
    file(REMOVE ${dir}/server.pem)
  endif()

  _velmora_cert_stale(${dir}/ca.pem ca_stale)
  if(ca_stale)
    message(STATUS "Making the test CA in ${dir}")
    _velmora_openssl(req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650
                     -config ${cnf} -extensions ca_ext -subj "/O=Velmora Test/CN=Velmora Test CA"
                     -keyout ${dir}/ca.key -out ${dir}/ca.pem)
    file(REMOVE ${dir}/server.pem)
  endif()

  _velmora_cert_stale(${dir}/server.pem server_stale)
  if(server_stale)
    message(STATUS "Making the test server certificate in ${dir}")
    string(RANDOM LENGTH 15 ALPHABET 0123456789abcdef serial)
    _velmora_openssl(req -new -newkey rsa:2048 -nodes -sha256 -config ${cnf}
                     -subj "/O=Velmora Test/CN=localhost" -keyout ${dir}/server.key -out ${dir}/server.csr)
    _velmora_openssl(x509 -req -in ${dir}/server.csr -CA ${dir}/ca.pem -CAkey ${dir}/ca.key
                     -set_serial 0x1${serial} -sha256 -days 800 -extfile ${cnf} -extensions server_ext
                     -out ${dir}/server.pem)
    file(REMOVE ${dir}/server.csr)
  endif()
endfunction()
