# The boundary between the windows and the work beyond them, both ways:
# - a file in one of BEYOND_FOLDERS includes no header of the program's windows:
#   code there reads the ledger through ledger/ledger_view.h and meets the
#   windows only through the year window's hook;
# - a file in one of WINDOW_FOLDERS (the windows, their subsystems and the
#   framework) includes no header of BEYOND_FOLDERS: what the windows show of that
#   work (menu items, overlays on the charts, settings) is hooked in by
#   shell/beyond_hooks.cpp, the one file exempt.
# ROOT is the source tree; folders are relative to it.
set(window_headers "shell/tform1\\.h|entry/tform[237]\\.h|print/tform4\\.h|records/tform5\\.h|month/tform6\\.h|shell/program_start\\.h")
list(JOIN BEYOND_FOLDERS "|" beyond_alternatives)
set(beyond_headers "(${beyond_alternatives})/[^\">]*")
set(hook_file "shell/beyond_hooks.cpp")

# Lines of the files in folders that include a header matching pattern, as
# "  file: line" entries appended to the variable named by out; the count of
# files read is added to the variable named by count.
function(find_includes folders pattern exempt out count)
    set(found "${${out}}")
    set(checked ${${count}})
    foreach(folder ${folders})
        file(GLOB_RECURSE files ${ROOT}/${folder}/*.cpp ${ROOT}/${folder}/*.h)
        if(NOT files)
            message(FATAL_ERROR "no file found in ${folder} under ${ROOT}")
        endif()
        foreach(f ${files})
            file(RELATIVE_PATH rel ${ROOT} ${f})
            if(rel STREQUAL exempt)
                continue()
            endif()
            math(EXPR checked "${checked} + 1")
            file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${pattern})[\">]")
            if(includes)
                string(APPEND found "\n  ${rel}: ${includes}")
            endif()
        endforeach()
    endforeach()
    set(${out} "${found}" PARENT_SCOPE)
    set(${count} ${checked} PARENT_SCOPE)
endfunction()

if(NOT BEYOND_FOLDERS OR NOT WINDOW_FOLDERS)
    message(FATAL_ERROR "WINDOW_FOLDERS and BEYOND_FOLDERS must both be given")
endif()
set(into_windows "")
set(into_beyond "")
set(checked 0)
find_includes("${BEYOND_FOLDERS}" "${window_headers}" "" into_windows checked)
find_includes("${WINDOW_FOLDERS}" "${beyond_headers}" "${hook_file}" into_beyond checked)
set(failures "")
if(into_windows)
    string(APPEND failures "\nwindow headers included beyond the windows:${into_windows}")
endif()
if(into_beyond)
    string(APPEND failures "\nheaders of the work beyond the windows included by the windows' folders (only ${hook_file} may):${into_beyond}")
endif()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
message(STATUS "${checked} files keep the boundary")
