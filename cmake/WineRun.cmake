# Writes the wine-run script from its template. The build includes this file; a test runs it as a
# script with the same values: cmake -DOUTPUT=... -DWINE64=... -DWINESERVER=... -DWINEPREFIX=...
# -DFORMAT_LIBRARY=... -P WineRun.cmake
set(ORVELLA_WINE_RUN_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/wine-run.in)

function(orvella_write_wine_run output wine wineserver prefix format_library)
    # Each value goes in as one single-quoted shell word, so that a path may hold spaces, quotes or
    # dollar signs: a checkout under a folder such as "My Projects" must still run its tests.
    foreach(value IN ITEMS wine wineserver prefix format_library)
        string(REPLACE "'" "'\\''" word "${${value}}")
        set(${value} "'${word}'")
    endforeach()
    set(WINE64 "${wine}")
    set(WINESERVER "${wineserver}")
    set(ORVELLA_WINEPREFIX "${prefix}")
    set(ORVELLA_TEST_FORMAT_LIBRARY "${format_library}")
    configure_file(${ORVELLA_WINE_RUN_TEMPLATE} ${output} @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                         WORLD_READ WORLD_EXECUTE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    orvella_write_wine_run("${OUTPUT}" "${WINE64}" "${WINESERVER}" "${WINEPREFIX}" "${FORMAT_LIBRARY}")
endif()
