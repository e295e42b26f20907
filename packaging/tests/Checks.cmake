# Checks shared by the installed-tree and package tests. Each failure stops the test with a
# message that says what is wrong where.

function(quillon_fail)
    string(JOIN "" message ${ARGN})
    message(FATAL_ERROR "${message}")
endfunction()

function(quillon_require_tool name path)
    if(NOT path OR NOT EXISTS "${path}")
        quillon_fail("${name} not found: install the Debian packages with scripts/install-deps")
    endif()
endfunction()

# Runs a command and stops the test unless it exits with 0.
function(quillon_run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        string(JOIN " " command ${ARGN})
        quillon_fail("`${command}` failed (${result}):\n${out}${err}")
    endif()
endfunction()

# A regular file (`what` it is, for the message) whose first bytes are `magic`, in hex.
function(quillon_expect_file path what magic)
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
        quillon_fail("missing ${what} ${path}")
    endif()
    string(LENGTH "${magic}" digits)
    math(EXPR bytes "${digits} / 2")
    file(READ "${path}" head LIMIT ${bytes} HEX)
    if(NOT head STREQUAL magic)
        quillon_fail("${path} is not a ${what} (it starts with ${head}, not ${magic})")
    endif()
endfunction()

# An installed program: an ELF executable with execute permission.
function(quillon_expect_program path)
    quillon_expect_file("${path}" "ELF program" 7f454c46)
    execute_process(COMMAND test -x "${path}" RESULT_VARIABLE executable)
    if(NOT executable EQUAL 0)
        quillon_fail("${path} is not executable")
    endif()
endfunction()

# The icon: a PNG image of 64 x 64 pixels (width and height are the first fields of IHDR).
function(quillon_expect_icon path)
    if(NOT EXISTS "${path}")
        quillon_fail("missing icon ${path}")
    endif()
    file(READ "${path}" head LIMIT 24 HEX)
    string(SUBSTRING "${head}" 0 16 signature)
    string(SUBSTRING "${head}" 24 8 chunk)
    string(SUBSTRING "${head}" 32 16 size)
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT chunk STREQUAL "49484452")
        quillon_fail("${path} is not a PNG image")
    endif()
    if(NOT size STREQUAL "0000004000000040")
        quillon_fail("${path} is not 64 x 64 pixels (IHDR size ${size})")
    endif()
endfunction()

# Reads key=value of the [Desktop Entry] group (untranslated keys only) into entry_<key>.
function(quillon_read_desktop_entry path)
    file(STRINGS "${path}" lines ENCODING UTF-8)
    set(in_group FALSE)
    foreach(line IN LISTS lines)
        if(line MATCHES "^\\[(.*)\\]$")
            if(CMAKE_MATCH_1 STREQUAL "Desktop Entry")
                set(in_group TRUE)
            else()
                set(in_group FALSE)
            endif()
        elseif(in_group AND line MATCHES "^([A-Za-z0-9-]+)=(.*)$")
            set(entry_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
        endif()
    endforeach()
endfunction()

# The desktop entry of an installed tree under `prefix` (the directory holding bin/ and share/):
# valid by desktop-file-validate, and naming a program and an icon that the tree holds.
function(quillon_expect_desktop_entry prefix validator)
    set(path "${prefix}/share/applications/quillon.desktop")
    if(NOT EXISTS "${path}")
        quillon_fail("missing desktop entry ${path}")
    endif()

    execute_process(COMMAND "${validator}" "${path}"
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    # Not even a hint: each one is something a menu may show wrongly.
    if(NOT result EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
        quillon_fail("desktop-file-validate complains about ${path}:\n${out}${err}")
    endif()

    quillon_read_desktop_entry("${path}")
    if(NOT entry_Type STREQUAL "Application")
        quillon_fail("desktop entry: Type is '${entry_Type}', not Application")
    endif()
    if(NOT entry_Name STREQUAL "Quillon")
        quillon_fail("desktop entry: Name is '${entry_Name}', not Quillon")
    endif()
    if(entry_Comment STREQUAL "")
        quillon_fail("desktop entry: no Comment")
    endif()
    string(REPLACE ";" "\\;" categories "${entry_Categories}")
    if(NOT entry_Categories MATCHES "(^|;)Development;")
        quillon_fail("desktop entry: Categories '${categories}' lack Development")
    endif()
    # Exec is looked up on PATH and Icon in the icon theme: both must name what is installed.
    if(NOT entry_Exec MATCHES "^([^ ]+)")
        quillon_fail("desktop entry: no Exec")
    endif()
    if(NOT CMAKE_MATCH_1 STREQUAL "quillon")
        quillon_fail("desktop entry: Exec runs '${CMAKE_MATCH_1}', not quillon")
    endif()
    quillon_expect_program("${prefix}/bin/${CMAKE_MATCH_1}")
    quillon_expect_icon("${prefix}/share/icons/hicolor/64x64/apps/${entry_Icon}.png")
endfunction()

# The AppStream data of the tree, validated with the tree around it, so that the desktop entry
# it names as its launchable must be there too. The one info allowed: the validator does not
# know the reserved .invalid domain that the id is made of.
function(quillon_expect_appstream prefix)
    quillon_require_tool(appstreamcli "${APPSTREAMCLI}")
    file(GLOB metainfo "${prefix}/share/metainfo/*.metainfo.xml")
    if(NOT metainfo)
        quillon_fail("no AppStream data in ${prefix}/share/metainfo")
    endif()
    quillon_run("${APPSTREAMCLI}" validate-tree --no-net --pedantic --strict
        --override=cid-maybe-not-rdns=pedantic "${prefix}")
endfunction()

# The four programs with their manual pages, the desktop entry, the icon and the AppStream data
# under `prefix`.
function(quillon_expect_tree prefix validator)
    foreach(program quillon timervals notecodes quillon-import)
        quillon_expect_program("${prefix}/bin/${program}")
        # Compressed, as man reads it and Debian wants it.
        quillon_expect_file("${prefix}/share/man/man1/${program}.1.gz"
            "gzip-compressed manual page" 1f8b)
    endforeach()
    quillon_expect_desktop_entry("${prefix}" "${validator}")
    quillon_expect_icon("${prefix}/share/icons/hicolor/64x64/apps/quillon.png")
    quillon_expect_appstream("${prefix}")
endfunction()
