# The Debian package of this build, made with its own CPackConfig and unpacked with dpkg-deb into
# a temporary root: the four programs, the desktop entry, the icon and the control fields.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Checks.cmake)

quillon_require_tool(cpack "${CPACK}")
quillon_require_tool(dpkg-deb "${DPKG_DEB}")
quillon_require_tool(desktop-file-validate "${DESKTOP_FILE_VALIDATE}")
file(REMOVE_RECURSE "${WORK_DIR}")

quillon_run(${CMAKE_COMMAND} -E env --unset=DESTDIR
    "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}/out")
file(GLOB packages "${WORK_DIR}/out/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    quillon_fail("expected one .deb in ${WORK_DIR}/out, found ${count}: ${packages}")
endif()

set(root "${WORK_DIR}/root")
quillon_run("${DPKG_DEB}" -x "${packages}" "${root}")
quillon_expect_tree("${root}/usr" "${DESKTOP_FILE_VALIDATE}")

function(control_field name out)
    execute_process(COMMAND "${DPKG_DEB}" -f "${packages}" ${name}
        RESULT_VARIABLE result OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT result EQUAL 0)
        quillon_fail("dpkg-deb cannot read the ${name} field")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

control_field(Package package)
if(NOT package STREQUAL "quillon")
    quillon_fail("Package is '${package}', not quillon")
endif()

execute_process(COMMAND dpkg --print-architecture
    OUTPUT_VARIABLE machine OUTPUT_STRIP_TRAILING_WHITESPACE)
control_field(Architecture architecture)
if(NOT architecture STREQUAL machine)
    quillon_fail("Architecture is '${architecture}', not '${machine}'")
endif()

# What the composer needs on a machine that has never seen a Qt build: the Qt 6 libraries, a
# platform plugin, and a font with the Chinese captions.
control_field(Depends depends)
string(REGEX REPLACE "[ \n]+" " " depends "${depends}")
# And for the preview, the PortAudio library it plays through.
foreach(needed libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-wqy-microhei
        libportaudio2)
    if(NOT depends MATCHES "(^|, )${needed}( |,|$)")
        quillon_fail("Depends lacks ${needed}: ${depends}")
    endif()
endforeach()
# What routes the sound to the desktop's server and translates Qt's own words is recommended.
control_field(Recommends recommends)
foreach(wanted "libasound2-plugins \\| pipewire-alsa" qt6-translations-l10n)
    if(NOT recommends MATCHES "(^|, )${wanted}( |,|$)")
        quillon_fail("Recommends lacks ${wanted}: ${recommends}")
    endif()
endforeach()
