# The Windows installer and zip, from the Windows build: build/windows/quillon-VERSION-setup.exe
# (NSIS) and build/windows/quillon-VERSION-windows.zip, both holding the programs, README.txt and
# LICENSE.txt. The files are staged first, the texts with the CR LF line ends Windows editors
# expect; the installer script takes the list of files from files.nsh, written here.
set(QUILLON_WINDOWS_PROGRAMS quillon timervals notecodes quillon-import quillon-upload)

set(stage ${CMAKE_CURRENT_BINARY_DIR}/package/Quillon)
set(file_list ${CMAKE_CURRENT_BINARY_DIR}/package/files.nsh)
set(setup ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/quillon-${PROJECT_VERSION}-setup.exe)
set(zip ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/quillon-${PROJECT_VERSION}-windows.zip)

set(staged)
set(install_lines)
set(remove_lines)
set(copy_commands)
foreach(program IN LISTS QUILLON_WINDOWS_PROGRAMS)
    list(APPEND copy_commands
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${program}> ${stage}/${program}.exe)
    list(APPEND staged ${stage}/${program}.exe)
endforeach()
foreach(name IN LISTS QUILLON_WINDOWS_PROGRAMS ITEMS README LICENSE)
    if(name STREQUAL "README" OR name STREQUAL "LICENSE")
        set(file ${name}.txt)
    else()
        set(file ${name}.exe)
    endif()
    string(APPEND install_lines "    File \"${stage}/${file}\"\n")
    string(APPEND remove_lines "    Delete \"$INSTDIR\\${file}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${file_list} CONTENT
    "!macro QuillonInstallFiles\n${install_lines}!macroend\n!macro QuillonRemoveFiles\n${remove_lines}!macroend\n")

set(texts ${stage}/README.txt ${stage}/LICENSE.txt)
add_custom_command(OUTPUT ${staged} ${texts}
    ${copy_commands}
    COMMAND ${CMAKE_COMMAND} -D IN=${PROJECT_SOURCE_DIR}/README.md -D OUT=${stage}/README.txt
        -P ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
    COMMAND ${CMAKE_COMMAND} -D IN=${PROJECT_SOURCE_DIR}/LICENSE -D OUT=${stage}/LICENSE.txt
        -P ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
    DEPENDS ${QUILLON_WINDOWS_PROGRAMS} ${PROJECT_SOURCE_DIR}/README.md
        ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/cmake/WindowsText.cmake
    COMMENT "Staging the Windows programs and texts"
    VERBATIM)

# The zip holds the folder Quillon, as the installer makes it.
add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Quillon
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/package
    DEPENDS ${staged} ${texts}
    COMMENT "Zipping quillon-${PROJECT_VERSION}-windows.zip"
    VERBATIM)

find_program(QUILLON_MAKENSIS makensis)
set(outputs ${zip})
if(QUILLON_MAKENSIS)
    set(script ${PROJECT_SOURCE_DIR}/packaging/windows/quillon.nsi)
    add_custom_command(OUTPUT ${setup}
        COMMAND ${QUILLON_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
            -DFILES=${file_list}
            -DOUTFILE=${setup} -DICON=${PROJECT_SOURCE_DIR}/composer/resources/icons/quillon.ico
            ${script}
        DEPENDS ${script} ${staged} ${texts} ${file_list}
        COMMENT "Building quillon-${PROJECT_VERSION}-setup.exe"
        VERBATIM)
    list(APPEND outputs ${setup})
else()
    message(WARNING "makensis not found: no Windows installer (install the Debian package nsis, "
        "which scripts/install-deps does)")
endif()
add_custom_target(windows-packages ALL DEPENDS ${outputs})
