# SPDX-License-Identifier: MIT
# The layout table in the form the native Windows front-end creates it.

hueloft_add_qtest(nativelayout SOURCES tst_nativelayout.cpp LIBRARIES hueloft_nativelayout)
