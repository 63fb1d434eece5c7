# The Wine drive fixture: a test executable whose tests run in a prefix of their own that has a
# CD/DVD letter with a label and a removable letter, each backed by a scratch folder in the build
# tree. ctest sets the drives up before the first of those tests and takes them away after the last.
set(ORVELLA_DRIVES_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-drives)
set(ORVELLA_DRIVES_FOLDER ${CMAKE_BINARY_DIR}/wine-drives)
set(ORVELLA_CDROM_LETTER E)
set(ORVELLA_REMOVABLE_LETTER F)
set(ORVELLA_CDROM_LABEL ORVELLA_DISC)

function(orvella_add_drive_tests name)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
    # if(TEST) sees only the current folder's tests: a second folder would add a second fixture.
    get_property(fixture_made GLOBAL PROPERTY orvella_wine_drives_fixture)
    if(NOT fixture_made)
        set_property(GLOBAL PROPERTY orvella_wine_drives_fixture TRUE)
        set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/wine-drives)
        set(args ${CMAKE_BINARY_DIR}/wine-run ${WINESERVER} ${ORVELLA_DRIVES_PREFIX} ${ORVELLA_DRIVES_FOLDER}
                 ${ORVELLA_CDROM_LETTER} ${ORVELLA_REMOVABLE_LETTER} ${ORVELLA_CDROM_LABEL})
        add_test(NAME wine_drives_setup COMMAND ${script} setup ${args})
        add_test(NAME wine_drives_teardown COMMAND ${script} teardown ${args})
        set_tests_properties(wine_drives_setup PROPERTIES FIXTURES_SETUP wine_drives RESOURCE_LOCK wine_drives)
        set_tests_properties(wine_drives_teardown PROPERTIES FIXTURES_CLEANUP wine_drives RESOURCE_LOCK wine_drives)
    endif()

    # The tests share the two letters, so they take turns.
    orvella_add_test(${name} SOURCES ${arg_SOURCES} LIBS ${arg_LIBS}
                     PROPERTIES ENVIRONMENT ORVELLA_WINEPREFIX=${ORVELLA_DRIVES_PREFIX}
                                FIXTURES_REQUIRED wine_drives RESOURCE_LOCK wine_drives)
    target_compile_definitions(${name} PRIVATE ORVELLA_CDROM_LETTER='${ORVELLA_CDROM_LETTER}'
        ORVELLA_REMOVABLE_LETTER='${ORVELLA_REMOVABLE_LETTER}' ORVELLA_CDROM_LABEL="${ORVELLA_CDROM_LABEL}")
endfunction()
