# Makes the two release files from the built programs, run by the build (see
# CMakeLists.txt beside this file):
#   ZIP    Vessmark-<version>-win64.zip: Vessmark.scr, Vessmark.dll, README.txt
#   SETUP  Vessmark-<version>-setup.exe: the NSIS installer of the same files
# Both carry one time, the release's (EPOCH_FILE holds it), in every entry and
# every packed file, whenever and wherever they are made.
# Inputs: VERSION SCR DLL README STAGE ZIP SETUP NSI ICON EPOCH_FILE PYTHON
cmake_minimum_required(VERSION 3.25)

foreach(input IN ITEMS VERSION SCR DLL README STAGE ZIP SETUP NSI ICON EPOCH_FILE PYTHON)
    if(NOT DEFINED ${input})
        message(FATAL_ERROR "make_release: ${input} is not given")
    endif()
endforeach()

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

file(READ "${EPOCH_FILE}" epoch)
string(STRIP "${epoch}" epoch)

# Written under another name first, so that a failed step never leaves a
# file that looks finished. The zip step also gives the staged files the
# release's time, which the installer then stores.
file(REMOVE "${ZIP}" "${ZIP}.part")
get_filename_component(here "${CMAKE_CURRENT_LIST_FILE}" DIRECTORY)
execute_process(COMMAND "${PYTHON}" "${here}/zip_release.py" "${epoch}" "${STAGE}" "${ZIP}.part" ${files}
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "make_release: zipping ${STAGE} failed")
endif()
file(RENAME "${ZIP}.part" "${ZIP}")

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(FATAL_ERROR "make_release: makensis not found; tools/setup installs it (Debian package nsis)")
endif()
# The installer reads every file back and compares its size with these.
file(SIZE "${STAGE}/Vessmark.scr" size_scr)
file(SIZE "${STAGE}/Vessmark.dll" size_dll)
file(SIZE "${STAGE}/README.txt" size_readme)
file(REMOVE "${SETUP}" "${SETUP}.part")
get_filename_component(log "${SETUP}" DIRECTORY)
set(log "${log}/makensis.log")
execute_process(COMMAND "${MAKENSIS}" -V2 -INPUTCHARSET UTF8
        "-DVERSION=${VERSION}" "-DSTAGE=${STAGE}" "-DOUTFILE=${SETUP}.part" "-DICON=${ICON}"
        "-DSIZE_SCR=${size_scr}" "-DSIZE_DLL=${size_dll}" "-DSIZE_README=${size_readme}" "${NSI}"
    OUTPUT_FILE "${log}" ERROR_FILE "${log}.err" RESULT_VARIABLE failed)
if(failed)
    file(READ "${log}" out)
    file(READ "${log}.err" err)
    message(FATAL_ERROR "make_release: makensis failed (${failed}):\n${out}\n${err}")
endif()
file(RENAME "${SETUP}.part" "${SETUP}")
message(STATUS "made ${ZIP} and ${SETUP}")
