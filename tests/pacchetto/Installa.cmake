# Installs the build into a prefix of its own and builds the outside library against it, the
# way an author does. -DBINARIO=<build dir> -DSORGENTE=<library source> -DDESTINAZIONE=<dir>
# -DTIPO=<build type> -DOPZIONI=<compiler flags>
file(REMOVE_RECURSE ${DESTINAZIONE})
foreach(passo
    "${CMAKE_COMMAND};--install;${BINARIO};--prefix;${DESTINAZIONE}/prefisso"
    "${CMAKE_COMMAND};-S;${SORGENTE};-B;${DESTINAZIONE}/build;-DCMAKE_PREFIX_PATH=${DESTINAZIONE}/prefisso;-DCMAKE_BUILD_TYPE=${TIPO};-DCMAKE_CXX_FLAGS=${OPZIONI}"
    "${CMAKE_COMMAND};--build;${DESTINAZIONE}/build")
  execute_process(COMMAND ${passo} RESULT_VARIABLE esito OUTPUT_VARIABLE uscita ERROR_VARIABLE errori)
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "${passo} failed:\n${uscita}\n${errori}")
  endif()
endforeach()
# What an author gets must stand on the installed include directory alone: no header of the
# package reaches the Firebird client's headers, or a folder of its own by a bare name that
# the author's include path would have to supply.
file(GLOB_RECURSE intestazioni ${DESTINAZIONE}/prefisso/include/*.h)
foreach(intestazione ${intestazioni})
  file(STRINGS ${intestazione} inclusioni REGEX "^#include")
  foreach(riga ${inclusioni})
    if(riga MATCHES "firebird/|ibase\\.h|\"(app|datamodule|db|fb|forms|piattaforma)/")
      message(FATAL_ERROR "${intestazione}: ${riga}")
    endif()
  endforeach()
endforeach()
