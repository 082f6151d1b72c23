# SPDX-License-Identifier: MIT
# Run by cpack (CPACK_INSTALL_SCRIPTS) after the project's own install into the package's
# folder: the Debian changelog, which names the package's maintainer and so has to be written
# with the maintainer the package is made with (cpack -D CPACK_DEBIAN_PACKAGE_MAINTAINER=...
# as well as -DHUELOFT_MAINTAINER=... when configuring). A package without a Debian revision
# is native, whose changelog Debian keeps as changelog.gz, compressed without a name or a time.

if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

set(doc "$ENV{DESTDIR}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME}")
# SOURCE_DATE_EPOCH, when set, gives the date, so that the same sources give the same package.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(MAKE_DIRECTORY "${doc}")
file(WRITE "${doc}/changelog"
"${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

  * RGB Tintora ${CPACK_PACKAGE_VERSION}.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf "${doc}/changelog" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${doc}/changelog (${status})")
endif()
