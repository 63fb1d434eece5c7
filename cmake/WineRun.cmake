# Writes the wine-run script from its template. The build includes this file; a test runs it as a
# script with the same values: cmake -DOUTPUT=... -DWINE64=... -DWINESERVER=... -DWINEPREFIX=...
# -DFORMAT_LIBRARY=... -P WineRun.cmake
set(ORVELLA_WINE_RUN_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/wine-run.in)

# The parameters are named after the template's placeholders.
function(orvella_write_wine_run output WINE64 WINESERVER ORVELLA_WINEPREFIX ORVELLA_TEST_FORMAT_LIBRARY)
    # Each value goes in as one single-quoted shell word, so that a path may hold spaces, quotes or
    # dollar signs: a checkout under a folder such as "My Projects" must still run its tests.
    foreach(placeholder IN ITEMS WINE64 WINESERVER ORVELLA_WINEPREFIX ORVELLA_TEST_FORMAT_LIBRARY)
        string(REPLACE "'" "'\\''" word "${${placeholder}}")
        set(${placeholder} "'${word}'")
    endforeach()
    configure_file(${ORVELLA_WINE_RUN_TEMPLATE} ${output} @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                         WORLD_READ WORLD_EXECUTE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    orvella_write_wine_run("${OUTPUT}" "${WINE64}" "${WINESERVER}" "${WINEPREFIX}" "${FORMAT_LIBRARY}")
endif()
