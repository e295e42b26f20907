# quillon_man_page(<page.1>): a program's manual page, compressed (gzip -9n keeps the name and
# time stamp out, so the package stays reproducible), installed to man1, and checked by a test
# with the warnings that man and groff give.
find_program(QUILLON_GZIP gzip)
find_program(QUILLON_MAN man)
find_program(QUILLON_LEXGROG lexgrog)

function(quillon_man_page source)
    # Windows has no man.
    if(WIN32)
        return()
    endif()
    get_filename_component(page ${source} NAME)
    get_filename_component(name ${source} NAME_WE)
    set(dir ${PROJECT_BINARY_DIR}/man)
    add_custom_command(OUTPUT ${dir}/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${dir}/${page}
        COMMAND ${QUILLON_GZIP} -9nf ${dir}/${page}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    add_custom_target(${name}_man_page ALL DEPENDS ${dir}/${page}.gz)
    install(FILES ${dir}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

    add_test(NAME ${name}.man_page
        COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/tests/check-man-page.sh
            "${QUILLON_MAN}" "${QUILLON_LEXGROG}" ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    set_tests_properties(${name}.man_page PROPERTIES TIMEOUT 60 LABELS packaging)
endfunction()
