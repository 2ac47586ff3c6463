# Read by cpack before it makes the package: the package's maintainer is the
# one who builds it, as Debian's own tools take it (DEBFULLNAME and DEBEMAIL),
# else the SAFTPT_PACKAGE_MAINTAINER cache variable. The repository names no
# maintainer of its own.
if(NOT "$ENV{DEBFULLNAME}" STREQUAL "" AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
elseif(NOT "${CPACK_SAFTPT_PACKAGE_MAINTAINER}" STREQUAL "")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_SAFTPT_PACKAGE_MAINTAINER}")
else()
  message(FATAL_ERROR
    "Falta o responsável pelo pacote: defina DEBFULLNAME e DEBEMAIL "
    "(export DEBFULLNAME=\"Nome\" DEBEMAIL=endereco@exemplo.pt) ou configure "
    "com -DSAFTPT_PACKAGE_MAINTAINER=\"Nome <endereco@exemplo.pt>\".")
endif()
