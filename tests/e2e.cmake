# SPDX-License-Identifier: MIT
# End-to-end tests: the real program under Xvfb with a window manager, driven by xdotool and
# read by xclip and xprop from other processes; and under the Wayland compositor sway, driven
# by wtype and read by wl-paste and swaymsg; and through the accessibility bus, read by
# pyatspi in a D-Bus session of its own.

foreach(script clipboard session endings wayland atspi)
    add_test(NAME e2e_${script}
             COMMAND sh "${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script}.sh" "${HUELOFT_OUTPUT_DIR}")
    # Keys typed into a real X server with a window manager are timing-sensitive: these tests
    # run alone, with nothing else loading the machine.
    set_tests_properties(e2e_${script} PROPERTIES TIMEOUT 120 LABELS e2e RUN_SERIAL TRUE)
endforeach()
