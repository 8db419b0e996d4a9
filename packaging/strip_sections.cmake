# Run by CPack on the staged files before it packs them: the program, already
# stripped of its debugging symbols, also loses the sections a package has no use
# for (the compilers' .comment and the .note section), as Debian's dh_strip does.
file(GLOB velmo_programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${velmo_programs})
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${program}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "strip ${program} failed")
    endif()
endforeach()
