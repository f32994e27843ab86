# Installs the build into a fresh prefix for the end-to-end test: what is left of an earlier install must not
# stand in for a file the install no longer puts there.
# cmake -DBUILD_DIR=<build tree> -DPREFIX=<prefix> -P install.cmake
foreach(var BUILD_DIR PREFIX)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "install.cmake needs -D${var}=...")
    endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
execute_process(
    COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    OUTPUT_QUIET
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed: ${result}")
endif()
foreach(file bin/karte share/karte/cardsfrq.db)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "the install put no ${file} under ${PREFIX}")
    endif()
endforeach()
