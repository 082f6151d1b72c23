# SPDX-License-Identifier: MIT
# The INI profile functions of platform/.

# Writes from a separate process: killed at random moments, run as another user, or under a
# file size limit.
add_executable(profile_writer profile_writer.cpp)
target_link_libraries(profile_writer PRIVATE hueloft_profile)

hueloft_add_qtest(profile SOURCES tst_profile.cpp reachablecopy.h LIBRARIES hueloft_profile TIMEOUT 120)
target_compile_definitions(tst_profile PRIVATE
    PROFILE_WRITER_PATH="$<TARGET_FILE:profile_writer>"
    HUELOFT_PROFILE_LIBRARY="$<TARGET_FILE:hueloft_profile>")
add_dependencies(tst_profile profile_writer)

# Which entries of which folders are read, saved and loaded, cell by cell against the table in
# docs/RELIABILITY.md.
hueloft_add_qtest(sharedfolders SOURCES tst_sharedfolders.cpp
    LIBRARIES hueloft_platform hueloft_profile)
target_compile_definitions(tst_sharedfolders PRIVATE
    RELIABILITY_DOC="${PROJECT_SOURCE_DIR}/docs/RELIABILITY.md"
    SWATCHY_LIBRARY="$<TARGET_FILE:swatchy>")
add_dependencies(tst_sharedfolders swatchy)
