# SPDX-License-Identifier: MIT
# The program's icon, and the files that make hueloft an installable desktop application.

hueloft_add_qtest(icon SOURCES tst_icon.cpp LIBRARIES hueloft_resources Qt6::Gui)
get_target_property(icon_dir hueloft_resources HUELOFT_ICON_DIR)
target_compile_definitions(tst_icon PRIVATE HUELOFT_ICON_DIR="${icon_dir}")
