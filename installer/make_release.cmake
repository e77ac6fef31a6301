# Makes the release files from the built programs, run by the build (see
# CMakeLists.txt beside this file) and by tools/package:
#   ZIP     Vessmark-<version>-win64.zip: Vessmark.scr, Vessmark.dll, README.txt
#   SETUP   Vessmark-<version>-setup.exe: the NSIS installer of the same files
#   WINGET  a folder for the winget manifest of that setup (optional)
# INPUTS is the file the build writes beside its release: the version, the
# programs, the read-me, the installer script, its icon, the file with the
# release's time, Python. Both files carry that one time, in every entry and
# every packed file, whenever and wherever they are made.
# SIGN (optional) is a command that signs one program in place
# (installer/sign): it signs both programs before they are packed, the
# uninstaller before the installer holds it, and the installer last.
# RELEASE_URL (optional) is where the setup will be published, for the
# manifest; without it the manifest names a placeholder.
# Inputs: INPUTS STAGE ZIP SETUP [WINGET] [SIGN] [RELEASE_URL]
cmake_minimum_required(VERSION 3.25)

foreach(input IN ITEMS INPUTS STAGE ZIP SETUP)
    if(NOT DEFINED ${input})
        message(FATAL_ERROR "make_release: ${input} is not given")
    endif()
endforeach()
include("${INPUTS}")
foreach(input IN ITEMS VERSION SCR DLL README NSI ICON EPOCH_FILE PYTHON)
    if(NOT DEFINED ${input})
        message(FATAL_ERROR "make_release: ${INPUTS} does not set ${input}")
    endif()
endforeach()
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
file(READ "${EPOCH_FILE}" epoch)
string(STRIP "${epoch}" epoch)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "make_release: ${what} failed (${failed})")
    endif()
endfunction()

# Exactly the files a user gets, in a folder of their own.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(COPY "${SCR}" "${DLL}" "${README}" DESTINATION "${STAGE}")
set(files Vessmark.scr Vessmark.dll README.txt)
foreach(name IN LISTS files)
    if(NOT EXISTS "${STAGE}/${name}")
        message(FATAL_ERROR "make_release: ${name} is missing from ${STAGE}")
    endif()
endforeach()
if(SIGN)
    foreach(name IN ITEMS Vessmark.scr Vessmark.dll)
        run("signing ${name}" "${SIGN}" "${STAGE}/${name}")
    endforeach()
endif()

# Written under another name first, so that a failed step never leaves a
# file that looks finished. The zip step also gives the staged files the
# release's time, which the installer then stores.
file(REMOVE "${ZIP}" "${ZIP}.part")
run("zipping ${STAGE}" "${PYTHON}" "${here}/zip_release.py" "${epoch}" "${STAGE}" "${ZIP}.part" ${files})
file(RENAME "${ZIP}.part" "${ZIP}")

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(FATAL_ERROR "make_release: makensis not found; tools/setup installs it (Debian package nsis)")
endif()
# The installer reads every file back and compares its size with these.
file(SIZE "${STAGE}/Vessmark.scr" size_scr)
file(SIZE "${STAGE}/Vessmark.dll" size_dll)
file(SIZE "${STAGE}/README.txt" size_readme)
set(sign_option)
if(SIGN)
    set(sign_option "-DSIGN=${SIGN}")
endif()
file(REMOVE "${SETUP}" "${SETUP}.part")
get_filename_component(log "${STAGE}" DIRECTORY)
set(log "${log}/makensis.log")
execute_process(COMMAND "${MAKENSIS}" -V2 -INPUTCHARSET UTF8
        "-DVERSION=${VERSION}" "-DSTAGE=${STAGE}" "-DOUTFILE=${SETUP}.part" "-DICON=${ICON}"
        "-DSIZE_SCR=${size_scr}" "-DSIZE_DLL=${size_dll}" "-DSIZE_README=${size_readme}" ${sign_option} "${NSI}"
    OUTPUT_FILE "${log}" ERROR_FILE "${log}.err" RESULT_VARIABLE failed)
if(failed)
    file(READ "${log}" out)
    file(READ "${log}.err" err)
    message(FATAL_ERROR "make_release: makensis failed (${failed}):\n${out}\n${err}")
endif()
file(RENAME "${SETUP}.part" "${SETUP}")

if(DEFINED WINGET)
    # The manifest names the setup by its SHA-256, so it is made from the
    # final, signed file.
    get_filename_component(setup_name "${SETUP}" NAME)
    if(NOT RELEASE_URL)
        set(RELEASE_URL "https://RELEASE-ADDRESS-PLACEHOLDER.invalid/")
    endif()
    string(REGEX REPLACE "/+$" "" INSTALLER_URL "${RELEASE_URL}")
    string(APPEND INSTALLER_URL "/${setup_name}")
    file(SHA256 "${SETUP}" SHA256)
    string(TOUPPER "${SHA256}" SHA256)
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
    string(TIMESTAMP RELEASE_DATE "%Y-%m-%d" UTC)
    file(REMOVE_RECURSE "${WINGET}")
    foreach(part IN ITEMS "" .installer .locale.en-US)
        configure_file("${here}/winget/Vessmark.Vessmark${part}.yaml.in" "${WINGET}/Vessmark.Vessmark${part}.yaml"
            @ONLY NEWLINE_STYLE UNIX)
    endforeach()
endif()
message(STATUS "made ${ZIP} and ${SETUP}")
