# SPDX-License-Identifier: MIT
# End-to-end tests: the real program under Xvfb with a window manager, driven by xdotool and
# read by xclip and xprop from other processes.

foreach(script clipboard session)
    add_test(NAME e2e_${script}
             COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script}.sh" "${HUELOFT_OUTPUT_DIR}")
    # xvfb-run -a picks the first free display number, and two servers started at the same
    # instant can pick the same one: the tests that start an X server take turns.
    set_tests_properties(e2e_${script} PROPERTIES TIMEOUT 120 LABELS e2e RESOURCE_LOCK xserver)
endforeach()
