# Run by cpack once the files are installed in its staging tree: the Debian
# changelog, signed by the package's maintainer, gzipped as Debian keeps it.
set(docdir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/saftpt")
set(MAINTAINER "${CPACK_DEBIAN_PACKAGE_MAINTAINER}")
configure_file("${CPACK_SAFTPT_CHANGELOG}" "${docdir}/changelog" @ONLY)
execute_process(COMMAND gzip -9nf "${docdir}/changelog" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${docdir}/changelog: ${status}")
endif()
