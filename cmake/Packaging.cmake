# The Debian package: `make package`, that is `cmake --build build --target package`, builds
# everything and writes <build>/package/tarvik_<version>_<arch>.deb. It holds what the install
# rules name: the program, its menu entry, its icons and its manual page.

set(TARVIK_PACKAGE_MAINTAINER "Tarvik developers"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VENDOR "Tarvik developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rule-based editor for flight-simulator AI traffic plans")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvik edits the text source of a flight simulator's AI air traffic: a folder\n"
    "with FlightPlans.txt, Aircraft.txt and Airports.txt. A rule of the form\n"
    "If field = value, And field = value, Then field = new value is run over the\n"
    "flight plans, every match is shown for review, and the rewritten flight-plan\n"
    "file is saved in one piece.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVIK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev, with `file`) works out the libraries the program needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
