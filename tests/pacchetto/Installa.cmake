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
